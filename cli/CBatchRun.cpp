#include "CBatchRun.h"

#include "CBwfFile.h"
#include "CExitStatus.h"
#include "CJobPath.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <thread>

namespace {

// Past this many, the overwrite question says how many more there are.
constexpr std::size_t QUESTION_LINES = 20;

double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string Bytes(uint64_t bytes) {
    char text[32];
    if (bytes >= 1000000000) {
        std::snprintf(text, sizeof text, "%.2f GB", double(bytes) / 1e9);
    } else if (bytes >= 1000000) {
        std::snprintf(text, sizeof text, "%.1f MB", double(bytes) / 1e6);
    } else {
        std::snprintf(text, sizeof text, "%llu bytes", static_cast<unsigned long long>(bytes));
    }
    return text;
}

std::string Duration(double seconds) {
    const long total = long(seconds + 0.5);
    char text[32];
    if (total >= 3600) {
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60,
                      total % 60);
    } else {
        std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
    }
    return text;
}

const char* StatusName(CBatchRun::STATUS status) {
    switch (status) {
    case CBatchRun::STATUS_DONE:
        return "done";
    case CBatchRun::STATUS_SKIPPED:
        return "skipped";
    case CBatchRun::STATUS_FAILED:
        return "failed";
    case CBatchRun::STATUS_CANCELLED:
    case CBatchRun::STATUS_PENDING:
        break;
    }
    return "cancelled";
}

} // namespace

uint64_t CBatchRun::FramesOf(const std::string& path) {
    CBwfFile file;
    uint16_t channels = 0, bits = 0;
    uint32_t rate = 0;
    if (!file.OpenFile(path.c_str(), true) || !file.GetFormat(channels, bits, rate) ||
        channels == 0 || bits == 0) {
        return 0;
    }
    return file.GetChunkSize64(CHUNK_DATA) / (uint64_t(channels) * ((bits + 7u) / 8u));
}

// The host of one task: its messages and files kept for the end, its
// progress counted into the run's, its questions answered by the one asked
// before the run.
class CBatchRun::CTaskHost : public CJobHost {
public:
    CTaskHost(CBatchRun& run, std::size_t task) : m_run(run), m_task(task) {}

    void SetProgressText(const std::string& title, const std::string& detail) override {
        m_run.m_console.SetProgressText(title, detail);
    }
    bool AskOverwrite(const std::string& title, const std::string& message) override {
        // Asked before the run; a file that appeared since is asked about
        // on its own, one question at a time.
        if (m_run.m_isAllowed) {
            return true;
        }
        std::lock_guard<std::mutex> lock(m_run.m_questionMutex);
        return m_run.m_console.AskOverwrite(title, message);
    }
    void ShowError(const std::string& message) override {
        {
            std::lock_guard<std::mutex> lock(m_run.m_mutex);
            m_run.m_arrayTask[m_task].arrayMessage.push_back(message);
        }
        m_run.m_console.ShowError(message);
    }
    void SetProgressBytes(uint64_t done, uint64_t total) override {
        m_run.Report(m_task, done, total);
    }
    void FileWritten(const std::string& path, uint64_t bytes) override {
        std::lock_guard<std::mutex> lock(m_run.m_mutex);
        m_run.m_arrayTask[m_task].arrayFile.push_back({path, bytes, 0});
    }

private:
    CBatchRun& m_run;
    std::size_t m_task;
};

void CBatchRun::AddSkipped(const std::string& path, const std::string& message, bool isFailure) {
    _TASK task;
    task.strPath = path;
    task.status = isFailure ? STATUS_FAILED : STATUS_SKIPPED;
    task.arrayMessage.push_back(message);
    m_arrayTask.push_back(std::move(task));
    if (isFailure) {
        CConsoleHost::Say(message);
    }
}

bool CBatchRun::AskOnce() {
    std::vector<std::string> existing;
    for (const _TASK& task : m_arrayTask) {
        if (task.run) {
            for (const std::string& path : task.arrayOutput) {
                if (CJobPath::Exists(path)) {
                    existing.push_back(path);
                }
            }
        }
    }
    if (existing.empty()) {
        return true;
    }
    std::string list;
    for (std::size_t i = 0; i < existing.size() && i < QUESTION_LINES; ++i) {
        list += existing[i] + "\r";
    }
    m_isAllowed = m_console.AskOverwrite(
        "Overwrite " + std::string(existing.size() == 1 ? "this file" : "these files") + "?", list,
        existing.size() - std::min(existing.size(), QUESTION_LINES));
    return m_isAllowed;
}

void CBatchRun::Report(std::size_t task, uint64_t done, uint64_t total) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (total != 0) {
        m_arrayFraction[task] = std::min(1.0, double(done) / double(total));
    }
    double doneBytes = 0;
    for (std::size_t k = 0; k < m_arrayTask.size(); ++k) {
        doneBytes += m_arrayFraction[k] * double(m_arrayTask[k].estimate);
    }
    const double elapsed = Now() - m_startSeconds;
    std::string text = std::to_string(m_finished) + "/" + std::to_string(m_runnable) + "  " +
                       Bytes(uint64_t(doneBytes)) + " of " + Bytes(m_estimateTotal);
    // An estimate only once the run has gone on long enough to mean much.
    if (elapsed > 2 && doneBytes > 0.02 * double(m_estimateTotal)) {
        text +=
            "  " + Duration(elapsed * (double(m_estimateTotal) - doneBytes) / doneBytes) + " left";
    }
    m_console.SetBarText(text);
    m_console.SetProgressBytes(uint64_t(doneBytes), std::max<uint64_t>(m_estimateTotal, 1));
}

