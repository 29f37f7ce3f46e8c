#include "CBwfStream.h"

#include "CBwfWriteBehind.h"
#include "CPlatform.h"

#include <cerrno>
#include <cstring>
#include <limits>
#include <new>

CBwfStream::CBwfStream() = default;

CBwfStream::~CBwfStream() {
    if (m_pFile != nullptr) {
        close();
    }
}

void CBwfStream::SetFail(int code, bool isShortRead) {
    if (!m_isFail) {
        m_errno = code;
        m_isShortRead = isShortRead;
    }
    m_isFail = true;
}

bool CBwfStream::open(const char* path, OPENMODE mode) {
    if (m_pFile != nullptr || path == nullptr) {
        return false;
    }
    // OPEN_EXCLUSIVE fails on any existing name, a link included, instead of
    // following it.
    const char* modeText = mode == OPEN_READ ? "rb" : (mode == OPEN_UPDATE ? "r+b" : "w+b");
    int error = 0;
    std::FILE* pFile = mode == OPEN_EXCLUSIVE ? CPlatform::CreateExclusive(path, error)
                                              : CPlatform::OpenFile(path, modeText, error);
    m_errno = error;
    m_isShortRead = false;
    if (pFile == nullptr) {
        return false;
    }
    // The buffering is this class's own; stdio only passes bytes through.
    std::setvbuf(pFile, nullptr, _IONBF, 0);
    m_pFile = pFile;
    m_isFail = m_isEof = m_isWriteError = false;
    m_errno = 0;
    m_isWritable = mode != OPEN_READ;
    m_lastOp = LASTOP_NONE;
    m_gcount = 0;
    DropBuffer();
    m_osPosition = 0;
    if (mode == OPEN_UPDATE && !SeekThrough(0, SEEK_END)) {
        SetFail(errno);
    }
    return true;
}

bool CBwfStream::close() {
    if (m_pFile == nullptr) {
        return false;
    }
    Settle();
    m_pWriteBehind.reset();
    bool isOk = !m_isWriteError;
    errno = 0;
    if (std::fclose(m_pFile) != 0) {
        if (isOk) {
            m_errno = errno != 0 ? errno : EIO;
            m_isShortRead = false;
        }
        isOk = false;
    }
    m_pFile = nullptr;
    m_pBuffer.reset();
    DropBuffer();
    m_lastOp = LASTOP_NONE;
    return isOk;
}

void CBwfStream::Settle() {
    if (m_pWriteBehind != nullptr && !m_pWriteBehind->IsEmpty() && !m_pWriteBehind->Drain()) {
        SetFail(m_pWriteBehind->GetErrno());
        m_isWriteError = true;
    }
}

void CBwfStream::SwitchTo(LASTOP op) {
    if (m_lastOp == LASTOP_READ && op == LASTOP_WRITE && Unread() != 0) {
        // The file is ahead of the reader by the unread bytes: step back.
        if (!SeekThrough(-int64_t(Unread()), SEEK_CUR)) {
            SetFail(errno);
        }
    } else if (m_lastOp != LASTOP_NONE && m_lastOp != op) {
        // A zero move is what stdio asks for between reading and writing.
        if (!CPlatform::SeekFile(m_pFile, 0, SEEK_CUR)) {
            SetFail(errno);
        }
    }
    if (op == LASTOP_WRITE) {
        DropBuffer();
        m_osPosition = -1;
    }
    m_lastOp = op;
}

bool CBwfStream::SeekThrough(int64_t offset, int whence) {
    DropBuffer();
    errno = 0;
    if (!CPlatform::SeekFile(m_pFile, offset, whence)) {
        m_osPosition = -1;
        return false;
    }
    m_osPosition = whence == SEEK_SET ? offset : -1;
    return true;
}

bool CBwfStream::ReadThrough(char* buffer, std::size_t n, std::size_t& got) {
    errno = 0;
    got = std::fread(buffer, 1, n, m_pFile);
    if (m_osPosition >= 0) {
        m_osPosition += int64_t(got);
    }
    if (got < n) {
        // A read error, unlike the end of the file, must not pass for one.
        if (std::ferror(m_pFile) != 0) {
            m_readErrno = errno != 0 ? errno : EIO;
        }
        std::clearerr(m_pFile);
        return false;
    }
    return true;
}

std::size_t CBwfStream::read(void* buffer, std::size_t n) {
    m_gcount = 0;
    if (m_pFile == nullptr || m_isFail || m_isEof) {
        SetFail(0);
        return 0;
    }
    m_readErrno = 0;
    Settle();
    SwitchTo(LASTOP_READ);
    if (m_isFail) {
        return 0;
    }
    char* pOut = static_cast<char*>(buffer);
    bool isShort = false; // the file had no more bytes at its last read
    while (m_gcount < n) {
        std::size_t want = n - m_gcount;
        if (Unread() != 0) {
            std::size_t piece = want < Unread() ? want : Unread();
            std::memcpy(pOut + m_gcount, m_pBuffer.get() + m_readPos, piece);
            m_readPos += piece;
            m_gcount += piece;
            continue;
        }
        if (isShort) {
            break;
        }
        if (m_pBuffer == nullptr && want < DIRECT_READ) {
            m_pBuffer.reset(new (std::nothrow) char[BUFFER_SIZE]);
        }
        std::size_t got = 0;
        if (want >= DIRECT_READ || m_pBuffer == nullptr) {
            // Straight into the caller's memory (also without memory for a buffer).
            DropBuffer();
            isShort = !ReadThrough(pOut + m_gcount, want, got);
            m_gcount += got;
        } else {
            isShort = !ReadThrough(m_pBuffer.get(), BUFFER_SIZE, got);
            m_readPos = 0;
            m_readEnd = got;
        }
    }
    if (m_gcount < n) {
        SetFail(m_readErrno, m_readErrno == 0);
        m_isEof = m_readErrno == 0;
    }
    return m_gcount;
}

