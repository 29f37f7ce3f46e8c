#pragma once

// CBwfFile: the only way into a RIFF/WAVE/BWF file.
//
// One object holds at most one open file. Chunks are addressed by kind (the
// CHUNK_* codes) and by a byte offset counted from the chunk's identifier:
// offset 4 is the size field, offset 8 the first body byte. Chunks are found
// by walking the chunk headers from the start of the file the first time a
// kind is asked for; the position found is remembered per kind until the
// chunk pointers are reset.
//
// Failure is reported through results only (false, or 0 for sizes and
// counts); nothing is thrown. The stream's error flags are sticky: after a
// failed read, write or move, later moves, reads and writes do nothing and
// positions read as all bits set, until an operation that clears the flags
// (CreateBlankFile, a failed ReadFile, a chunk walk that finds nothing,
// EnumUndefineChunk, EnumChunkList). A write that failed is remembered until
// the file is closed: CloseFile then reports false.
//
// Calling an operation that needs an open file on a closed object is a
// programming error: the process writes "file:line: failed assertion `expr'"
// to standard error and aborts.
//
// RF64 and BW64 files are read as RIFF files whose 32-bit size fields of
// SIZE_IN_DS64 take their real size from the "ds64" chunk (see
// CChunkWalker.h); the size fields themselves are reported as they stand,
// the real sizes beside them; CHUNK_RIFF and "RIFF" find an RF64/BW64
// header too. The form and "ds64" are read once per opening,
// at the first walk or form query, and again after ResetChunkPointer,
// EnumExistChunk, CreateChunk(CHUNK_RIFF) and SetDataSize64.

#include "CBwfLayout.h"
#include "CBwfStream.h"
#include "CChunkWalker.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Chunk kinds: one bit per chunk the engine can find and write.
constexpr uint32_t CHUNK_RIFF = 0x0001;
constexpr uint32_t CHUNK_FMT = 0x0002;
constexpr uint32_t CHUNK_PAD = 0x0004;
constexpr uint32_t CHUNK_ELMO = 0x0008;
constexpr uint32_t CHUNK_DATA = 0x0010;
constexpr uint32_t CHUNK_BEXT = 0x0020;
constexpr uint32_t CHUNK_CUE = 0x0040;
constexpr uint32_t CHUNK_PLST = 0x0080;
// Callers test this bit; no engine operation accepts it as a kind.
constexpr uint32_t CHUNK_LIST = 0x0100;
constexpr uint32_t CHUNK_ADTL = 0x0200;
constexpr uint32_t CHUNK_LABL = 0x0400;
constexpr uint32_t CHUNK_IXML = 0x0800;

// Origin of SeekFile. Fixed underlying type so that any value can be passed
// and refused.
enum POINTERBASE : int32_t {
    POINTERBASE_BEGIN = 0,
    POINTERBASE_CURRENT = 1,
    POINTERBASE_END = 2,
};

// An empty chunk-pointer slot; also the position reported by a failed stream.
constexpr uint64_t NO_POINTER = ~uint64_t(0);

// Piece of the engine's own copies; written data chunks are filled up to a
// multiple of it.
constexpr uint32_t TRANSFER_PIECE = 2048;
// Largest room BeginWriteFile hands out.
constexpr uint32_t WRITE_SPACE_MAX = 128 * 1024;

class CBwfFile {
public:
    // A chunk header as handed to callers. The identifier comes first, so the
    // address of a _CHUNK serves where a 4-character identifier is expected.
    struct _CHUNK {
        char id[4];
        uint32_t size;
    };

    // One entry of the undefined-chunk list.
    struct _CHUNKLINK {
        _CHUNK chunk;
        uint64_t pointer; // position of the chunk's identifier
        _CHUNKLINK* next;
    };

    // One chunk as found by EnumChunkList.
    struct _CHUNKENTRY {
        _CHUNK chunk;
        uint64_t pointer;  // position of the chunk's identifier
        uint64_t realSize; // chunk.size, or its size from "ds64"
        // The field says 0xFFFFFFFF in an RF64/BW64 file and "ds64" gives no
        // size for it; the listing ends with it.
        bool isSizeUnresolved;
    };

