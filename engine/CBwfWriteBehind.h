#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

// Writes behind the caller: bytes are gathered in one buffer while a thread
// of this object writes the previous, full one to the file. A conversion
// then reads and rearranges samples on one core while the system copies the
// written ones into the file on the other. The caller sees the file only
// through Drain(): every byte appended before it is then in the file (or a
// failure is reported).
class CBwfWriteBehind {
public:
    // bufferSize: bytes gathered before a hand-over; two buffers are held.
    CBwfWriteBehind(std::FILE* pFile, std::size_t bufferSize);
    ~CBwfWriteBehind();
    CBwfWriteBehind(const CBwfWriteBehind&) = delete;
    CBwfWriteBehind& operator=(const CBwfWriteBehind&) = delete;

    // False once any write has failed.
    bool Append(const void* data, std::size_t count);
    // Room for the next count bytes (count up to the buffer size) in the buffer
    // being gathered, which Commit(count) then counts in; false from Commit
    // once any write has failed.
    char* Reserve(std::size_t count);
    bool Commit(std::size_t count);
    // Writes what is gathered and waits for the thread; false once any write
    // has failed.
    bool Drain();
    bool IsEmpty() const { return m_fill == 0 && !m_isBusy; }
    std::size_t GetBufferSize() const { return m_bufferSize; }

private:
    void Run();
    // Hands the gathered buffer to the thread, after the one before it.
    void Submit();
    void WaitIdle(std::unique_lock<std::mutex>& lock);

    std::FILE* m_pFile;
    const std::size_t m_bufferSize;
    std::unique_ptr<char[]> m_pGather;
    std::unique_ptr<char[]> m_pWriting;
    std::size_t m_fill = 0;
    std::size_t m_writingSize = 0;
    std::mutex m_mutex;
    std::condition_variable m_cond;
    std::atomic<bool> m_isBusy{false}; // the thread holds m_pWriting
    bool m_isStop = false;
    std::atomic<bool> m_isFailed{false};
    std::thread m_thread;
};
