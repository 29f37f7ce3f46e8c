#pragma once

#include <string>
#include <vector>

// Finds, below a folder, what a recursive run converts: the wave files to
// split, or the folders of takes to merge. The walk never follows a link to
// a folder (a loop would never end), never enters the run's output folder
// (a second run would take its own outputs for inputs), skips folders
// whose names start with "." (the system's own on memory cards) and goes
// at most MAX_DEPTH folders down.
class CTreeScanner {
public:
    static constexpr int MAX_DEPTH = 64;

    struct _FOUND {
        std::string strPath;
        // The folder holding it, relative to the folder walked: "" for the
        // folder itself, else "DAY1/SOUND" (always "/").
        std::string strRelFolder;
    };

    // outFolder: the run's output folder. Each folder that cannot be read
    // is named in arrayProblem. Results are sorted by path.
    // Wave files (.wav/.WAV, regular files, also through a link).
    static std::vector<_FOUND> FindWaveFiles(const std::string& folder,
                                             const std::string& outFolder,
                                             std::vector<std::string>& arrayProblem);
    // Folders, the walked one included, that hold at least one take; their
    // strPath is the folder itself.
    static std::vector<_FOUND> FindTakeFolders(const std::string& folder,
                                               const std::string& outFolder,
                                               std::vector<std::string>& arrayProblem);
};
