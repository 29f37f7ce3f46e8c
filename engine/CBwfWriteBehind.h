#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <memory>

class CBwfWritePool;

// Writes behind the caller: bytes are gathered in one buffer of a small ring
// while the threads of CBwfWritePool write the full ones before it to the
// file, in order. A conversion then reads and rearranges samples on one core
// while the system copies the written ones into the file on the other; the
// ring lets either side run ahead for a while when the other stalls. The
// caller sees the file only through Drain(): every byte appended before it
// is then in the file (or a failure is reported).
class CBwfWriteBehind {
public:
    static constexpr int BUFFER_COUNT = 4;

    // bufferSize: bytes gathered before a hand-over; BUFFER_COUNT buffers
    // of it are held.
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
    // Writes what is gathered and waits until every buffer is in the file;
    // false once any write has failed.
    bool Drain();
    // The errno of the first failed write; 0 while none failed.
    int GetErrno() const { return m_errno.load(); }
    bool IsEmpty() const { return m_fill == 0 && m_queued == 0; }
    std::size_t GetBufferSize() const { return m_bufferSize; }

private:
    friend class CBwfWritePool;

    // Hands the gathered buffer to the pool and gathers into the next, once
    // it is written.
    void Submit();
    // Waits until fewer than count buffers are queued, writing queued
    // buffers of any file meanwhile.
    void WaitQueued(int count);
    // The pool's part: writes the oldest queued buffer without the pool's
    // lock, then counts it written with the lock held, so that a caller
    // that has seen its queue empty is never touched again.
    void WriteNext();
    void CountWritten();

    CBwfWritePool& m_pool;
    std::FILE* m_pFile;
    const std::size_t m_bufferSize;
    std::unique_ptr<char[]> m_pBuffer[BUFFER_COUNT];
    std::size_t m_size[BUFFER_COUNT] = {}; // bytes queued in each buffer
    int m_gather = 0;                      // the buffer the caller fills
    std::size_t m_fill = 0;
    // Under the pool's lock, but for the one thread writing m_next.
    int m_next = 0;                     // the next buffer to write
    std::atomic<int> m_queued{0};       // buffers handed to the pool
    bool m_isBusy = false;              // a thread is writing m_next
    std::condition_variable m_doneCond; // the caller waits for room
    std::atomic<bool> m_isFailed{false};
    std::atomic<int> m_errno{0};
};
