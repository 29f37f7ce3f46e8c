#include "CWaveFormat.h"

#include "CBwfFile.h"
#include "CJobHost.h"

#include <cstring>

bool CWaveFormat::Read(CBwfFile& file, const std::string& path, uint32_t maxFrameBytes,
                       std::string& reason) {
    const std::string name = Quoted(path);
    unsigned char header[12];
    file.SeekFile(0, POINTERBASE_BEGIN);
    if (file.ReadFile(header, 12) != 12) {
        reason = name + " is too short to be a wave file.";
        return false;
    }
    const FORM form = file.GetForm();
    if (form == FORM_NONE || std::memcmp(header + 8, "WAVE", 4) != 0) {
        reason = name + " is not a RIFF/WAVE file.";
        return false;
    }
    std::string problem;
    if (file.GetDs64Problem(problem)) {
        reason = name + " cannot be read: " + problem + ".";
        return false;
    }
    // Past 4 GiB a RIFF file's 32-bit sizes hold only the low bits of the
    // real ones: what lies beyond cannot be told from garbage.
    if (form == FORM_RIFF && file.GetFileSize() > RIFF_FILE_MAX) {
        reason = name + " is a RIFF file larger than the 4 GiB its sizes can describe; a file " +
                 "past 4 GiB must be RF64 or BW64.";
        return false;
    }
    const uint64_t fmtSize = file.GetChunkSize64(CHUNK_FMT);
    const uint32_t bodyBytes = fmtSize >= FMT_BODY_EXTENSIBLE ? FMT_BODY_EXTENSIBLE : FMT_BODY_PCM;
    unsigned char body[FMT_BODY_EXTENSIBLE] = {};
    _FMT fmt;
    if (fmtSize < FMT_BODY_PCM || file.ReadFile(body, bodyBytes) == 0 ||
        !fmt.Read(body, bodyBytes)) {
        reason = name + " has no readable format (fmt) chunk.";
        return false;
    }
    m_formatTag = fmt.formatTag;
    m_channels = fmt.channels;
    m_samplesPerSec = fmt.samplesPerSec;
    m_blockAlign = fmt.blockAlign;
    m_bitsPerSample = fmt.bitsPerSample;
    m_bytesPerSample = uint16_t((m_bitsPerSample + 7) / 8);
    m_isExtensible = fmt.isExtensible;
    m_channelMask = fmt.channelMask;
    m_sampleFormat = m_isExtensible ? fmt.subFormat : m_formatTag;

    if (m_sampleFormat != FORMAT_PCM && m_sampleFormat != FORMAT_FLOAT) {
        reason = name + " holds compressed audio (format " + std::to_string(m_sampleFormat) +
                 "); only PCM and floating-point samples can be converted.";
        return false;
    }
    // Each of these would give mono files that no reader opens, or whose
    // samples are cut from the wrong places of the frame.
    if (m_channels == 0) {
        reason = name + " declares 0 channels; there are no samples to convert.";
        return false;
    }
    if (m_samplesPerSec == 0) {
        reason = name + " declares a sample rate of 0.";
        return false;
    }
    if (m_bitsPerSample == 0) {
        reason = name + " declares 0 bits per sample; there are no samples to convert.";
        return false;
    }
    const uint32_t frameBytes = uint32_t(m_channels) * m_bytesPerSample;
    if (m_blockAlign != frameBytes) {
        reason = name + " declares a block align of " + std::to_string(m_blockAlign) + "; " +
                 std::to_string(m_channels) + (m_channels == 1 ? " channel" : " channels") +
                 " of " + std::to_string(m_bitsPerSample) + " bits need " +
                 std::to_string(frameBytes) + ".";
        return false;
    }
    if (uint32_t(m_channels) * m_bytesPerSample > maxFrameBytes) {
        reason = name + " has frames of " +
                 std::to_string(uint32_t(m_channels) * m_bytesPerSample) + " bytes; at most " +
                 std::to_string(maxFrameBytes) + " can be converted.";
        return false;
    }
    return true;
}
