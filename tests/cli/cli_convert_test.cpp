// `kestrawave-cli split`, `takes` and `merge` run as a user would, on a take
// written here and, when it is there, the corpus.

#include "CCliTest.h"

#include <algorithm>
#include <csignal>
#include <unistd.h>

namespace {

constexpr std::size_t CHANNELS = 4, WIDTH = 3, FRAME = CHANNELS * WIDTH;

// 24-bit samples with no zero byte, so that zeros in the wrong place show.
std::string Samples(std::size_t frames) {
    std::string bytes(frames * FRAME, '\0');
    uint32_t state = 12345;
    for (char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = char((state >> 16) | 1);
    }
    return bytes;
}

std::string Channel(const std::string& samples, std::size_t n) {
    std::string mono;
    for (std::size_t at = (n - 1) * WIDTH; at < samples.size(); at += FRAME) {
        mono += samples.substr(at, WIDTH);
    }
    return mono;
}

// The body of the first top-level chunk with that identifier, found without
// the engine.
std::string Body(const fs::path& path, const char* id) {
    const std::string file = ReadText(path);
    for (std::size_t at = 12; at + 8 <= file.size();) {
        const uint64_t size = uint8_t(file[at + 4]) | uint8_t(file[at + 5]) << 8 |
                              uint8_t(file[at + 6]) << 16 | uint64_t(uint8_t(file[at + 7])) << 24;
        if (file.compare(at, 4, id) == 0) {
            return file.substr(at + 8, size);
        }
        at += 8 + size + size % 2;
    }
    ADD_FAILURE() << "no \"" << id << "\" chunk in " << path;
    return {};
}

// The samples, then only the zero bytes that fill the chunk up.
bool HoldsThenZeros(const std::string& payload, const std::string& samples) {
    return payload.size() >= samples.size() && payload.compare(0, samples.size(), samples) == 0 &&
           payload.find_first_not_of('\0', samples.size()) == std::string::npos;
}

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class CConvertTest : public CCliTest {
protected:
    void SetUp() override {
        CCliTest::SetUp();
        m_strTake = Write("take.wav", Riff(Fmt(CHANNELS, 24) + Chunk("data", m_strSamples)));
        m_strOut = Folder("out");
        m_strMonos = m_strOut + "/take";
        m_strMerged = Folder("merged");
        m_strPoly = m_strMerged + "/take.wav";
    }
    fs::path Mono(int n) const { return m_strMonos + "/take_" + std::to_string(n) + ".wav"; }

    const std::string m_strSamples = Samples(3001);
    std::string m_strTake, m_strOut, m_strMonos, m_strMerged, m_strPoly;
};

TEST_F(CConvertTest, SplitListAndMergeGiveBackTheSamples) {
    RESULT result = Run({"split", "-o", m_strOut, m_strTake});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(Names(m_strMonos),
              (std::vector<std::string>{"take_1.wav", "take_2.wav", "take_3.wav", "take_4.wav"}));
    for (int n = 1; n <= 4; ++n) {
        EXPECT_TRUE(HoldsThenZeros(Body(Mono(n), "data"), Channel(m_strSamples, n))) << n;
    }
    EXPECT_EQ(Run({"takes", m_strMonos}).out, "take\t1,2,3,4\n");
    for (const char* mode : {"0", "1", "2"}) { // each lays the file out differently
        result = Run({"merge", "-y", "-m", mode, "-o", m_strMerged, m_strMonos});
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(Body(m_strPoly, "fmt "), Body(m_strTake, "fmt ")) << mode;
        EXPECT_TRUE(HoldsThenZeros(Body(m_strPoly, "data"), m_strSamples)) << mode;
    }
}

TEST_F(CConvertTest, ChannelListWritesOnlyThoseChannels) {
    RESULT result = Run({"split", "-c", "1,3-4", "-o", m_strOut, m_strTake});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::vector<std::string> written = {"take_1.wav", "take_3.wav", "take_4.wav"};
    EXPECT_EQ(Names(m_strMonos), written);
    EXPECT_TRUE(HoldsThenZeros(Body(Mono(3), "data"), Channel(m_strSamples, 3)));
    EXPECT_EQ(Run({"takes", m_strMonos}).out, "take\t1,3,4\n");

    // A channel the file lacks fails and writes nothing.
    EXPECT_EQ(Run({"split", "-y", "-c", "2,5", "-o", m_strOut, m_strTake}).status, 1);
    EXPECT_EQ(Names(m_strMonos), written);
}

TEST_F(CConvertTest, ExistingOutputsAreKeptUnlessYesIsGiven) {
    const std::vector<std::string> split = {"split", "-o", m_strOut, m_strTake};
    const std::vector<std::string> merge = {"merge", "-o", m_strMerged, m_strMonos};
    ASSERT_EQ(Run(split).status, 0);
    ASSERT_EQ(Run(merge).status, 0);
    for (auto [args, target, samples] :
         {std::make_tuple(split, Mono(2), Channel(m_strSamples, 2)),
          std::make_tuple(merge, fs::path(m_strPoly), m_strSamples)}) {
        Write(target, "keep");
        RESULT result = Run(args); // no flag, and no terminal to ask on
        EXPECT_EQ(result.status, 3) << args[0];
        EXPECT_NE(result.err.find("-y"), std::string::npos) << result.err;
        args.insert(args.begin() + 1, "-n");
        EXPECT_EQ(Run(args).status, 3) << args[0];
        EXPECT_TRUE(ReadText(target) == "keep") << target << " was overwritten";

        args[1] = "-y";
        EXPECT_EQ(Run(args).status, 0) << args[0];
        EXPECT_TRUE(HoldsThenZeros(Body(target, "data"), samples)) << args[0];
    }
}

TEST_F(CConvertTest, UnreadableSourcesAreNamedAndTheOthersConverted) {
    const std::string missing = (m_pathDir / "missing.wav").string();
    const std::string text = Write("text.wav", "not a wave file");
    RESULT result = Run({"split", "-o", m_strOut, missing, m_strTake, text});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find(missing), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(text), std::string::npos) << result.err;
    EXPECT_TRUE(HoldsThenZeros(Body(Mono(4), "data"), Channel(m_strSamples, 4)));

