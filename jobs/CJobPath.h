#pragma once

#include <string>

// The checks on the paths a job reads and writes, so that a job never
// writes over one of its inputs, outside its output folder, or into a file
// that is not a plain file, and names every path it reports in a way that
// cannot disturb a terminal.
namespace CJobPath {

// Empty when name can be a take name (the last part of an output path);
// otherwise why not: empty, "." or "..", or holding "/", "\" or a control
// character.
std::string TakeNameProblem(const std::string& name);

// True for a regular file, also through a link.
bool IsRegularFile(const std::string& path);
// The message for a path that is not one: "... is not a regular file."
std::string NotRegularMessage(const std::string& path);

// The same file (device and inode), whatever links or ".." lead to it.
// False when either does not exist.
bool IsSameFile(const std::string& first, const std::string& second);

} // namespace CJobPath

// A take folder under an output folder: created when missing, refused when
// something other than a real folder stands there, and removed again by a
// run that fails if this run created it and left it empty.
class CTakeFolder {
public:
    // False with a message naming the folder when it cannot be used.
    bool Make(const std::string& path, std::string& message);
    // Removes the folder if Make created it and it is empty.
    void RemoveIfEmpty();
    const std::string& GetPath() const { return m_strPath; }

private:
    std::string m_strPath;
    bool m_isCreated = false;
};
