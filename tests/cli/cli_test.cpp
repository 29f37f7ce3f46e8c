// kestrawave-cli run as a user would: exit statuses, messages, the JSON
// listing and the conversions, on files written here and, when it is there,
// the shared corpus of files written by real recorders and editors.

#include "CTestKit.h"

#include <nlohmann/json.hpp>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>

using nlohmann::json;

namespace {

struct RESULT {
    int status;
    std::string out, err;
};

// [[tag, channels, rate, bits], [[id, offset, size]...], [undefined...]] of
// one file of the JSON listing; at() throws on a missing member.
json Summary(const json& file) {
    auto rows = [](const json& list) {
        json triples = json::array();
        for (const json& row : list) {
            triples.push_back({row.at("id"), row.at("offset"), row.at("size")});
        }
        return triples;
    };
    const json& format = file.at("format");
    return {{format.at("tag"), format.at("channels"), format.at("rate"), format.at("bits")},
            rows(file.at("chunks")),
            rows(file.at("undefined"))};
}

// A take of 4 channels of 24 bits, converted into "out" and "merged".
class CCliTest : public CTempFolderTest {
protected:
    void SetUp() override {
        CTempFolderTest::SetUp();
        m_strTake = Write("take.wav", Wave(FmtBody(1, 4, 24, 48000), {}, m_samples));
        m_strOut = PathOf("out"), m_strMonos = PathOf("out/take");
        m_strMerged = PathOf("merged"), m_strPoly = PathOf("merged/take.wav");
        fs::create_directory(m_strOut);
        fs::create_directory(m_strMerged);
    }
    std::string TextOf(const std::string& name) const {
        const Bytes bytes = Read(name);
        return std::string(bytes.begin(), bytes.end());
    }
    // Standard input is never a terminal, so no question waits for an answer.
    RESULT Run(const std::vector<std::string>& args) const {
        std::string command = "'" KESTRAWAVE_CLI "'";
        for (const std::string& arg : args) {
            command += " '" + arg + "'";
        }
        command += " </dev/null >'" + PathOf("stdout.txt") + "' 2>'" + PathOf("stderr.txt") + "'";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, TextOf("stdout.txt"),
                TextOf("stderr.txt")};
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

// Unreadable files are named and skipped; the chunk behind the samples is
// left out of the undefined list; each list stops at 10 000 rows and counts
// the rest.
TEST_F(CCliTest, InfoListsFormatAndChunksAndNamesUnreadableFiles) {
    const std::string take = Write("info.wav", Riff(Chunk("fmt ", FmtBody(1, 2, 24, 48000)) +
                                                    Chunk("Fake", Text("odd")) +
                                                    Chunk("data", Bytes(6)) + Chunk("zzzz", {})));
    const std::string bare = Write("bare.WAV", Riff(Chunk("data", {})));
    Bytes chunks;
    for (int i = 0; i < 10050; ++i) {
        chunks = std::move(chunks) + Chunk("zzzz", U16(uint32_t(i)));
    }
    const std::string many = Write("many.wav", Wave(FmtBody(1, 1, 16, 8000), chunks, Bytes(4)));
    fs::create_directory(PathOf("folder.wav"));
    const std::vector<std::string> bad = {
        PathOf("missing.wav"), PathOf("folder.wav"),
        Write("riff.txt", Riff(Chunk("fmt ", FmtBody(1, 1, 8, 8)))),
        Write("text.wav", Text("not a wave file"))};
    RESULT result = Run({"info", "--json", bad[0], take, bad[1], bare, bad[2], bad[3], many});
    EXPECT_EQ(result.status, 1);
    for (const std::string& path : bad) {
        EXPECT_NE(result.err.find("\"" + path + "\""), std::string::npos) << result.err;
    }
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 4) << result.err;
    const json files = json::parse(result.out).at("files");
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[0].at("path"), take);
    EXPECT_EQ(Summary(files[0]), json::parse(R"([[1, 2, 48000, 24],
        [["fmt ", 12, 16], ["Fake", 36, 3], ["data", 48, 6], ["zzzz", 62, 0]], [["Fake", 36, 3]]])"));
    EXPECT_EQ(files[1].at("path"), bare);
    EXPECT_EQ(files[1].at("format"), nullptr);
    EXPECT_EQ(files[1].at("chunks"), json::parse(R"([{"id": "data", "offset": 12, "size": 0}])"));
    EXPECT_EQ(files[2].at("chunks").size(), 10000u);
    EXPECT_EQ(files[2].at("chunks_more"), 52);
    EXPECT_EQ(files[2].at("undefined").size(), 10000u);
    EXPECT_EQ(files[2].at("undefined").back(),
              json::parse(R"({"id": "zzzz", "offset": 100026, "size": 2})"));
    EXPECT_EQ(files[2].at("undefined_more"), 50);

