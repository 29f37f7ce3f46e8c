// libFuzzer target: the conversion jobs over arbitrary bytes, as a poly
// source split into a folder of its own and as the lead mono of a
// two-channel take merged. Every file a run leaves must pass a strict RIFF
// reading, the inputs must be unchanged and no temporary file may remain.
// A broken invariant aborts, so libFuzzer keeps the input.

#include "CMonoToPolyJob.h"
#include "CPolyToMonoJob.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <string>
#include <unistd.h>
#include <vector>

#define FUZZ_CHECK(expression, path)                                                               \
    ((expression) ? static_cast<void>(0) : Fail(__LINE__, #expression, path))

namespace {

namespace fs = std::filesystem;
using BYTES = std::vector<uint8_t>;

const fs::path g_folder =
    fs::temp_directory_path() / ("kestrawave-fuzz-jobs-" + std::to_string(getpid()));

[[noreturn]] void Fail(int line, const char* expression, const fs::path& path) {
    std::fprintf(stderr, "fuzz_jobs.cpp:%d: invariant broken: %s (%s)\n", line, expression,
                 path.c_str());
    std::abort();
}

// Answers every question OK and drops the messages: the fuzzer looks for
// crashes and broken files, not for texts.
class CQuietHost : public CJobHost {
public:
    void SetProgressText(const std::string&, const std::string&) override {}
    bool AskOverwrite(const std::string&, const std::string&) override { return true; }
    void ShowError(const std::string&) override {}
};

uint32_t Le32(const BYTES& bytes, std::size_t at) {
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

// The RIFF size is the file length - 8, the form type WAVE, and the
// top-level chunks follow each other on even offsets, each whole inside the
// file, a zero pad byte after each odd body, nothing after the last.
bool IsStrictRiff(const BYTES& file) {
    if (file.size() < 12 || std::memcmp(file.data(), "RIFF", 4) != 0 ||
        std::memcmp(file.data() + 8, "WAVE", 4) != 0 || Le32(file, 4) != file.size() - 8) {
        return false;
    }
    uint64_t at = 12;
    while (at < file.size()) {
        if (at % 2 != 0 || at + 8 > file.size()) {
            return false;
        }
        const uint64_t size = Le32(file, std::size_t(at + 4));
        at += 8 + size;
        if (at > file.size()) {
            return false;
        }
        if (size % 2 != 0) {
            if (at >= file.size() || file[at] != 0) {
                return false;
            }
            ++at;
        }
    }
    return true;
}

BYTES ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return BYTES(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const fs::path& path, const BYTES& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// Every file under out is a final, strictly readable wave file; then out is
// emptied for the next input.
void CheckAndEmpty(const fs::path& out) {
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(out)) {
        if (entry.is_directory()) {
            continue;
        }
        FUZZ_CHECK(entry.path().extension() != ".partial", entry.path());
        FUZZ_CHECK(entry.is_regular_file(), entry.path());
        FUZZ_CHECK(IsStrictRiff(ReadAll(entry.path())), entry.path());
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(out)) {
        fs::remove_all(entry.path());
    }
}

// A small valid mono file: 16-bit, 48 kHz, three frames.
BYTES SecondMono() {
    const uint8_t bytes[] = {'R', 'I', 'F', 'F',  42, 0, 0, 0, 'W', 'A', 'V', 'E',  'f',
                             'm', 't', ' ', 16,   0,  0, 0, 1, 0,   1,   0,   0x80, 0xBB,
                             0,   0,   0,   0x77, 1,  0, 2, 0, 16,  0,   'd', 'a',  't',
                             'a', 6,   0,   0,    0,  1, 2, 3, 4,   5,   6};
    return BYTES(std::begin(bytes), std::end(bytes));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fs::create_directories(g_folder / "in");
    fs::create_directories(g_folder / "take");
    fs::create_directories(g_folder / "out");
    WriteAll(g_folder / "take/T_2.wav", SecondMono());
    std::atexit([] {
        std::error_code error;
        fs::remove_all(g_folder, error);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const BYTES bytes(data, data + size);
    const std::atomic<bool> isCancel{false};
    CQuietHost host;
    const fs::path out = g_folder / "out";

    const fs::path poly = g_folder / "in/P.wav";
    WriteAll(poly, bytes);
    CPolyToMonoJob split;
    // Past 64 channels a split takes more than one pass: both kinds are reached.
    std::vector<int> arrayChannel(70);
    std::iota(arrayChannel.begin(), arrayChannel.end(), 1);
    split.m_arraySource.push_back({"P.wav", poly.string(), arrayChannel});
    split.m_strDestFolder = out.string();
    split.Run(host, isCancel);
    FUZZ_CHECK(ReadAll(poly) == bytes, poly);
    CheckAndEmpty(out);

    const fs::path lead = g_folder / "take/T_1.wav", second = g_folder / "take/T_2.wav";
    WriteAll(lead, bytes);
    CMonoToPolyJob merge;
    merge.m_strTakeName = "T";
    merge.m_arrayChannel = {1, 2};
    merge.m_strSourceFolder = (g_folder / "take").string();
    merge.m_strDestFolder = out.string();
    merge.m_convertMode = size % 3; // every mode, without a byte of the input
    merge.m_arrayRunInput = {lead.string(), second.string()};
    merge.Run(host, isCancel);
    FUZZ_CHECK(ReadAll(lead) == bytes, lead);
    FUZZ_CHECK(ReadAll(second) == SecondMono(), second);
    CheckAndEmpty(out);
    return 0;
}
