#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

// What the engine, the jobs and the command line ask of the operating
// system beyond the C++ standard library, in one place: CPlatformPosix.cpp
// and CPlatformWindows.cpp implement it, one of them chosen at build time.
// No other file includes a system header.
//
// Paths are UTF-8 strings everywhere; ToPath and FromPath carry them to and
// from std::filesystem without the system's code page, so names outside
// ASCII work on Windows too. Failures are told by errno values (a Windows
// error is mapped to the nearest one), whose text ErrorText gives.
namespace CPlatform {

// The characters that end a folder name in a path: "/", on Windows "/\".
extern const char* const PATH_SEPARATORS;

std::filesystem::path ToPath(const std::string& utf8);
// Why the system cannot take name as a file name ("holds a ':'", "is a
// device name"), "" when it can; path separators and control characters
// are the caller's.
std::string NameProblem(const std::string& name);
std::string FromPath(const std::filesystem::path& path);

// ---- Files --------------------------------------------------------------

// fopen of a UTF-8 path; mode "rb", "r+b" or "w+b". nullptr with error set
// when it fails.
std::FILE* OpenFile(const std::string& path, const char* mode, int& error);
// Creates a file for reading and writing that did not exist: fails (EEXIST)
// when anything stands at path, a link (dangling or not) included, so that
// the file is never created through one.
std::FILE* CreateExclusive(const std::string& path, int& error);
// Moves the file from onto to in one step, replacing a file there; a reader
// of to sees the old file or the new one, never neither.
bool ReplaceFile(const std::string& from, const std::string& to, int& error);
bool RemoveFile(const std::string& path);
// Moves a stream's position; 64-bit offsets everywhere (whence: SEEK_SET,
// SEEK_CUR, SEEK_END).
bool SeekFile(std::FILE* pFile, int64_t offset, int whence);
int64_t TellFile(std::FILE* pFile);

// Which file a path names, whatever link or ".." leads to it: device and
// inode, or volume serial number and file index.
struct _FILEID {
    uint64_t device = 0;
    uint64_t index = 0;
    bool operator==(const _FILEID& other) const {
        return device == other.device && index == other.index;
    }
};
bool GetFileId(const std::string& path, _FILEID& id);
// A regular file, also through a link: no folder, FIFO, device or socket,
// which could block or fail a read.
bool IsRegularFile(const std::string& path);
// Anything at path, a dangling link too.
bool Exists(const std::string& path);

std::string ErrorText(int error);
std::tm LocalTime(std::time_t time);

// ---- The console --------------------------------------------------------

// Whether standard input (0) or standard error (2) is a terminal.
bool IsTerminal(int stream);
// A line typed on standard input, without its line end. Waits in short
// polls, so that isCancel set by an interrupt ends the wait; false at the
// end of the input or once isCancel is set.
bool ReadLine(std::string& line, const std::atomic<bool>& isCancel);
// Calls onInterrupt with 128 + the signal (SIGINT 130, SIGTERM 143, SIGHUP
// 129; on Windows Ctrl-C 130, Ctrl-Break 131, a closed console 129) when the
// user interrupts. onInterrupt must only set flags or end the process.
void InstallInterruptHandler(void (*onInterrupt)(int status));
// Ends the process at once, running nothing more.
[[noreturn]] void ExitNow(int status);
// A write to a closed pipe fails instead of ending the process.
void IgnoreBrokenPipe();
// As many open files as the system allows this process: a merge holds every
// mono of a take open.
void RaiseOpenFileLimit();
// The command line in UTF-8 (on Windows read again as wide characters), and
// the console set to show UTF-8.
std::vector<std::string> Arguments(int argc, char** argv);

} // namespace CPlatform