    result = Run({"info", take, many});
    EXPECT_EQ(result.status, 0);
    for (const char* line :
         {"2 channels, 48000 Hz, 24 bits", "  chunks: 10052\n", "    ... and 52 more chunks\n",
          "  undefined chunks: 10050\n", "... and 50 more undefined chunks\n"}) {
        EXPECT_NE(result.out.find(line), std::string::npos) << line << result.out;
    }
}

// The conversions themselves are the jobs tests' business; here the options.
TEST_F(CCliTest, SplitTakesAndMergeConvertWhatTheOptionsSay) {
    RESULT result = Run({"split", "-c", "1,3-4", "-o", m_strOut, m_strTake});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(FileCount("out/take"), 3u);
    EXPECT_EQ(Slice(Body(Read(Mono(3)), "data"), 0, 3), Slice(m_samples, 6, 3)); // channel 3
    ASSERT_EQ(Run({"split", "-y", "-o", m_strOut, m_strTake}).status, 0);
    for (const char* mode : {"0", "1", "2"}) {
        result = Run({"merge", "-y", "-m", mode, "-o", m_strMerged, m_strMonos});
        ASSERT_EQ(result.status, 0) << result.err;
        const Bytes poly = Read(m_strPoly);
        EXPECT_EQ(Find(poly, "data").pointer + 8, mode[0] == '2' ? 4096u : 32768u) << mode;
        EXPECT_EQ(Find(poly, "iXML").id == "iXML", mode[0] == '0') << mode;
    }
    // Take "bad" comes first and fails; take "take" is still merged.
    Write(m_strMonos + "/bad_1.wav", Text("not a wave file"));
    fs::remove(m_strPoly);
    result = Run({"merge", "-o", m_strMerged, m_strMonos});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("bad_1.wav"), std::string::npos) << result.err;
    EXPECT_TRUE(HoldsThenZeros(m_strPoly, m_samples));
}

// Every channel of a source, however many, unless -c names some; every
// mono of a take, up to channel 1024 (their samples are the jobs tests'
// business).
TEST_F(CCliTest, AnyNumberOfChannelsIsSplitListedAndMerged) {
    const std::string wide =
        Write("wide.wav", Wave(FmtBody(1, 20, 16, 48000), {}, Pattern(20 * 2 * 500, 3)));
    const std::string forty =
        Write("forty.wav", Wave(FmtBody(1, 40, 24, 48000), {}, Pattern(40 * 3 * 100, 4)));
    // A channel the file lacks fails that file, which gets nothing.
    RESULT result = Run({"split", "-c", "17-24,33", "-o", m_strOut, wide, forty});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("\"" + wide + "\" has 20 channels"), std::string::npos) << result.err;
    EXPECT_EQ(FileCount("out/wide"), 0u);
    EXPECT_EQ(FileCount("out/forty"), 9u);
    EXPECT_TRUE(fs::exists(PathOf("out/forty/forty_33.wav")));
    result = Run({"split", "-o", m_strOut, wide});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(FileCount("out/wide"), 20u);
    // Asked again, every file to replace is named, in channel order.
    result = Run({"split", "-o", m_strOut, wide});
    EXPECT_EQ(result.status, 3);
    const std::size_t at9 = result.err.find("wide_9.wav"), at10 = result.err.find("wide_10.wav"),
                      at20 = result.err.find("wide_20.wav");
    EXPECT_TRUE(at9 < at10 && at10 < at20 && at20 != std::string::npos) << result.err;

    for (const char* name : {"k_12.wav", "k_1024.wav", "k_3.WAV", "k_1025.wav"}) {
        Write(std::string("t/") + name, Wave(FmtBody(1, 1, 16, 8000), {}, Pattern(64, 5)));
    }
    EXPECT_EQ(Run({"takes", PathOf("t")}).out, "k\t3,12,1024\n");
    result = Run({"merge", "-o", m_strMerged, PathOf("t")});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(Le(Body(Read(m_strMerged + "/k.wav"), "fmt"), 0) >> 16, 1024u);
}

