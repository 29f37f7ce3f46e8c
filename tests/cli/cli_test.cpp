// kestrawave-cli run as a user would: exit statuses, messages, the JSON
// listing and the conversions, on files written here and, when it is there,
// the shared corpus of files written by real recorders and editors.

#include "CCliTest.h"

#include <nlohmann/json.hpp>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <sys/stat.h>
#endif

using nlohmann::json;

namespace {

#ifdef _WIN32
// The server end of a named pipe, which a client could open and wait on.
class CNamedPipe {
public:
    explicit CNamedPipe(const std::string& name)
        : m_handle(::CreateNamedPipeW(fs::u8path(name).c_str(), PIPE_ACCESS_DUPLEX, PIPE_WAIT,
                                      PIPE_UNLIMITED_INSTANCES, 512, 512, 0, nullptr)) {
        EXPECT_NE(m_handle, INVALID_HANDLE_VALUE) << name << ": error " << ::GetLastError();
    }
    ~CNamedPipe() {
        if (m_handle != INVALID_HANDLE_VALUE) {
            ::CloseHandle(m_handle);
        }
    }

private:
    HANDLE m_handle;
};
#endif

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

// Every channel of a source, however many, unless -c names some (their
// samples are the jobs tests' business).
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
    EXPECT_TRUE(FileCount("out/forty") == 9 && fs::exists(PathOf("out/forty/forty_33.wav")));
    ASSERT_EQ(Run({"split", "-o", m_strOut, wide}).status, 0);
    EXPECT_EQ(FileCount("out/wide"), 20u);
    // Asked again, every file to replace is named, in channel order.
    result = Run({"split", "-o", m_strOut, wide});
    EXPECT_EQ(result.status, 3);
    const std::size_t at9 = result.err.find("wide_9.wav"), at10 = result.err.find("wide_10.wav"),
                      at20 = result.err.find("wide_20.wav");
    EXPECT_TRUE(at9 < at10 && at10 < at20 && at20 != std::string::npos) << result.err;
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

// A mono held open by another program while its replacement is renamed
// onto it: POSIX replaces the name, and the holder reads on in the old file;
// the Windows C runtime opens files without FILE_SHARE_DELETE, so there the
// rename is refused and the run fails naming the file. Either way each mono
// is the old file or the new one whole, and no temporary file is left.
TEST_F(CCliTest, AMonoHeldOpenIsReplacedWholeOrKept) {
    fs::create_directory(PathOf("ref"));
    ASSERT_EQ(Run({"split", "-o", PathOf("ref"), m_strTake}).status, 0);
    for (int n = 1; n <= 4; ++n) {
        Write("out/take/take_" + std::to_string(n) + ".wav", Text("old " + std::to_string(n)));
    }
    std::ifstream held(fs::u8path(Mono(2)), std::ios::binary);
    ASSERT_TRUE(held.is_open());
    const RESULT result = Run({"split", "-y", "-o", m_strOut, m_strTake});
#ifdef _WIN32
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("Cannot write \"" + Mono(2) + "\""), std::string::npos) << result.err;
    EXPECT_EQ(TextOf(Mono(2)), "old 2");
#else
    EXPECT_EQ(result.status, 0) << result.err;
    std::string text;
    EXPECT_TRUE(std::getline(held, text) && text == "old 2") << text;
    EXPECT_EQ(Read(Mono(2)), Read("ref/take/take_2.wav"));
#endif
    for (int n = 1; n <= 4; ++n) {
        const std::string name = "take_" + std::to_string(n) + ".wav";
        const Bytes mono = Read("out/take/" + name);
        EXPECT_TRUE(mono == Text("old " + std::to_string(n)) ||
                    Body(mono, "data") == Body(Read("ref/take/" + name), "data"))
            << name;
    }
    EXPECT_EQ(FileCount("out/take"), 4u); // no temporary file beside them
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

// A FIFO, device or folder named like a wave file is named and skipped, and
// nothing waits on it; names reach the terminal with control characters
// escaped.
TEST_F(CCliTest, WhatIsNotARegularFileAndOddNamesAreReported) {
    const std::string file = Write("file", Text("x"));
    ASSERT_EQ(Run({"split", "-o", m_strOut, m_strTake}).status, 0);
    using ARGS = std::vector<std::string>;
#ifndef _WIN32
    const std::string fifo = PathOf("fifo.wav"), monoFifo = m_strMonos + "/take_5.wav";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(mkfifo(monoFifo.c_str(), 0600), 0);
    const std::pair<ARGS, std::string> cases[] = {
        {ARGS{"info", fifo}, fifo},
        {ARGS{"split", "-o", m_strOut, fifo}, fifo},
        {ARGS{"takes", m_strMonos}, monoFifo},
        {ARGS{"merge", "-o", m_strMerged, m_strMonos}, monoFifo}};
#else
    // A named pipe, which lives outside any folder, stands for the FIFO.
    const std::string pipe =
        "\\\\.\\pipe\\kestrawave-" + m_pathFolder.filename().u8string() + ".wav";
    const CNamedPipe server(pipe);
    const std::pair<ARGS, std::string> cases[] = {{ARGS{"split", "-o", m_strOut, pipe}, pipe}};
#endif
    for (const auto& [args, named] : cases) {
        const RESULT result = Run(args);
        EXPECT_EQ(result.status, 1) << args[0];
        EXPECT_NE(result.err.find("\"" + named + "\" is not a regular file."), std::string::npos)
            << result.err;
    }
#ifndef _WIN32
    EXPECT_EQ(Run({"takes", m_strMonos}).out, "take\t1,2,3,4\n");
    EXPECT_TRUE(HoldsThenZeros(m_strPoly, m_samples)); // the other channels were merged
#endif

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

// Names outside ASCII, in the arguments and in the folders and files a run
// reads and writes, reach the system as they are (on Windows as wide
// characters, whatever the code page).
TEST_F(CCliTest, NamesOutsideAsciiAreSplitAndMergedUnderTheirNames) {
    // "Szene_ä_日本_1" in a folder "Tön".
    const std::string take = "Szene_\u00e4_\u65e5\u672c_1", folder = PathOf("T\u00f6n");
    const std::string poly = Write("T\u00f6n/" + take + ".wav", Read(m_strTake));
    for (const char* name : {"mono", "poly"}) {
        fs::create_directory(fs::u8path(folder + "/" + name));
    }
    RESULT result = Run({"split", "--json", "-o", folder + "/mono", poly});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(json::parse(result.out).at("sources").at(0).at("path"), poly);
    // takes lists them under the take's name only if all four have it.
    result = Run({"takes", folder + "/mono/" + take});
    EXPECT_EQ(result.out, take + "\t1,2,3,4\n") << result.err;
    result = Run({"merge", "-o", folder + "/poly", folder + "/mono/" + take});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(HoldsThenZeros(folder + "/poly/" + take + ".wav", m_samples));
    EXPECT_EQ(FileCount("T\u00f6n/poly"), 1u);
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
#ifdef _WIN32
    // A file is sparse on Windows only when asked to be: the bytes behind
    // the samples may fill all 4 GiB.
    std::error_code error;
    if (fs::space(m_pathFolder, error).available < hugeEnd + (uint64_t(1) << 30) || error) {
        GTEST_SKIP() << "no room for 4 GiB in " << m_pathFolder;
    }
#endif
    const std::string rf64 = Write("huge.wav", Rf64Head("RF64", hugeEnd, hugeData, 3));
    fs::resize_file(fs::u8path(rf64), 92 + hugeData);
    std::fstream(fs::u8path(rf64), std::ios::in | std::ios::out | std::ios::binary)
        .seekp(std::streamoff(92 + hugeData))
        .write(reinterpret_cast<const char*>(Big1(3).data()), 12);
#ifndef _WIN32
    struct stat status;
    if (::stat(rf64.c_str(), &status) != 0 || uint64_t(status.st_blocks) * 512 > (1u << 24)) {
        GTEST_SKIP() << "no sparse files in " << m_pathFolder;
    }
#endif
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

    result = Run({"info", rf64, bw64, shortDs64});
    EXPECT_EQ(result.status, 1);
    for (const char* line :
         {"huge.wav\n  form: RF64\n  format:",
          "    data             84           4294967298 (ds64)\n",
          "    big1             4294967390   3 (ds64)\n", "small.wav\n  form: BW64\n",
          "    big1             84           5 (ds64)\n", "  undefined chunks: 1\n",
          "short.wav\n  form: RF64\n  ds64: the ds64 chunk is 20 bytes",
          "    data             64           4294967295 (not in ds64)\n"}) {
        EXPECT_NE(result.out.find(line), std::string::npos) << line << result.out;
    }
    // Only the file with a problem has a "ds64:" line.
    EXPECT_EQ(result.out.find("ds64:"), result.out.rfind("ds64:")) << result.out;
}

// Expected tables read off the files' bytes with od, independently of the
// engine.
TEST_F(CCliTest, CorpusFilesListExactlyTheChunksTheirBytesHold) {
    // On Windows the build's path names a folder of the current drive.
    const fs::path corpus = fs::absolute(KESTRAWAVE_CORPUS);
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
            args.push_back(entry.path().u8string());
        }
    }
    ASSERT_EQ(args.size() - 2, expected.size()) << "every corpus file needs its table";
    RESULT result = Run(args);
    ASSERT_EQ(result.status, 0) << result.err;
    const json files = json::parse(result.out).at("files");
    ASSERT_EQ(files.size(), expected.size());
    for (const json& file : files) {
        const std::string name = fs::u8path(file.at("path").get<std::string>())
                                     .lexically_relative(corpus)
                                     .generic_u8string();
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
