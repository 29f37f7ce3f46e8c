#include "CInfoCommand.h"

#include "CBwfFile.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <ostream>

namespace {

struct FORMAT {
    uint16_t tag = 0;
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint16_t bits = 0;
};

struct CHUNKROW {
    std::string id;
    uint64_t offset;
    uint32_t size;
};

struct FILEINFO {
    std::string path;
    std::optional<FORMAT> format;
    std::vector<CHUNKROW> chunks;
    std::vector<CHUNKROW> undefined;
};

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

std::string ReasonForOpenFailure(const std::string& path, int openErrno) {
    std::error_code error;
    std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) {
        return "no such file";
    }
    if (std::filesystem::is_directory(status)) {
        return "is a folder, not a file";
    }
    std::string::size_type dot = path.rfind('.');
    std::string extension = dot == std::string::npos ? "" : path.substr(dot + 1);
    if (extension != "wav" && extension != "WAV") {
        return "the name does not end in .wav or .WAV";
    }
    return openErrno != 0 ? std::strerror(openErrno) : "cannot be opened";
}

// Fills info from the file, or returns the reason it cannot be read.
std::optional<std::string> ReadInfo(const std::string& path, FILEINFO& info) {
    info.path = path;
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        return ReasonForOpenFailure(path, 0);
    }
    CBwfFile file;
    errno = 0;
    if (!file.OpenFile(path.c_str(), true)) {
        return ReasonForOpenFailure(path, errno);
    }
    unsigned char header[12];
    file.SeekFile(0, POINTERBASE_BEGIN);
    if (file.ReadFile(header, 12) != 12 || std::memcmp(header, "RIFF", 4) != 0 ||
        std::memcmp(header + 8, "WAVE", 4) != 0) {
        return std::string("not a RIFF/WAVE file");
    }
    FORMAT format;
    if (file.GetFormat(format.channels, format.bits, format.rate) &&
        file.GetFormatTag(format.tag)) {
        info.format = format;
    }
    std::vector<CBwfFile::_CHUNKENTRY> list;
    file.EnumChunkList(list);
    for (const CBwfFile::_CHUNKENTRY& entry : list) {
        info.chunks.push_back({IdForJson(entry.chunk.id), entry.pointer, entry.chunk.size});
    }
    int32_t count = file.EnumUndefineChunk();
    for (int32_t index = 0; index < count; ++index) {
        CBwfFile::_CHUNK chunk;
        uint64_t pointer = 0;
        if (file.GetUndefineChunk(index, &chunk, &pointer)) {
            info.undefined.push_back({IdForJson(chunk.id), pointer, chunk.size});
        }
    }
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
    return {{"path", info.path},
            {"format", format},
            {"chunks", RowsToJson(info.chunks)},
            {"undefined", RowsToJson(info.undefined)}};
}

void PrintRows(std::ostream& out, const std::vector<CHUNKROW>& rows) {
    char line[128];
    std::snprintf(line, sizeof line, "    %-16s %-12s %s\n", "id", "offset", "size");
    out << line;
    for (const CHUNKROW& row : rows) {
        std::snprintf(line, sizeof line, "    %-16s %-12llu %lu\n", IdForText(row.id).c_str(),
                      static_cast<unsigned long long>(row.offset),
                      static_cast<unsigned long>(row.size));
        out << line;
    }
}

void PrintInfo(std::ostream& out, const FILEINFO& info) {
    out << info.path << "\n";
    if (info.format) {
        out << "  format: tag " << info.format->tag << ", " << info.format->channels
            << " channels, " << info.format->rate << " Hz, " << info.format->bits << " bits\n";
    } else {
        out << "  format: no readable fmt chunk\n";
    }
    out << "  chunks: " << info.chunks.size() << "\n";
    PrintRows(out, info.chunks);
    if (info.undefined.empty()) {
        out << "  undefined chunks: none\n";
    } else {
        out << "  undefined chunks: " << info.undefined.size() << "\n";
        PrintRows(out, info.undefined);
    }
}

} // namespace

int CInfoCommand::Run(std::ostream& out, std::ostream& err) const {
    int status = 0;
    nlohmann::ordered_json files = nlohmann::ordered_json::array();
    bool isFirst = true;
    for (const std::string& path : m_arrayPath) {
        FILEINFO info;
        if (std::optional<std::string> reason = ReadInfo(path, info)) {
            err << "kestrawave-cli: cannot read \"" << path << "\": " << *reason << std::endl;
            status = 1;
            continue;
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