TEST_F(CCliTest, ExistingOutputsAreKeptUnlessYesIsGiven) {
    const std::vector<std::string> split = {"split", "-o", m_strOut, m_strTake};
    const std::vector<std::string> merge = {"merge", "-o", m_strMerged, m_strMonos};
    ASSERT_EQ(Run(split).status, 0);
    ASSERT_EQ(Run(merge).status, 0);
    for (auto [args, target] : {std::make_pair(split, Mono(2)), std::make_pair(merge, m_strPoly)}) {
        Write(target, Text("keep"));
        const RESULT result = Run(args); // no flag, and no terminal to ask on
        EXPECT_EQ(result.status, 3) << args[0];
        EXPECT_NE(result.err.find("-y"), std::string::npos) << result.err;
        args.insert(args.begin() + 1, "-n");
        EXPECT_EQ(Run(args).status, 3) << args[0];
        EXPECT_EQ(TextOf(target), "keep");
        args[1] = "-y";
        EXPECT_EQ(Run(args).status, 0) << args[0];
        EXPECT_NE(TextOf(target), "keep");
    }
}

// Every command's wrong usage, here to check that none of it writes a file.
TEST_F(CCliTest, WrongUsageExitsTwoAndWritesNothing) {
    const std::string &take = m_strTake, &out = m_strOut, missing = PathOf("missing");
    using ARGS = std::vector<std::string>;
    for (const ARGS& args :
         {ARGS{}, ARGS{"bogus", take}, ARGS{"info"}, ARGS{"info", "--bogus", take},
          ARGS{"split", "-o", out}, ARGS{"split", "-o", out, "-c", "0", take},
          ARGS{"split", "-o", out, "-c", "65536", take},
          ARGS{"split", "-o", out, "-c", "2-1", take}, ARGS{"split", "-o", out, "-c", "1,", take},
          ARGS{"split", "-o", out, "-c", "x", take}, ARGS{"split", "-o", out, "-y", "-n", take},
          ARGS{"split", "-o", missing, take}, ARGS{"merge"},
          ARGS{"merge", "-o", out, "-m", "3", out}, ARGS{"merge", "-o", out, missing},
          ARGS{"takes"}}) {
        const RESULT result = Run(args);
        EXPECT_EQ(result.status, 2) << testing::PrintToString(args);
        EXPECT_TRUE(result.out.empty() && !result.err.empty()) << result.out << result.err;
    }
    EXPECT_EQ(FileCount("out"), 0u);
}

// Starts the program with standard input from /dev/null and both output
// streams on fd.
pid_t Start(const std::vector<std::string>& args, int fd) {
    std::vector<char*> argv = {const_cast<char*>(KESTRAWAVE_CLI)};
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        if (freopen("/dev/null", "r", stdin) && dup2(fd, 1) == 1 && dup2(fd, 2) == 2) {
            execv(KESTRAWAVE_CLI, argv.data());
        }
        _exit(127);
    }
    return pid;
}

// The exit status, or 1000 + the signal that killed the process.
int WaitStatus(pid_t pid) {
    int status = 0;
    EXPECT_EQ(waitpid(pid, &status, 0), pid);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
}

