#pragma once

// Fixtures of the job tests: builders of wave files, a temporary folder of the
// test's own, removed at its end, and a host that records what a job tells it
// and can raise the cancel flag.

#include "CMonoToPolyJob.h"
#include "CPolyToMonoJob.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

// Bytes are joined with +; numbers are little-endian.
inline Bytes operator+(Bytes first, const Bytes& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}
inline Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}
inline Bytes U16(uint32_t value) {
    return {uint8_t(value), uint8_t(value >> 8)};
}
inline Bytes U32(uint32_t value) {
    return U16(value) + U16(value >> 16);
}
// A chunk, with the RIFF pad byte after an odd body unless told otherwise.
inline Bytes Chunk(const std::string& id, const Bytes& body, bool isPadded = true) {
    return Text(id) + U32(uint32_t(body.size())) + body + Bytes(isPadded ? body.size() % 2 : 0);
}
// A text field: the text, then zero bytes up to its width.
inline Bytes Field(const std::string& text, std::size_t width) {
    return Text(text) + Bytes(width - text.size());
}
inline Bytes Slice(const Bytes& bytes, std::size_t at, std::size_t count) {
    return Bytes(bytes.begin() + at, bytes.begin() + std::min(bytes.size(), at + count));
}
inline uint32_t Le(const Bytes& bytes, std::size_t at) {
    return bytes.at(at) | bytes.at(at + 1) << 8 | bytes.at(at + 2) << 16 |
           uint32_t(bytes.at(at + 3)) << 24;
}
inline void Put(Bytes& bytes, std::size_t at, uint32_t value, int count = 4) {
    for (int i = 0; i < count; ++i) {
        bytes.at(at + i) = uint8_t(value >> 8 * i);
    }
}

// Equal bytes, or the offset where they first differ.
inline ::testing::AssertionResult SameBytes(const Bytes& actual, const Bytes& expected) {
    auto diff = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    if (diff.first == actual.end() && diff.second == expected.end()) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "sizes " << actual.size() << " and " << expected.size()
                                         << ", first difference at " << diff.first - actual.begin();
}

// Bytes that differ from one offset and one seed to the next.
inline Bytes Pattern(std::size_t count, unsigned seed) {
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = uint8_t(i * 7 + (i >> 8) * 13 + seed * 101 + 1);
    }
    return bytes;
}

// A "fmt " body; tag 0xFFFE gives the 40-byte extensible form with a PCM
// sub-format.
inline Bytes FmtBody(uint16_t tag, uint16_t channels, uint16_t bits, uint32_t rate,
                     uint32_t speakers = 0) {
    const uint32_t align = channels * ((bits + 7) / 8);
    Bytes fmt = U16(tag) + U16(channels) + U32(rate) + U32(rate * align) + U16(align) + U16(bits);
    return tag != 0xFFFE ? fmt
                         : fmt + U16(22) + U16(bits) + U32(speakers) + U16(1) +
                               Bytes{0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
}

// "fmt ", the chunks before "data", "data" (its size field declaring missing
// bytes more than it holds) and the chunks after it, in a RIFF file.
inline Bytes Wave(const Bytes& fmt, const Bytes& before, const Bytes& data, const Bytes& after = {},
                  uint32_t missing = 0) {
    Bytes wave = Text("RIFF") + U32(0) + Text("WAVE") + Chunk("fmt ", fmt) + before + Text("data") +
                 U32(uint32_t(data.size() + missing)) + data +
                 Bytes(after.empty() ? 0 : data.size() % 2) + after;
    Put(wave, 4, uint32_t(wave.size() - 8));
    return wave;
}

struct CHUNKAT {
    std::string id; // without trailing blanks
    uint64_t pointer;
    uint32_t size;
};

// The top-level chunks of a well-formed file.
inline std::vector<CHUNKAT> Chunks(const Bytes& file) {
    std::vector<CHUNKAT> list;
    for (uint64_t at = 12; at + 8 <= file.size();
         at += 8 + list.back().size + list.back().size % 2) {
        std::string id(file.begin() + at, file.begin() + at + 4);
        list.push_back({id.substr(0, id.find_last_not_of(' ') + 1), at, Le(file, at + 4)});
    }
    return list;
}
inline CHUNKAT Find(const Bytes& file, const std::string& id) {
    const std::vector<CHUNKAT> list = Chunks(file);
    auto it = std::find_if(list.begin(), list.end(), [&](const CHUNKAT& c) { return c.id == id; });
    return it != list.end() ? *it : CHUNKAT{"none", 0, 0};
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

class CJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The process id keeps parallel test processes apart.
        static std::atomic<int> s_count{0};
        m_pathFolder =
            fs::temp_directory_path() /
            ("kestrawave-jobs-" + std::to_string(::getpid()) + "-" + std::to_string(s_count++));
        fs::create_directories(m_pathFolder / "out");
    }
    void TearDown() override {
        std::error_code error;
        fs::remove_all(m_pathFolder, error);
    }
    std::string PathOf(const std::string& name) const { return (m_pathFolder / name).string(); }
    std::string Write(const std::string& name, const Bytes& bytes) const {
        fs::create_directories(fs::path(PathOf(name)).parent_path());
        std::ofstream(PathOf(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return PathOf(name);
    }
    static Bytes Read(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    std::size_t FileCount(const std::string& folder) const {
        std::error_code error;
        auto it = fs::directory_iterator(PathOf(folder), error);
        return error ? 0 : std::size_t(std::distance(it, fs::directory_iterator()));
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

    fs::path m_pathFolder;
};