void CBatchRun::RunTasks() {
    std::atomic<std::size_t> next{0};
    auto work = [&]() {
        for (;;) {
            const std::size_t k = next++;
            if (k >= m_arrayTask.size()) {
                return;
            }
            _TASK& task = m_arrayTask[k];
            if (task.status != STATUS_PENDING) {
                continue;
            }
            if (CConsoleHost::m_isCancel.load()) {
                task.status = STATUS_CANCELLED;
                continue;
            }
            CTaskHost host(*this, k);
            const JOBRESULT result = task.run(host, CConsoleHost::m_isCancel);
            std::lock_guard<std::mutex> lock(m_mutex);
            task.status = result == JOBRESULT_DONE        ? STATUS_DONE
                          : result == JOBRESULT_CANCELLED ? STATUS_CANCELLED
                          : result == JOBRESULT_DECLINED  ? STATUS_SKIPPED
                                                          : STATUS_FAILED;
            if (result == JOBRESULT_DECLINED) {
                task.arrayMessage.push_back("Its files exist and were not overwritten.");
                task.isDeclined = true;
            }
            if (result == JOBRESULT_DONE) {
                m_arrayFraction[k] = 1;
            }
            ++m_finished;
        }
    };
    const unsigned count =
        m_jobs > 0 ? unsigned(m_jobs) : std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> threads;
    for (unsigned i = 1; i < std::min<std::size_t>(count, m_runnable); ++i) {
        threads.emplace_back(work);
    }
    work();
    for (std::thread& thread : threads) {
        thread.join();
    }
}

int CBatchRun::Run(int status) {
    m_console.SetAnswer(m_answer);
    const double started = Now();
    m_arrayFraction.assign(m_arrayTask.size(), 0);
    for (const _TASK& task : m_arrayTask) {
        m_runnable += task.status == STATUS_PENDING;
        m_estimateTotal += task.status == STATUS_PENDING ? task.estimate : 0;
    }
    const bool isAllowed = m_runnable == 0 || AskOnce();
    if (CConsoleHost::m_isCancel.load()) {
        return CConsoleHost::InterruptStatus();
    }
    if (!isAllowed) {
        for (_TASK& task : m_arrayTask) {
            if (task.status == STATUS_PENDING) {
                task.status = STATUS_SKIPPED;
                task.arrayMessage.push_back("Not converted: overwriting was declined.");
            }
        }
    } else {
        m_startSeconds = Now();
        RunTasks();
    }
    m_console.Finish();
    if (m_isJson) {
        for (_TASK& task : m_arrayTask) {
            for (_FILE& file : task.arrayFile) {
                file.frames = FramesOf(file.strPath);
            }
        }
    }
    Summary(Now() - started);
    if (m_isJson) {
        std::cout << Json() << "\n" << std::flush;
    }
    if (CConsoleHost::m_isCancel.load()) {
        return CConsoleHost::InterruptStatus();
    }
    if (!isAllowed) {
        return EXIT_DECLINED;
    }
    bool isDeclined = false;
    for (const _TASK& task : m_arrayTask) {
        if (task.status == STATUS_FAILED || task.status == STATUS_CANCELLED) {
            status = EXIT_FAILED;
        }
        isDeclined = isDeclined || task.isDeclined;
    }
    // A file that appeared during the run and was not overwritten.
    return status == EXIT_DONE && isDeclined ? EXIT_DECLINED : status;
}

void CBatchRun::Summary(double seconds) const {
    std::size_t done = 0, skipped = 0, failed = 0, files = 0;
    uint64_t bytes = 0;
    for (const _TASK& task : m_arrayTask) {
        done += task.status == STATUS_DONE;
        skipped += task.status == STATUS_SKIPPED;
        failed += task.status == STATUS_FAILED || task.status == STATUS_CANCELLED;
        files += task.arrayFile.size();
        for (const _FILE& file : task.arrayFile) {
            bytes += file.size;
        }
    }
    CConsoleHost::Say(std::to_string(done) + " converted, " + std::to_string(skipped) +
                      " skipped, " + std::to_string(failed) + " failed; " + std::to_string(files) +
                      (files == 1 ? " file" : " files") + " written, " + Bytes(bytes) + ", in " +
                      Duration(seconds));
}

std::string CBatchRun::Json() const {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const _TASK& task : m_arrayTask) {
        nlohmann::ordered_json files = nlohmann::ordered_json::array();
        for (const _FILE& file : task.arrayFile) {
            files.push_back({{"path", file.strPath}, {"size", file.size}, {"frames", file.frames}});
        }
        nlohmann::ordered_json message = nullptr;
        if (!task.arrayMessage.empty()) {
            std::string text;
            for (const std::string& line : task.arrayMessage) {
                text += (text.empty() ? "" : "\n") + line;
            }
            message = text;
        }
        list.push_back({{"path", task.strPath},
                        {"status", StatusName(task.status)},
                        {"message", message},
                        {"files", files}});
    }
    return nlohmann::ordered_json{{m_strListName, list}}.dump(
        2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}
