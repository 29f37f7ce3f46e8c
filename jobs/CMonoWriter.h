#pragma once

#include "CJobHost.h"
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

    // channels: at most MAX_FILES, each a channel the source has.
    // JOBRESULT_DONE: every file is finished and at its final name.
    // JOBRESULT_CANCELLED or JOBRESULT_FAILED (the host was told why, with
    // the system's reason): no temporary file is left, and no file at a
    // final name was touched, unless renaming a later file of the pass
    // failed after earlier ones were in place.
    JOBRESULT Write(const std::vector<_CHANNEL>& channels, const PROGRESS& progress);

    // The size a mono file of this source will have; more than a RIFF file
    // can hold means it cannot be written.
    uint64_t GetMonoFileSize() const;
    // Where the mono files' "data" header stands, and the body of the "pad "
    // chunk ahead of it (false when there is none).
    uint64_t GetMonoDataHeader(bool& isPadded, uint32_t& padBytes) const;

    // Set by Write when a mono file could not be created: the output folder
    // is unusable and the run ends.
    bool m_isCreateFailed = false;

private:
    CPolySource& m_source;
    CJobHost& m_host;
    const std::atomic<bool>& m_isCancel;
};
