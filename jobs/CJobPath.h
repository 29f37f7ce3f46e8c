#pragma once

#include <string>
#include <vector>

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

// Something stands at path (a link too, even a broken one).
bool Exists(const std::string& path);
// The first of inputs that is the same file as output; empty for none.
std::string SameFileIn(const std::string& output, const std::vector<std::string>& inputs);

// A take's name and the mono file of its channel n: the file a split
// writes, "FOLDER/TAKE_n.wav".
std::string TakeName(const std::string& fileName); // the name without its extension
// The last part of a path, after its last folder separator ("/", on Windows
// also "\\").
std::string FileName(const std::string& path);
std::string MonoPath(const std::string& folder, const std::string& takeName, int n);
// The mono file a merge reads for channel n: MonoPath, or "TAKE_n.WAV" when
// only that is a regular file, or when neither is and only it exists.
std::string FindMonoPath(const std::string& folder, const std::string& takeName, int n);

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
