#pragma once

// What the engine, jobs and command-line tests share: RIFF bytes built and
// read back by hand, independently of the engine, and a temporary folder of
// each test's own, removed at its end. Names are UTF-8 strings, as the
// product's are, also on Windows.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

// Bytes are joined with +; numbers are little-endian.
inline Bytes operator+(Bytes first, const Bytes& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}
inline Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}
inline Bytes U16(uint32_t value) {
    return {uint8_t(value), uint8_t(value >> 8)};
}
inline Bytes U32(uint32_t value) {
    return U16(value) + U16(value >> 16);
}
// A chunk, with the pad byte after an odd body unless told otherwise.
inline Bytes Chunk(const std::string& id, const Bytes& body, bool isPadded = true) {
    return Text(id) + U32(uint32_t(body.size())) + body + Bytes(isPadded ? body.size() % 2 : 0);
}
inline Bytes Riff(const Bytes& chunks) {
    return Text("RIFF") + U32(uint32_t(chunks.size() + 4)) + Text("WAVE") + chunks;
}
// A text field: the text, then zero bytes up to its width.
inline Bytes Field(const std::string& text, std::size_t width) {
    return Text(text) + Bytes(width - text.size());
}
inline Bytes Slice(const Bytes& bytes, std::size_t at, std::size_t count) {
    at = std::min(bytes.size(), at);
    return Bytes(bytes.begin() + at, bytes.begin() + std::min(bytes.size(), at + count));
}
inline uint32_t Le(const Bytes& bytes, std::size_t at) {
    return bytes.at(at) | bytes.at(at + 1) << 8 | bytes.at(at + 2) << 16 |
           uint32_t(bytes.at(at + 3)) << 24;
}
inline void Put(Bytes& bytes, std::size_t at, uint32_t value, int count = 4) {
    for (int i = 0; i < count; ++i) {
        bytes.at(at + i) = uint8_t(value >> 8 * i);
    }
}
// Bytes that differ from one offset and one seed to the next, never zero, so
// that zeros in the wrong place show.
inline Bytes Pattern(std::size_t count, unsigned seed = 0) {
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = uint8_t(i * 7 + (i >> 8) * 13 + seed * 101) | 1;
    }
    return bytes;
}

// "RIFF|fmt :16|JUNK:3+|LIST=17|INFO": "RIFF" is a RIFF header of size 0;
// "id:n" a chunk with n body bytes of 'b', "+" adding a zero pad byte; "id=n"
// a bare header with size n; anything else is written as it stands.
inline Bytes Layout(const std::string& layout) {
    Bytes bytes;
    std::istringstream stream(layout);
    for (std::string token; std::getline(stream, token, '|');) {
        const std::size_t mark = token.find_first_of(":=", 4);
        if (token == "RIFF") {
            bytes = bytes + Text("RIFF") + U32(0) + Text("WAVE");
        } else if (mark == std::string::npos) {
            bytes = bytes + Text(token);
        } else {
            const uint32_t size = uint32_t(std::stoul(token.substr(mark + 1), nullptr, 0));
            bytes = bytes + Text(token.substr(0, 4)) + U32(size);
            if (token[mark] == ':') {
                bytes = bytes + Bytes(size, 'b') + Bytes(token.back() == '+' ? 1 : 0);
            }
        }
    }
    return bytes;
}

