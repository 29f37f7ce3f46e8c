#include "CChunkWalker.h"

#include <cstring>

namespace {

uint32_t LittleEndian32(const unsigned char* bytes) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
           uint32_t(bytes[3]) << 24;
}

} // namespace

CChunkWalker::CChunkWalker(CBwfStream& file, uint64_t position, const std::atomic<bool>* pIsCancel)
    : CChunkWalker(file, pIsCancel) {
    m_position = position;
    m_isTopLevel = true;
}

CChunkWalker::CChunkWalker(CBwfStream& file, const std::atomic<bool>* pIsCancel)
    : m_file(file), m_pIsCancel(pIsCancel) {
    // A lookup starts afresh: an earlier failed read must not hide chunks.
    // Failed writes are remembered by the stream apart from these flags.
    m_file.clear();
    if (!m_file.is_open() || !m_file.seekg(0, CBwfStream::SEEK_FROM_END)) {
        m_isEnded = true;
        return;
    }
    int64_t size = m_file.tellg();
    if (size < 0) {
        m_isEnded = true;
        return;
    }
    m_fileSize = uint64_t(size);
}

bool CChunkWalker::End() {
    if (!m_isEnded) {
        m_isEnded = true;
    }
    m_file.clear();
    m_file.seekg(0, CBwfStream::SEEK_FROM_END);
    return false;
}

bool CChunkWalker::ReadAt(uint64_t position, unsigned char* bytes, uint32_t count) {
    if (position > m_fileSize || count > m_fileSize - position) {
        return false;
    }
    if (!m_file.seekg(int64_t(position), CBwfStream::SEEK_FROM_BEGIN)) {
        return false;
    }
    return m_file.read(bytes, count) == count;
}

bool CChunkWalker::IsPlausible(uint64_t position) {
    unsigned char header[8];
    if (!ReadAt(position, header, 8)) {
        m_file.clear();
        return false;
    }
    for (int i = 0; i < 4; ++i) {
        if (header[i] < 0x20 || header[i] > 0x7E) {
            return false;
        }
    }
    return LittleEndian32(header + 4) <= m_fileSize - position - 8;
}

uint64_t CChunkWalker::After(uint64_t position, uint32_t size, bool& isPadMissing) {
    uint64_t next = position + 8 + size;
    isPadMissing = false;
    if (size % 2 == 0) {
        return next;
    }
    // Writers that forget the RIFF pad byte exist; a zero pad byte can never
    // start a plausible header, so well-formed files always step over it.
    if (IsPlausible(next) && !IsPlausible(next + 1)) {
        isPadMissing = true;
        return next;
    }
    return next + 1;
}

bool CChunkWalker::Next(ITEM& item) {
    if (m_isEnded) {
        return End();
    }
    // A walk over millions of tiny chunks takes a while; a look at the flag
    // now and then keeps a cancel prompt at no measurable cost.
    if (m_pIsCancel != nullptr && ++m_steps % 4096 == 0 &&
        m_pIsCancel->load(std::memory_order_relaxed)) {
        m_isCancelled = true;
        return End();
    }
    item.isPadMissing = false;
    if (m_isTypePending) {
        m_isTypePending = false;
        std::memcpy(item.id, "adtl", 4);
        item.size = 0;
        item.pointer = m_position;
        item.token = TOKEN_LISTTYPE;
        item.isComplete = true;
        m_position += 4;
        return true;
    }
    unsigned char header[12];
    if (!ReadAt(m_position, header, 4)) {
        return End();
    }
    std::memcpy(item.id, header, 4);
    item.pointer = m_position;
    item.size = 0;
    item.isComplete = true;
    // The top-level walk takes every header as a chunk's.
    if (!m_isTopLevel && std::memcmp(header, "adtl", 4) == 0) {
        // A bare list type outside a LIST: passed over like the type field.
        item.token = TOKEN_LISTTYPE;
        m_position += 4;
        return true;
    }
    if (!m_isTopLevel && std::memcmp(header, "RIFF", 4) == 0) {
        item.token = TOKEN_RIFF;
        if (ReadAt(m_position + 4, header + 4, 4)) {
            item.size = LittleEndian32(header + 4);
        } else {
            m_file.clear();
        }
        m_position += 12;
        return true;
    }
    if (!ReadAt(m_position + 4, header + 4, 4)) {
        m_file.clear();
        item.token = TOKEN_CHUNK;
        item.isComplete = false;
        m_isEnded = true;
        return true;
    }
    item.size = LittleEndian32(header + 4);
    if (std::memcmp(header, "LIST", 4) == 0) {
        item.token = TOKEN_LIST;
        if (!m_isTopLevel && ReadAt(m_position + 8, header + 8, 4) &&
            std::memcmp(header + 8, "adtl", 4) == 0) {
            m_isTypePending = true;
            m_position += 8;
        } else {
            m_file.clear();
            m_position = After(m_position, item.size, item.isPadMissing);
        }
        return true;
    }
    item.token = TOKEN_CHUNK;
    m_position = After(m_position, item.size, item.isPadMissing);
    return true;
}
