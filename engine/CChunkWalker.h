#pragma once

#include "CBwfLayout.h"
#include "CBwfStream.h"

#include <atomic>
#include <cstdint>
#include <string>

// The form of a file and, for RF64/BW64, its "ds64" chunk: the 64-bit sizes
// that 32-bit size fields of SIZE_IN_DS64 stand for. Fixed in size whatever
// the file's table says: at most DS64_TABLE_KEPT entries are kept.
struct _DS64 {
    enum PROBLEM {
        PROBLEM_NONE,
        PROBLEM_MISSING,    // no "ds64" chunk right after the header
        PROBLEM_SHORT,      // value: its size field, below DS64_BODY_MIN
        PROBLEM_CUT,        // the chunk runs past the end of the file
        PROBLEM_TABLE,      // value: a table length running past the chunk
        PROBLEM_TABLE_LONG, // value: a table length above DS64_TABLE_KEPT
        PROBLEM_RIFF_SIZE,  // value: a RIFF size past the end of the file
        PROBLEM_DATA_SIZE,  // value: a data size the file cannot hold
        PROBLEM_ENTRY_SIZE, // value: a table entry's size; problemId its chunk
    };
    struct _ENTRY {
        char id[4];
        uint64_t size;
    };

    bool isRead = false;
    FORM form = FORM_NONE;
    // The body's first DS64_BODY_MIN bytes were read: the fields below hold.
    bool isPresent = false;
    uint32_t chunkSize = 0;
    uint64_t riffSize = 0;
    uint64_t dataSize = 0;
    uint64_t sampleCount = 0;
    uint32_t tableLength = 0;
    uint32_t entryCount = 0; // entries kept
    _ENTRY entry[DS64_TABLE_KEPT] = {};
    PROBLEM problem = PROBLEM_NONE;
    uint64_t problemValue = 0;
    char problemId[4] = {};

    bool IsRf64() const { return form == FORM_RF64 || form == FORM_BW64; }
    // Reads the form and the "ds64" chunk of an open stream; never reads
    // outside the file, so a short file leaves no failure behind. The
    // position is left anywhere.
    void Read(CBwfStream& file);
    // The real size of a chunk with identifier id and size field size (the
    // RIFF header's when isRiff). False, realSize = size, for a field of
    // SIZE_IN_DS64 in an RF64/BW64 file that the "ds64" chunk does not
    // resolve.
    bool RealSize(const char* id, uint32_t size, bool isRiff, uint64_t& realSize) const;
    // The problem as a short text; "" when none.
    std::string ProblemText() const;
};

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
//
// An RF64/BW64 file: its header at position 0 is the RIFF item, whose real
// size is the "ds64" RIFF size; a chunk whose size field is SIZE_IN_DS64
// steps by its size from "ds64" ("data": the data size; others: the table
// entry for its identifier). Without one, it ends the walk as a size running
// past the end of the file does.
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
        uint64_t realSize; // size, or the size from "ds64" in an RF64/BW64 file
        // The field says SIZE_IN_DS64 and "ds64" gives no size for it: the
        // walk ends after the item.
        bool isSizeUnresolved;
        TOKEN token;
        // False for a header cut off by the end of the file: the identifier
        // can still be matched, the size is not known. The walk ends after it.
        bool isComplete;
        // The body is odd and the pad byte after it was judged missing: the
        // next item starts right after the body.
        bool isPadMissing;
    };

    // Clears the stream's error flags first. pDs64: the file's form and
    // "ds64" as read already (it must outlive the walker); nullptr: the
    // walker reads them itself.
    explicit CChunkWalker(CBwfStream& file, const std::atomic<bool>* pIsCancel = nullptr,
                          const _DS64* pDs64 = nullptr);
    // The top-level walk from position.
    CChunkWalker(CBwfStream& file, uint64_t position, const std::atomic<bool>* pIsCancel,
                 const _DS64* pDs64 = nullptr);

    // True when the cancel flag ended the walk.
    bool IsCancelled() const { return m_isCancelled; }

    // The next item, or false at the end of the walk, where the stream's
    // error flags are cleared and the position is at the end of the file.
    bool Next(ITEM& item);

private:
    bool End();
    bool ReadAt(uint64_t position, unsigned char* bytes, uint32_t count);
    bool IsPlausible(uint64_t position);
    uint64_t After(uint64_t position, uint64_t size, bool& isPadMissing);

    CBwfStream& m_file;
    uint64_t m_fileSize = 0;
    uint64_t m_position = 0;
    bool m_isEnded = false;
    bool m_isTypePending = false;
    bool m_isTopLevel = false;
    bool m_isCancelled = false;
    const std::atomic<bool>* m_pIsCancel = nullptr;
    uint32_t m_steps = 0;
    const _DS64* m_pDs64 = nullptr;
    _DS64 m_ds64; // read here when the caller has none
};
