#pragma once

// Fixtures of the job tests: a host that records what a job tells it and can
// raise the cancel flag, and the jobs run on files of the test's folder.

#include "CMonoToPolyJob.h"
#include "CPolyToMonoJob.h"
#include "CTestKit.h"

#ifdef KESTRAWAVE_HAVE_SNDFILE
#include <sndfile.h>
#endif
#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

#include <map>

// Channel numbers first to last.
inline std::vector<int> Range(int first, int last) {
    std::vector<int> numbers;
    for (int n = first; n <= last; ++n) {
        numbers.push_back(n);
    }
    return numbers;
}

// Whether any message holds the text.
inline bool Has(const std::vector<std::string>& messages, const std::string& text) {
    return std::any_of(messages.begin(), messages.end(),
                       [&](const std::string& m) { return m.find(text) != std::string::npos; });
}

// Channels of width-byte samples interleaved as long as the longest lasts,
// zero filled up to a multiple of 2048 bytes as the "data" chunk is.
inline Bytes Interleave(const std::vector<Bytes>& channels, std::size_t width) {
    std::size_t longest = 0;
    for (const Bytes& channel : channels) {
        longest = std::max(longest, channel.size());
    }
    Bytes samples;
    for (std::size_t at = 0; at < longest; at += width) {
        for (const Bytes& channel : channels) {
            for (std::size_t k = at; k < at + width; ++k) {
                samples.push_back(k < channel.size() ? channel[k] : 0);
            }
        }
    }
    samples.resize((samples.size() + 2047) / 2048 * 2048);
    return samples;
}

#ifndef _WIN32
// Runs a job under a file size limit, which stands in for a full disk.
// Windows limits no file's size.
template <class RUN> JOBRESULT UnderSizeLimit(rlim_t bytes, RUN run) {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    rlimit small = limit;
    small.rlim_cur = bytes;
    void (*pHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const JOBRESULT result = run();
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, pHandler);
    return result;
}
#endif

// The identifiers of the top-level chunks, in file order.
inline std::string Order(const Bytes& file) {
    std::string order;
    for (const CHUNKAT& chunk : Chunks(file)) {
        order += (order.empty() ? "" : " ") + chunk.id;
    }
    return order;
}

inline uint64_t Le64(const Bytes& bytes, std::size_t at) {
    return Le(bytes, at) | uint64_t(Le(bytes, at + 4)) << 32;
}
inline bool IsRf64(const Bytes& file) {
    return file.size() >= 12 &&
           (Slice(file, 0, 4) == Text("RF64") || Slice(file, 0, 4) == Text("BW64"));
}

// The top-level chunks of an RF64 file, each size field of 0xFFFFFFFF
// replaced by its size from "ds64", read independently of the engine; empty
// unless they fill the file exactly, each whole, with zero pad bytes.
inline std::vector<CHUNKAT> Rf64Chunks(const Bytes& file) {
    std::vector<CHUNKAT> list;
    if (!IsRf64(file) || file.size() < 48 || Slice(file, 12, 4) != Text("ds64")) {
        return {};
    }
    const uint32_t ds64Size = Le(file, 16), tableLength = Le(file, 44);
    for (uint64_t at = 12; at < file.size();) {
        if (at % 2 != 0 || at + 8 > file.size()) {
            return {};
        }
        std::string id(file.begin() + at, file.begin() + at + 4);
        uint64_t size = Le(file, at + 4);
        if (size == 0xFFFFFFFF && id == "data") {
            size = Le64(file, 28);
        } else if (size == 0xFFFFFFFF) {
            for (uint32_t k = 0; k < tableLength && 48 + 12 * k + 12 <= 20 + ds64Size; ++k) {
                if (Slice(file, 48 + 12 * k, 4) == Text(id)) {
                    size = Le64(file, 48 + 12 * k + 4);
                }
            }
        }
        if (at + 8 + size + size % 2 > file.size() || (size % 2 == 1 && file[at + 8 + size] != 0)) {
            return {};
        }
        list.push_back({id.substr(0, id.find_last_not_of(' ') + 1), at, uint32_t(size)});
        at += 8 + size + size % 2;
    }
    return list;
}
inline CHUNKAT FindIn(const std::vector<CHUNKAT>& list, const std::string& id) {
    auto it = std::find_if(list.begin(), list.end(), [&](const CHUNKAT& c) { return c.id == id; });
    return it != list.end() ? *it : CHUNKAT{"none", 0, 0};
}