    // One chunk as found by WalkChunks.
    struct _CHUNKITEM {
        _CHUNK chunk;
        uint64_t pointer;
        // chunk.size, or its size from "ds64". A field of SIZE_IN_DS64 that
        // "ds64" does not resolve is kept (isSizeUnresolved), and the walk
        // ends after the item.
        uint64_t realSize;
        bool isSizeUnresolved;
        // False for a header cut off by the end of the file (the size is 0).
        bool isComplete;
        // The body is odd and the RIFF pad byte after it is missing: the
        // next chunk starts right after the body.
        bool isPadMissing;
    };
    using CHUNKVISIT = std::function<bool(const _CHUNKITEM& item)>;
    using UNDEFINEVISIT = std::function<bool(const _CHUNK& chunk, uint64_t pointer)>;

    // Why the last failure happened (see GetLastError).
    struct _ERROR {
        int code;         // errno of the failed system call; 0 when none failed
        bool isShortRead; // a read found the end of the file first
    };

    // The 13 identifiers the engine knows, each followed by a zero byte. A
    // chunk with any other identifier is an undefined chunk.
    static const char chunkName[13][5];

    CBwfFile();
    virtual ~CBwfFile();
    CBwfFile(const CBwfFile&) = delete;
    CBwfFile& operator=(const CBwfFile&) = delete;

    // ---- File access -----------------------------------------------------

    // Opens an existing file whose name ends in ".wav" or ".WAV". Read-only
    // opens never write to the file; a writable open neither creates nor
    // truncates and leaves the position at the end. Reads nothing: the file
    // may hold anything. False, and the object unchanged, when a file is
    // already open, the name is refused or the file cannot be opened.
    bool OpenFile(const char* path, bool isReadOnly);
    // Creates (or truncates to length 0) a ".wav"/".WAV" file and opens it for
    // reading and writing at position 0.
    bool CreateBlankFile(const char* path);
    // Creates an empty file for reading and writing beside path (a name that
    // passes the test of CreateBlankFile), under a temporary name in the same
    // folder that starts with "." and does not end in ".wav" or ".WAV". The
    // name is created exclusively: never over an existing file, never
    // through a link. path itself is not touched until CommitFile;
    // GetFilePath reports path, GetTempPath the temporary name.
    bool CreateTempFile(const char* path);
    // For a file of CreateTempFile: closes it (RIFF size first) and renames
    // it onto its path, replacing any file there in one step. False when
    // anything failed; the temporary file is then removed and the file at
    // path is as it was.
    bool CommitFile();
    // For a file of CreateTempFile: closes and removes it. The destructor
    // does this for a file neither committed nor discarded.
    void DiscardFile();
    const std::string& GetTempPath() const { return m_strTempPath; }
    // The already-open and file-name tests of CreateBlankFile; opens nothing.
    bool CreateFile(const char* path, uint16_t channels, uint16_t bitsPerSample,
                    uint16_t samplesPerSec);
    // Closes the file. A writable file first gets its RIFF size (file length
    // minus 8, low 32 bits) at offset 4, unless its stream has failed; one
    // whose first bytes say "RF64" or "BW64" gets SIZE_IN_DS64 there and the
    // 64-bit length minus 8 as the "ds64" RIFF size instead. False
    // when no file was open, the stream has failed, or any write since
    // opening (or the final flush) failed.
    bool CloseFile();
    bool IsOpen() const;
    // The whole path given to the last successful OpenFile or CreateBlankFile.
    const std::string& GetFilePath() const { return m_filePath; }
    // Copies the path with its terminator, cut to fit size bytes.
    void GetFilePath(char* path, std::size_t size) const;

    // ---- Error state -----------------------------------------------------

    // Why the stream last failed, from the first failure after its flags
    // were clear, kept across lookups that clear the flags and across
    // CloseFile, until the next failure, ClearError or an opening. A
    // failed OpenFile or CreateTempFile sets it too.
    _ERROR GetLastError() const;
    // The same as a text: the system's ("No space left on device") or "the
    // file ends before the bytes asked for"; "" when nothing failed.
    std::string GetErrorText() const;
    // Clears the stream's flags and the reason above. A failed write is
    // still reported by CloseFile.
    void ClearError();
    // Walks of the file end early, as if nothing more were there, once
    // *pIsCancel is set (nullptr: never). The flag must outlive the object.
    void SetCancelFlag(const std::atomic<bool>* pIsCancel) { m_pIsCancel = pIsCancel; }

