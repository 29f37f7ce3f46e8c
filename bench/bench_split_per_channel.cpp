// kestrawave-bench POLY OUTDIR: splits POLY into OUTDIR/TAKE/TAKE_n.wav as
// the window's job does, reading the source once per channel, so that
// bench/compare.sh can time it beside the command line's single pass.

#include "CPolyToMonoJob.h"

#include <atomic>
#include <filesystem>
#include <iostream>

namespace {

// Silent but for errors; never overwrites, so that a stale folder shows.
class CQuietHost : public CJobHost {
public:
    void SetProgressText(const std::string&, const std::string&) override {}
    bool AskOverwrite(const std::string&, const std::string&) override {
        std::cerr << "kestrawave-bench: the mono files exist already" << std::endl;
        return false;
    }
    void ShowError(const std::string& message) override {
        std::cerr << "kestrawave-bench: " << message << std::endl;
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: kestrawave-bench POLY OUTDIR" << std::endl;
        return 2;
    }
    CPolyToMonoJob job;
    job.m_strDestFolder = argv[2];
    job.m_isOnePass = false;
    job.m_arraySource.push_back(
        {std::filesystem::path(argv[1]).filename().string(), argv[1], 0xFFFF});
    CQuietHost host;
    std::atomic<bool> isCancel{false};
    return job.Run(host, isCancel) == JOBRESULT_DONE ? 0 : 1;
}