    // Take "bad" comes first and fails; take "take" is still merged.
    Write(m_strMonos + "/bad_1.wav", "not a wave file");
    result = Run({"merge", "-o", m_strMerged, m_strMonos});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("bad_1.wav"), std::string::npos) << result.err;
    EXPECT_EQ(Names(m_strMerged), std::vector<std::string>{"take.wav"});
    EXPECT_TRUE(HoldsThenZeros(Body(m_strPoly, "data"), m_strSamples));
}

// Every command's wrong usage, here to check that none of it writes a file.
TEST_F(CConvertTest, WrongUsageExitsTwoAndWritesNothing) {
    const std::string &take = m_strTake, &out = m_strOut;
    const std::string missing = (m_pathDir / "missing").string();
    using ARGS = std::vector<std::string>;
    for (const ARGS& args :
         {ARGS{}, ARGS{"bogus", take}, ARGS{"info"}, ARGS{"info", "--json"},
          ARGS{"info", "--bogus", take}, ARGS{"split", "-o", out},
          ARGS{"split", "-o", out, "-c", "0", take}, ARGS{"split", "-o", out, "-c", "17", take},
          ARGS{"split", "-o", out, "-c", "2-1", take}, ARGS{"split", "-o", out, "-c", "1,", take},
          ARGS{"split", "-o", out, "-c", "x", take}, ARGS{"split", "-o", out, "-y", "-n", take},
          ARGS{"split", "-o", missing, take}, ARGS{"merge"},
          ARGS{"merge", "-o", out, "-m", "3", out}, ARGS{"merge", "-o", out, missing},
          ARGS{"takes"}}) {
        RESULT result = Run(args);
        EXPECT_EQ(result.status, 2) << testing::PrintToString(args);
        EXPECT_TRUE(result.out.empty() && !result.err.empty()) << result.out << result.err;
    }
    EXPECT_TRUE(Names(out).empty());
}

TEST_F(CConvertTest, InterruptStopsTheSplitAndLeavesNoMonoFile) {
    // 512 MiB of samples in a sparse file: its holes read fast, yet the run
    // lasts long enough to be stopped half way.
    const uint32_t dataBytes = 512u << 20;
    const std::string big = Write("big.wav", "RIFF" + Le32(36 + dataBytes) + "WAVE" +
                                                 Fmt(CHANNELS, 24) + "data" + Le32(dataBytes));
    fs::resize_file(big, 44 + uint64_t(dataBytes));
    const std::string err = (m_pathDir / "stderr.txt").string();
    const pid_t pid = fork();
    if (pid == 0) {
        if (freopen("/dev/null", "r", stdin) && freopen(err.c_str(), "w", stderr)) {
            execl(KESTRAWAVE_CLI, KESTRAWAVE_CLI, "split", "-o", m_strOut.c_str(), big.c_str(),
                  nullptr);
        }
        _exit(127);
    }
    // Samples are being written once the first file is past its header.
    const fs::path first = m_strOut + "/big/big_1.wav";
    std::error_code error;
    for (int i = 0; i < 30000 && !(fs::file_size(first, error) > 32768 && !error); ++i) {
        usleep(1000);
    }
    kill(pid, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 130) << status << ReadText(err);
    EXPECT_EQ(Names(m_strOut + "/big"), std::vector<std::string>{});
}

TEST_F(CConvertTest, CorpusPolyFilesComeBackFromTheirMonoFiles) {
    const fs::path corpus = KESTRAWAVE_CORPUS;
    if (!fs::is_directory(corpus)) {
        GTEST_SKIP() << "no corpus at " << corpus;
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(corpus / "poly")) {
        const fs::path& poly = entry.path();
        const std::string take = poly.stem().string();
        RESULT result = Run({"split", "-o", m_strOut, poly.string()});
        ASSERT_EQ(result.status, 0) << poly << result.err;
        result = Run({"merge", "-o", m_strMerged, m_strOut + "/" + take});
        ASSERT_EQ(result.status, 0) << poly << result.err;
        const fs::path merged = m_strMerged + "/" + take + ".wav";
        EXPECT_TRUE(HoldsThenZeros(Body(merged, "data"), Body(poly, "data"))) << poly;
    }
}

} // namespace