// Every signal stops a split -y half way without touching the old files;
// after SIGKILL only temporary files can remain beside them.
TEST_F(CCliTest, SignalsAndClosedStreamsLoseNothing) {
    // 300 MB of samples in a sparse file: its holes read fast, yet the run
    // lasts long enough to be stopped half way.
    const uint32_t dataBytes = 300u << 20;
    const std::string big = Write("big.wav", Wave(FmtBody(1, 4, 24, 48000), {}, {}, {}, dataBytes));
    fs::resize_file(big, 44 + uint64_t(dataBytes));
    for (int n = 1; n <= 4; ++n) {
        Write("out/big/big_" + std::to_string(n) + ".wav", Text("old " + std::to_string(n)));
    }
    auto isPartial = [](const fs::path& path) { return path.extension() == ".partial"; };
    const int log = open(PathOf("log.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(log, 0);
    for (int signal : {SIGTERM, SIGHUP, SIGINT, SIGKILL}) {
        const pid_t pid = Start({"split", "-y", "-o", m_strOut, big}, log);
        // Samples are being written once a temporary file is past its header.
        bool isWriting = false;
        for (int i = 0; i < 30000 && !isWriting; ++i) {
            usleep(1000);
            for (const fs::directory_entry& entry : fs::directory_iterator(PathOf("out/big"))) {
                std::error_code error;
                isWriting = isWriting || (isPartial(entry.path()) &&
                                          fs::file_size(entry.path(), error) > 32768 && !error);
            }
        }
        kill(pid, signal);
        EXPECT_EQ(WaitStatus(pid), (signal == SIGKILL ? 1000 : 128) + signal) << TextOf("log.txt");
        EXPECT_TRUE(isWriting) << signal;
        for (int n = 1; n <= 4; ++n) {
            EXPECT_EQ(TextOf("out/big/big_" + std::to_string(n) + ".wav"),
                      "old " + std::to_string(n));
        }
        for (const fs::directory_entry& entry : fs::directory_iterator(PathOf("out/big"))) {
            EXPECT_TRUE((signal == SIGKILL && isPartial(entry.path())) ||
                        entry.path().filename().string().rfind("big_", 0) == 0)
                << entry.path() << " after signal " << signal;
        }
    }
    close(log);

    // A signal at the overwrite question, asked on a terminal.
    int terminal = -1;
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid == 0) {
        execl(KESTRAWAVE_CLI, KESTRAWAVE_CLI, "split", "-o", m_strOut.c_str(), big.c_str(),
              nullptr);
        _exit(127);
    }
    std::string asked;
    char buffer[256];
    pollfd output{terminal, POLLIN, 0};
    for (ssize_t count; asked.find("[y/N]") == std::string::npos && poll(&output, 1, 30000) > 0 &&
                        (count = read(terminal, buffer, sizeof buffer)) > 0;) {
        asked.append(buffer, std::size_t(count));
    }
    kill(pid, SIGINT);
    EXPECT_EQ(WaitStatus(pid), 130) << asked;
    close(terminal);
    EXPECT_EQ(TextOf("out/big/big_1.wav"), "old 1");

    // Output streams on a pipe whose reader is gone: every write fails, the
    // run does not.
    ASSERT_EQ(Run({"split", "-o", m_strOut, m_strTake}).status, 0);
    ASSERT_EQ(Run({"merge", "-o", m_strMerged, m_strMonos}).status, 0);
    const Bytes mono = Read(Mono(4));
    fs::remove(Mono(4));
    using ARGS = std::vector<std::string>;
    for (const ARGS& args : {ARGS{"split", "-y", "-o", m_strOut, m_strTake},
                             ARGS{"merge", "-y", "-o", m_strMerged, m_strMonos}}) {
        int ends[2];
        ASSERT_EQ(pipe(ends), 0);
        close(ends[0]);
        EXPECT_EQ(WaitStatus(Start(args, ends[1])), 0) << args[0];
        close(ends[1]);
    }
    EXPECT_EQ(Read(Mono(4)), mono);
    EXPECT_TRUE(HoldsThenZeros(m_strPoly, m_samples));
}

// A FIFO, device or folder named like a wave file is named and skipped, and
// nothing waits on it; names reach the terminal with control characters
// escaped.
TEST_F(CCliTest, WhatIsNotARegularFileAndOddNamesAreReported) {
    const std::string fifo = PathOf("fifo.wav"), file = Write("file", Text("x"));
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(Run({"split", "-o", m_strOut, m_strTake}).status, 0);
    const std::string monoFifo = m_strMonos + "/take_5.wav";
    ASSERT_EQ(mkfifo(monoFifo.c_str(), 0600), 0);
    using ARGS = std::vector<std::string>;
    for (const auto& [args, named] :
         {std::make_pair(ARGS{"info", fifo}, fifo),
          std::make_pair(ARGS{"split", "-o", m_strOut, fifo}, fifo),
          std::make_pair(ARGS{"takes", m_strMonos}, monoFifo),
          std::make_pair(ARGS{"merge", "-o", m_strMerged, m_strMonos}, monoFifo)}) {
        const RESULT result = Run(args);
        EXPECT_EQ(result.status, 1) << args[0];
        EXPECT_NE(result.err.find("\"" + named + "\" is not a regular file."), std::string::npos)
            << result.err;
    }
    EXPECT_EQ(Run({"takes", m_strMonos}).out, "take\t1,2,3,4\n");
    EXPECT_TRUE(HoldsThenZeros(m_strPoly, m_samples)); // the other channels were merged

    RESULT result = Run({"split", "-o", m_strOut, Write("x.txt", Read(m_strTake))});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("must end in .wav or .WAV"), std::string::npos) << result.err;
    for (const char* command : {"split", "merge"}) {
        result = Run({command, "-o", file, command[0] == 's' ? m_strTake : m_strMonos});
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.err.find("\"" + file + "\" is not a folder"), std::string::npos)
            << result.err;
    }

    const std::string odd = Write("e\033[1m\x07.wav", Read(m_strTake));
    for (const ARGS& args :
         {ARGS{"info", odd, PathOf("m\033.wav")}, ARGS{"split", "-o", m_strOut, odd},
          ARGS{"split", "-o", PathOf("o\033"), odd}}) {
        result = Run(args);
        const std::string all = result.out + result.err;
        EXPECT_EQ(all.find_first_of("\033\007"), std::string::npos) << args[0];
        EXPECT_NE(all.find("\\x1B"), std::string::npos) << all;
    }
}

