#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

class CBwfWriteBehind;

// The byte stream under a CBwfFile: one file, one position shared by reading
// and writing, and the sticky failure and end-of-file flags of a C++ stream
// (a failed read, write or move makes every later move, read and write do
// nothing until clear()). It sits on a C stdio stream with a large buffer so
// that the engine's 2048-byte pieces do not each become a system call, which
// a std::fstream of the usual libraries cannot promise for writes. Writes
// go out behind the caller (CBwfWriteBehind); any other operation first
// waits until they are in the file.
class CBwfStream {
public:
    enum OPENMODE { OPEN_READ, OPEN_UPDATE, OPEN_CREATE };
    enum SEEKDIR { SEEK_FROM_BEGIN, SEEK_FROM_CURRENT, SEEK_FROM_END };

    // Bytes of stdio buffer per open stream.
    static constexpr std::size_t BUFFER_SIZE = 256 * 1024;

    CBwfStream();
    ~CBwfStream();
    CBwfStream(const CBwfStream&) = delete;
    CBwfStream& operator=(const CBwfStream&) = delete;

    // OPEN_READ: existing file, read only. OPEN_UPDATE: existing file, read
    // and write, neither created nor truncated, position at its end.
    // OPEN_CREATE: created or truncated to length 0, read and write.
    // Returns false and stays closed when the file cannot be opened.
    bool open(const char* path, OPENMODE mode);
    // Flushes and closes; false when a write or the final flush failed at any
    // time since open (a failed write is never forgotten by clear()).
    bool close();
    bool is_open() const { return m_pFile != nullptr; }

    // Reads up to n bytes; a short read sets the end-of-file and failure
    // flags. Returns the bytes stored (also given by gcount()).
    std::size_t read(void* buffer, std::size_t n);
    // Writes n bytes; a short write sets the failure flag.
    bool write(const void* buffer, std::size_t n);
    // Clears the end-of-file flag, then moves unless the stream has failed.
    // A move before the start of the file sets the failure flag. Moving past
    // the end is allowed; the next read there fails.
    bool seekg(int64_t offset, SEEKDIR dir);
    // Current position, or -1 when the stream has failed.
    int64_t tellg();
    void flush();

    bool fail() const { return m_isFail; }
    bool eof() const { return m_isEof; }
    bool good() const { return !m_isFail && !m_isEof; }
    void clear() { m_isFail = m_isEof = false; }
    std::size_t gcount() const { return m_gcount; }
    bool hadWriteError() const { return m_isWriteError; }

private:
    enum LASTOP { LASTOP_NONE, LASTOP_READ, LASTOP_WRITE };

    // stdio needs a move or flush between a read and a write on one stream.
    void SwitchTo(LASTOP op);
    // Puts the bytes written behind the caller into the file.
    void Settle();

    std::FILE* m_pFile = nullptr;
    std::unique_ptr<char[]> m_pBuffer;
    std::unique_ptr<CBwfWriteBehind> m_pWriteBehind;
    bool m_isFail = false;
    bool m_isEof = false;
    bool m_isWriteError = false;
    bool m_isWritable = false;
    LASTOP m_lastOp = LASTOP_NONE;
    std::size_t m_gcount = 0;
};