// What a reader of RF64 checks: 0xFFFFFFFF as the RIFF size, the "ds64"
// RIFF size the file length - 8, chunks as Rf64Chunks reads them.
inline ::testing::AssertionResult StrictRf64(const Bytes& file) {
    const std::vector<CHUNKAT> chunks = Rf64Chunks(file);
    if (chunks.empty() || Le(file, 4) != 0xFFFFFFFF || Slice(file, 8, 4) != Text("WAVE")) {
        return ::testing::AssertionFailure() << "no RF64 header or its chunks do not fit";
    }
    if (Le64(file, 20) != file.size() - 8) {
        return ::testing::AssertionFailure() << "ds64 RIFF size " << Le64(file, 20);
    }
    return ::testing::AssertionSuccess();
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
        for (auto it = fs::recursive_directory_iterator(fs::u8path(PathOf("out")), error);
             !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
            if (it->is_regular_file()) {
                files[it->path().u8string()] = Read(it->path().u8string());
            }
        }
        return files;
    }
    // Every file a run wrote under "out" (not those it left unchanged) is
    // whole: no temporary file is left, each passes the strict reading and,
    // where the build has it, opens in libsndfile.
    void CheckOutputs(const std::map<std::string, Bytes>& before) const {
        for (const auto& [path, bytes] : Outputs()) {
            auto old = before.find(path);
            if (old != before.end() && old->second == bytes) {
                continue;
            }
            SCOPED_TRACE(path);
            EXPECT_EQ(path.find(".partial"), std::string::npos) << "a temporary file is left";
            const bool isRf64 = IsRf64(bytes);
            EXPECT_TRUE(isRf64 ? StrictRf64(bytes) : StrictRiff(bytes));
#ifdef KESTRAWAVE_HAVE_SNDFILE
            CheckInLibsndfile(path, bytes);
#endif
        }
    }
#ifdef KESTRAWAVE_HAVE_SNDFILE
    // libsndfile agrees with the file's own fmt and data chunks.
    static void CheckInLibsndfile(const std::string& path, const Bytes& bytes) {
        const bool isRf64 = IsRf64(bytes);
        const std::vector<CHUNKAT> chunks = isRf64 ? Rf64Chunks(bytes) : Chunks(bytes);
        SF_INFO info{};
        SNDFILE* pFile = sf_open(path.c_str(), SFM_READ, &info);
        EXPECT_NE(pFile, nullptr) << sf_strerror(nullptr);
        if (pFile == nullptr) {
            return;
        }
        const Bytes fmt = Slice(bytes, FindIn(chunks, "fmt").pointer + 8, 16);
        const uint32_t align = Le(fmt, 12) & 0xFFFF;
        const uint64_t dataSize = FindIn(chunks, "data").size;
        EXPECT_EQ(uint32_t(info.channels), Le(fmt, 0) >> 16);
        EXPECT_EQ(uint32_t(info.samplerate), Le(fmt, 4));
        EXPECT_EQ(uint64_t(info.frames), dataSize / align);
        if (isRf64) {
            EXPECT_EQ(Le64(bytes, 36), dataSize / align); // the sample count
        }
        sf_close(pFile);
    }
#endif
    // Splits files of the folder, each with its channels, into "out".
    JOBRESULT Split(CTestHost& host,
                    const std::vector<std::pair<std::string, std::vector<int>>>& rows,
                    uint64_t rf64Limit = RIFF_FILE_MAX, const std::string& out = "out") const {
        CPolyToMonoJob job{{}, PathOf(out), rf64Limit};
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
                    const std::vector<int>& channels, int mode = 0,
                    uint64_t rf64Limit = RIFF_FILE_MAX,
                    const std::vector<std::string>& arrayInput = {},
                    bool isCopyMetadata = false) const {
        const std::map<std::string, Bytes> before = Outputs();
        const JOBRESULT result = CMonoToPolyJob{take, channels,   PathOf(source), PathOf("out"),
                                                mode, arrayInput, rf64Limit,      isCopyMetadata}
                                     .Run(host, host.m_isCancel);
        CheckOutputs(before);
        return result;
    }
};
