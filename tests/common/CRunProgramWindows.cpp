#include "CRunProgram.h"

#include "CPlatform.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

// UTF-8 to UTF-16 as the program converts its own paths.
std::wstring Wide(const std::string& utf8) {
    return CPlatform::ToPath(utf8).native();
}

// One argument as CommandLineToArgvW and the C runtime read it back:
// backslashes are literal except before a quote, where each is doubled.
std::wstring Quoted(const std::wstring& argument) {
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        quoted += c;
        backslashes = 0;
    }
    quoted.append(2 * backslashes, L'\\');
    return quoted + L"\"";
}

// The program's name is read up to the next quote, with no escapes.
std::wstring CommandLine(const std::vector<std::string>& command) {
    std::wstring line = L"\"" + Wide(command.at(0)) + L"\"";
    for (std::size_t i = 1; i < command.size(); ++i) {
        line += L" " + Quoted(Wide(command[i]));
    }
    return line;
}

HANDLE Inherited(const wchar_t* path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, TRUE};
    return ::CreateFileW(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         &attributes, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Starts command with the three standard handles, which it inherits; the
// handles are closed here either way.
bool Create(const std::vector<std::string>& command, HANDLE out, HANDLE err, DWORD flags,
            PROCESS_INFORMATION& information) {
    HANDLE in = Inherited(L"NUL", GENERIC_READ, OPEN_EXISTING);
    bool isStarted = false;
    if (in != INVALID_HANDLE_VALUE && out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = in;
        startup.hStdOutput = out;
        startup.hStdError = err;
        std::wstring line = CommandLine(command);
        isStarted = ::CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, flags, nullptr,
                                     nullptr, &startup, &information) != 0;
        if (isStarted) {
            ::CloseHandle(information.hThread);
        }
    }
    for (HANDLE handle : {in, out, err == out ? INVALID_HANDLE_VALUE : err}) {
        if (handle != INVALID_HANDLE_VALUE) {
            ::CloseHandle(handle);
        }
    }
    return isStarted;
}

} // namespace

CRunProgram::CRunProgram(std::vector<std::string> arrayCommand)
    : m_arrayCommand(std::move(arrayCommand)) {}

CRunProgram::~CRunProgram() {
    if (m_hProcess != nullptr) {
        ::TerminateProcess(m_hProcess, 1);
        ::WaitForSingleObject(m_hProcess, INFINITE);
        ::CloseHandle(m_hProcess);
    }
}

bool CRunProgram::Start(const std::string& outPath, const std::string& errPath, bool isOwnGroup) {
    HANDLE out = Inherited(Wide(outPath).c_str(), GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE err =
        errPath == outPath ? out : Inherited(Wide(errPath).c_str(), GENERIC_WRITE, CREATE_ALWAYS);
    PROCESS_INFORMATION information{};
    if (!Create(m_arrayCommand, out, err, isOwnGroup ? CREATE_NEW_PROCESS_GROUP : 0, information)) {
        return false;
    }
    m_hProcess = information.hProcess;
    m_id = information.dwProcessId;
    return true;
}

bool CRunProgram::StartOnClosedPipe() {
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!::CreatePipe(&read, &write, &attributes, 0)) {
        return false;
    }
    ::CloseHandle(read);
    PROCESS_INFORMATION information{};
    if (!Create(m_arrayCommand, write, write, 0, information)) {
        return false;
    }
    m_hProcess = information.hProcess;
    m_id = information.dwProcessId;
    return true;
}

int CRunProgram::Wait(int timeoutSeconds) {
    if (m_hProcess == nullptr) {
        return -1;
    }
    DWORD status = 0;
    const bool isDone =
        ::WaitForSingleObject(m_hProcess, DWORD(timeoutSeconds) * 1000) == WAIT_OBJECT_0 &&
        ::GetExitCodeProcess(m_hProcess, &status) != 0;
    if (!isDone) {
        ::TerminateProcess(m_hProcess, 1);
        ::WaitForSingleObject(m_hProcess, INFINITE);
    }
    ::CloseHandle(m_hProcess);
    m_hProcess = nullptr;
    m_id = 0;
    return isDone ? int(status) : -1;
}

int CRunProgram::Run(const std::vector<std::string>& arrayCommand, const std::string& outPath,
                     const std::string& errPath, int timeoutSeconds) {
    CRunProgram program(arrayCommand);
    return program.Start(outPath, errPath) ? program.Wait(timeoutSeconds) : -1;
}

std::string CRunProgram::CliPath() {
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = 0;
    while ((length = ::GetModuleFileNameW(nullptr, &path[0], DWORD(path.size()))) == path.size()) {
        path.resize(path.size() * 2);
    }
    path.resize(length);
    path = path.substr(0, path.find_last_of(L"\\/") + 1) + L"kestrawave-cli.exe";
    const int count = ::WideCharToMultiByte(CP_UTF8, 0, path.data(), int(path.size()), nullptr, 0,
                                            nullptr, nullptr);
    std::string utf8(std::size_t(count), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, path.data(), int(path.size()), &utf8[0], count, nullptr,
                          nullptr);
    return utf8;
}