bool CBwfStream::BeginWrite() {
    if (m_pFile == nullptr || m_isFail || !m_isWritable) {
        SetFail(m_isWritable ? 0 : EBADF);
        m_isWriteError = m_isWriteError || m_pFile != nullptr;
        return false;
    }
    SwitchTo(LASTOP_WRITE);
    if (m_isFail) {
        return false;
    }
    if (m_pWriteBehind == nullptr) {
        // Without memory for it, writes go to the file directly.
        try {
            m_pWriteBehind.reset(new CBwfWriteBehind(m_pFile, m_writeBufferSize));
        } catch (const std::bad_alloc&) {
        }
    }
    return true;
}

bool CBwfStream::write(const void* buffer, std::size_t n) {
    if (!BeginWrite()) {
        return false;
    }
    if (n == 0) {
        return true;
    }
    errno = 0;
    bool isOk = m_pWriteBehind != nullptr ? m_pWriteBehind->Append(buffer, n)
                                          : std::fwrite(buffer, 1, n, m_pFile) == n;
    if (!isOk) {
        SetFail(m_pWriteBehind != nullptr ? m_pWriteBehind->GetErrno() : (errno ? errno : EIO));
        m_isWriteError = true;
        std::clearerr(m_pFile);
        return false;
    }
    return true;
}

void* CBwfStream::reserve(std::size_t n) {
    if (!BeginWrite()) {
        return nullptr;
    }
    if (m_pWriteBehind == nullptr || n > m_pWriteBehind->GetBufferSize()) {
        SetFail(m_pWriteBehind == nullptr ? ENOMEM : EINVAL);
        m_isWriteError = true;
        return nullptr;
    }
    return m_pWriteBehind->Reserve(n);
}

bool CBwfStream::commit(std::size_t n) {
    if (m_pFile == nullptr || m_pWriteBehind == nullptr || m_isFail || !m_pWriteBehind->Commit(n)) {
        SetFail(m_pWriteBehind != nullptr ? m_pWriteBehind->GetErrno() : 0);
        m_isWriteError = m_isWriteError || m_pFile != nullptr;
        return false;
    }
    return true;
}

bool CBwfStream::seekg(int64_t offset, SEEKDIR dir) {
    m_isEof = false;
    if (m_pFile == nullptr || m_isFail) {
        return false;
    }
    Settle();
    if (m_isFail) {
        return false;
    }
    if (dir == SEEK_FROM_END) {
        if (!SeekThrough(offset, SEEK_END)) {
            SetFail(errno);
            return false;
        }
        m_lastOp = LASTOP_NONE;
        return true;
    }
    if (dir == SEEK_FROM_CURRENT) {
        // Resolve relative moves here so that a target before the start
        // fails the same way on every C library.
        int64_t position = tellg();
        if (position < 0 || (offset < 0 && -offset > position) ||
            (offset > 0 && offset > std::numeric_limits<int64_t>::max() - position)) {
            SetFail(EINVAL);
            return false;
        }
        offset += position;
    }
    if (offset < 0) {
        SetFail(EINVAL);
        return false;
    }
    // A move within the bytes just read needs no system call; chunk walks
    // make many of them.
    if (m_lastOp == LASTOP_READ && m_osPosition >= 0 && offset <= m_osPosition &&
        m_osPosition - offset <= int64_t(m_readEnd)) {
        m_readPos = m_readEnd - std::size_t(m_osPosition - offset);
        return true;
    }
    if (!SeekThrough(offset, SEEK_SET)) {
        SetFail(errno);
        return false;
    }
    m_lastOp = LASTOP_NONE;
    return true;
}

int64_t CBwfStream::tellg() {
    if (m_pFile == nullptr || m_isFail) {
        return -1;
    }
    Settle();
    if (m_isFail) {
        return -1;
    }
    if (m_osPosition < 0) {
        errno = 0;
        int64_t position = CPlatform::TellFile(m_pFile);
        if (position < 0) {
            SetFail(errno);
            return -1;
        }
        m_osPosition = position;
    }
    return m_osPosition - int64_t(Unread());
}

void CBwfStream::flush() {
    if (m_pFile == nullptr || m_lastOp != LASTOP_WRITE) {
        return;
    }
    Settle();
    errno = 0;
    if (std::fflush(m_pFile) != 0) {
        SetFail(errno != 0 ? errno : EIO);
        m_isWriteError = true;
        std::clearerr(m_pFile);
    }
}
