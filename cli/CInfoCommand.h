#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// `kestrawave-cli info`: the form (RIFF, RF64 or BW64), the format, every
// chunk and the undefined-chunk list of each file, read through the engine.
// Sizes are the real 64-bit ones: where an RF64/BW64 size field says
// SIZE_IN_DS64, the size "ds64" gives (marked "(ds64)" in the text; JSON
// gives the size only, the field being the 4 bytes at offset + 4). A "ds64"
// problem, or such a field that "ds64" has no size for, is printed with the
// file ("ds64: ..."; JSON "ds64_problem") and on the error stream. Each list
// shows its first 10 000 entries and counts the others ("chunks_more",
// "undefined_more" in JSON), so memory stays bounded whatever the file
// holds. A file that cannot be read, or is not a regular file, gets one line
// on the error stream naming it; the others are still shown.
class CInfoCommand {
public:
    std::vector<std::string> m_arrayPath;
    bool m_isJson = false;

    // 0 when every file was shown whole, 1 when one or more could not be
    // read or had a "ds64" problem.
    int Run(std::ostream& out, std::ostream& err) const;
};
