#pragma once

// Whoever owns a job: its progressWork runs on the progress window's worker
// thread.
class CProgressWorker {
public:
    virtual ~CProgressWorker() = default;
    virtual void progressWork() = 0;
};
