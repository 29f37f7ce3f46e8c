#pragma once

// A program started by a test as a user would start it: the arguments as
// they are, with no shell between, standard input from the null device,
// and both output streams into files. CRunProgramPosix.cpp and
// CRunProgramWindows.cpp implement it. Paths and arguments are UTF-8.

#include <cstdint>
#include <string>
#include <vector>

class CRunProgram {
public:
    // The program's path, then its arguments.
    explicit CRunProgram(std::vector<std::string> arrayCommand);
    // A program still running is killed.
    ~CRunProgram();
    CRunProgram(const CRunProgram&) = delete;
    CRunProgram& operator=(const CRunProgram&) = delete;

    // Starts the program with standard output into the file outPath and
    // standard error into errPath (one file when they are equal), both
    // truncated. isOwnGroup puts it in a process group of its own, which a
    // signal or a console event can reach alone. False when it cannot start.
    bool Start(const std::string& outPath, const std::string& errPath, bool isOwnGroup = false);
    // Starts it with both output streams on a pipe whose reader is gone, so
    // that every write fails.
    bool StartOnClosedPipe();
    // The exit status; 1000 + the signal that ended it; -1 when it did not
    // start, or when it still ran after timeoutSeconds and was killed.
    int Wait(int timeoutSeconds = 120);
    // The process id, while it runs.
    int64_t GetId() const { return m_id; }

    // Start and Wait.
    static int Run(const std::vector<std::string>& arrayCommand, const std::string& outPath,
                   const std::string& errPath, int timeoutSeconds = 120);
    // The kestrawave-cli of this build: on Windows the one beside the test
    // program, since the build's paths mean nothing to a Windows program run
    // under Wine.
    static std::string CliPath();

private:
    std::vector<std::string> m_arrayCommand;
    int64_t m_id = 0;
    void* m_hProcess = nullptr; // Windows only
};
