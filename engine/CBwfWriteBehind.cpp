#include "CBwfWriteBehind.h"

#include "CBwfWritePool.h"

#include <cerrno>
#include <cstring>
#include <mutex>

CBwfWriteBehind::CBwfWriteBehind(std::FILE* pFile, std::size_t bufferSize)
    : m_pool(CBwfWritePool::Get()), m_pFile(pFile), m_bufferSize(bufferSize) {
    for (std::unique_ptr<char[]>& pBuffer : m_pBuffer) {
        pBuffer.reset(new char[bufferSize]);
    }
}

CBwfWriteBehind::~CBwfWriteBehind() {
    Drain();
}

void CBwfWriteBehind::WriteNext() {
    // m_next and its size stay as they are until the buffer is counted.
    const int index = m_next;
    const std::size_t size = m_size[index];
    errno = 0;
    const bool isOk = std::fwrite(m_pBuffer[index].get(), 1, size, m_pFile) == size;
    if (!isOk && !m_isFailed) {
        m_errno = errno != 0 ? errno : EIO;
        m_isFailed = true;
    }
}

void CBwfWriteBehind::CountWritten() {
    m_next = (m_next + 1) % BUFFER_COUNT;
    --m_queued;
}

void CBwfWriteBehind::WaitQueued(int count) {
    std::unique_lock<std::mutex> lock(m_pool.GetMutex());
    while (m_queued >= count) {
        if (!m_pool.HelpOne(lock)) {
            m_doneCond.wait(lock);
        }
    }
}

void CBwfWriteBehind::Submit() {
    {
        std::lock_guard<std::mutex> lock(m_pool.GetMutex());
        m_size[m_gather] = m_fill;
        ++m_queued;
        m_pool.Queue(this);
    }
    m_gather = (m_gather + 1) % BUFFER_COUNT;
    m_fill = 0;
    // The next buffer is free once every buffer but the one to fill is.
    WaitQueued(BUFFER_COUNT);
}

bool CBwfWriteBehind::Append(const void* data, std::size_t count) {
    const char* pByte = static_cast<const char*>(data);
    while (count != 0) {
        std::size_t room = m_bufferSize - m_fill;
        std::size_t piece = count < room ? count : room;
        std::memcpy(m_pBuffer[m_gather].get() + m_fill, pByte, piece);
        m_fill += piece;
        pByte += piece;
        count -= piece;
        if (m_fill == m_bufferSize) {
            Submit();
        }
    }
    // The gathering above is the caller's alone; only a hand-over locks.
    return !m_isFailed.load(std::memory_order_relaxed);
}

char* CBwfWriteBehind::Reserve(std::size_t count) {
    if (m_bufferSize - m_fill < count) {
        Submit();
    }
    return m_pBuffer[m_gather].get() + m_fill;
}

bool CBwfWriteBehind::Commit(std::size_t count) {
    m_fill += count;
    if (m_fill == m_bufferSize) {
        Submit();
    }
    return !m_isFailed.load(std::memory_order_relaxed);
}

bool CBwfWriteBehind::Drain() {
    WaitQueued(1);
    if (m_fill != 0) {
        // The rest is small: written here rather than handed over.
        errno = 0;
        if (std::fwrite(m_pBuffer[m_gather].get(), 1, m_fill, m_pFile) != m_fill && !m_isFailed) {
            m_errno = errno != 0 ? errno : EIO;
            m_isFailed = true;
        }
        m_fill = 0;
    }
    return !m_isFailed;
}
