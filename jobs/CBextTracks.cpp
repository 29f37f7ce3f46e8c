#include "CBextTracks.h"

#include "CBwfLayout.h"

namespace {

struct _LINE {
    std::string strText;
    std::string strEnd; // "\r\n", "\n", or "" for a last line without one
    int track;          // k of a track line, -1 for other lines
    bool isFileName;
};

// A value must not open a line of its own or end the text.
std::string OneLine(const std::string& text) {
    return text.substr(0, text.find_first_of(std::string("\r\n\0", 3)));
}

int TrackOf(const std::string& text) {
    if (text.size() < 6 || text[0] < 'a' || text[0] > 'z' || text.compare(1, 3, "TRK") != 0) {
        return -1;
    }
    std::size_t at = 4;
    int k = 0;
    while (at < text.size() && at < 13 && text[at] >= '0' && text[at] <= '9') {
        k = k * 10 + (text[at++] - '0');
    }
    return at > 4 && at < text.size() && text[at] == '=' ? k : -1;
}

std::vector<_LINE> Lines(const std::string& field) {
    const std::string text = field.substr(0, BEXT_DESCRIPTION_BYTES);
    const std::string held = text.substr(0, text.find('\0'));
    std::vector<_LINE> lines;
    for (std::size_t at = 0; at < held.size();) {
        const std::size_t newline = held.find('\n', at);
        _LINE line;
        if (newline == std::string::npos) {
            line.strText = held.substr(at);
            at = held.size();
        } else {
            line.strText = held.substr(at, newline - at);
            line.strEnd = "\n";
            at = newline + 1;
            if (!line.strText.empty() && line.strText.back() == '\r') {
                line.strText.pop_back();
                line.strEnd = "\r\n";
            }
        }
        line.track = TrackOf(line.strText);
        line.isFileName = line.strText.size() >= 10 && line.strText[0] >= 'a' &&
                          line.strText[0] <= 'z' && line.strText.compare(1, 9, "FILENAME=") == 0;
        lines.push_back(line);
    }
    return lines;
}

std::string Join(const std::vector<_LINE>& lines) {
    std::string text;
    for (const _LINE& line : lines) {
        text += line.strText + line.strEnd;
    }
    return text;
}

void Rename(std::vector<_LINE>& lines, const std::string& fileName) {
    for (_LINE& line : lines) {
        if (line.isFileName) {
            line.strText = line.strText.substr(0, 10) + OneLine(fileName);
        }
    }
}

std::string Padded(std::string text) {
    text.resize(BEXT_DESCRIPTION_BYTES, '\0');
    return text;
}

} // namespace

std::vector<std::pair<int, std::string>> CBextTracks::GetTracks(const std::string& field) {
    std::vector<std::pair<int, std::string>> tracks;
    for (const _LINE& line : Lines(field)) {
        if (line.track >= 0) {
            tracks.emplace_back(line.track, line.strText.substr(line.strText.find('=') + 1));
        }
    }
    return tracks;
}

std::string CBextTracks::FindTrackLine(const std::string& field, int track) {
    std::string only;
    int count = 0;
    for (const _LINE& line : Lines(field)) {
        if (line.track == track) {
            return line.strText;
        }
        if (line.track >= 0 && ++count == 1) {
            only = line.strText;
        }
    }
    return count == 1 ? only : "";
}

std::string CBextTracks::MakeMonoDescription(const std::string& field, int ownTrack,
                                             const std::string& fileName) {
    std::vector<_LINE> lines;
    for (const _LINE& line : Lines(field)) {
        if (line.track < 0 || line.track == ownTrack) {
            lines.push_back(line);
        }
    }
    std::vector<_LINE> renamed = lines;
    Rename(renamed, fileName);
    const std::string text = Join(renamed);
    return Padded(text.size() <= BEXT_DESCRIPTION_BYTES ? text : Join(lines));
}

std::string CBextTracks::MakePolyDescription(const std::string& leadField,
                                             const std::vector<std::string>& trackLines,
                                             const std::string& fileName, int& leftOut) {
    const std::vector<_LINE> lead = Lines(leadField);
    std::vector<_LINE> rest;
    std::size_t insertAt = std::string::npos;
    std::string lineEnd;
    for (const _LINE& line : lead) {
        if (line.track < 0) {
            rest.push_back(line);
        } else if (insertAt == std::string::npos) {
            insertAt = rest.size();
            lineEnd = line.strEnd;
        }
    }
    for (const _LINE& line : lead) {
        if (lineEnd.empty()) {
            lineEnd = line.strEnd;
        }
    }
    if (lineEnd.empty()) {
        lineEnd = "\r\n";
    }
    if (insertAt == std::string::npos) {
        insertAt = rest.size();
    }
    std::vector<std::string> added;
    for (const std::string& given : trackLines) {
        if (!OneLine(given).empty()) {
            added.push_back(OneLine(given));
        }
    }

    auto build = [&](std::size_t count, bool isRenamed) {
        std::vector<_LINE> lines(rest.begin(), rest.begin() + std::ptrdiff_t(insertAt));
        if (count > 0 && !lines.empty() && lines.back().strEnd.empty()) {
            lines.back().strEnd = lineEnd;
        }
        for (std::size_t i = 0; i < count; ++i) {
            lines.push_back({added[i], lineEnd, 0, false});
        }
        lines.insert(lines.end(), rest.begin() + std::ptrdiff_t(insertAt), rest.end());
        if (isRenamed) {
            Rename(lines, fileName);
        }
        return Join(lines);
    };
    for (bool isRenamed : {true, false}) {
        for (std::size_t count = added.size() + 1; count-- > 0;) {
            const std::string text = build(count, isRenamed);
            if (text.size() <= BEXT_DESCRIPTION_BYTES) {
                leftOut = int(added.size() - count);
                return Padded(text);
            }
        }
    }
    // Not reached: the lead's own lines, less its track lines, fit.
    leftOut = int(added.size());
    return Padded(Join(rest));
}