// ---- RF64 and BW64 ----------------------------------------------------------

Bytes U64(uint64_t value) {
    return U32(uint32_t(value)) + U32(uint32_t(value >> 32));
}

// An RF64/BW64 head up to the first sample byte: "ds64" (RIFF size, data
// size, sample count, one "big1" entry; cut to ds64Bytes), a 2-channel 24-bit
// "fmt ", the chunks before "data", and a "data" header sized in "ds64".
// Without chunks before it, the samples start at 92.
Bytes Rf64Head(const std::string& form, uint64_t fileSize, uint64_t dataSize, uint64_t bigSize,
               uint32_t ds64Bytes = 40, const Bytes& before = {}) {
    const Bytes ds64 = U64(fileSize - 8) + U64(dataSize) + U64(dataSize / 6) + U32(1) +
                       Text("big1") + U64(bigSize);
    return Text(form) + U32(0xFFFFFFFF) + Text("WAVE") + Chunk("ds64", Slice(ds64, 0, ds64Bytes)) +
           Chunk("fmt ", FmtBody(1, 2, 24, 48000)) + before + Text("data") + U32(0xFFFFFFFF);
}

// A "big1" chunk, its size field SIZE_IN_DS64.
Bytes Big1(uint32_t bodySize) {
    return Text("big1") + U32(0xFFFFFFFF) + Pattern(bodySize) + Bytes(bodySize % 2);
}