    // ---- RF64 / BW64 ------------------------------------------------------

    // What the first 4 bytes say. Like a walk, the first query after an
    // opening clears the stream's flags; the position is kept.
    FORM GetForm();
    // For an RF64/BW64 file whose "ds64" is missing, shorter than 28 bytes,
    // cut off, with a table running past it or longer than DS64_TABLE_KEPT,
    // or with a size larger than the file could hold: true and a short text
    // ("the ds64 chunk is missing", "ds64 gives a data size of N, past the
    // end of the file"). Otherwise false and problem emptied. Lookups still
    // walk such a file, within its bytes.
    bool GetDs64Problem(std::string& problem);
    // The "ds64" sample count; 0 for other forms or without a "ds64".
    uint64_t GetSampleCount64();
    // Files larger than this many bytes are written as RF64 by the jobs.
    void SetRf64Limit(uint64_t bytes) { m_rf64Limit = bytes; }
    uint64_t GetRf64Limit() const { return m_rf64Limit; }
    bool IsRf64Size(uint64_t fileSize) const { return fileSize > m_rf64Limit; }
    // At the current position (0): "RIFF", 0, "WAVE" when !isRf64, the same
    // 12 bytes as CreateChunk(CHUNK_RIFF, 0); otherwise "RF64", SIZE_IN_DS64,
    // "WAVE" and a "ds64" chunk of DS64_CHUNK_BYTES with zero sizes and an
    // empty table. The position is then after them.
    bool CreateRiffHeader(bool isRf64);
    // The size of the "data" chunk, with the position restored afterwards.
    // Any form but RF64/BW64: its 32-bit size field (false, nothing written,
    // when dataSize does not fit). RF64/BW64: SIZE_IN_DS64 in the field and
    // dataSize and sampleCount in "ds64" (false without a "ds64").
    bool SetDataSize64(uint64_t dataSize, uint64_t sampleCount);

    // ---- Chunk table -----------------------------------------------------

    void ResetChunkPointer();
    // Positions at the chunk's identifier plus offset. The first lookup of a
    // kind walks the file; later ones move straight to the remembered place.
    // False for a kind outside the table (CHUNK_LIST and combinations too),
    // for a chunk the file lacks, and when the move fails.
    bool MoveChunk(uint32_t kind, int32_t offset);
    // The same by a 4-byte identifier (not zero-terminated), always walking
    // and remembering nothing. "adtl" is found at the list-type field of the
    // first "adtl" LIST.
    bool MoveChunk(const char* id, int32_t offset);
    // The same on another stream.
    bool MoveChunk(CBwfStream& file, const char* id, int32_t offset);
    // The bit set of the kinds present; fills the slot of each, in one walk.
    // Afterwards the position is at the "iXML" identifier, or at the end of
    // the file.
    uint32_t EnumExistChunk();
    // Channels, bits per sample and sample rate from the "fmt " body. False,
    // outputs untouched, without a readable "fmt " chunk.
    bool GetFormat(uint16_t& channels, uint16_t& bitsPerSample, uint32_t& samplesPerSec);
    // The format tag (1 PCM, 3 IEEE float, 0xFFFE extensible, ...).
    bool GetFormatTag(uint16_t& formatTag);
    // Writes, at the current position, the size 16 and a 16-byte PCM body.
    bool SetFormat(uint16_t channels, uint16_t bitsPerSample, uint32_t samplesPerSec);
    // Every chunk in file order with its identifier, size field and position:
    // top-level chunks, LIST chunks and the sub-chunks of "adtl" lists; not
    // the RIFF header. Returns the count of all of them; list keeps the
    // first maxCount.
    uint32_t EnumChunkList(std::vector<_CHUNKENTRY>& list, uint32_t maxCount = UINT32_MAX);
    // Walks the top-level chunks from position (12: the first after the
    // RIFF header) with the lookups' pad rule, taking every header as a
    // chunk and entering no LIST, and hands each to visit until it returns
    // false. Memory stays the same however many chunks there are. False
    // when the cancel flag ended the walk.
    bool WalkChunks(uint64_t position, const CHUNKVISIT& visit);

