#include "CRunProgram.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

std::vector<char*> Argv(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (const std::string& argument : command) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    return argv;
}

// In the child, between fork and exec: only async-signal-safe calls.
[[noreturn]] void Exec(char* const* argv, int out, int err, bool isOwnGroup) {
    const int in = open("/dev/null", O_RDONLY);
    if (in >= 0 && out >= 0 && err >= 0 && dup2(in, 0) == 0 && dup2(out, 1) == 1 &&
        dup2(err, 2) == 2 && (!isOwnGroup || setpgid(0, 0) == 0)) {
        execv(argv[0], argv);
    }
    _exit(127);
}

} // namespace

CRunProgram::CRunProgram(std::vector<std::string> arrayCommand)
    : m_arrayCommand(std::move(arrayCommand)) {}

CRunProgram::~CRunProgram() {
    if (m_id > 0) {
        kill(pid_t(m_id), SIGKILL);
        waitpid(pid_t(m_id), nullptr, 0);
    }
}

bool CRunProgram::Start(const std::string& outPath, const std::string& errPath, bool isOwnGroup) {
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int err = errPath == outPath
                        ? out
                        : open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const std::vector<char*> argv = Argv(m_arrayCommand);
    const pid_t pid = out >= 0 && err >= 0 ? fork() : -1;
    if (pid == 0) {
        Exec(argv.data(), out, err, isOwnGroup);
    }
    for (int fd : {out, err == out ? -1 : err}) {
        if (fd >= 0) {
            close(fd);
        }
    }
    m_id = pid > 0 ? pid : 0;
    return pid > 0;
}

bool CRunProgram::StartOnClosedPipe() {
    int ends[2];
    if (pipe(ends) != 0) {
        return false;
    }
    close(ends[0]);
    const std::vector<char*> argv = Argv(m_arrayCommand);
    const pid_t pid = fork();
    if (pid == 0) {
        Exec(argv.data(), ends[1], ends[1], false);
    }
    close(ends[1]);
    m_id = pid > 0 ? pid : 0;
    return pid > 0;
}

int CRunProgram::Wait(int timeoutSeconds) {
    if (m_id <= 0) {
        return -1;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    int status = 0;
    pid_t done = 0;
    while ((done = waitpid(pid_t(m_id), &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (done == 0) {
        kill(pid_t(m_id), SIGKILL);
        waitpid(pid_t(m_id), nullptr, 0);
    }
    m_id = 0;
    if (done <= 0) {
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
}

int CRunProgram::Run(const std::vector<std::string>& arrayCommand, const std::string& outPath,
                     const std::string& errPath, int timeoutSeconds) {
    CRunProgram program(arrayCommand);
    return program.Start(outPath, errPath) ? program.Wait(timeoutSeconds) : -1;
}

std::string CRunProgram::CliPath() {
    return KESTRAWAVE_CLI;
}
