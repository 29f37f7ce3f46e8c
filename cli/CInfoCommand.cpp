#include "CInfoCommand.h"

#include "CBwfFile.h"
#include "CConsoleHost.h"
#include "CJobPath.h"
#include "CPlatform.h"
#include "CTrackMetadata.h"
#include "CWaveScanner.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>

namespace {

struct FORMAT {
    uint16_t tag = 0;
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint16_t bits = 0;
};

// Where a row's size comes from in an RF64/BW64 file.
enum SIZEFROM {
    SIZEFROM_FIELD,
    SIZEFROM_DS64,
    SIZEFROM_NOWHERE, // the field says SIZE_IN_DS64 and "ds64" has no size for it
};

struct CHUNKROW {
    std::string id;
    uint64_t offset;
    uint64_t size; // the real size
    SIZEFROM from;
};

struct FILEINFO {
    std::string path;
    FORM form = FORM_NONE;
    std::string ds64Problem; // "" when none
    std::optional<FORMAT> format;
    std::vector<CHUNKROW> chunks;
    std::vector<CHUNKROW> undefined;
    uint64_t chunksMore = 0; // chunks past the listed ones
    uint64_t undefinedMore = 0;
    std::vector<CTrackMetadata::_TRACKNAME> tracks; // one per channel
};

constexpr uint32_t ROW_LIMIT = 10000;

const char* FormName(FORM form) {
    switch (form) {
    case FORM_RIFF:
        return "RIFF";
    case FORM_RF64:
        return "RF64";
    case FORM_BW64:
        return "BW64";
    case FORM_NONE:
        break;
    }
    return "none";
}

// Identifiers are raw bytes. JSON gets each byte as the code point of the
// same value (lossless, always valid UTF-8); text gets \xNN for the rest.
std::string IdForJson(const char* id) {
    std::string text;
    for (int i = 0; i < 4; ++i) {
        unsigned char byte = static_cast<unsigned char>(id[i]);
        if (byte < 0x80) {
            text += char(byte);
        } else {
            text += char(0xC0 | (byte >> 6));
            text += char(0x80 | (byte & 0x3F));
        }
    }
    return text;
}

std::string IdForText(const std::string& jsonId) {
    std::string text;
    for (std::size_t i = 0; i < jsonId.size(); ++i) {
        unsigned char byte = static_cast<unsigned char>(jsonId[i]);
        if (byte >= 0xC0 && i + 1 < jsonId.size()) {
            byte = static_cast<unsigned char>(((byte & 0x03) << 6) | (jsonId[++i] & 0x3F));
        }
        if (byte >= 0x20 && byte <= 0x7E) {
            text += char(byte);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            text += escaped;
        }
    }
    return text;
}

// Fills info from the file, or returns the message that says why it cannot
// be read.
std::optional<std::string> ReadInfo(const std::string& path, FILEINFO& info) {
    info.path = path;
    auto cannotRead = [&](const std::string& reason) {
        return "cannot read " + Quoted(path) + ": " + reason;
    };
    if (!CJobPath::Exists(path)) {
        return cannotRead("no such file");
    }
    // A FIFO or a device would block the open or the reads.
    if (!CJobPath::IsRegularFile(path)) {
        return CJobPath::NotRegularMessage(path);
    }
    if (!CWaveScanner::IsWaveName(path)) {
        return cannotRead("the name does not end in .wav or .WAV");
    }
    CBwfFile file;
    if (!file.OpenFile(path.c_str(), true)) {
        const std::string why = file.GetErrorText();
        return cannotRead(why.empty() ? "cannot be opened" : why);
    }
    info.form = file.GetForm();
    unsigned char header[12];
    file.SeekFile(0, POINTERBASE_BEGIN);
    if (info.form == FORM_NONE || file.ReadFile(header, 12) != 12 ||
        std::memcmp(header + 8, "WAVE", 4) != 0) {
        return cannotRead("not a RIFF/WAVE file");
    }
    const bool isRf64 = info.form == FORM_RF64 || info.form == FORM_BW64;
    file.GetDs64Problem(info.ds64Problem);
    FORMAT format;
    if (file.GetFormat(format.channels, format.bits, format.rate) &&
        file.GetFormatTag(format.tag)) {
        info.format = format;
    }
    if (info.format) {
        CTrackMetadata metadata;
        metadata.Read(file, info.path);
        info.tracks = metadata.GetTrackNames(info.format->channels);
    }
    file.ClearError();
    // A file of millions of tiny chunks must not fill the memory: the first
    // ROW_LIMIT of each list are shown, the rest counted.
    std::vector<CBwfFile::_CHUNKENTRY> list;
    const uint32_t total = file.EnumChunkList(list, ROW_LIMIT);
    info.chunksMore = total - std::min<uint64_t>(total, list.size());
    // A field of SIZE_IN_DS64 stands for the size "ds64" gives its
    // identifier, so the listed chunks tell the undefined ones theirs.
    std::map<std::string, uint64_t> ds64Size;
    std::string nowhereId;
    for (const CBwfFile::_CHUNKENTRY& entry : list) {
        CHUNKROW row{IdForJson(entry.chunk.id), entry.pointer, entry.realSize, SIZEFROM_FIELD};
        if (isRf64 && entry.chunk.size == SIZE_IN_DS64) {
            row.from = entry.isSizeUnresolved ? SIZEFROM_NOWHERE : SIZEFROM_DS64;
            if (row.from == SIZEFROM_DS64) {
                ds64Size.emplace(row.id, entry.realSize);
            }
            if (row.from == SIZEFROM_NOWHERE && nowhereId.empty()) {
                nowhereId = row.id;
            }
        }
        info.chunks.push_back(row);
    }
    // The walk ends at such a chunk: whatever follows is not shown.
    if (info.ds64Problem.empty() && !nowhereId.empty()) {
        info.ds64Problem = "the ds64 chunk gives no size for \"" + IdForText(nowhereId) + "\"";
    }
    file.ClearError();
    file.EnumUndefineChunk([&](const CBwfFile::_CHUNK& chunk, uint64_t pointer) {
        if (info.undefined.size() < ROW_LIMIT) {
            CHUNKROW row{IdForJson(chunk.id), pointer, chunk.size, SIZEFROM_FIELD};
            if (isRf64 && chunk.size == SIZE_IN_DS64) {
                auto found = ds64Size.find(row.id);
                row.from = found == ds64Size.end() ? SIZEFROM_NOWHERE : SIZEFROM_DS64;
                row.size = found == ds64Size.end() ? chunk.size : found->second;
            }
            info.undefined.push_back(row);
        } else {
            ++info.undefinedMore;
        }
        return true;
    });
    return std::nullopt;
}

nlohmann::ordered_json RowsToJson(const std::vector<CHUNKROW>& rows) {
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (const CHUNKROW& row : rows) {
        array.push_back({{"id", row.id}, {"offset", row.offset}, {"size", row.size}});
    }
    return array;
}

nlohmann::ordered_json InfoToJson(const FILEINFO& info) {
    nlohmann::ordered_json format = nullptr;
    if (info.format) {
        format = {{"tag", info.format->tag},
                  {"channels", info.format->channels},
                  {"rate", info.format->rate},
                  {"bits", info.format->bits}};
    }
    nlohmann::ordered_json tracks = nlohmann::ordered_json::array();
    for (const CTrackMetadata::_TRACKNAME& track : info.tracks) {
        tracks.push_back(
            {{"channel", track.channel}, {"name", track.strName}, {"function", track.strFunction}});
    }
    nlohmann::ordered_json problem = nullptr;
    if (!info.ds64Problem.empty()) {
        problem = info.ds64Problem;
    }
    return {{"path", info.path},
            {"form", FormName(info.form)},
            {"ds64_problem", problem},
            {"format", format},
            {"tracks", tracks},
            {"chunks", RowsToJson(info.chunks)},
            {"chunks_more", info.chunksMore},
            {"undefined", RowsToJson(info.undefined)},
            {"undefined_more", info.undefinedMore}};
}

void PrintRows(std::ostream& out, const std::vector<CHUNKROW>& rows, uint64_t more,
               const char* kind) {
    char line[128];
    std::snprintf(line, sizeof line, "    %-16s %-12s %s\n", "id", "offset", "size");
    out << line;
    for (const CHUNKROW& row : rows) {
        const char* mark = row.from == SIZEFROM_DS64      ? " (ds64)"
                           : row.from == SIZEFROM_NOWHERE ? " (not in ds64)"
                                                          : "";
        std::snprintf(line, sizeof line, "    %-16s %-12llu %llu%s\n", IdForText(row.id).c_str(),
                      static_cast<unsigned long long>(row.offset),
                      static_cast<unsigned long long>(row.size), mark);
        out << line;
    }
    if (more != 0) {
        out << "    ... and " << more << " more " << kind << "\n";
    }
}

void PrintInfo(std::ostream& out, const FILEINFO& info) {
    out << CConsoleHost::Escaped(info.path) << "\n";
    out << "  form: " << FormName(info.form) << "\n";
    if (!info.ds64Problem.empty()) {
        out << "  ds64: " << info.ds64Problem << "\n";
    }
    if (info.format) {
        out << "  format: tag " << info.format->tag << ", " << info.format->channels
            << " channels, " << info.format->rate << " Hz, " << info.format->bits << " bits\n";
    } else {
        out << "  format: no readable fmt chunk\n";
    }
    // Only the channels the file names: a take of 64 unnamed tracks says so
    // in one line.
    bool isNamed = false;
    for (const CTrackMetadata::_TRACKNAME& track : info.tracks) {
        if (track.strName.empty() && track.strFunction.empty()) {
            continue;
        }
        out << "  track " << track.channel << ": " << CConsoleHost::Escaped(track.strName);
        if (!track.strFunction.empty()) {
            out << " (" << CConsoleHost::Escaped(track.strFunction) << ")";
        }
        out << "\n";
        isNamed = true;
    }
    if (info.format && !isNamed) {
        out << "  tracks: no names\n";
    }
    out << "  chunks: " << info.chunks.size() + info.chunksMore << "\n";
    PrintRows(out, info.chunks, info.chunksMore, "chunks");
    if (info.undefined.empty()) {
        out << "  undefined chunks: none\n";
    } else {
        out << "  undefined chunks: " << info.undefined.size() + info.undefinedMore << "\n";
        PrintRows(out, info.undefined, info.undefinedMore, "undefined chunks");
    }
}

} // namespace

int CInfoCommand::Run(std::ostream& out, std::ostream& err) const {
    int status = 0;
    nlohmann::ordered_json files = nlohmann::ordered_json::array();
    bool isFirst = true;
    for (const std::string& path : m_arrayPath) {
        FILEINFO info;
        if (std::optional<std::string> message = ReadInfo(path, info)) {
            err << "kestrawave-cli: " << *message << std::endl;
            err.clear(); // a closed stream changes nothing
            status = 1;
            continue;
        }
        // Shown all the same: the listing says how far the walk got.
        if (!info.ds64Problem.empty()) {
            err << "kestrawave-cli: " << Quoted(path) << ": " << info.ds64Problem << std::endl;
            err.clear();
            status = 1;
        }
        if (m_isJson) {
            files.push_back(InfoToJson(info));
        } else {
            if (!isFirst) {
                out << "\n";
            }
            PrintInfo(out, info);
            isFirst = false;
        }
    }
    if (m_isJson) {
        // Paths are bytes; one that is not UTF-8 must not stop the report.
        out << nlohmann::ordered_json{{"files", files}}.dump(
                   2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
            << "\n";
    }
    out.flush();
    return status;
}
