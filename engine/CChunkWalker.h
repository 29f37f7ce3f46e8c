#pragma once

#include "CBwfStream.h"

#include <atomic>
#include <cstdint>

// Walks the chunk headers of a RIFF file from its start, one header at a
// time, never reading a body. The engine's lookups, its undefined-chunk list
// and its chunk listing all walk through here so that they agree on where
// each chunk is.
//
// Rules: "RIFF" is followed by its size and form type; a "LIST" of type
// "adtl" is entered (its type is reported as an "adtl" item, then its
// sub-chunks are walked like top-level chunks); a LIST of any other type is
// stepped over whole. After an odd-sized body a zero pad byte is stepped over
// unless the pad byte is plainly missing: the position right after the body
// is a plausible chunk start and the position one byte later is not. Every
// step moves forward and nothing is read outside the file, so a walk over
// any bytes ends; a cancel flag, when given, ends it early.
//
// The top-level walk starts at a given position and takes every header
// there as a chunk: no identifier is special and no LIST is entered.
class CChunkWalker {
public:
    enum TOKEN {
        TOKEN_RIFF,     // the RIFF header
        TOKEN_LIST,     // a LIST chunk header
        TOKEN_LISTTYPE, // the "adtl" type field of a LIST that is entered
        TOKEN_CHUNK,    // any other chunk header
    };

    struct ITEM {
        char id[4];
        uint32_t size; // the size field; 0 for TOKEN_LISTTYPE
        uint64_t pointer;
        TOKEN token;
        // False for a header cut off by the end of the file: the identifier
        // can still be matched, the size is not known. The walk ends after it.
        bool isComplete;
        // The body is odd and the pad byte after it was judged missing: the
        // next item starts right after the body.
        bool isPadMissing;
    };

    // Clears the stream's error flags first.
    explicit CChunkWalker(CBwfStream& file, const std::atomic<bool>* pIsCancel = nullptr);
    // The top-level walk from position.
    CChunkWalker(CBwfStream& file, uint64_t position, const std::atomic<bool>* pIsCancel);

    // True when the cancel flag ended the walk.
    bool IsCancelled() const { return m_isCancelled; }

    // The next item, or false at the end of the walk, where the stream's
    // error flags are cleared and the position is at the end of the file.
    bool Next(ITEM& item);

private:
    bool End();
    bool ReadAt(uint64_t position, unsigned char* bytes, uint32_t count);
    bool IsPlausible(uint64_t position);
    uint64_t After(uint64_t position, uint32_t size, bool& isPadMissing);

    CBwfStream& m_file;
    uint64_t m_fileSize = 0;
    uint64_t m_position = 0;
    bool m_isEnded = false;
    bool m_isTypePending = false;
    bool m_isTopLevel = false;
    bool m_isCancelled = false;
    const std::atomic<bool>* m_pIsCancel = nullptr;
    uint32_t m_steps = 0;
};
