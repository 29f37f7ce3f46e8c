#pragma once

#include "CJobHost.h"
#include "CJobOutput.h"
#include "CJobResult.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CPolySource;

// Writes the mono files of a set of channels of one poly file in a single
// pass over its samples.
//
// Each mono file: the source's bytes before its "data" chunk with the "fmt "
// fields patched for one channel (and the pad bytes the source lacks put
// back), a "pad " chunk that puts the first sample at offset 32768 when the
// header leaves room, the channel's samples filled with zero bytes up to a
// multiple of 2048, the source's chunks after its samples (see CPolySource),
// and, in an 858-byte "bext", the coding history rewritten.
//
// A mono file whose RIFF layout would pass the writers' RF64 limit is
// written as RF64: its "ds64" chunk after the header, then the same chunks
// with the "data" size in "ds64" and the "pad " chunk DS64_CHUNK_BYTES
// shorter, so that the samples start where they would (36 bytes later when
// no "pad " chunk fits).
//
// Each file is written under a temporary name beside its final one and
// renamed onto it only when every file of the pass is complete, so an
// existing file stays as it was until its successor replaces it whole.
class CMonoWriter {
public:
    struct _CHANNEL {
        int number; // 1-based channel of the source
        std::string strPath;
    };

    // The most channels one Write takes. Each file being written holds a
    // write-behind ring, a read buffer for its patches (together about
    // 0.8 MiB once the file is long) and a thread: 64 keep a pass near
    // 50 MiB and well inside the usual limit of open files.
    static constexpr std::size_t MAX_FILES = 64;

    // Called with the source bytes handled so far in this pass.
    using PROGRESS = std::function<void(uint64_t sourceBytes)>;

    CMonoWriter(CPolySource& source, CJobHost& host, const std::atomic<bool>& isCancel);

    // channels: at most MAX_FILES, each a channel the source has. When the
    // source was opened with m_isRewriteMetadata, each file gets the "iXML"
    // and "bext" description of its own channel, as one of totalFiles mono
    // files written of the source (all passes).
    // JOBRESULT_DONE: every file is finished and at its final name.
    // JOBRESULT_CANCELLED or JOBRESULT_FAILED (the host was told why, with
    // the system's reason): no temporary file is left, and no file at a
    // final name was touched, unless renaming a later file of the pass
    // failed after earlier ones were in place.
    JOBRESULT Write(const std::vector<_CHANNEL>& channels, int totalFiles,
                    const PROGRESS& progress);

    // The size a mono file of this source has in the RIFF layout, which
    // decides the form, and in the RF64 layout; its own "iXML" holds
    // ixmlGrowth bytes more than the source's (pad bytes included).
    uint64_t GetMonoFileSize(bool isRf64 = false, int64_t ixmlGrowth = 0) const;
    // Where a mono file's "data" header stands, behind a "pad " chunk or not.
    CJobOutput::_SAMPLESTART GetMonoSampleStart(bool isRf64, int64_t ixmlGrowth = 0) const;

    // The writers' RF64 limit (CBwfFile::SetRf64Limit); tests lower it.
    uint64_t m_rf64Limit = RIFF_FILE_MAX;

    // Set by Write when a mono file could not be created: the output folder
    // is unusable and the run ends.
    bool m_isCreateFailed = false;

private:
    CPolySource& m_source;
    CJobHost& m_host;
    const std::atomic<bool>& m_isCancel;
};
