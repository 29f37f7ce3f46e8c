#include "CBwfWritePool.h"

#include "CBwfWriteBehind.h"

#include <algorithm>

CBwfWritePool& CBwfWritePool::Get() {
    static CBwfWritePool pool;
    return pool;
}

CBwfWritePool::~CBwfWritePool() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_isStop = true;
    }
    m_workCond.notify_all();
    for (std::thread& thread : m_threads) {
        thread.join();
    }
}

void CBwfWritePool::Queue(CBwfWriteBehind* pOwner) {
    m_queue.push_back(pOwner);
    if (m_threads.empty()) {
        // The caller writes too while it waits, so one core is left to it.
        const unsigned cores = std::thread::hardware_concurrency();
        const unsigned count = std::min(4u, cores > 2 ? cores - 1 : 1u);
        for (unsigned i = 0; i < count; ++i) {
            m_threads.emplace_back(&CBwfWritePool::Run, this);
        }
    }
    m_workCond.notify_one();
}

std::deque<CBwfWriteBehind*>::iterator CBwfWritePool::FindFree() {
    return std::find_if(m_queue.begin(), m_queue.end(),
                        [](const CBwfWriteBehind* pOwner) { return !pOwner->m_isBusy; });
}

void CBwfWritePool::WriteOne(std::unique_lock<std::mutex>& lock,
                             std::deque<CBwfWriteBehind*>::iterator it) {
    CBwfWriteBehind* pOwner = *it;
    m_queue.erase(it);
    pOwner->m_isBusy = true;
    lock.unlock();
    pOwner->WriteNext();
    lock.lock();
    pOwner->CountWritten();
    pOwner->m_isBusy = false;
    pOwner->m_doneCond.notify_all();
    // The owner's next buffer may wait for exactly this one.
    if (!m_queue.empty()) {
        m_workCond.notify_one();
    }
}

bool CBwfWritePool::HelpOne(std::unique_lock<std::mutex>& lock) {
    auto it = FindFree();
    if (it == m_queue.end()) {
        return false;
    }
    WriteOne(lock, it);
    return true;
}

void CBwfWritePool::Run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        auto it = m_queue.end();
        m_workCond.wait(lock, [&] {
            it = FindFree();
            return it != m_queue.end() || m_isStop;
        });
        if (it == m_queue.end()) {
            return;
        }
        WriteOne(lock, it);
    }
}
