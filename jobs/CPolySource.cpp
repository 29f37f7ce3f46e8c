#include "CPolySource.h"

#include "CJobHost.h"

#include <vector>

bool CPolySource::Open(const std::string& path, std::string& reason) {
    m_strPath = path;
    if (!m_file.OpenFile(path.c_str(), true)) {
        reason = "Cannot open \"" + path + "\" for reading.";
        return false;
    }
    if (!m_format.Read(m_file, path, TRANSFER_PIECE, reason)) {
        return false;
    }
    m_fileSize = m_file.GetFileSize();
    if (!m_file.MoveChunk(CHUNK_DATA, 8)) {
        reason = Quoted(path) + " has no data chunk.";
        return false;
    }
    m_dataSize = m_file.GetChunkSize(CHUNK_DATA);
    m_dataPointer = m_file.GetFilePointer();
    if (m_dataPointer == NO_POINTER || m_dataPointer > m_fileSize) {
        reason = "Cannot read \"" + path + "\".";
        return false;
    }
    uint64_t available = m_fileSize - m_dataPointer;
    m_dataAvailable = available < m_dataSize ? uint32_t(available) : m_dataSize;

    m_trailPointer = m_dataPointer + m_dataAvailable;
    if (m_dataAvailable == m_dataSize && m_dataSize % 2 == 1 && m_trailPointer < m_fileSize) {
        // Let the chunk walk decide whether a pad byte follows the payload.
        std::vector<CBwfFile::_CHUNKENTRY> list;
        m_file.EnumChunkList(list);
        bool isFound = false;
        for (const CBwfFile::_CHUNKENTRY& entry : list) {
            if (entry.pointer >= m_trailPointer) {
                m_trailPointer = entry.pointer;
                isFound = true;
                break;
            }
        }
        if (!isFound && m_fileSize - m_trailPointer == 1) {
            m_trailPointer = m_fileSize; // a lone pad byte at the end
        }
    }
    return true;
}
