// A whole card in one command: split -r and merge -r over a folder tree,
// several files at a time, one overwrite question, the summary and the
// JSON document.

#include "CCliTest.h"

#include <nlohmann/json.hpp>

#include <map>

using nlohmann::json;

namespace {

class CBatchCliTest : public CCliRunTest {
protected:
    // Every regular file below folder, by its path relative to it.
    std::map<std::string, Bytes> Tree(const std::string& folder) const {
        std::map<std::string, Bytes> files;
        const fs::path root = fs::u8path(PathOf(folder));
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            if (entry.is_regular_file()) {
                files[fs::relative(entry.path(), root).generic_u8string()] =
                    Read(entry.path().u8string());
            }
        }
        return files;
    }
    // A card: two poly files in nested folders, a mono file, a file that is
    // no wave file, and a hidden folder.
    void SetUp() override {
        CCliRunTest::SetUp();
        Write("card/D1/A.wav", Wave(FmtBody(1, 4, 24, 48000), {}, Pattern(4 * 3 * 500, 1)));
        Write("card/D1/sub/B.WAV", Wave(FmtBody(1, 2, 16, 48000), {}, Pattern(2 * 2 * 700, 2)));
        Write("card/D2/M.wav", Wave(FmtBody(1, 1, 16, 48000), {}, Pattern(2 * 300, 3)));
        Write("card/D2/bad.wav", Text("not a wave file at all"));
        Write("card/.Trashes/C.wav", Wave(FmtBody(1, 2, 16, 48000), {}, Pattern(400, 4)));
        fs::create_directories(PathOf("out"));
        fs::create_directories(PathOf("out2"));
        fs::create_directories(PathOf("merged"));
    }
};

TEST_F(CBatchCliTest, SplitRecursiveKeepsTheFoldersSkipsMonosAndGoesOnAfterAFailure) {
    const RESULT result = Run({"split", "-r", "--json", "-o", PathOf("out"), PathOf("card")});
    EXPECT_EQ(result.status, 1) << result.err;
    std::vector<std::string> names;
    for (const auto& [name, bytes] : Tree("out")) {
        names.push_back(name);
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"D1/A/A_1.wav", "D1/A/A_2.wav", "D1/A/A_3.wav",
                                        "D1/A/A_4.wav", "D1/sub/B/B_1.wav", "D1/sub/B/B_2.wav"}));
    // The folder of the failed file is not left behind empty.
    EXPECT_FALSE(fs::exists(PathOf("out/D2")));
    EXPECT_NE(result.err.find("2 converted, 1 skipped, 1 failed; 6 files written"),
              std::string::npos)
        << result.err;

    // Each source's status, count of files and whether its message names it.
    const json sources = json::parse(result.out).at("sources");
    json byPath;
    for (const json& source : sources) {
        const fs::path path = fs::u8path(source.at("path").get<std::string>());
        const std::string name = fs::relative(path, fs::u8path(PathOf("card"))).generic_u8string();
        byPath[name] = {source.at("status"), source.at("files").size(),
                        source.at("message").dump().find(path.filename().u8string()) !=
                            std::string::npos};
        for (const json& file : source.at("files")) {
            EXPECT_EQ(file.at("size"),
                      fs::file_size(fs::u8path(file.at("path").get<std::string>())));
            // A's 500 frames, filled up to 2048 bytes of 3-byte samples.
            EXPECT_TRUE(name != "D1/A.wav" || file.at("frames") == 682u) << file;
        }
    }
    EXPECT_EQ(byPath, json::parse(R"({"D1/A.wav": ["done", 4, false],
        "D1/sub/B.WAV": ["done", 2, false], "D2/M.wav": ["skipped", 0, true],
        "D2/bad.wav": ["failed", 0, true]})"));
}

