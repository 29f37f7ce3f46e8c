#pragma once

// Fixtures of the job tests: a host that records what a job tells it and can
// raise the cancel flag, and the jobs run on files of the test's folder.

#include "CMonoToPolyJob.h"
#include "CPolyToMonoJob.h"
#include "CTestKit.h"

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
    // Splits files of the folder, each with its select mask, into "out".
    JOBRESULT Split(CTestHost& host, const std::vector<std::pair<std::string, uint16_t>>& rows,
                    bool isOnePass = true) const {
        CPolyToMonoJob job{{}, PathOf("out"), isOnePass};
        for (const auto& row : rows) {
            job.m_arraySource.push_back(
                {fs::path(row.first).filename().string(), PathOf(row.first), row.second});
        }
        return job.Run(host, host.m_isCancel);
    }
    JOBRESULT Merge(CTestHost& host, const std::string& source, const std::string& take,
                    uint16_t mask, int mode = 0) const {
        return CMonoToPolyJob{take, mask, PathOf(source), PathOf("out"), mode}.Run(host,
                                                                                   host.m_isCancel);
    }
};
