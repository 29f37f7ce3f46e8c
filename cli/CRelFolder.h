#pragma once

#include <string>
#include <vector>

// The folder under the output folder where a recursive run writes what it
// found in a folder below the one named: OUT/REL, made with every missing
// level. The levels a run made are removed again when the last conversion
// holding them ends without writing anything there; conversions running
// side by side share the folders safely.
class CRelFolder {
public:
    CRelFolder() = default;
    CRelFolder(const CRelFolder&) = delete;
    CRelFolder& operator=(const CRelFolder&) = delete;
    ~CRelFolder();

    // Makes outFolder/rel (rel "" is outFolder itself, made already) and
    // holds it. False with a message naming the folder when a level cannot
    // be made or is no folder (a link to one is refused: it could lead the
    // files out of the output folder).
    bool Make(const std::string& outFolder, const std::string& rel, std::string& message);
    // Lets go of the folder; removes the levels this run made that are
    // empty and held by no other conversion.
    void RemoveIfEmpty();

private:
    void Release(bool isRemoving);

    std::string m_strPath;
    bool m_isHeld = false;
};
