#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// `kestrawave-cli info`: the format, every chunk and the undefined-chunk list
// of each file, read through the engine. Each list shows its first 10 000
// entries and counts the others ("chunks_more", "undefined_more" in JSON),
// so memory stays bounded whatever the file holds. A file that cannot be
// read, or is not a regular file, gets one line on the error stream naming
// it; the others are still shown.
class CInfoCommand {
public:
    std::vector<std::string> m_arrayPath;
    bool m_isJson = false;

    // 0 when every file was shown, 1 when one or more could not be read.
    int Run(std::ostream& out, std::ostream& err) const;
};
