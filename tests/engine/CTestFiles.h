#pragma once

// Fixtures of the engine tests: a temporary folder of the test's own, removed
// at its end, and a builder of RIFF bytes.

#include "CBwfFile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

class CBytes {
public:
    CBytes& Text(const std::string& text) { return Append(Bytes(text.begin(), text.end())); }
    CBytes& Append(const Bytes& bytes) {
        m_vecData.insert(m_vecData.end(), bytes.begin(), bytes.end());
        return *this;
    }
    CBytes& U32(uint32_t value) {
        return Append(
            {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)});
    }
    CBytes& Fill(std::size_t count, unsigned char byte = 0) { return Append(Bytes(count, byte)); }
    const Bytes& Data() const { return m_vecData; }
    std::string String() const { return std::string(m_vecData.begin(), m_vecData.end()); }

private:
    Bytes m_vecData;
};

// "RIFF|fmt :16|JUNK:3+|LIST=17|INFO": "RIFF" is a RIFF header of size 0;
// "id:n" a chunk with n body bytes of 'b', "+" adding a zero pad byte; "id=n"
// a bare header with size n; anything else is written as it stands.
inline CBytes Layout(const std::string& layout) {
    CBytes bytes;
    std::istringstream stream(layout);
    for (std::string token; std::getline(stream, token, '|');) {
        std::size_t mark = token.find_first_of(":=", 4);
        if (token == "RIFF") {
            bytes.Text("RIFF").U32(0).Text("WAVE");
        } else if (mark == std::string::npos) {
            bytes.Text(token);
        } else {
            uint32_t size = uint32_t(std::stoul(token.substr(mark + 1), nullptr, 0));
            bytes.Text(token.substr(0, 4)).U32(size);
            if (token[mark] == ':') {
                bytes.Fill(size, 'b').Fill(token.back() == '+' ? 1 : 0);
            }
        }
    }
    return bytes;
}

class CTempFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The process id keeps parallel test processes apart.
        static std::atomic<int> s_count{0};
        m_pathFolder =
            fs::temp_directory_path() /
            ("kestrawave-engine-" + std::to_string(::getpid()) + "-" + std::to_string(s_count++));
        fs::create_directories(m_pathFolder);
    }
    void TearDown() override {
        std::error_code error;
        fs::remove_all(m_pathFolder, error);
    }
    std::string PathOf(const std::string& name) const { return (m_pathFolder / name).string(); }
    std::string Write(const std::string& name, const CBytes& bytes) const {
        std::ofstream(PathOf(name), std::ios::binary) << bytes.String();
        return PathOf(name);
    }
    Bytes Read(const std::string& name) const {
        std::ifstream file(PathOf(name), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

    fs::path m_pathFolder;
};
