#pragma once

// Fixtures of the command-line tests: kestrawave-cli run in a test's own
// folder, and a take to convert.

#include "CRunProgram.h"
#include "CTestKit.h"

struct RESULT {
    int status;
    std::string out, err;
};

class CCliRunTest : public CTempFolderTest {
protected:
    std::string TextOf(const std::string& name) const {
        const Bytes bytes = Read(name);
        return std::string(bytes.begin(), bytes.end());
    }
    // Standard input is never a terminal, so no question waits for an answer.
    RESULT Run(const std::vector<std::string>& args) const {
        std::vector<std::string> command = {CRunProgram::CliPath()};
        command.insert(command.end(), args.begin(), args.end());
        const int status =
            CRunProgram::Run(command, PathOf("stdout.txt"), PathOf("stderr.txt"), 60);
        return {status, Lines(TextOf("stdout.txt")), Lines(TextOf("stderr.txt"))};
    }
    // The program's text with "\n" line ends, which the Windows C runtime
    // writes as "\r\n".
    static std::string Lines(std::string text) {
#ifdef _WIN32
        for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;) {
            text.erase(at, 1);
        }
#endif
        return text;
    }
};

// A take of 4 channels of 24 bits, converted into "out" and "merged".
class CCliTest : public CCliRunTest {
protected:
    void SetUp() override {
        CCliRunTest::SetUp();
        m_strTake = Write("take.wav", Wave(FmtBody(1, 4, 24, 48000), {}, m_samples));
        m_strOut = PathOf("out"), m_strMonos = PathOf("out/take");
        m_strMerged = PathOf("merged"), m_strPoly = PathOf("merged/take.wav");
        fs::create_directory(m_strOut);
        fs::create_directory(m_strMerged);
    }
    std::string Mono(int n) const { return PathOf("out/take/take_" + std::to_string(n) + ".wav"); }
    // The samples, then only the zero bytes that fill the "data" chunk up.
    ::testing::AssertionResult HoldsThenZeros(const std::string& path, const Bytes& samples) const {
        const Bytes data = Body(Read(path), "data");
        return SameBytes(data,
                         samples + Bytes(data.size() - std::min(data.size(), samples.size())));
    }

    const Bytes m_samples = Pattern(3001 * 12);
    std::string m_strTake, m_strOut, m_strMonos, m_strMerged, m_strPoly;
};
