#pragma once

// What the command-line tests share: wave files built byte by byte, a
// scratch folder per test, and the built kestrawave-cli run as a user would.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;

inline std::string Le32(uint32_t value) {
    return {char(value), char(value >> 8), char(value >> 16), char(value >> 24)};
}

inline std::string Chunk(const char* id, const std::string& body) {
    std::string chunk = std::string(id, 4) + Le32(uint32_t(body.size())) + body;
    return body.size() % 2 != 0 ? chunk + '\0' : chunk;
}

inline std::string Riff(const std::string& chunks) {
    return "RIFF" + Le32(uint32_t(chunks.size() + 4)) + "WAVE" + chunks;
}

// PCM at 48 kHz.
inline std::string Fmt(uint16_t channels, uint16_t bits) {
    const uint16_t block = uint16_t(channels * bits / 8);
    return Chunk("fmt ", std::string("\1\0", 2) + Le32(channels).substr(0, 2) + Le32(48000) +
                             Le32(48000u * block) + Le32(block).substr(0, 2) +
                             Le32(bits).substr(0, 2));
}

inline std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct RESULT {
    int status;
    std::string out;
    std::string err;
};

class CCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string dir = (fs::temp_directory_path() / "kestrawave-cli-XXXXXX").string();
        ASSERT_NE(mkdtemp(dir.data()), nullptr);
        m_pathDir = dir;
    }
    void TearDown() override { fs::remove_all(m_pathDir); }

    std::string Write(const fs::path& name, const std::string& bytes) {
        std::ofstream(m_pathDir / name, std::ios::binary) << bytes;
        return (m_pathDir / name).string();
    }

    std::string Folder(const fs::path& name) {
        fs::create_directories(m_pathDir / name);
        return (m_pathDir / name).string();
    }

    // Standard input is never a terminal, so no question waits for an answer.
    RESULT Run(const std::vector<std::string>& args) {
        std::string command = "'" KESTRAWAVE_CLI "'";
        for (const std::string& arg : args) {
            command += " '" + arg + "'";
        }
        command += " </dev/null >'" + (m_pathDir / "stdout.txt").string() + "' 2>'" +
                   (m_pathDir / "stderr.txt").string() + "'";
        int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(m_pathDir / "stdout.txt"),
                ReadText(m_pathDir / "stderr.txt")};
    }

    fs::path m_pathDir;
};
