// The undefined-chunk list of CBwfFile: chunks whose identifiers the engine
// has no kind for, so that a conversion can carry them into the file it
// builds.

#include "CBwfFile.h"

#include "CBwfAssert.h"
#include "CChunkWalker.h"

#include <cstring>

namespace {

bool IsKnownId(const char* id) {
    for (const char* name : CBwfFile::chunkName) {
        if (std::memcmp(name, id, 4) == 0) {
            return true;
        }
    }
    // A source's "ds64" describes that file only; copied, it would lie.
    return std::memcmp(id, "ds64", 4) == 0;
}

} // namespace

void CBwfFile::ClearUndefineChunkList() {
    _CHUNKLINK* pLink = m_undefineChunkHead;
    while (pLink != nullptr) {
        _CHUNKLINK* pNext = pLink->next;
        delete pLink;
        pLink = pNext;
    }
    m_undefineChunkHead = nullptr;
    m_undefineChunkTail = nullptr;
    m_undefineChunkCount = 0;
    m_pUndefineCursor = nullptr;
}

int32_t CBwfFile::EnumUndefineChunk(const UNDEFINEVISIT& visit) {
    BWF_ASSERT(m_file.is_open());
    // First where the samples and the marker chunks are (the last of each
    // counts): chunks behind the samples are dropped when the samples come
    // after both marker chunks. Then the entries, in a second walk, so that
    // nothing proportional to the file is held.
    uint64_t dataPointer = 0;
    uint64_t cuePointer = 0;
    uint64_t listPointer = 0;
    CChunkWalker::ITEM item;
    const _DS64* pDs64 = Ds64();
    {
        CChunkWalker walker(m_file, m_pIsCancel, pDs64);
        while (walker.Next(item)) {
            if (item.token == CChunkWalker::TOKEN_LIST) {
                listPointer = item.pointer;
            } else if (item.token == CChunkWalker::TOKEN_CHUNK && item.isComplete) {
                if (std::memcmp(item.id, "data", 4) == 0) {
                    dataPointer = item.pointer;
                } else if (std::memcmp(item.id, "cue ", 4) == 0) {
                    cuePointer = item.pointer;
                }
            }
        }
    }
    const bool isTailDropped = dataPointer > cuePointer && dataPointer > listPointer;
    int32_t count = 0;
    CChunkWalker walker(m_file, m_pIsCancel, pDs64);
    while (walker.Next(item)) {
        if (item.token != CChunkWalker::TOKEN_CHUNK || !item.isComplete || IsKnownId(item.id) ||
            item.id[0] == '\0' || item.size == 0 || (isTailDropped && item.pointer > dataPointer)) {
            continue;
        }
        _CHUNK chunk;
        std::memcpy(chunk.id, item.id, 4);
        chunk.size = item.size;
        if (count == INT32_MAX) {
            break;
        }
        ++count;
        if (!visit(chunk, item.pointer)) {
            break;
        }
    }
    m_file.clear();
    return count;
}

int32_t CBwfFile::EnumUndefineChunk() {
    ClearUndefineChunkList();
    EnumUndefineChunk([this](const _CHUNK& chunk, uint64_t pointer) {
        _CHUNKLINK* pLink = new _CHUNKLINK{chunk, pointer, nullptr};
        if (m_undefineChunkTail == nullptr) {
            m_undefineChunkHead = pLink;
        } else {
            m_undefineChunkTail->next = pLink;
        }
        m_undefineChunkTail = pLink;
        ++m_undefineChunkCount;
        return true;
    });
    return m_undefineChunkCount;
}

bool CBwfFile::GetUndefineChunk(int32_t index, _CHUNK* chunk, uint64_t* pointer) {
    if (m_undefineChunkCount == 0 || index < 0 || index >= m_undefineChunkCount ||
        chunk == nullptr) {
        return false;
    }
    // Callers ask for the entries in order: going on from the last one
    // keeps a pass over the list linear.
    if (m_pUndefineCursor == nullptr || index < m_undefineCursorIndex) {
        m_pUndefineCursor = m_undefineChunkHead;
        m_undefineCursorIndex = 0;
    }
    while (m_undefineCursorIndex < index) {
        m_pUndefineCursor = m_pUndefineCursor->next;
        ++m_undefineCursorIndex;
    }
    *chunk = m_pUndefineCursor->chunk;
    if (pointer != nullptr) {
        *pointer = m_pUndefineCursor->pointer;
    }
    return true;
}

void CBwfFile::RemoveUndefineChunkLinkList(int32_t index) {
    BWF_ASSERT(index < m_undefineChunkCount);
    BWF_ASSERT(index >= 0);
    _CHUNKLINK* pPrevious = nullptr;
    _CHUNKLINK* pLink = m_undefineChunkHead;
    for (int32_t i = 0; i < index; ++i) {
        pPrevious = pLink;
        pLink = pLink->next;
    }
    if (pPrevious == nullptr) {
        m_undefineChunkHead = pLink->next;
    } else {
        pPrevious->next = pLink->next;
    }
    if (pLink == m_undefineChunkTail) {
        m_undefineChunkTail = pPrevious;
    }
    delete pLink;
    m_pUndefineCursor = nullptr;
    if (--m_undefineChunkCount == 0) {
        m_undefineChunkHead = nullptr;
        m_undefineChunkTail = nullptr;
    }
}
