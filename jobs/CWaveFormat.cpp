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
    if (std::memcmp(header, "RF64", 4) == 0 || std::memcmp(header, "BW64", 4) == 0) {
        reason = name + " is an RF64 file; files of 4 GiB and more are not supported.";
        return false;
    }
    if (std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVE", 4) != 0) {
        reason = name + " is not a RIFF/WAVE file.";
        return false;
    }
    uint32_t fmtSize = file.GetChunkSize(CHUNK_FMT);
    unsigned char body[40] = {};
    if (fmtSize < 16 || file.ReadFile(body, fmtSize >= 40 ? 40 : 16) == 0) {
        reason = name + " has no readable format (fmt) chunk.";
        return false;
    }
    m_formatTag = uint16_t(CBwfFile::BinToDec(body, 2));
    m_channels = uint16_t(CBwfFile::BinToDec(body + 2, 2));
    m_samplesPerSec = CBwfFile::BinToDec(body + 4, 4);
    m_blockAlign = uint16_t(CBwfFile::BinToDec(body + 12, 2));
    m_bitsPerSample = uint16_t(CBwfFile::BinToDec(body + 14, 2));
    m_bytesPerSample = uint16_t((m_bitsPerSample + 7) / 8);
    m_isExtensible = m_formatTag == FORMAT_EXTENSIBLE && fmtSize >= 40;
    m_channelMask = m_isExtensible ? CBwfFile::BinToDec(body + 20, 4) : 0;
    m_sampleFormat = m_isExtensible ? uint16_t(CBwfFile::BinToDec(body + 24, 2)) : m_formatTag;

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
