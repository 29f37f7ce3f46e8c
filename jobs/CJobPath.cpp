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
