// Track lists, file sets and bext track lines as kestrawave-cli writes them,
// compared with what a recorder wrote for the same take (the shared corpus),
// and the old copying behaviour behind --copy-metadata.

#include "CCliTest.h"
#include "CXmlElements.h"

#include <nlohmann/json.hpp>

#include <set>

using nlohmann::json;

namespace {

// The lines of a bext description, as a set: recorders order them freely.
std::set<std::string> DescriptionLines(const Bytes& bext) {
    std::string text(bext.begin(), bext.begin() + std::min<std::size_t>(256, bext.size()));
    text = text.substr(0, text.find('\0'));
    std::set<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end;
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.insert(line);
        at = end + 1;
    }
    return lines;
}

// What describes a file's tracks and its place in a set.
const char* const trackPaths[] = {"BWFXML/TRACK_LIST/TRACK_COUNT",
                                  "BWFXML/TRACK_LIST/TRACK/CHANNEL_INDEX",
                                  "BWFXML/TRACK_LIST/TRACK/INTERLEAVE_INDEX",
                                  "BWFXML/TRACK_LIST/TRACK/NAME",
                                  "BWFXML/FILE_SET/TOTAL_FILES",
                                  "BWFXML/FILE_SET/FILE_SET_INDEX",
                                  "BWFXML/FILE_SET/FAMILY_UID"};

::testing::AssertionResult SameTracks(const Bytes& actual, const Bytes& expected) {
    const ELEMENTS a = Elements(Body(actual, "iXML")), e = Elements(Body(expected, "iXML"));
    for (const char* path : trackPaths) {
        const auto ia = a.find(path), ie = e.find(path);
        const std::vector<std::string> va = ia == a.end() ? std::vector<std::string>() : ia->second;
        const std::vector<std::string> ve = ie == e.end() ? std::vector<std::string>() : ie->second;
        if (va != ve) {
            std::string text = std::string(path) + ":";
            for (const std::string& v : va) {
                text += " [" + v + "]";
            }
            text += " instead of";
            for (const std::string& v : ve) {
                text += " [" + v + "]";
            }
            return ::testing::AssertionFailure() << text;
        }
    }
    return ::testing::AssertionSuccess();
}

class CTrackCliTest : public CCliRunTest {
protected:
    void SetUp() override {
        CCliRunTest::SetUp();
        // On Windows the build's path names a folder of the current drive.
        m_corpus = fs::absolute(KESTRAWAVE_CORPUS);
        if (!fs::is_regular_file(m_corpus / "poly/A101_1.WAV")) {
            GTEST_SKIP() << "no corpus at " << m_corpus;
        }
        m_poly = Read((m_corpus / "poly/A101_1.WAV").string());
        m_monos = {Read((m_corpus / "mono/A101_1_1.WAV").string()),
                   Read((m_corpus / "mono/A101_1_2.WAV").string())};
        for (const char* folder : {"out", "merged"}) {
            fs::create_directory(PathOf(folder));
        }
    }
    fs::path m_corpus;
    Bytes m_poly;
    std::vector<Bytes> m_monos;
};

TEST_F(CTrackCliTest, SplitWritesWhatTheRecorderWritesForEachMono) {
    const RESULT result =
        Run({"split", "-o", PathOf("out"), (m_corpus / "poly/A101_1.WAV").string()});
    ASSERT_EQ(result.status, 0) << result.err;
    for (int n = 1; n <= 2; ++n) {
        SCOPED_TRACE("mono " + std::to_string(n));
        const Bytes mono = Read("out/A101_1/A101_1_" + std::to_string(n) + ".wav");
        EXPECT_TRUE(StrictRiff(mono));
        EXPECT_TRUE(SameTracks(mono, m_monos[std::size_t(n - 1)]));
        std::set<std::string> lines = DescriptionLines(Body(mono, "bext"));
        std::set<std::string> expected =
            DescriptionLines(Body(m_monos[std::size_t(n - 1)], "bext"));
        // We name the file as it is written, in lower-case.
        EXPECT_EQ(lines.erase("sFILENAME=A101_1_" + std::to_string(n) + ".wav"), 1u);
        EXPECT_EQ(expected.erase("sFILENAME=A101_1_" + std::to_string(n) + ".WAV"), 1u);
        EXPECT_EQ(lines, expected);
        // The samples still start at 32768.
        EXPECT_EQ(Find(mono, "data").pointer + 8, 32768u);
    }
}

TEST_F(CTrackCliTest, MergeWritesWhatTheRecorderWritesForThePoly) {
    fs::create_directory(PathOf("monos"));
    Write("monos/A101_1_1.WAV", m_monos[0]);
    Write("monos/A101_1_2.WAV", m_monos[1]);
    RESULT result = Run({"merge", "-o", PathOf("out"), PathOf("monos")});
    ASSERT_EQ(result.status, 0) << result.err;
    const Bytes poly = Read("out/A101_1.wav");
    EXPECT_TRUE(StrictRiff(poly));
    EXPECT_TRUE(SameTracks(poly, m_poly));
    std::set<std::string> lines = DescriptionLines(Body(poly, "bext"));
    std::set<std::string> expected = DescriptionLines(Body(m_poly, "bext"));
    EXPECT_EQ(lines.erase("sFILENAME=A101_1.wav"), 1u);
    EXPECT_EQ(expected.erase("sFILENAME=A101_1.WAV"), 1u);
    EXPECT_EQ(lines, expected);

    // info and takes name the tracks.
    result = Run({"info", "--json", PathOf("out/A101_1.wav")});
    ASSERT_EQ(result.status, 0);
    EXPECT_EQ(json::parse(result.out).at("files").at(0).at("tracks"),
              json::parse(R"([{"channel": 1, "name": "MKH516 A", "function": ""},
                              {"channel": 2, "name": "Boom", "function": ""}])"));
    result = Run({"info", PathOf("out/A101_1.wav")});
    ASSERT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("  track 1: MKH516 A\n  track 2: Boom\n"), std::string::npos)
        << result.out;
    result = Run({"takes", PathOf("monos")});
    ASSERT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "A101_1\t1,2\t1:MKH516 A, 2:Boom\n");
}

// The switch gives the files of before: every metadata byte as the source's.
TEST_F(CTrackCliTest, CopyMetadataCarriesBothChunksUnchanged) {
    const std::string source = (m_corpus / "poly/A101_1.WAV").string();
    ASSERT_EQ(Run({"split", "--copy-metadata", "-o", PathOf("out"), source}).status, 0);
    fs::create_directory(PathOf("monos"));
    Write("monos/A101_1_1.WAV", m_monos[0]);
    Write("monos/A101_1_2.WAV", m_monos[1]);
    ASSERT_EQ(Run({"merge", "--copy-metadata", "-o", PathOf("merged"), PathOf("monos")}).status, 0);
    for (int n = 1; n <= 2; ++n) {
        const Bytes mono = Read("out/A101_1/A101_1_" + std::to_string(n) + ".wav");
        EXPECT_EQ(Body(mono, "iXML"), Body(m_poly, "iXML"));
        EXPECT_TRUE(
            SameBytes(Slice(Body(mono, "bext"), 0, 602), Slice(Body(m_poly, "bext"), 0, 602)));
    }
    const Bytes poly = Read("merged/A101_1.wav");
    EXPECT_EQ(Body(poly, "iXML"), Body(m_monos[0], "iXML"));
    EXPECT_EQ(Body(poly, "bext"), Body(m_monos[0], "bext"));
}

} // namespace