TEST_F(CBatchCliTest, ParallelRunsWriteTheSameFilesAndMergeGivesTheTreeBack) {
    ASSERT_EQ(Run({"split", "-r", "-j", "1", "-o", PathOf("out"), PathOf("card/D1")}).status, 0);
    ASSERT_EQ(Run({"split", "-r", "-j", "2", "-o", PathOf("out2"), PathOf("card/D1")}).status, 0);
    const std::map<std::string, Bytes> one = Tree("out"), two = Tree("out2");
    EXPECT_EQ(one.size(), 6u);
    EXPECT_TRUE(one == two);

    const RESULT result =
        Run({"merge", "-r", "-j", "0", "--json", "-o", PathOf("merged"), PathOf("out")});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::map<std::string, Bytes> merged = Tree("merged");
    ASSERT_EQ(merged.size(), 2u);
    EXPECT_TRUE(SameBytes(Slice(Body(merged.at("A/A.wav"), "data"), 0, 4 * 3 * 500),
                          Pattern(4 * 3 * 500, 1)));
    EXPECT_TRUE(SameBytes(Slice(Body(merged.at("sub/B/B.wav"), "data"), 0, 2 * 2 * 700),
                          Pattern(2 * 2 * 700, 2)));
    EXPECT_EQ(json::parse(result.out).at("takes").size(), 2u);
}

// Asked once for the whole run, listing every file (shortened), before
// anything is written; -y answers it.
TEST_F(CBatchCliTest, TheOverwriteQuestionIsAskedOnceBeforeAnythingIsWritten) {
    for (int i = 0; i < 6; ++i) {
        Write("many/T" + std::to_string(i) + ".wav",
              Wave(FmtBody(1, 4, 16, 48000), {}, Pattern(4 * 2 * 100, unsigned(i))));
    }
    ASSERT_EQ(Run({"split", "-r", "-o", PathOf("out"), PathOf("many")}).status, 0);
    const auto before = Tree("out");
    fs::remove(PathOf("out/T5/T5_4.wav")); // one take is incomplete
    RESULT result = Run({"split", "-r", "-j", "2", "-o", PathOf("out"), PathOf("many")});
    EXPECT_EQ(result.status, 3) << result.err;
    EXPECT_EQ(result.err.find("These files exist already:"),
              result.err.rfind("These files exist already:"));
    EXPECT_NE(result.err.find("... and 3 more"), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(PathOf("out/T5/T5_4.wav")));

    result = Run({"split", "-r", "-y", "-j", "2", "-o", PathOf("out"), PathOf("many")});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(Tree("out") == before);
}

// Inputs that would write the same files, and an output folder inside the
// card, which a second run must not take for a source.
TEST_F(CBatchCliTest, RunsNeverWriteOneFileTwiceNorReadTheirOwnOutputs) {
    Write("a/T.wav", Wave(FmtBody(1, 2, 16, 48000), {}, Pattern(400, 5)));
    Write("b/T.wav", Wave(FmtBody(1, 2, 16, 48000), {}, Pattern(400, 6)));
    RESULT result = Run({"split", "-o", PathOf("out"), PathOf("a/T.wav"), PathOf("b/T.wav")});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("would replace those of"), std::string::npos) << result.err;
    EXPECT_TRUE(
        SameBytes(Slice(Body(Read("out/T/T_1.wav"), "data"), 0, 2), Slice(Pattern(400, 5), 0, 2)));

    // S_1's monos merge into .../S_1/S_1.wav, which looks like channel 1 of
    // a take S.
    Write("src/S_1.wav", Wave(FmtBody(1, 2, 16, 48000), {}, Pattern(400, 7)));
    fs::create_directories(PathOf("card/merged"));
    ASSERT_EQ(Run({"split", "-o", PathOf("card/D1"), PathOf("src/S_1.wav")}).status, 0);
    for (int run = 0; run < 2; ++run) {
        result = Run({"merge", "-r", "-y", "--json", "-o", PathOf("card/merged"), PathOf("card")});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(json::parse(result.out).at("takes").size(), 1u) << result.out;
    }
}

} // namespace
