#pragma once

#include "CBwfLayout.h"
#include "CJobHost.h"
#include "CJobOutput.h"
#include "CJobResult.h"

#include <atomic>
#include <cstdint>
#include <string>

class CBwfFile;

class CMonoTake;

// Writes the poly file of an opened take: the lead's "bext" (or a default
// one), a PCM "fmt " of the take's channels, the markers ("cue " and "plst"
// of the lead or default ones, a default "LIST"), in mode 0 also the lead's
// "iXML" (or a default one) and undefined chunks ahead of the samples, and
// the samples interleaved, silent where a channel has none, filled with
// zero bytes up to a multiple of 2048. Mode 0 puts the samples at 32768
// behind a "pad " chunk when the chunks before leave room; modes 1 and 2 put
// the markers and undefined chunks after the samples, which start at 32768
// or 4096.
//
// A file whose RIFF layout would pass the RF64 limit is written as RF64:
// "ds64" after the header, the same chunks, the "data" size in "ds64", the
// "pad " chunk DS64_CHUNK_BYTES shorter (the samples start 36 bytes later
// when no "pad " chunk fits).
//
// When the take was opened with m_isRewriteMetadata, the poly's "iXML" (the
// lead's, or the default one) lists the track of every mono, and its "bext"
// description holds every mono's track line and the poly's file name; a
// lead's "iXML" that cannot be read is carried unchanged.
class CPolyWriter {
public:
    CPolyWriter(CMonoTake& take, int convertMode, CJobHost& host,
                const std::atomic<bool>& isCancel);

    // The file's size in the RIFF layout (which decides the form) or the
    // RF64 one.
    uint64_t GetPolyFileSize(bool isRf64 = false) const;
    bool IsRf64() const { return GetPolyFileSize() > m_rf64Limit; }

    // Writes outPath under a temporary name, renamed onto it once complete.
    // JOBRESULT_FAILED (the host told why) or JOBRESULT_CANCELLED leave no
    // file behind and outPath as it was.
    JOBRESULT Write(const std::string& outPath);

    uint64_t m_rf64Limit = RIFF_FILE_MAX;

private:
    // The bytes of the chunks ahead of the samples, and of those after them.
    uint64_t FrontBytes() const;
    uint64_t BackBytes() const;
    CJobOutput::_SAMPLESTART SampleStart(bool isRf64) const;

    // The poly's own "iXML", made from the monos' track lists.
    void MakeIXml();
    // Rewrites the description of the "bext" written at bextPointer.
    bool WriteDescription(CBwfFile& poly, uint64_t bextPointer, const std::string& outPath);

    CMonoTake& m_take;
    bool m_hasOwnIXml = false;
    std::string m_strIXml;
    bool m_isMetadataFirst;
    uint64_t m_boundary;
    CJobHost& m_host;
    const std::atomic<bool>& m_isCancel;
};
