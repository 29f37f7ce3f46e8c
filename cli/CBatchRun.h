#pragma once

#include "CConsoleHost.h"
#include "CJobHost.h"
#include "CJobResult.h"
#include "CRelFolder.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// The conversions of one command, run up to m_jobs at a time: a poly file
// to split or a take to merge each. The overwrite question is asked once,
// before anything is written, for every output that exists; messages come
// whole, one line at a time, whatever runs beside them; the progress bar
// counts the whole run; the end is summed up on the error stream and, with
// m_isJson, described in one JSON document on the output stream.
class CBatchRun {
public:
    struct _FILE {
        std::string strPath;
        uint64_t size;
        uint64_t frames;
    };
    enum STATUS { STATUS_PENDING, STATUS_DONE, STATUS_SKIPPED, STATUS_FAILED, STATUS_CANCELLED };
    using RUN = std::function<JOBRESULT(CJobHost& host, const std::atomic<bool>& isCancel)>;
    struct _TASK {
        // The source file, or FOLDER/TAKE.
        std::string strPath;
        // The files it writes when it succeeds.
        std::vector<std::string> arrayOutput;
        // Its bytes of samples, for the progress bar.
        uint64_t estimate = 0;
        // The conversion; empty for a task whose status is set already.
        RUN run;
        STATUS status = STATUS_PENDING;
        bool isDeclined = false; // its outputs exist and were kept
        std::vector<std::string> arrayMessage;
        std::vector<_FILE> arrayFile;
    };

    // Up to this many tasks at once; 0 for one per processor.
    int m_jobs = 1;
    CConsoleHost::ANSWER m_answer = CConsoleHost::ANSWER_ASK;
    bool m_isJson = false;
    // "sources" or "takes": the JSON document's list.
    std::string m_strListName = "sources";
    std::vector<_TASK> m_arrayTask;

    // A task's conversion: job run with outFolder/rel made first (a failure
    // to make it fails the task), and the levels it made removed again when
    // the job wrote nothing there.
    template <class JOB>
    static RUN InRelFolder(const std::string& outFolder, const std::string& rel, const JOB& job) {
        return [job, outFolder, rel](CJobHost& host, const std::atomic<bool>& isCancel) {
            CRelFolder folder;
            std::string message;
            if (!folder.Make(outFolder, rel, message)) {
                host.ShowError(message);
                return JOBRESULT_FAILED;
            }
            const JOBRESULT result = job.Run(host, isCancel);
            if (result != JOBRESULT_DONE) {
                folder.RemoveIfEmpty();
            }
            return result;
        };
    }

    // A task that is not run, with its reason said now.
    void AddSkipped(const std::string& path, const std::string& message, bool isFailure);

    // Runs the tasks and returns the exit status: that of an interrupt, 3
    // when overwriting was declined (nothing written), 1 when a task failed
    // or status says so, else 0.
    int Run(int status);

    // The frames of a wave file, from its "fmt " and "data" (0 when it has
    // no readable format).
    static uint64_t FramesOf(const std::string& path);

    // The JSON document of the tasks as they stand.
    std::string Json() const;

private:
    class CTaskHost;
    bool AskOnce();
    void RunTasks();
    void Report(std::size_t task, uint64_t done, uint64_t total);
    void Summary(double seconds) const;

    CConsoleHost m_console{CConsoleHost::ANSWER_ASK};
    std::mutex m_questionMutex;
    std::mutex m_mutex;       // the fields below, and the tasks' results
    bool m_isAllowed = false; // existing outputs may be replaced
    std::vector<double> m_arrayFraction;
    uint64_t m_estimateTotal = 0;
    std::size_t m_finished = 0;
    std::size_t m_runnable = 0;
    double m_startSeconds = 0;
};
