#include "CJobPath.h"

#include "CJobHost.h"
#include "CPlatform.h"

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
    const std::string problem = CPlatform::NameProblem(name);
    return problem.empty() ? problem : "the take name " + Quoted(name) + " " + problem;
}

bool CJobPath::IsRegularFile(const std::string& path) {
    return CPlatform::IsRegularFile(path);
}

std::string CJobPath::NotRegularMessage(const std::string& path) {
    return Quoted(path) + " is not a regular file.";
}

bool CJobPath::IsSameFile(const std::string& first, const std::string& second) {
    CPlatform::_FILEID firstId, secondId;
    return CPlatform::GetFileId(first, firstId) && CPlatform::GetFileId(second, secondId) &&
           firstId == secondId;
}

bool CJobPath::Exists(const std::string& path) {
    return CPlatform::Exists(path);
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

std::string CJobPath::FileName(const std::string& path) {
    const std::string::size_type slash = path.find_last_of(CPlatform::PATH_SEPARATORS);
    return slash == std::string::npos ? path : path.substr(slash + 1);
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
    fs::file_status status = fs::symlink_status(CPlatform::ToPath(path), error);
    if (fs::exists(status)) {
        // A link could lead the files out of the output folder.
        if (!fs::is_directory(status)) {
            message = "Cannot write into " + Quoted(path) + ": it is not a folder" +
                      (fs::is_symlink(status) ? " but a link." : ".");
            return false;
        }
        return true;
    }
    if (!fs::create_directory(CPlatform::ToPath(path), error)) {
        message = "Cannot create the folder " + Quoted(path) + ": " + error.message() + ".";
        return false;
    }
    m_isCreated = true;
    return true;
}

void CTakeFolder::RemoveIfEmpty() {
    if (m_isCreated) {
        std::error_code error;
        const fs::path path = CPlatform::ToPath(m_strPath);
        if (fs::is_empty(path, error) && !error) {
            fs::remove(path, error);
        }
        m_isCreated = false;
    }
}
