#include "CBwfWriteBehind.h"

#include <cerrno>
#include <cstring>

CBwfWriteBehind::CBwfWriteBehind(std::FILE* pFile, std::size_t bufferSize)
    : m_pFile(pFile), m_bufferSize(bufferSize) {
    for (std::unique_ptr<char[]>& pBuffer : m_pBuffer) {
        pBuffer.reset(new char[bufferSize]);
    }
}

CBwfWriteBehind::~CBwfWriteBehind() {
    Drain();
    if (m_thread.joinable()) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_isStop = true;
        }
        m_queuedCond.notify_one();
        m_thread.join();
    }
}

void CBwfWriteBehind::Run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_queuedCond.wait(lock, [this] { return m_queued != 0 || m_isStop; });
        if (m_queued == 0) {
            return;
        }
        const int index = m_next;
        const std::size_t size = m_size[index];
        lock.unlock();
        errno = 0;
        bool isOk = std::fwrite(m_pBuffer[index].get(), 1, size, m_pFile) == size;
        const int code = errno != 0 ? errno : EIO;
        lock.lock();
        if (!isOk && !m_isFailed) {
            m_errno = code;
            m_isFailed = true;
        }
        m_next = (index + 1) % BUFFER_COUNT;
        --m_queued;
        m_doneCond.notify_one();
    }
}

void CBwfWriteBehind::Submit() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_size[m_gather] = m_fill;
    ++m_queued;
    m_gather = (m_gather + 1) % BUFFER_COUNT;
    m_fill = 0;
    if (!m_thread.joinable()) {
        m_thread = std::thread(&CBwfWriteBehind::Run, this);
    }
    m_queuedCond.notify_one();
    // The next buffer is free once every buffer but the one to fill is.
    m_doneCond.wait(lock, [this] { return m_queued < BUFFER_COUNT; });
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
    std::unique_lock<std::mutex> lock(m_mutex);
    m_doneCond.wait(lock, [this] { return m_queued == 0; });
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
