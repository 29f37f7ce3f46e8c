#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

class CBwfWriteBehind;

// The threads that write every CBwfWriteBehind's full buffers, shared by all
// files of the process. A split writes tens of files at once: one thread per
// file would leave the reading thread a small share of the cores and have
// the system throttle each writer on its own. Here a few threads take the
// buffers in the order they were handed over, and a caller that waits for
// room writes one itself, so both cores stay busy whichever side is slower.
// A file's buffers are written in order, by one thread at a time.
class CBwfWritePool {
public:
    static CBwfWritePool& Get();
    ~CBwfWritePool();
    CBwfWritePool(const CBwfWritePool&) = delete;
    CBwfWritePool& operator=(const CBwfWritePool&) = delete;

    // The lock that guards the pool and the bookkeeping of every
    // CBwfWriteBehind.
    std::mutex& GetMutex() { return m_mutex; }
    // With the lock held: pOwner has one more full buffer to write.
    void Queue(CBwfWriteBehind* pOwner);
    // With the lock held: writes the oldest buffer no thread is on, on the
    // caller's thread (the lock is let go meanwhile). False when there is
    // none to take.
    bool HelpOne(std::unique_lock<std::mutex>& lock);

private:
    CBwfWritePool() = default;
    void Run();
    // The first queued owner that no thread is writing, or end().
    std::deque<CBwfWriteBehind*>::iterator FindFree();
    void WriteOne(std::unique_lock<std::mutex>& lock, std::deque<CBwfWriteBehind*>::iterator it);

    std::mutex m_mutex;
    std::condition_variable m_workCond;
    // One entry per full buffer, in the order they were handed over.
    std::deque<CBwfWriteBehind*> m_queue;
    std::vector<std::thread> m_threads;
    bool m_isStop = false;
};