// A "fmt " body; tag 0xFFFE gives the 40-byte extensible form with a PCM
// sub-format.
inline Bytes FmtBody(uint16_t tag, uint16_t channels, uint16_t bits, uint32_t rate,
                     uint32_t speakers = 0) {
    const uint32_t align = channels * ((bits + 7) / 8);
    Bytes fmt = U16(tag) + U16(channels) + U32(rate) + U32(rate * align) + U16(align) + U16(bits);
    return tag != 0xFFFE ? fmt
                         : fmt + U16(22) + U16(bits) + U32(speakers) + U16(1) +
                               Bytes{0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
}

// "fmt ", the chunks before "data", "data" (its size field declaring missing
// bytes more than it holds) and the chunks after it, in a RIFF file.
inline Bytes Wave(const Bytes& fmt, const Bytes& before, const Bytes& data, const Bytes& after = {},
                  uint32_t missing = 0) {
    return Riff(Chunk("fmt ", fmt) + before + Text("data") + U32(uint32_t(data.size() + missing)) +
                data + Bytes(after.empty() ? 0 : data.size() % 2) + after);
}

struct CHUNKAT {
    std::string id; // without trailing blanks
    uint64_t pointer;
    uint32_t size;
};

// The top-level chunks of a well-formed file.
inline std::vector<CHUNKAT> Chunks(const Bytes& file) {
    std::vector<CHUNKAT> list;
    for (uint64_t at = 12; at + 8 <= file.size();
         at += 8 + list.back().size + list.back().size % 2) {
        std::string id(file.begin() + at, file.begin() + at + 4);
        list.push_back({id.substr(0, id.find_last_not_of(' ') + 1), at, Le(file, at + 4)});
    }
    return list;
}
inline CHUNKAT Find(const Bytes& file, const std::string& id) {
    const std::vector<CHUNKAT> list = Chunks(file);
    auto it = std::find_if(list.begin(), list.end(), [&](const CHUNKAT& c) { return c.id == id; });
    return it != list.end() ? *it : CHUNKAT{"none", 0, 0};
}
inline Bytes Body(const Bytes& file, const std::string& id) {
    const CHUNKAT chunk = Find(file, id);
    return Slice(file, chunk.pointer + 8, chunk.size);
}

// A strict reading of a RIFF/WAVE file, independent of the engine's walk:
// the RIFF size is the file length - 8, the form type is WAVE, and the
// top-level chunks follow each other with no gap, each on an even offset,
// each whole inside the file, a zero pad byte after every odd body, and
// nothing after the last one. No missing pad byte is forgiven.
inline ::testing::AssertionResult StrictRiff(const Bytes& file) {
    if (file.size() < 12 || Slice(file, 0, 4) != Text("RIFF") ||
        Slice(file, 8, 4) != Text("WAVE")) {
        return ::testing::AssertionFailure() << "no RIFF/WAVE header";
    }
    if (Le(file, 4) != file.size() - 8) {
        return ::testing::AssertionFailure()
               << "RIFF size " << Le(file, 4) << " for a file of " << file.size() << " bytes";
    }
    uint64_t at = 12;
    while (at < file.size()) {
        if (at % 2 != 0 || at + 8 > file.size()) {
            return ::testing::AssertionFailure() << "a chunk header at " << at << " is cut off";
        }
        const uint64_t size = Le(file, at + 4);
        if (at + 8 + size > file.size()) {
            return ::testing::AssertionFailure()
                   << "the chunk at " << at << " runs past the end of the file";
        }
        at += 8 + size;
        if (size % 2 != 0) {
            if (at >= file.size() || file[at] != 0) {
                return ::testing::AssertionFailure() << "no zero pad byte at " << at;
            }
            ++at;
        }
    }
    return ::testing::AssertionSuccess();
}

// Equal bytes, or the offset where they first differ.
inline ::testing::AssertionResult SameBytes(const Bytes& actual, const Bytes& expected) {
    if (actual == expected) {
        return ::testing::AssertionSuccess();
    }
    auto diff = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    return ::testing::AssertionFailure() << "sizes " << actual.size() << " and " << expected.size()
                                         << ", first difference at " << diff.first - actual.begin();
}

class CTempFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        // create_directory makes the folder only when no parallel test
        // process holds the name already.
        static std::mt19937_64 s_random(
            std::random_device{}() ^
            uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()));
        do {
            m_pathFolder =
                fs::temp_directory_path() / ("kestrawave-test-" + std::to_string(s_random()));
        } while (!fs::create_directory(m_pathFolder));
    }
    void TearDown() override {
        std::error_code error;
        fs::remove_all(m_pathFolder, error);
    }
    // A name in the folder, or an absolute path.
    std::string PathOf(const std::string& name) const {
        return (m_pathFolder / fs::u8path(name)).u8string();
    }
    std::string Write(const std::string& name, const Bytes& bytes) const {
        const fs::path path = fs::u8path(PathOf(name));
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return PathOf(name);
    }
    Bytes Read(const std::string& name) const {
        std::ifstream file(fs::u8path(PathOf(name)), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    std::size_t FileCount(const std::string& folder) const {
        std::error_code error;
        auto it = fs::directory_iterator(fs::u8path(PathOf(folder)), error);
        return error ? 0 : std::size_t(std::distance(it, fs::directory_iterator()));
    }

    fs::path m_pathFolder;
};
