#include "CPlatform.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <windows.h>

// windows.h names ReplaceFileW so; this file defines the platform's own.
#undef ReplaceFile

namespace CPlatform {

const char* const PATH_SEPARATORS = "/\\";

namespace {

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) {
        return std::wstring();
    }
    const int count = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring wide(std::size_t(count), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), &wide[0], count);
    return wide;
}

std::string Narrow(const wchar_t* wide, int length) {
    if (length == 0) {
        return std::string();
    }
    const int count = ::WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
    std::string utf8(std::size_t(count), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide, length, &utf8[0], count, nullptr, nullptr);
    return utf8;
}

// The errno value nearest to a Windows error, so that one text table serves.
int ErrnoOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_INVALID_NAME:
        return EINVAL;
    case ERROR_TOO_MANY_OPEN_FILES:
        return EMFILE;
    default:
        return EIO;
    }
}

HANDLE OpenForQuery(const std::string& path) {
    // Backup semantics open folders too; no access asked, so a file held
    // open by another program still answers.
    return ::CreateFileW(Wide(path).c_str(), 0,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

} // namespace

std::filesystem::path ToPath(const std::string& utf8) {
    return std::filesystem::path(Wide(utf8));
}

std::string FromPath(const std::filesystem::path& path) {
    const std::wstring& wide = path.native();
    return Narrow(wide.data(), int(wide.size()));
}

std::string NameProblem(const std::string& name) {
    // "A:B" would write a stream B of a file A; "NUL.wav" the null device.
    for (char c : name) {
        if (std::strchr("<>:\"|?*", c) != nullptr) {
            return std::string("holds a '") + c + "', which Windows does not allow in a name";
        }
    }
    if (!name.empty() && (name.back() == '.' || name.back() == ' ')) {
        return "ends in a dot or a space, which Windows drops";
    }
    std::string stem = name.substr(0, name.find('.'));
    for (char& c : stem) {
        c = char(std::toupper(static_cast<unsigned char>(c)));
    }
    for (const char* device :
         {"CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
          "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"}) {
        if (stem == device) {
            return "is the name of a Windows device";
        }
    }
    return std::string();
}

std::FILE* OpenFile(const std::string& path, const char* mode, int& error) {
    errno = 0;
    std::FILE* pFile = ::_wfopen(Wide(path).c_str(), Wide(mode).c_str());
    error = pFile == nullptr ? (errno != 0 ? errno : EIO) : 0;
    return pFile;
}

std::FILE* CreateExclusive(const std::string& path, int& error) {
    // CREATE_NEW fails on any existing name; a link is never followed.
    HANDLE handle = ::CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = ErrnoOf(::GetLastError());
        return nullptr;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDWR | _O_BINARY);
    std::FILE* pFile = fd < 0 ? nullptr : ::_fdopen(fd, "w+b");
    if (pFile == nullptr) {
        error = EIO;
        if (fd < 0) {
            ::CloseHandle(handle);
        } else {
            ::_close(fd);
        }
        ::DeleteFileW(Wide(path).c_str());
        return nullptr;
    }
    error = 0;
    return pFile;
}

bool ReplaceFile(const std::string& from, const std::string& to, int& error) {
    if (!::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = ErrnoOf(::GetLastError());
        return false;
    }
    error = 0;
    return true;
}

bool RemoveFile(const std::string& path) {
    return ::DeleteFileW(Wide(path).c_str()) != 0;
}

bool SeekFile(std::FILE* pFile, int64_t offset, int whence) {
    return ::_fseeki64(pFile, offset, whence) == 0;
}

int64_t TellFile(std::FILE* pFile) {
    return ::_ftelli64(pFile);
}

bool GetFileId(const std::string& path, _FILEID& id) {
    HANDLE handle = OpenForQuery(path);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    const bool isKnown = ::GetFileInformationByHandle(handle, &information) != 0;
    ::CloseHandle(handle);
    if (isKnown) {
        id.device = information.dwVolumeSerialNumber;
        id.index = uint64_t(information.nFileIndexHigh) << 32 | information.nFileIndexLow;
    }
    return isKnown;
}

