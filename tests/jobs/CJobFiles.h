#pragma once

// Fixtures of the job tests: a host that records what a job tells it and can
// raise the cancel flag, and the jobs run on files of the test's folder.

#include "CMonoToPolyJob.h"
#include "CPolyToMonoJob.h"
#include "CTestKit.h"

#include <sndfile.h>

#include <map>

// Channel numbers first to last.
inline std::vector<int> Range(int first, int last) {
    std::vector<int> numbers;
    for (int n = first; n <= last; ++n) {
        numbers.push_back(n);
    }
    return numbers;
}

// The identifiers of the top-level chunks, in file order.
inline std::string Order(const Bytes& file) {
    std::string order;
    for (const CHUNKAT& chunk : Chunks(file)) {
        order += (order.empty() ? "" : " ") + chunk.id;
    }
    return order;
}

class CTestHost : public CJobHost {
public:
    enum CANCEL { CANCEL_NONE, CANCEL_FIRST, CANCEL_LAST };
    explicit CTestHost(bool isOverwrite = true, CANCEL cancel = CANCEL_NONE)
        : m_isOverwrite(isOverwrite), m_cancel(cancel) {}
    void SetProgressText(const std::string&, const std::string& detail) override {
        m_arrayProgress.push_back(detail);
    }
    bool AskOverwrite(const std::string&, const std::string& message) override {
        m_arrayQuestion.push_back(message);
        return m_isOverwrite;
    }
    void ShowError(const std::string& message) override { m_arrayError.push_back(message); }
    void SetProgressBytes(uint64_t done, uint64_t total) override {
        m_isCancel = m_isCancel || m_cancel == CANCEL_FIRST ||
                     (m_cancel == CANCEL_LAST && done == total && done != 0);
    }

    bool m_isOverwrite;
    CANCEL m_cancel;
    std::atomic<bool> m_isCancel{false};
    std::vector<std::string> m_arrayProgress, m_arrayQuestion, m_arrayError;
};

class CJobTest : public CTempFolderTest {
protected:
    void SetUp() override {
        CTempFolderTest::SetUp();
        ClearOut();
    }
    // Empties "out", where the jobs write.
    void ClearOut() const {
        fs::remove_all(PathOf("out"));
        fs::create_directory(PathOf("out"));
    }
    // The regular files under "out" with their bytes.
    std::map<std::string, Bytes> Outputs() const {
        std::map<std::string, Bytes> files;
        std::error_code error;
        for (auto it = fs::recursive_directory_iterator(PathOf("out"), error);
             !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
            if (it->is_regular_file()) {
                files[it->path().string()] = Read(it->path().string());
            }
        }
        return files;
    }
    // Every file a run wrote under "out" is whole (those that were there
    // before and are unchanged are the test's own): no temporary file is
    // left, and each passes the strict RIFF reading and opens in libsndfile.
    void CheckOutputs(const std::map<std::string, Bytes>& before) const {
        for (const auto& [path, bytes] : Outputs()) {
            auto old = before.find(path);
            if (old != before.end() && old->second == bytes) {
                continue;
            }
            SCOPED_TRACE(path);
            EXPECT_EQ(path.find(".partial"), std::string::npos) << "a temporary file is left";
            EXPECT_TRUE(StrictRiff(bytes));
            SF_INFO info{};
            SNDFILE* pFile = sf_open(path.c_str(), SFM_READ, &info);
            EXPECT_NE(pFile, nullptr) << sf_strerror(nullptr);
            if (pFile != nullptr) {
                // libsndfile agrees with the file's own fmt and data chunks.
                const Bytes fmt = Body(bytes, "fmt");
                const uint32_t align = Le(fmt, 12) & 0xFFFF;
                EXPECT_EQ(uint32_t(info.channels), Le(fmt, 0) >> 16);
                EXPECT_EQ(uint32_t(info.samplerate), Le(fmt, 4));
                EXPECT_EQ(uint64_t(info.frames), Find(bytes, "data").size / align);
                sf_close(pFile);
            }
        }
    }
    // Splits files of the folder, each with its channels, into "out".
    JOBRESULT Split(CTestHost& host,
                    const std::vector<std::pair<std::string, std::vector<int>>>& rows) const {
        CPolyToMonoJob job{{}, PathOf("out")};
        for (const auto& row : rows) {
            job.m_arraySource.push_back(
                {fs::path(row.first).filename().string(), PathOf(row.first), row.second});
        }
        const std::map<std::string, Bytes> before = Outputs();
        const JOBRESULT result = job.Run(host, host.m_isCancel);
        CheckOutputs(before);
        return result;
    }
    JOBRESULT Merge(CTestHost& host, const std::string& source, const std::string& take,
                    const std::vector<int>& channels, int mode = 0) const {
        const std::map<std::string, Bytes> before = Outputs();
        const JOBRESULT result =
            CMonoToPolyJob{take, channels, PathOf(source), PathOf("out"), mode, {}}.Run(
                host, host.m_isCancel);
        CheckOutputs(before);
        return result;
    }
};
