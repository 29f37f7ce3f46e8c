#include "CBwfStream.h"

#include "CBwfWriteBehind.h"

#include <limits>

// Positions beyond 2 GiB go through std::fseek/std::ftell, whose offsets are
// long; that is 64 bits on the LP64 systems this program is built for.
static_assert(sizeof(long) >= 8, "64-bit file positions need a 64-bit long");

CBwfStream::CBwfStream() = default;

CBwfStream::~CBwfStream() {
    if (m_pFile != nullptr) {
        close();
    }
}

bool CBwfStream::open(const char* path, OPENMODE mode) {
    if (m_pFile != nullptr || path == nullptr) {
        return false;
    }
    const char* modeText = mode == OPEN_READ ? "rb" : (mode == OPEN_UPDATE ? "r+b" : "w+b");
    std::FILE* pFile = std::fopen(path, modeText);
    if (pFile == nullptr) {
        return false;
    }
    std::unique_ptr<char[]> pBuffer(new (std::nothrow) char[BUFFER_SIZE]);
    if (pBuffer != nullptr) {
        std::setvbuf(pFile, pBuffer.get(), _IOFBF, BUFFER_SIZE);
    }
    m_pFile = pFile;
    m_pBuffer = std::move(pBuffer);
    m_isFail = m_isEof = m_isWriteError = false;
    m_isWritable = mode != OPEN_READ;
    m_lastOp = LASTOP_NONE;
    m_gcount = 0;
    if (mode == OPEN_UPDATE && std::fseek(m_pFile, 0, SEEK_END) != 0) {
        m_isFail = true;
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
    if (std::fclose(m_pFile) != 0) {
        isOk = false;
    }
    m_pFile = nullptr;
    m_pBuffer.reset();
    m_lastOp = LASTOP_NONE;
    return isOk;
}

void CBwfStream::Settle() {
    if (m_pWriteBehind != nullptr && !m_pWriteBehind->IsEmpty() && !m_pWriteBehind->Drain()) {
        m_isFail = true;
        m_isWriteError = true;
    }
}

void CBwfStream::SwitchTo(LASTOP op) {
    if (m_lastOp != LASTOP_NONE && m_lastOp != op) {
        // A zero move is what stdio asks for between reading and writing.
        if (std::fseek(m_pFile, 0, SEEK_CUR) != 0) {
            m_isFail = true;
        }
    }
    m_lastOp = op;
}

std::size_t CBwfStream::read(void* buffer, std::size_t n) {
    m_gcount = 0;
    if (m_pFile == nullptr || m_isFail || m_isEof) {
        m_isFail = true;
        return 0;
    }
    Settle();
    SwitchTo(LASTOP_READ);
    if (m_isFail) {
        return 0;
    }
    m_gcount = n == 0 ? 0 : std::fread(buffer, 1, n, m_pFile);
    if (m_gcount < n) {
        m_isEof = true;
        m_isFail = true;
        std::clearerr(m_pFile);
    }
    return m_gcount;
}

bool CBwfStream::write(const void* buffer, std::size_t n) {
    if (m_pFile == nullptr || m_isFail || !m_isWritable) {
        m_isFail = true;
        m_isWriteError = m_isWriteError || m_pFile != nullptr;
        return false;
    }
    SwitchTo(LASTOP_WRITE);
    if (m_isFail) {
        return false;
    }
    if (n == 0) {
        return true;
    }
    if (m_pWriteBehind == nullptr) {
        m_pWriteBehind.reset(new (std::nothrow) CBwfWriteBehind(m_pFile));
    }
    bool isOk = m_pWriteBehind != nullptr ? m_pWriteBehind->Append(buffer, n)
                                          : std::fwrite(buffer, 1, n, m_pFile) == n;
    if (!isOk) {
        m_isFail = true;
        m_isWriteError = true;
        std::clearerr(m_pFile);
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
    int whence =
        dir == SEEK_FROM_BEGIN ? SEEK_SET : (dir == SEEK_FROM_CURRENT ? SEEK_CUR : SEEK_END);
    if (dir == SEEK_FROM_CURRENT) {
        // Resolve relative moves here so that a target before the start
        // fails the same way on every C library.
        int64_t position = tellg();
        if (position < 0 || (offset < 0 && -offset > position) ||
            (offset > 0 && offset > std::numeric_limits<int64_t>::max() - position)) {
            m_isFail = true;
            return false;
        }
        offset += position;
        whence = SEEK_SET;
    }
    if ((whence == SEEK_SET && offset < 0) ||
        std::fseek(m_pFile, static_cast<long>(offset), whence) != 0) {
        m_isFail = true;
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
    long position = std::ftell(m_pFile);
    if (position < 0) {
        m_isFail = true;
        return -1;
    }
    return position;
}

void CBwfStream::flush() {
    if (m_pFile == nullptr || m_lastOp != LASTOP_WRITE) {
        return;
    }
    Settle();
    if (std::fflush(m_pFile) != 0) {
        m_isFail = true;
        m_isWriteError = true;
        std::clearerr(m_pFile);
    }
}
