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
    return false;
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
}

int32_t CBwfFile::EnumUndefineChunk() {
    ClearUndefineChunkList();
    uint64_t dataPointer = 0;
    uint64_t cuePointer = 0;
    uint64_t listPointer = 0;
    CChunkWalker walker(m_file);
    CChunkWalker::ITEM item;
    while (walker.Next(item)) {
        if (item.token == CChunkWalker::TOKEN_LIST) {
            listPointer = item.pointer;
            continue;
        }
        if (item.token != CChunkWalker::TOKEN_CHUNK || !item.isComplete) {
            continue;
        }
        if (std::memcmp(item.id, "data", 4) == 0) {
            dataPointer = item.pointer;
        } else if (std::memcmp(item.id, "cue ", 4) == 0) {
            cuePointer = item.pointer;
        } else if (!IsKnownId(item.id) && item.id[0] != '\0' && item.size != 0) {
            _CHUNKLINK* pLink = new _CHUNKLINK;
            std::memcpy(pLink->chunk.id, item.id, 4);
            pLink->chunk.size = item.size;
            pLink->pointer = item.pointer;
            pLink->next = nullptr;
            if (m_undefineChunkTail == nullptr) {
                m_undefineChunkHead = pLink;
            } else {
                m_undefineChunkTail->next = pLink;
            }
            m_undefineChunkTail = pLink;
            ++m_undefineChunkCount;
        }
    }
    // Chunks behind the samples are dropped when the samples come after
    // both marker chunks.
    if (dataPointer > cuePointer && dataPointer > listPointer) {
        int32_t index = 0;
        _CHUNKLINK* pLink = m_undefineChunkHead;
        while (pLink != nullptr) {
            _CHUNKLINK* pNext = pLink->next;
            if (pLink->pointer > dataPointer) {
                RemoveUndefineChunkLinkList(index);
            } else {
                ++index;
            }
            pLink = pNext;
        }
    }
    m_file.clear();
    return m_undefineChunkCount;
}

bool CBwfFile::GetUndefineChunk(int32_t index, _CHUNK* chunk, uint64_t* pointer) {
    if (m_undefineChunkCount == 0 || index < 0 || index >= m_undefineChunkCount ||
        chunk == nullptr) {
        return false;
    }
    _CHUNKLINK* pLink = m_undefineChunkHead;
    for (int32_t i = 0; i < index; ++i) {
        pLink = pLink->next;
    }
    *chunk = pLink->chunk;
    if (pointer != nullptr) {
        *pointer = pLink->pointer;
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
    if (--m_undefineChunkCount == 0) {
        m_undefineChunkHead = nullptr;
        m_undefineChunkTail = nullptr;
    }
}