// Both forms with the real sizes from "ds64", marked in the text (the RF64
// take's samples run past 4 GiB in a sparse file; behind them "big1" is no
// undefined chunk). A "ds64" that cannot be trusted shows its file as far as
// it allows, with the problem and status 1; the other files show as usual.
TEST_F(CCliTest, InfoShowsRf64AndBw64SizesAndDs64Problems) {
    const uint64_t hugeData = (uint64_t(1) << 32) + 2, hugeEnd = 92 + hugeData + 12;
    const std::string rf64 = Write("huge.wav", Rf64Head("RF64", hugeEnd, hugeData, 3));
    fs::resize_file(rf64, 92 + hugeData);
    std::fstream(rf64, std::ios::in | std::ios::out | std::ios::binary)
        .seekp(std::streamoff(92 + hugeData))
        .write(reinterpret_cast<const char*>(Big1(3).data()), 12);
    struct stat status;
    if (::stat(rf64.c_str(), &status) != 0 || uint64_t(status.st_blocks) * 512 > (1u << 24)) {
        GTEST_SKIP() << "no sparse files in " << m_pathFolder;
    }
    ASSERT_EQ(fs::file_size(rf64), hugeEnd);
    const std::string bw64 =
        Write("small.wav", Rf64Head("BW64", 92 + 14 + 600, 600, 5, 40, Big1(5)) + Pattern(600));
    const std::string shortDs64 =
        Write("short.wav", Rf64Head("RF64", 0, 0, 0, 20) + Pattern(600) + Big1(5));
    // The table has no entry for "big2": the listing stops there.
    const std::string unlisted =
        Write("unlisted.wav", Rf64Head("BW64", 92 + 600 + 14 + 14, 600, 5) + Pattern(600) +
                                  Big1(5) + Text("big2") + U32(0xFFFFFFFF) + Pattern(6));
    // 65535 channels of 8 bits: the widest format a "fmt " chunk can say.
    const std::string wide = Write("wide.wav", Wave(FmtBody(1, 65535, 8, 8000), {}, Bytes(4)));

    RESULT result = Run({"info", "--json", rf64, bw64, m_strTake, shortDs64, unlisted, wide});
    EXPECT_EQ(result.status, 1);
    const json files = json::parse(result.out).at("files");
    ASSERT_EQ(files.size(), 6u);
    const char* forms[] = {"RF64", "BW64", "RIFF", "RF64", "BW64", "RIFF"};
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(files[i].at("form"), forms[i]) << i;
        EXPECT_EQ(files[i].at("ds64_problem") == nullptr, i != 3 && i != 4) << i;
    }
    EXPECT_EQ(Summary(files[0]), json::parse(R"([[1, 2, 48000, 24],
        [["ds64", 12, 40], ["fmt ", 60, 16], ["data", 84, 4294967298], ["big1", 4294967390, 3]],
        []])"));
    EXPECT_EQ(Summary(files[1]), json::parse(R"([[1, 2, 48000, 24], [["ds64", 12, 40],
        ["fmt ", 60, 16], ["big1", 84, 5], ["data", 98, 600]], [["big1", 84, 5]]])"));
    EXPECT_EQ(files[3].at("ds64_problem"), "the ds64 chunk is 20 bytes, shorter than 28");
    EXPECT_EQ(Summary(files[3]).at(1), json::parse(R"([["ds64", 12, 20], ["fmt ", 40, 16],
        ["data", 64, 4294967295]])"));
    EXPECT_EQ(files[4].at("ds64_problem"), "the ds64 chunk gives no size for \"big2\"");
    EXPECT_EQ(files[4].at("chunks").back(),
              json::parse(R"({"id": "big2", "offset": 706, "size": 4294967295})"));
    EXPECT_EQ(files[5].at("format").at("channels"), 65535);
    for (const std::string& path : {shortDs64, unlisted}) {
        EXPECT_NE(result.err.find("\"" + path + "\": the ds64 chunk"), std::string::npos)
            << result.err;
    }
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 2) << result.err;

    result = Run({"info", rf64, bw64, m_strTake, shortDs64, wide});
    EXPECT_EQ(result.status, 1);
    for (const char* line :
         {"huge.wav\n  form: RF64\n  format:", "    ds64             12           40\n",
          "    data             84           4294967298 (ds64)\n",
          "    big1             4294967390   3 (ds64)\n", "small.wav\n  form: BW64\n",
          "    big1             84           5 (ds64)\n", "  undefined chunks: 1\n",
          "take.wav\n  form: RIFF\n", "short.wav\n  form: RF64\n  ds64: the ds64 chunk is 20 bytes",
          "    data             64           4294967295 (not in ds64)\n",
          "65535 channels, 8000 Hz, 8 bits"}) {
        EXPECT_NE(result.out.find(line), std::string::npos) << line << result.out;
    }
    // Only the file with a problem has a "ds64:" line.
    EXPECT_EQ(result.out.find("ds64:"), result.out.rfind("ds64:")) << result.out;
}

