#include "CChunkWalker.h"

#include <algorithm>
#include <cstring>

namespace {

uint32_t LittleEndian32(const unsigned char* bytes) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
           uint32_t(bytes[3]) << 24;
}

uint64_t LittleEndian64(const unsigned char* bytes) {
    return uint64_t(LittleEndian32(bytes)) | uint64_t(LittleEndian32(bytes + 4)) << 32;
}

// Reads count bytes at position when the file holds them all.
bool ReadWithin(CBwfStream& file, uint64_t fileSize, uint64_t position, unsigned char* bytes,
                uint32_t count) {
    if (position > fileSize || count > fileSize - position ||
        !file.seekg(int64_t(position), CBwfStream::SEEK_FROM_BEGIN)) {
        return false;
    }
    return file.read(bytes, count) == count;
}

} // namespace

// ---- _DS64 -------------------------------------------------------------------

void _DS64::Read(CBwfStream& file) {
    *this = _DS64();
    isRead = true;
    if (!file.is_open() || !file.seekg(0, CBwfStream::SEEK_FROM_END)) {
        return;
    }
    const int64_t end = file.tellg();
    unsigned char bytes[DS64_TABLE_KEPT * DS64_ENTRY_BYTES];
    if (end < 4 || !ReadWithin(file, uint64_t(end), 0, bytes, 4)) {
        return;
    }
    const uint64_t fileSize = uint64_t(end);
    form = std::memcmp(bytes, "RIFF", 4) == 0   ? FORM_RIFF
           : std::memcmp(bytes, "RF64", 4) == 0 ? FORM_RF64
           : std::memcmp(bytes, "BW64", 4) == 0 ? FORM_BW64
                                                : FORM_NONE;
    if (!IsRf64()) {
        return;
    }
    if (!ReadWithin(file, fileSize, DS64_POINTER, bytes, 8) || std::memcmp(bytes, "ds64", 4) != 0) {
        problem = PROBLEM_MISSING;
        return;
    }
    chunkSize = LittleEndian32(bytes + 4);
    if (chunkSize < DS64_BODY_MIN) {
        problem = PROBLEM_SHORT;
        problemValue = chunkSize;
        return;
    }
    if (!ReadWithin(file, fileSize, DS64_RIFF_SIZE_AT, bytes, DS64_BODY_MIN)) {
        problem = PROBLEM_CUT;
        return;
    }
    isPresent = true;
    riffSize = LittleEndian64(bytes);
    dataSize = LittleEndian64(bytes + 8);
    sampleCount = LittleEndian64(bytes + 16);
    tableLength = LittleEndian32(bytes + 24);
    // Only what lies inside both the chunk and the file is read.
    const uint64_t chunkEnd = DS64_RIFF_SIZE_AT + chunkSize;
    const uint64_t tableEnd = std::min(chunkEnd, fileSize);
    const uint64_t fitting = (tableEnd - DS64_TABLE_AT) / DS64_ENTRY_BYTES;
    entryCount = uint32_t(std::min<uint64_t>({tableLength, fitting, DS64_TABLE_KEPT}));
    if (entryCount > 0 &&
        ReadWithin(file, fileSize, DS64_TABLE_AT, bytes, entryCount * DS64_ENTRY_BYTES)) {
        for (uint32_t i = 0; i < entryCount; ++i) {
            std::memcpy(entry[i].id, bytes + i * DS64_ENTRY_BYTES, 4);
            entry[i].size = LittleEndian64(bytes + i * DS64_ENTRY_BYTES + 4);
        }
    } else {
        entryCount = 0;
    }
    // The most any chunk body after "ds64" could hold in this file.
    const uint64_t before = chunkEnd + chunkSize % 2 + 8;
    const uint64_t room = fileSize > before ? fileSize - before : 0;
    if (chunkEnd > fileSize) {
        problem = PROBLEM_CUT;
    } else if (tableLength > fitting) {
        problem = PROBLEM_TABLE;
        problemValue = tableLength;
    } else if (tableLength > DS64_TABLE_KEPT) {
        problem = PROBLEM_TABLE_LONG;
        problemValue = tableLength;
    } else if (riffSize > fileSize - 8) {
        problem = PROBLEM_RIFF_SIZE;
        problemValue = riffSize;
    } else if (dataSize > room) {
        problem = PROBLEM_DATA_SIZE;
        problemValue = dataSize;
    } else {
        for (uint32_t i = 0; i < entryCount; ++i) {
            if (entry[i].size > room) {
                problem = PROBLEM_ENTRY_SIZE;
                problemValue = entry[i].size;
                std::memcpy(problemId, entry[i].id, 4);
                break;
            }
        }
    }
}

bool _DS64::RealSize(const char* id, uint32_t size, bool isRiff, uint64_t& realSize) const {
    realSize = size;
    if (isRiff) {
        if (IsRf64() && isPresent) {
            realSize = riffSize;
        }
        return true;
    }
    if (!IsRf64() || size != SIZE_IN_DS64) {
        return true;
    }
    if (!isPresent) {
        return false;
    }
    if (std::memcmp(id, "data", 4) == 0) {
        realSize = dataSize;
        return true;
    }
    for (uint32_t i = 0; i < entryCount; ++i) {
        if (std::memcmp(entry[i].id, id, 4) == 0) {
            realSize = entry[i].size;
            return true;
        }
    }
    return false;
}

