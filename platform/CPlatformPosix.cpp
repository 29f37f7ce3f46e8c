#include "CPlatform.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace CPlatform {

const char* const PATH_SEPARATORS = "/";

// Byte for byte: a POSIX path is bytes, whatever their encoding.
std::filesystem::path ToPath(const std::string& utf8) {
    return std::filesystem::path(utf8);
}

std::string FromPath(const std::filesystem::path& path) {
    return path.string();
}

std::string NameProblem(const std::string&) {
    return std::string();
}

std::FILE* OpenFile(const std::string& path, const char* mode, int& error) {
    errno = 0;
    std::FILE* pFile = std::fopen(path.c_str(), mode);
    error = pFile == nullptr ? (errno != 0 ? errno : EIO) : 0;
    return pFile;
}

std::FILE* CreateExclusive(const std::string& path, int& error) {
    // O_EXCL fails on any name, a dangling link included.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = errno;
        return nullptr;
    }
    std::FILE* pFile = ::fdopen(fd, "w+b");
    if (pFile == nullptr) {
        error = errno;
        ::close(fd);
        ::unlink(path.c_str());
        return nullptr;
    }
    error = 0;
    return pFile;
}

bool ReplaceFile(const std::string& from, const std::string& to, int& error) {
    if (std::rename(from.c_str(), to.c_str()) != 0) {
        error = errno;
        return false;
    }
    error = 0;
    return true;
}

bool RemoveFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

bool SeekFile(std::FILE* pFile, int64_t offset, int whence) {
    return ::fseeko(pFile, off_t(offset), whence) == 0;
}

int64_t TellFile(std::FILE* pFile) {
    return int64_t(::ftello(pFile));
}

bool GetFileId(const std::string& path, _FILEID& id) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return false;
    }
    id.device = uint64_t(status.st_dev);
    id.index = uint64_t(status.st_ino);
    return true;
}

bool IsRegularFile(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool Exists(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

std::string ErrorText(int error) {
    return std::strerror(error);
}

std::tm LocalTime(std::time_t time) {
    std::tm local{};
    ::localtime_r(&time, &local);
    return local;
}

bool IsTerminal(int stream) {
    return ::isatty(stream) != 0;
}

bool ReadLine(std::string& line, const std::atomic<bool>& isCancel) {
    line.clear();
    while (!isCancel.load()) {
        pollfd input{0, POLLIN, 0};
        const int ready = ::poll(&input, 1, 100);
        if (ready < 0 && errno != EINTR) {
            return false;
        }
        if (ready <= 0) {
            continue;
        }
        char c = 0;
        if (::read(0, &c, 1) != 1) {
            return !line.empty();
        }
        if (c == '\n') {
            return true;
        }
        line += c;
    }
    return false;
}

namespace {

void (*s_onInterrupt)(int status) = nullptr;

extern "C" void OnSignal(int signal) {
    if (s_onInterrupt != nullptr) {
        s_onInterrupt(128 + signal);
    }
}

} // namespace

void InstallInterruptHandler(void (*onInterrupt)(int status)) {
    s_onInterrupt = onInterrupt;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: a waiting read returns
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
}

void ExitNow(int status) {
    ::_exit(status);
}

void IgnoreBrokenPipe() {
    std::signal(SIGPIPE, SIG_IGN);
}

void RaiseOpenFileLimit() {
    rlimit files{};
    if (::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &files);
    }
}

std::vector<std::string> Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

} // namespace CPlatform
