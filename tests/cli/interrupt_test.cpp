// kestrawave-cli stopped half way, by a signal on POSIX or a console event
// on Windows, or with nobody left to read its output: the files it was
// replacing are never lost.

#include "CCliTest.h"

#include <thread>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <csignal>
#include <poll.h>
#include <pty.h>
#include <unistd.h>
#endif

namespace {

// A split -y of a big take over the old monos of a former run.
class CInterruptTest : public CCliTest {
protected:
    void SetUp() override {
        CCliTest::SetUp();
        // 300 MB of samples in a sparse file: its holes read fast, yet the
        // run lasts long enough to be stopped half way.
        const uint32_t dataBytes = 300u << 20;
        m_strBig = Write("big.wav", Wave(FmtBody(1, 4, 24, 48000), {}, {}, {}, dataBytes));
        fs::resize_file(fs::u8path(m_strBig), 44 + uint64_t(dataBytes));
        for (int n = 1; n <= 4; ++n) {
            Write("out/big/big_" + std::to_string(n) + ".wav", Text("old " + std::to_string(n)));
        }
    }
    std::vector<std::string> SplitBig() const {
        return {CRunProgram::CliPath(), "split", "-y", "-o", m_strOut, m_strBig};
    }
    static bool IsPartial(const fs::path& path) { return path.extension() == ".partial"; }
    // Samples are being written once a temporary file is past its header.
    bool WaitUntilWriting() const {
        for (int i = 0; i < 30000; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            for (const fs::directory_entry& entry : fs::directory_iterator(PathOf("out/big"))) {
                std::error_code error;
                if (IsPartial(entry.path()) && fs::file_size(entry.path(), error) > 32768 &&
                    !error) {
                    return true;
                }
            }
        }
        return false;
    }
    // The old monos as they were; beside them only temporary files, and
    // those only when the run was killed.
    void CheckOldFilesKept(bool isKilled) const {
        for (int n = 1; n <= 4; ++n) {
            EXPECT_EQ(TextOf("out/big/big_" + std::to_string(n) + ".wav"),
                      "old " + std::to_string(n));
        }
        for (const fs::directory_entry& entry : fs::directory_iterator(PathOf("out/big"))) {
            EXPECT_TRUE((isKilled && IsPartial(entry.path())) ||
                        entry.path().filename().string().rfind("big_", 0) == 0)
                << entry.path();
        }
    }

    std::string m_strBig;
};

#ifndef _WIN32

// Every signal stops a split -y half way without touching the old files;
// after SIGKILL only temporary files can remain beside them.
TEST_F(CInterruptTest, SignalsLoseNothing) {
    for (int signal : {SIGTERM, SIGHUP, SIGINT, SIGKILL}) {
        SCOPED_TRACE(signal);
        CRunProgram run(SplitBig());
        ASSERT_TRUE(run.Start(PathOf("log.txt"), PathOf("log.txt")));
        EXPECT_TRUE(WaitUntilWriting());
        kill(pid_t(run.GetId()), signal);
        EXPECT_EQ(run.Wait(), (signal == SIGKILL ? 1000 : 128) + signal) << TextOf("log.txt");
        CheckOldFilesKept(signal == SIGKILL);
    }

    // A signal at the overwrite question, asked on a terminal.
    int terminal = -1;
    const std::string cli = CRunProgram::CliPath();
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid == 0) {
        execl(cli.c_str(), cli.c_str(), "split", "-o", m_strOut.c_str(), m_strBig.c_str(), nullptr);
        _exit(127);
    }
    std::string asked;
    char buffer[256];
    pollfd output{terminal, POLLIN, 0};
    for (ssize_t count; asked.find("[y/N]") == std::string::npos && poll(&output, 1, 30000) > 0 &&
                        (count = read(terminal, buffer, sizeof buffer)) > 0;) {
        asked.append(buffer, std::size_t(count));
    }
    kill(pid, SIGINT);
    int status = 0;
    EXPECT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 130) << status << asked;
    close(terminal);
    EXPECT_EQ(TextOf("out/big/big_1.wav"), "old 1");
}

#else

// The test program's own answer to the Ctrl-C it sends its console.
BOOL WINAPI IgnoreCtrlC(DWORD event) {
    return event == CTRL_C_EVENT;
}

// A console of the test program's own, so that an event sent to the whole
// console reaches no process outside the test; false when there is none.
bool OwnConsole() {
    static const bool s_isOwn = [] {
        ::FreeConsole();
        return ::AllocConsole() != 0 && ::SetConsoleCtrlHandler(IgnoreCtrlC, TRUE) != 0;
    }();
    return s_isOwn;
}

// Ctrl-C as a user presses it, to every process of the console; the run
// shares the test's process group, since a group of its own ignores Ctrl-C.
TEST_F(CInterruptTest, CtrlCLosesNothing) {
    if (!OwnConsole()) {
        GTEST_SKIP() << "no console of our own: error " << ::GetLastError();
    }
    CRunProgram run(SplitBig());
    ASSERT_TRUE(run.Start(PathOf("log.txt"), PathOf("log.txt")));
    EXPECT_TRUE(WaitUntilWriting());
    ASSERT_TRUE(::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) << ::GetLastError();
    EXPECT_EQ(run.Wait(), 130) << TextOf("log.txt");
    CheckOldFilesKept(false);
}

// Ctrl-Break to the run's own process group, as a program stops another.
TEST_F(CInterruptTest, CtrlBreakLosesNothing) {
    if (!OwnConsole()) {
        GTEST_SKIP() << "no console of our own: error " << ::GetLastError();
    }
    CRunProgram run(SplitBig());
    ASSERT_TRUE(run.Start(PathOf("log.txt"), PathOf("log.txt"), true));
    EXPECT_TRUE(WaitUntilWriting());
    if (!::GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, DWORD(run.GetId()))) {
        // Wine sends Ctrl-C alone.
        GTEST_SKIP() << "Ctrl-Break cannot be sent here: error " << ::GetLastError();
    }
    EXPECT_EQ(run.Wait(), 131) << TextOf("log.txt");
    CheckOldFilesKept(false);
}

#endif

// Output streams on a pipe whose reader is gone: every write fails, the run
// does not.
TEST_F(CCliTest, ClosedOutputStreamsFailNoRun) {
    ASSERT_EQ(Run({"split", "-o", m_strOut, m_strTake}).status, 0);
    ASSERT_EQ(Run({"merge", "-o", m_strMerged, m_strMonos}).status, 0);
    const Bytes mono = Read(Mono(4));
    fs::remove(fs::u8path(Mono(4)));
    using ARGS = std::vector<std::string>;
    for (const ARGS& args : {ARGS{"split", "-y", "-o", m_strOut, m_strTake},
                             ARGS{"merge", "-y", "-o", m_strMerged, m_strMonos}}) {
        ARGS command = {CRunProgram::CliPath()};
        command.insert(command.end(), args.begin(), args.end());
        CRunProgram run(command);
        ASSERT_TRUE(run.StartOnClosedPipe());
        EXPECT_EQ(run.Wait(), 0) << args[0];
    }
    EXPECT_EQ(Read(Mono(4)), mono);
    EXPECT_TRUE(HoldsThenZeros(m_strPoly, m_samples));
}

} // namespace
