#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

class CBwfWriteBehind;

// The byte stream under a CBwfFile: one file, one position shared by reading
// and writing, and the sticky failure and end-of-file flags of a C++ stream
// (a failed read, write or move makes every later move, read and write do
// nothing until clear()). It sits on an unbuffered C stdio stream and does
// its own buffering, so that the engine's small pieces do not each become a
// system call while large reads and writes move the bytes only once: a read
// of at least DIRECT_READ bytes goes straight into the caller's memory, and
// writes go out behind the caller (CBwfWriteBehind); any other operation
// first waits until they are in the file.
class CBwfStream {
public:
    // OPEN_EXCLUSIVE: OPEN_CREATE on a name that must not exist yet.
    enum OPENMODE { OPEN_READ, OPEN_UPDATE, OPEN_CREATE, OPEN_EXCLUSIVE };
    enum SEEKDIR { SEEK_FROM_BEGIN, SEEK_FROM_CURRENT, SEEK_FROM_END };

    // Bytes of read buffer per open stream, taken at the first small read.
    static constexpr std::size_t BUFFER_SIZE = 256 * 1024;
    // A read this large bypasses the read buffer when the buffer is spent.
    static constexpr std::size_t DIRECT_READ = 32 * 1024;
    // Bytes of each write buffer, unless set otherwise.
    static constexpr std::size_t WRITE_BUFFER_SIZE = 128 * 1024;

    CBwfStream();
    ~CBwfStream();
    CBwfStream(const CBwfStream&) = delete;
    CBwfStream& operator=(const CBwfStream&) = delete;

    // OPEN_READ: existing file, read only. OPEN_UPDATE: existing file, read
    // and write, neither created nor truncated, position at its end.
    // OPEN_CREATE: created or truncated to length 0, read and write.
    // Returns false and stays closed when the file cannot be opened
    // (lastErrno() then says why).
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
    // write() without the copy: room for the next n bytes (n up to the
    // write buffer's size), written by commit(n), which must
    // follow before any other operation. nullptr, with the failure flag set,
    // when the stream cannot be written.
    void* reserve(std::size_t n);
    bool commit(std::size_t n);
    // Clears the end-of-file flag, then moves unless the stream has failed.
    // A move before the start of the file sets the failure flag. Moving past
    // the end is allowed; the next read there fails.
    bool seekg(int64_t offset, SEEKDIR dir);
    // Current position, or -1 when the stream has failed.
    int64_t tellg();
    void flush();
    // Bytes gathered before they are handed to the writing thread; takes
    // effect from the first write after the next open().
    void setWriteBuffer(std::size_t size) { m_writeBufferSize = size; }

    bool fail() const { return m_isFail; }
    bool eof() const { return m_isEof; }
    bool good() const { return !m_isFail && !m_isEof; }
    // Clears the flags; why they were set is kept until the next failure or
    // clearError(), so that a lookup clearing them hides no reason.
    void clear() { m_isFail = m_isEof = false; }
    // The errno of the system call behind the last failure (0 when none
    // failed, as for a read that met the end of the file), and whether a
    // read found fewer bytes than asked for.
    int lastErrno() const { return m_errno; }
    bool isShortRead() const { return m_isShortRead; }
    // Records a failure outside the stream's own calls (a rename of its file).
    void setError(int code) {
        m_errno = code;
        m_isShortRead = false;
    }
    void clearError() {
        clear();
        m_errno = 0;
        m_isShortRead = false;
    }
    std::size_t gcount() const { return m_gcount; }
    bool hadWriteError() const { return m_isWriteError; }

private:
    enum LASTOP { LASTOP_NONE, LASTOP_READ, LASTOP_WRITE };

    // Sets the failure flag; the reason is taken from the first failure
    // after the flags were clear.
    void SetFail(int code, bool isShortRead = false);

    // stdio needs a move or flush between a read and a write on one stream;
    // a write also gives back the read-ahead bytes of the read buffer.
    void SwitchTo(LASTOP op);
    // Puts the bytes written behind the caller into the file.
    void Settle();
    // The checks and switch every write starts with; false when the stream
    // cannot be written.
    bool BeginWrite();
    // Reads from the file at its own position; false on a short read.
    bool ReadThrough(char* buffer, std::size_t n, std::size_t& got);
    std::size_t Unread() const { return m_readEnd - m_readPos; }
    void DropBuffer() { m_readPos = m_readEnd = 0; }
    // Moves the file itself; the read buffer is dropped.
    bool SeekThrough(int64_t offset, int whence);

    std::FILE* m_pFile = nullptr;
    // The read buffer holds the bytes just before the file's own position
    // m_osPosition (-1: not known until asked), of which those from
    // m_readPos on are still to be read.
    std::unique_ptr<char[]> m_pBuffer;
    std::size_t m_readPos = 0;
    std::size_t m_readEnd = 0;
    int64_t m_osPosition = -1;
    std::unique_ptr<CBwfWriteBehind> m_pWriteBehind;
    bool m_isFail = false;
    bool m_isEof = false;
    bool m_isWriteError = false;
    int m_errno = 0;
    int m_readErrno = 0; // of the last ReadThrough that failed on an error
    bool m_isShortRead = false;
    bool m_isWritable = false;
    std::size_t m_writeBufferSize = WRITE_BUFFER_SIZE;
    LASTOP m_lastOp = LASTOP_NONE;
    std::size_t m_gcount = 0;
};