    // ---- Byte order and stream -------------------------------------------

    // Rewrite a host number in file (little-endian) byte order in place.
    static void DecToBin(uint32_t& value);
    static void DecToBin(uint16_t& value);
    static void DecToBin(int32_t& value);
    // The unsigned value of count bytes stored least significant first
    // (count 1 to 4; 0 for a count below 1, the first 4 bytes above 4).
    static uint32_t BinToDec(const void* bytes, int32_t count);

    // Reads count bytes in one request: count, or 0 when fewer were left (the
    // error flags are then cleared and the position is at the end).
    uint32_t ReadFile(void* buffer, uint32_t count);
    // count, or 0 when the write failed.
    uint32_t WriteFile(const void* buffer, uint32_t count);
    // Room for the file's next count bytes (count up to WRITE_SPACE_MAX), for
    // a caller that would otherwise build them in a buffer of its own only
    // to have them copied by WriteFile. EndWriteFile(count) then writes them:
    // count, or 0 when the write failed. Nothing else may be done with the
    // file in between. nullptr when the file cannot be written.
    unsigned char* BeginWriteFile(uint32_t count);
    uint32_t EndWriteFile(uint32_t count);
    // Bytes gathered before a write goes to the file, behind the caller
    // (128 KiB unless set; kept between WRITE_SPACE_MAX and 16 MiB). A file
    // written alone at full speed gains from more; each open file holds
    // four times this. Takes effect from the next file opened or created.
    void SetWriteBuffer(uint32_t bytes);
    uint32_t WriteFile(uint16_t value); // 2, or 0
    uint32_t WriteFile(uint32_t value); // 4, or 0
    // Zero bytes written before the first failing piece.
    uint32_t WriteZeroFile(uint32_t count);
    // The new position; NO_POINTER when the stream has failed; 0 without
    // moving for a base outside POINTERBASE.
    uint64_t SeekFile(int32_t offset, POINTERBASE base);
    // Moves to any absolute 64-bit position; result as SeekFile.
    uint64_t SetFilePointer(uint64_t position);
    uint64_t GetFilePointer();
    uint64_t GetFilePointer(uint64_t& position);
    // The file length; leaves the position at the end of the file.
    uint64_t GetFileSize();
    void FlushFile();

    // ---- Chunk editing and copying ---------------------------------------

    // Writes a chunk header at the current position: 12 bytes for
    // CHUNK_RIFF ("RIFF", size, "WAVE"), 8 for other kinds. Remembers nothing.
    bool CreateChunk(uint32_t kind, uint32_t size);
    // Rewrites a chunk's size field; the position is then the chunk's body.
    bool SetChunkSize(uint32_t kind, uint32_t size);
    // Does nothing; always 0.
    uint32_t SetChunkSize(uint32_t size);
    // The chunk's size field (0 when absent); the position is then its body.
    uint32_t GetChunkSize(uint32_t kind);
    // The same as its real size: from "ds64" where an RF64/BW64 file's field
    // says SIZE_IN_DS64 (CHUNK_RIFF: the "ds64" RIFF size whatever the
    // field says); the field when "ds64" does not resolve it.
    uint64_t GetChunkSize64(uint32_t kind);
    // Sample bytes at an offset from the first byte of the "data" body.
    uint32_t ReadData(void* buffer, uint32_t count, uint32_t offset);
    uint32_t WriteData(const void* buffer, uint32_t count, uint32_t offset);
    uint32_t WriteZeroData(uint32_t count, uint32_t offset);
    // Copies from another file's "data" chunk to this one's, offsets counted
    // from each "data" identifier. Stops at a short read or a failed write.
    uint32_t CopyData(const char* sourcePath, uint32_t count, uint64_t sourceOffset,
                      uint64_t destOffset);
    // Copies between absolute positions. Stops at the end of the source or
    // at a failed write; returns the bytes copied.
    uint32_t CopyFile(const char* sourcePath, uint32_t count, uint64_t sourcePosition,
                      uint64_t destPosition);
    // The same from an open object, piece by piece through its ReadFile: a
    // last piece that would cross the end of the source is not copied.
    uint32_t CopyFile(CBwfFile& source, uint32_t count, uint64_t sourcePosition,
                      uint64_t destPosition);