// Expected tables read off the files' bytes with od, independently of the
// engine.
TEST_F(CCliTest, CorpusFilesListExactlyTheChunksTheirBytesHold) {
    const fs::path corpus = KESTRAWAVE_CORPUS;
    if (!fs::is_directory(corpus)) {
        GTEST_SKIP() << "no corpus at " << corpus;
    }
    const json expected = json::parse(R"({
      "mono/A101_1_1.WAV": [[1, 1, 48000, 24],
        [["fmt ", 12, 16], ["bext", 36, 602], ["iXML", 646, 10224], ["data", 10878, 720717]], []],
      "mono/A101_1_2.WAV": [[1, 1, 48000, 24],
        [["fmt ", 12, 16], ["bext", 36, 602], ["iXML", 646, 10220], ["data", 10874, 720717]], []],
      "mono/izotope_float_1.wav": [[3, 1, 48000, 32],
        [["fmt ", 12, 16], ["data", 36, 192000], ["cue ", 192044, 76], ["LIST", 192128, 320],
         ["labl", 192140, 14], ["ltxt", 192162, 20], ["labl", 192190, 14], ["note", 192212, 22],
         ["ltxt", 192242, 20], ["labl", 192270, 14], ["note", 192292, 156]],
        [["ltxt", 192162, 20], ["note", 192212, 22], ["ltxt", 192242, 20], ["note", 192292, 156]]],
      "poly/A101_1.WAV": [[1, 2, 48000, 24],
        [["bext", 12, 858], ["iXML", 878, 5226], ["fmt ", 6112, 16], ["data", 6136, 1441434]], []],
      "poly/nuendo_5.1.wav": [[65534, 6, 48000, 24],
        [["JUNK", 12, 28], ["bext", 48, 802], ["Fake", 858, 2], ["fmt ", 868, 40],
         ["data", 916, 864000], ["iXML", 864924, 3384]],
        [["JUNK", 12, 28], ["Fake", 858, 2]]]})");
    std::vector<std::string> args = {"info", "--json"};
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(corpus)) {
        const std::string extension = entry.path().extension().string();
        if (entry.is_regular_file() && (extension == ".wav" || extension == ".WAV")) {
            args.push_back(entry.path().string());
        }
    }
    ASSERT_EQ(args.size() - 2, expected.size()) << "every corpus file needs its table";
    RESULT result = Run(args);
    ASSERT_EQ(result.status, 0) << result.err;
    const json files = json::parse(result.out).at("files");
    ASSERT_EQ(files.size(), expected.size());
    for (const json& file : files) {
        std::string name = fs::path(file.at("path").get<std::string>()).lexically_relative(corpus);
        EXPECT_EQ(Summary(file), expected.value(name, json())) << name;
    }
    // Each poly file split and merged back gives its samples back.
    for (const fs::directory_entry& entry : fs::directory_iterator(corpus / "poly")) {
        const std::string poly = entry.path().string(), take = entry.path().stem().string();
        result = Run({"split", "-o", m_strOut, poly});
        ASSERT_EQ(result.status, 0) << poly << result.err;
        result = Run({"merge", "-o", m_strMerged, m_strOut + "/" + take});
        ASSERT_EQ(result.status, 0) << poly << result.err;
        EXPECT_TRUE(HoldsThenZeros(m_strMerged + "/" + take + ".wav", Body(Read(poly), "data")))
            << poly;
    }
}

} // namespace
