#include "CRelFolder.h"

#include "CJobHost.h"
#include "CPlatform.h"

#include <filesystem>
#include <map>
#include <mutex>
#include <set>

namespace fs = std::filesystem;

namespace {

std::mutex s_mutex;
// Conversions holding each folder, and the folders this process made.
std::map<std::string, int> s_holders;
std::set<std::string> s_made;

} // namespace

CRelFolder::~CRelFolder() {
    Release(false);
}

bool CRelFolder::Make(const std::string& outFolder, const std::string& rel, std::string& message) {
    std::lock_guard<std::mutex> lock(s_mutex);
    m_strPath = outFolder;
    std::string at = outFolder;
    std::string::size_type start = 0;
    while (start < rel.size()) {
        std::string::size_type end = rel.find('/', start);
        end = end == std::string::npos ? rel.size() : end;
        at += "/" + rel.substr(start, end - start);
        start = end + 1;
        std::error_code error;
        const fs::file_status status = fs::symlink_status(CPlatform::ToPath(at), error);
        if (fs::exists(status)) {
            if (!fs::is_directory(status)) {
                message = "Cannot write into " + Quoted(at) + ": it is not a folder" +
                          (fs::is_symlink(status) ? " but a link." : ".");
                return false;
            }
            continue;
        }
        if (!fs::create_directory(CPlatform::ToPath(at), error)) {
            message = "Cannot create the folder " + Quoted(at) + ": " + error.message() + ".";
            return false;
        }
        s_made.insert(at);
    }
    m_strPath = at;
    ++s_holders[m_strPath];
    m_isHeld = true;
    return true;
}

void CRelFolder::RemoveIfEmpty() {
    Release(true);
}

void CRelFolder::Release(bool isRemoving) {
    if (!m_isHeld) {
        return;
    }
    std::lock_guard<std::mutex> lock(s_mutex);
    m_isHeld = false;
    if (--s_holders[m_strPath] != 0 || !isRemoving) {
        return;
    }
    // Up the levels this process made, while each is empty and unheld.
    for (fs::path at = CPlatform::ToPath(m_strPath); s_made.count(CPlatform::FromPath(at)) != 0;
         at = at.parent_path()) {
        std::error_code error;
        const auto held = s_holders.find(CPlatform::FromPath(at));
        if ((held != s_holders.end() && held->second != 0) || !fs::is_empty(at, error) || error ||
            !fs::remove(at, error)) {
            return;
        }
        s_made.erase(CPlatform::FromPath(at));
    }
}
