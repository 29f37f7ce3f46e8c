#pragma once

#include "CBwfLayout.h"
#include "CJobHost.h"
#include "CJobResult.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// Splits poly files into mono files, one per selected channel, written as
// "OUT/TAKE/TAKE_n.wav" where TAKE is the poly file's name without its
// extension. Each source is read once for all its channels (once per
// CMonoWriter::MAX_FILES channels beyond that many).
class CPolyToMonoJob {
public:
    struct _SOURCEROW {
        std::string strFileName;
        std::string strFilePath;
        // Channel numbers to write, 1-based, rising; those the file lacks
        // are left out.
        std::vector<int> arrayChannel;
    };

    std::vector<_SOURCEROW> m_arraySource;
    std::string m_strDestFolder;
    // Mono files larger than this are written as RF64 (see CMonoWriter);
    // tests lower it to see that layout on small files.
    uint64_t m_rf64Limit = RIFF_FILE_MAX;
    // Each mono file's "iXML" and "bext" description name its own track and
    // its place in the set (see CIXmlTracks, CBextTracks); with this set
    // they are the source's, unchanged.
    bool m_isCopyMetadata = false;
    // Every other input of the run this job belongs to (the sources of other
    // jobs): no mono file may replace one of them either.
    std::vector<std::string> m_arrayRunInput = {};

    // Runs the rows in order. A row whose source cannot be split is skipped
    // with a message before anything is asked or written for it: not a
    // regular file, a take name that is no plain file name, an impossible
    // format or layout, or a mono file that is a source of the run. The others go on. Ends at once
    // when the overwrite question is answered Cancel, when a mono file cannot be created, or when
    // isCancel is set. A mono file replaces an existing one only once it is complete; a row that
    // fails or is cancelled leaves the files it was writing as they were (those of an earlier pass
    // are in place), and no take folder it created empty. "TAKE\tChannel n" names each channel
    // before its pass, and "TAKE\tFinish !" follows a row's last file in place.
    JOBRESULT Run(CJobHost& host, const std::atomic<bool>& isCancel) const;
};