    // ---- Undefined-chunk list --------------------------------------------

    // Lists, in file order, the chunks whose identifier is neither in
    // chunkName nor "ds64", whose first byte is not 0 and whose size is not
    // 0. When "data" comes after both "cue " and "LIST", those behind "data"
    // are dropped.
    int32_t EnumUndefineChunk();
    // The same entries handed to visit in file order, without building the
    // list (memory stays the same however many there are), until visit
    // returns false. Returns the number handed over.
    int32_t EnumUndefineChunk(const UNDEFINEVISIT& visit);
    // Identifier and size of entry index, and its position when pointer is
    // given, so that each entry can be reached where it is. Asking for the
    // entries in rising order costs one step each.
    bool GetUndefineChunk(int32_t index, _CHUNK* chunk, uint64_t* pointer = nullptr);
    void RemoveUndefineChunkLinkList(int32_t index);

    // ---- Default metadata chunks ------------------------------------------

    // An 858-byte "bext" with the caller's local date and time.
    bool CreateDefaultBextChunk(uint16_t channels, uint16_t bitsPerSample, uint32_t samplesPerSec,
                                int32_t year, int32_t month, int32_t day, int32_t hour,
                                int32_t minute, int32_t second);
    bool CreateDefaultCueChunk();  // 2388 bytes, 99 cue points
    bool CreateDefaultPlstChunk(); // 1200 bytes, no segments
    bool CreateDefaultListChunk(); // 6348 bytes, an "adtl" list of 99 labels
    bool CreateDefaultAdtlChunk(); // the list type and labels, no header
    bool CreateDefaultIXmlChunk(); // 1550 bytes
    // The body CreateDefaultIXmlChunk writes.
    static std::string MakeDefaultIXml();
    // The coding-history text for a channel count, sample width and rate,
    // zero-terminated in text (cut to size). Returns its length.
    static std::size_t MakeCodingHistory(char* text, std::size_t size, uint16_t channels,
                                         uint16_t bitsPerSample, uint32_t samplesPerSec);

private:
    static bool IsAcceptedName(const char* path);
    static bool WalkTo(CBwfStream& file, const char* id, int64_t offset, uint64_t* pointer,
                       const std::atomic<bool>* pIsCancel, const _DS64* pDs64);
    // The form and "ds64" of the open file, read at the first call after they
    // were dropped.
    const _DS64* Ds64();
    bool MoveChunkBy(uint32_t kind, int64_t offset);
    bool MoveTo(uint64_t position);
    void ClearUndefineChunkList();
    // Writes and reports whether the stream is still good.
    bool Put(const void* buffer, std::size_t count);
    bool Put32(uint32_t value);
    bool Put64(uint64_t value);
    // The writer pattern of the default chunks: header with a placeholder
    // size, body, then the final size patched in and the position restored.
    bool BeginChunk(const char* id, uint64_t& bodyStart);
    bool EndChunk(uint64_t bodyStart);

    CBwfStream m_file;
    std::string m_filePath;
    bool m_isReadOnly;
    uint64_t m_chunkPointer[11];
    int32_t m_undefineChunkCount;
    _CHUNKLINK* m_undefineChunkHead;
    _CHUNKLINK* m_undefineChunkTail;
    // The entry last handed out by GetUndefineChunk, and its index.
    _CHUNKLINK* m_pUndefineCursor = nullptr;
    int32_t m_undefineCursorIndex = 0;
    std::string m_strTempPath; // while a file of CreateTempFile is open
    const std::atomic<bool>* m_pIsCancel = nullptr;
    _DS64 m_ds64;
    uint64_t m_rf64Limit = RIFF_FILE_MAX;
};