std::string _DS64::ProblemText() const {
    const std::string value = std::to_string(problemValue);
    switch (problem) {
    case PROBLEM_NONE:
        return "";
    case PROBLEM_MISSING:
        return "the ds64 chunk is missing";
    case PROBLEM_SHORT:
        return "the ds64 chunk is " + value + " bytes, shorter than " +
               std::to_string(DS64_BODY_MIN);
    case PROBLEM_CUT:
        return "the ds64 chunk runs past the end of the file";
    case PROBLEM_TABLE:
        return "the ds64 table of " + value + " entries runs past its chunk";
    case PROBLEM_TABLE_LONG:
        return "the ds64 table has " + value + " entries, more than " +
               std::to_string(DS64_TABLE_KEPT);
    case PROBLEM_RIFF_SIZE:
        return "ds64 gives a RIFF size of " + value + ", past the end of the file";
    case PROBLEM_DATA_SIZE:
        return "ds64 gives a data size of " + value + ", past the end of the file";
    case PROBLEM_ENTRY_SIZE: {
        std::string id(problemId, 4);
        for (char& letter : id) {
            if (letter < 0x20 || letter > 0x7E) {
                letter = '?';
            }
        }
        return "ds64 gives \"" + id + "\" a size of " + value + ", past the end of the file";
    }
    }
    return "";
}

// ---- CChunkWalker ------------------------------------------------------------

CChunkWalker::CChunkWalker(CBwfStream& file, uint64_t position, const std::atomic<bool>* pIsCancel,
                           const _DS64* pDs64)
    : CChunkWalker(file, pIsCancel, pDs64) {
    m_position = position;
    m_isTopLevel = true;
}

CChunkWalker::CChunkWalker(CBwfStream& file, const std::atomic<bool>* pIsCancel, const _DS64* pDs64)
    : m_file(file), m_pIsCancel(pIsCancel), m_pDs64(pDs64) {
    // A lookup starts afresh: an earlier failed read must not hide chunks.
    // Failed writes are remembered by the stream apart from these flags.
    m_file.clear();
    if (m_pDs64 == nullptr) {
        m_ds64.Read(m_file);
        m_file.clear();
        m_pDs64 = &m_ds64;
    }
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
    uint64_t size = 0;
    m_pDs64->RealSize(reinterpret_cast<const char*>(header), LittleEndian32(header + 4), false,
                      size);
    return size <= m_fileSize - position - 8;
}

uint64_t CChunkWalker::After(uint64_t position, uint64_t size, bool& isPadMissing) {
    isPadMissing = false;
    if (size > m_fileSize) {
        return m_fileSize + 1; // past the end, and no overflow
    }
    uint64_t next = position + 8 + size;
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
    item.isSizeUnresolved = false;
    if (m_isTypePending) {
        m_isTypePending = false;
        std::memcpy(item.id, "adtl", 4);
        item.size = 0;
        item.realSize = 0;
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
    item.realSize = 0;
    item.isComplete = true;
    // The top-level walk takes every header as a chunk's.
    if (!m_isTopLevel && std::memcmp(header, "adtl", 4) == 0) {
        // A bare list type outside a LIST: passed over like the type field.
        item.token = TOKEN_LISTTYPE;
        m_position += 4;
        return true;
    }
    // An RF64/BW64 header is the file's own only; elsewhere it is a chunk.
    if (!m_isTopLevel &&
        (std::memcmp(header, "RIFF", 4) == 0 ||
         (m_position == 0 && m_pDs64->IsRf64() &&
          (std::memcmp(header, "RF64", 4) == 0 || std::memcmp(header, "BW64", 4) == 0)))) {
        item.token = TOKEN_RIFF;
        if (ReadAt(m_position + 4, header + 4, 4)) {
            item.size = LittleEndian32(header + 4);
            m_pDs64->RealSize(item.id, item.size, true, item.realSize);
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
    // A size "ds64" does not resolve is one that runs past the end.
    if (!m_pDs64->RealSize(item.id, item.size, false, item.realSize)) {
        item.isSizeUnresolved = true;
        m_isEnded = true;
    }
    if (std::memcmp(header, "LIST", 4) == 0) {
        item.token = TOKEN_LIST;
        if (!m_isTopLevel && ReadAt(m_position + 8, header + 8, 4) &&
            std::memcmp(header + 8, "adtl", 4) == 0) {
            m_isTypePending = true;
            m_position += 8;
        } else {
            m_file.clear();
            m_position = After(m_position, item.realSize, item.isPadMissing);
        }
        return true;
    }
    item.token = TOKEN_CHUNK;
    m_position = After(m_position, item.realSize, item.isPadMissing);
    return true;
}
