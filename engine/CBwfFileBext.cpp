// The default "bext" chunk and the coding-history text.

#include "CBwfFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

const char descriptionText[] = "fUBIT=\r\nfSCENE=\r\nfTAKE=\r\nfTAPE=\r\nfEVENT=00001\r\n"
                               "fSPEED=\r\nfTRK1=track1\r\nfTRK2=track2\r\nfTRK3=track3\r\n"
                               "fTRK4=track4\r\nfTRK5=track5\r\nfTRK6=track6\r\nfTRK7=track7\r\n"
                               "fTRK8=track8\r\nfNOTE= \r\n";

const char originatorText[] = "TALVEN CO. Kestrawave";
const char originatorReferenceText[] = "Ver2.00";

// Copies text into a zeroed field of a fixed width, cut at the width.
template <std::size_t WIDTH> void FillField(char (&field)[WIDTH], const char* text) {
    std::memset(field, 0, WIDTH);
    std::size_t length = std::strlen(text);
    std::memcpy(field, text, length < WIDTH ? length : WIDTH);
}

} // namespace

std::size_t CBwfFile::MakeCodingHistory(char* text, std::size_t size, uint16_t channels,
                                        uint16_t bitsPerSample, uint32_t samplesPerSec) {
    if (text == nullptr || size == 0) {
        return 0;
    }
    char channelPart[64];
    if (channels == 1) {
        std::snprintf(channelPart, sizeof channelPart, "PCM\r\nmono\r%ubit\r",
                      unsigned(bitsPerSample));
    } else if (channels == 2) {
        std::snprintf(channelPart, sizeof channelPart, "PCM\r\nstereo\r%ubit\r",
                      unsigned(bitsPerSample));
    } else {
        std::snprintf(channelPart, sizeof channelPart, "PCM\r\n%uchannel\r%ubit\r",
                      unsigned(channels), unsigned(bitsPerSample));
    }
    char ratePart[32];
    if (samplesPerSec == 44100 || samplesPerSec == 88200) {
        // One decimal, always with a point: a process locale must not turn
        // 44.1 into 44,1 inside the file.
        uint32_t tenths = (samplesPerSec + 50) / 100;
        std::snprintf(ratePart, sizeof ratePart, "%u.%ukHz\r", unsigned(tenths / 10),
                      unsigned(tenths % 10));
    } else {
        std::snprintf(ratePart, sizeof ratePart, "%ukHz\r", unsigned(samplesPerSec / 1000));
    }
    int length = std::snprintf(text, size, "%s%s", channelPart, ratePart);
    return length < 0 ? 0 : std::min<std::size_t>(std::size_t(length), size - 1);
}

bool CBwfFile::CreateDefaultBextChunk(uint16_t channels, uint16_t bitsPerSample,
                                      uint32_t samplesPerSec, int32_t year, int32_t month,
                                      int32_t day, int32_t hour, int32_t minute, int32_t second) {
    uint64_t bodyStart = 0;
    if (!BeginChunk("bext", bodyStart)) {
        return false;
    }
    char description[BEXT_DESCRIPTION_BYTES];
    FillField(description, descriptionText);
    char originator[BEXT_ORIGINATOR_BYTES];
    FillField(originator, originatorText);
    char originatorReference[BEXT_ORIGINATOR_REFERENCE_BYTES];
    FillField(originatorReference, originatorReferenceText);
    char text[32];
    std::snprintf(text, sizeof text, "%d-%d-%d", int(year), int(month), int(day));
    char date[BEXT_DATE_BYTES];
    FillField(date, text);
    std::snprintf(text, sizeof text, "%d:%d:%d", int(hour), int(minute), int(second));
    char time[BEXT_TIME_BYTES];
    FillField(time, text);
    char history[TRANSFER_PIECE] = {};
    MakeCodingHistory(history, sizeof history, channels, bitsPerSample, samplesPerSec);
    static const char zero[BEXT_RESERVED_BYTES] = {};
    // Time reference, version and reserved bytes are zero.
    if (!Put(description, sizeof description) || !Put(originator, sizeof originator) ||
        !Put(originatorReference, sizeof originatorReference) || !Put(date, sizeof date) ||
        !Put(time, sizeof time) || !Put(zero, BEXT_TIME_REFERENCE_BYTES) ||
        !Put(zero, BEXT_VERSION_BYTES) || !Put(zero, BEXT_RESERVED_BYTES) ||
        !Put(history, BEXT_CODING_HISTORY_BYTES)) {
        return false;
    }
    return EndChunk(bodyStart);
}
