// `kestrawave-cli info` run as a user would: exit statuses, error lines, and
// the JSON listing against fixtures written here and, when it is there, the
// shared corpus of files written by real recorders and editors.

#include "CCliTest.h"

#include <nlohmann/json.hpp>

#include <algorithm>

using nlohmann::json;

namespace {

// PCM, 2 channels, 48 kHz, 24 bits.
const std::string fmtChunk = Fmt(2, 24);

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

using CInfoTest = CCliTest;

TEST_F(CInfoTest, JsonListsFormatChunksAndUndefinedChunks) {
    // Odd-sized chunks with pad bytes, an adtl list, and an unknown chunk
    // behind the samples, which the undefined list leaves out.
    std::string take = Write(
        "take.wav",
        Riff(fmtChunk + Chunk("bext", std::string(10, 'b')) + Chunk("Fake", "odd") +
             Chunk("LIST", "adtl" + Chunk("labl", Le32(1) + "mark") + Chunk("ltxt", "12345")) +
             Chunk("data", std::string(6, '\0')) + Chunk("zzzz", "zz")));
    std::string bare = Write("bare.WAV", Riff(Chunk("data", "")));

    RESULT result = Run({"info", "--json", take, bare});
    ASSERT_EQ(result.status, 0) << result.err;
    json files = json::parse(result.out).at("files");
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].at("path"), take);
    EXPECT_EQ(Summary(files[0]), json::parse(R"([[1, 2, 48000, 24],
        [["fmt ", 12, 16], ["bext", 36, 10], ["Fake", 54, 3], ["LIST", 66, 34], ["labl", 78, 8],
         ["ltxt", 94, 5], ["data", 108, 6], ["zzzz", 122, 2]],
        [["Fake", 54, 3], ["ltxt", 94, 5]]])"));
    EXPECT_EQ(files[1].at("path"), bare);
    EXPECT_EQ(files[1].at("format"), nullptr);
    EXPECT_EQ(files[1].at("chunks"), json::parse(R"([{"id": "data", "offset": 12, "size": 0}])"));

    result = Run({"info", take});
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("2 channels, 48000 Hz, 24 bits"), std::string::npos) << result.out;
}

TEST_F(CInfoTest, UnreadableFilesAreNamedAndTheOthersStillShown) {
    std::string good = Write("good.wav", Riff(fmtChunk + Chunk("data", "")));
    fs::create_directory(m_pathDir / "folder.wav");
    const std::vector<std::string> bad = {
        (m_pathDir / "missing.wav").string(), Write("riff.txt", Riff(fmtChunk)),
        Write("text.wav", "not a wave file"), (m_pathDir / "folder.wav").string()};
    RESULT result = Run({"info", "--json", bad[0], bad[1], good, bad[2], bad[3]});
    EXPECT_EQ(result.status, 1);
    for (const std::string& path : bad) {
        EXPECT_NE(result.err.find("\"" + path + "\""), std::string::npos) << result.err;
    }
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 4) << result.err;
    json files = json::parse(result.out).at("files");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].at("path"), good);
}

// Expected tables read off the files' bytes with od, independently of the
// engine.
TEST_F(CInfoTest, CorpusFilesListExactlyTheChunksTheirBytesHold) {
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
        std::string extension = entry.path().extension().string();
        if (entry.is_regular_file() && (extension == ".wav" || extension == ".WAV")) {
            args.push_back(entry.path().string());
        }
    }
    ASSERT_EQ(args.size() - 2, expected.size()) << "every corpus file needs its table";

    RESULT result = Run(args);
    ASSERT_EQ(result.status, 0) << result.err;
    json files = json::parse(result.out).at("files");
    ASSERT_EQ(files.size(), expected.size());
    for (const json& file : files) {
        std::string name = fs::path(file.at("path").get<std::string>()).lexically_relative(corpus);
        EXPECT_EQ(Summary(file), expected.value(name, json())) << name;
    }
}

} // namespace
