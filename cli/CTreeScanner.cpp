#include "CTreeScanner.h"

#include "CJobHost.h"
#include "CJobPath.h"
#include "CPlatform.h"
#include "CTakeScanner.h"
#include "CWaveScanner.h"

#include <algorithm>
#include <filesystem>
#include <functional>

namespace fs = std::filesystem;

namespace {

// Calls visit(folder, rel) for the folder and every folder below it, in no
// particular order.
void Walk(const fs::path& top, const std::string& outFolder, std::vector<std::string>& arrayProblem,
          const std::function<void(const fs::path&, const std::string&)>& visit) {
    const fs::path out = outFolder.empty() ? fs::path() : CPlatform::ToPath(outFolder);
    std::function<void(const fs::path&, const std::string&, int)> walk = [&](const fs::path& folder,
                                                                             const std::string& rel,
                                                                             int depth) {
        visit(folder, rel);
        if (depth >= CTreeScanner::MAX_DEPTH) {
            arrayProblem.push_back(Quoted(CPlatform::FromPath(folder)) + " lies more than " +
                                   std::to_string(CTreeScanner::MAX_DEPTH) +
                                   " folders down; what is below it is left out.");
            return;
        }
        std::vector<std::pair<fs::path, std::string>> children;
        std::error_code listError;
        fs::directory_iterator it(folder, listError);
        for (; !listError && it != fs::directory_iterator(); it.increment(listError)) {
            const std::string name = CPlatform::FromPath(it->path().filename());
            std::error_code statusError;
            // A link to a folder is not followed.
            if (name.empty() || name[0] == '.' || !it->is_directory(statusError) ||
                it->is_symlink(statusError)) {
                continue;
            }
            if (!out.empty() && fs::equivalent(it->path(), out, statusError)) {
                continue;
            }
            children.emplace_back(it->path(), rel.empty() ? name : rel + "/" + name);
        }
        if (listError) {
            arrayProblem.push_back("Cannot read the folder " + Quoted(CPlatform::FromPath(folder)) +
                                   ": " + listError.message() + ".");
        }
        for (const auto& [child, childRel] : children) {
            walk(child, childRel, depth + 1);
        }
    };
    walk(top, "", 0);
}

void SortByPath(std::vector<CTreeScanner::_FOUND>& found) {
    std::sort(found.begin(), found.end(),
              [](const CTreeScanner::_FOUND& a, const CTreeScanner::_FOUND& b) {
                  return a.strPath < b.strPath;
              });
}

} // namespace

std::vector<CTreeScanner::_FOUND>
CTreeScanner::FindWaveFiles(const std::string& folder, const std::string& outFolder,
                            std::vector<std::string>& arrayProblem) {
    std::vector<_FOUND> found;
    Walk(CPlatform::ToPath(folder), outFolder, arrayProblem,
         [&](const fs::path& at, const std::string& rel) {
             std::error_code error;
             fs::directory_iterator it(at, error);
             for (; !error && it != fs::directory_iterator(); it.increment(error)) {
                 const std::string path = CPlatform::FromPath(it->path());
                 if (CWaveScanner::IsWaveName(CPlatform::FromPath(it->path().filename())) &&
                     CJobPath::IsRegularFile(path)) {
                     found.push_back({path, rel});
                 }
             }
         });
    SortByPath(found);
    return found;
}

std::vector<CTreeScanner::_FOUND>
CTreeScanner::FindTakeFolders(const std::string& folder, const std::string& outFolder,
                              std::vector<std::string>& arrayProblem) {
    std::vector<_FOUND> found;
    Walk(CPlatform::ToPath(folder), outFolder, arrayProblem,
         [&](const fs::path& at, const std::string& rel) {
             if (!CTakeScanner::ScanFolder(CPlatform::FromPath(at)).empty()) {
                 found.push_back({CPlatform::FromPath(at), rel});
             }
         });
    SortByPath(found);
    return found;
}
