#include "CBwfWriteBehind.h"

#include <cstring>

CBwfWriteBehind::CBwfWriteBehind(std::FILE* pFile, std::size_t bufferSize)
    : m_pFile(pFile), m_bufferSize(bufferSize), m_pGather(new char[bufferSize]),
      m_pWriting(new char[bufferSize]) {}

CBwfWriteBehind::~CBwfWriteBehind() {
    Drain();
    if (m_thread.joinable()) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_isStop = true;
        }
        m_cond.notify_all();
        m_thread.join();
    }
}

void CBwfWriteBehind::Run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_cond.wait(lock, [this] { return m_isBusy || m_isStop; });
        if (!m_isBusy) {
            return;
        }
        std::size_t size = m_writingSize;
        lock.unlock();
        bool isOk = std::fwrite(m_pWriting.get(), 1, size, m_pFile) == size;
        lock.lock();
        if (!isOk) {
            m_isFailed = true;
        }
        m_isBusy = false;
        m_cond.notify_all();
    }
}

void CBwfWriteBehind::WaitIdle(std::unique_lock<std::mutex>& lock) {
    m_cond.wait(lock, [this] { return !m_isBusy; });
}

void CBwfWriteBehind::Submit() {
    std::unique_lock<std::mutex> lock(m_mutex);
    WaitIdle(lock);
    std::swap(m_pGather, m_pWriting);
    m_writingSize = m_fill;
    m_fill = 0;
    m_isBusy = true;
    if (!m_thread.joinable()) {
        m_thread = std::thread(&CBwfWriteBehind::Run, this);
    }
    m_cond.notify_all();
}

bool CBwfWriteBehind::Append(const void* data, std::size_t count) {
    const char* pByte = static_cast<const char*>(data);
    while (count != 0) {
        std::size_t room = m_bufferSize - m_fill;
        std::size_t piece = count < room ? count : room;
        std::memcpy(m_pGather.get() + m_fill, pByte, piece);
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
    return m_pGather.get() + m_fill;
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
    WaitIdle(lock);
    if (m_fill != 0) {
        // The rest is small: written here rather than handed over.
        if (std::fwrite(m_pGather.get(), 1, m_fill, m_pFile) != m_fill) {
            m_isFailed = true;
        }
        m_fill = 0;
    }
    return !m_isFailed;
}