bool IsRegularFile(const std::string& path) {
    HANDLE handle = OpenForQuery(path);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    // A disk file that is no folder (a console, a pipe or a device is not).
    BY_HANDLE_FILE_INFORMATION information{};
    const bool isRegular = ::GetFileType(handle) == FILE_TYPE_DISK &&
                           ::GetFileInformationByHandle(handle, &information) != 0 &&
                           (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    ::CloseHandle(handle);
    return isRegular;
}

bool Exists(const std::string& path) {
    return ::GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ErrorText(int error) {
    return std::strerror(error);
}

std::tm LocalTime(std::time_t time) {
    std::tm local{};
    ::localtime_s(&local, &time);
    return local;
}

bool IsTerminal(int stream) {
    DWORD mode = 0;
    HANDLE handle = ::GetStdHandle(stream == 0 ? STD_INPUT_HANDLE : STD_ERROR_HANDLE);
    return handle != INVALID_HANDLE_VALUE && handle != nullptr &&
           ::GetConsoleMode(handle, &mode) != 0;
}

bool ReadLine(std::string& line, const std::atomic<bool>& isCancel) {
    line.clear();
    HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    std::wstring wide;
    while (!isCancel.load()) {
        // The console signals input events, not whole lines: wait briefly
        // and read only what is there.
        if (::WaitForSingleObject(input, 100) != WAIT_OBJECT_0) {
            continue;
        }
        INPUT_RECORD record{};
        DWORD count = 0;
        if (!::ReadConsoleInputW(input, &record, 1, &count) || count == 0) {
            return false;
        }
        if (record.EventType != KEY_EVENT || !record.Event.KeyEvent.bKeyDown) {
            continue;
        }
        const wchar_t c = record.Event.KeyEvent.uChar.UnicodeChar;
        if (c == L'\r' || c == L'\n') {
            line = Narrow(wide.data(), int(wide.size()));
            return true;
        }
        if (c == L'\b') {
            if (!wide.empty()) {
                wide.pop_back();
            }
        } else if (c != 0) {
            wide += c;
        }
    }
    return false;
}

namespace {

void (*s_onInterrupt)(int status) = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD event) {
    if (s_onInterrupt == nullptr) {
        return FALSE;
    }
    switch (event) {
    case CTRL_C_EVENT:
        s_onInterrupt(130);
        return TRUE;
    case CTRL_BREAK_EVENT:
        s_onInterrupt(131);
        return TRUE;
    case CTRL_CLOSE_EVENT:
        // The process ends when this returns: give the run a moment to
        // remove its temporary files.
        s_onInterrupt(129);
        ::Sleep(2000);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

void InstallInterruptHandler(void (*onInterrupt)(int status)) {
    s_onInterrupt = onInterrupt;
    // A program started in a process group of its own ignores Ctrl-C until
    // it asks for it again.
    ::SetConsoleCtrlHandler(nullptr, FALSE);
    ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void ExitNow(int status) {
    ::ExitProcess(UINT(status));
}

void IgnoreBrokenPipe() {}

void RaiseOpenFileLimit() {
    // The C runtime's own limit of open streams (512 by default).
    ::_setmaxstdio(2048);
}

std::vector<std::string> Arguments(int argc, char** argv) {
    (void)argv;
    ::SetConsoleOutputCP(CP_UTF8);
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR* pArguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (pArguments == nullptr || count != argc) {
        if (pArguments != nullptr) {
            ::LocalFree(pArguments);
        }
        return std::vector<std::string>(argv, argv + argc);
    }
    for (int i = 0; i < count; ++i) {
        arguments.push_back(Narrow(pArguments[i], int(std::wcslen(pArguments[i]))));
    }
    ::LocalFree(pArguments);
    return arguments;
}

} // namespace CPlatform
