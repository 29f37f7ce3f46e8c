#include "CJobPath.h"

#include "CJobHost.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

std::string CJobPath::TakeNameProblem(const std::string& name) {
    if (name.empty()) {
        return "an empty take name";
    }
    if (name == "." || name == "..") {
        return "the take name " + Quoted(name) + " names a folder";
    }
    for (char c : name) {
        if (c == '/' || c == '\\') {
            return "the take name " + Quoted(name) + " holds a path separator";
        }
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return "the take name " + Quoted(name) + " holds a control character";
        }
    }
    return std::string();
}

bool CJobPath::IsRegularFile(const std::string& path) {
    std::error_code error;
    return fs::is_regular_file(fs::status(path, error));
}

std::string CJobPath::NotRegularMessage(const std::string& path) {
    return Quoted(path) + " is not a regular file.";
}

bool CJobPath::IsSameFile(const std::string& first, const std::string& second) {
    std::error_code error;
    return fs::equivalent(first, second, error);
}

bool CJobPath::Exists(const std::string& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

std::string CJobPath::SameFileIn(const std::string& output,
                                 const std::vector<std::string>& inputs) {
    for (const std::string& input : inputs) {
        if (IsSameFile(output, input)) {
            return input;
        }
    }
    return std::string();
}

std::string CJobPath::TakeName(const std::string& fileName) {
    std::string::size_type dot = fileName.rfind('.');
    std::string::size_type slash = fileName.rfind('/');
    if (dot == std::string::npos || dot == 0 || (slash != std::string::npos && dot < slash)) {
        return fileName;
    }
    return fileName.substr(0, dot);
}

std::string CJobPath::MonoPath(const std::string& folder, const std::string& takeName, int n) {
    return folder + "/" + takeName + "_" + std::to_string(n) + ".wav";
}

std::string CJobPath::FindMonoPath(const std::string& folder, const std::string& takeName, int n) {
    const std::string lower = MonoPath(folder, takeName, n);
    const std::string upper = lower.substr(0, lower.size() - 3) + "WAV";
    if (!IsRegularFile(lower) && (IsRegularFile(upper) || (!Exists(lower) && Exists(upper)))) {
        return upper;
    }
    return lower;
}

bool CTakeFolder::Make(const std::string& path, std::string& message) {
    m_strPath = path;
    m_isCreated = false;
    std::error_code error;
    fs::file_status status = fs::symlink_status(path, error);
    if (fs::exists(status)) {
        // A link could lead the files out of the output folder.
        if (!fs::is_directory(status)) {
            message = "Cannot write into " + Quoted(path) + ": it is not a folder" +
                      (fs::is_symlink(status) ? " but a link." : ".");
            return false;
        }
        return true;
    }
    if (!fs::create_directory(path, error)) {
        message = "Cannot create the folder " + Quoted(path) + ": " + error.message() + ".";
        return false;
    }
    m_isCreated = true;
    return true;
}

void CTakeFolder::RemoveIfEmpty() {
    if (m_isCreated) {
        std::error_code error;
        if (fs::is_empty(m_strPath, error) && !error) {
            fs::remove(m_strPath, error);
        }
        m_isCreated = false;
    }
}
