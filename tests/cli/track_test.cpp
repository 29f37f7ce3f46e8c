// Track lists, file sets and bext track lines as kestrawave-cli writes them,
// compared with what a recorder wrote for the same take (the shared corpus),
// and the old copying behaviour behind --copy-metadata.

#include "CCliTest.h"
#include "CXmlElements.h"

#include <nlohmann/json.hpp>

#include <set>

using nlohmann::json;

namespace {

// What describes a file's tracks and its place in a set.
std::vector<std::vector<std::string>> Said(const Bytes& file) {
    ELEMENTS all = Elements(Body(file, "iXML"));
    std::vector<std::vector<std::string>> said;
    for (const char* path :
         {"TRACK_LIST/TRACK_COUNT", "TRACK_LIST/TRACK/CHANNEL_INDEX",
          "TRACK_LIST/TRACK/INTERLEAVE_INDEX", "TRACK_LIST/TRACK/NAME", "FILE_SET/TOTAL_FILES",
          "FILE_SET/FILE_SET_INDEX", "FILE_SET/FAMILY_UID"}) {
        said.push_back(all[std::string("BWFXML/") + path]);
    }
    return said;
}

// The lines of a bext description, as a set: recorders order them freely.
std::set<std::string> DescriptionLines(const Bytes& file) {
    const Bytes bext = Slice(Body(file, "bext"), 0, 256);
    std::istringstream text(std::string(bext.begin(), std::find(bext.begin(), bext.end(), 0)));
    std::set<std::string> lines;
    for (std::string line; std::getline(text, line);) {
        lines.insert(line.substr(0, line.find('\r')));
    }
    return lines;
}

// A written file says what the recorder's says, but names itself as
// written, in lower-case.
void ExpectAsRecorded(const Bytes& written, const Bytes& recorded, const std::string& name) {
    EXPECT_TRUE(StrictRiff(written));
    EXPECT_EQ(Said(written), Said(recorded));
    std::set<std::string> lines = DescriptionLines(written), expected = DescriptionLines(recorded);
    EXPECT_EQ(lines.erase("sFILENAME=" + name + ".wav"), 1u);
    EXPECT_EQ(expected.erase("sFILENAME=" + name + ".WAV"), 1u);
    EXPECT_EQ(lines, expected);
}

class CTrackCliTest : public CCliRunTest {
protected:
    void SetUp() override {
        CCliRunTest::SetUp();
        // On Windows the build's path names a folder of the current drive.
        const fs::path corpus = fs::absolute(KESTRAWAVE_CORPUS);
        m_strSource = (corpus / "poly/A101_1.WAV").u8string();
        if (!fs::is_regular_file(corpus / "poly/A101_1.WAV")) {
            GTEST_SKIP() << "no corpus at " << corpus;
        }
        m_poly = Read(m_strSource);
        for (int n = 1; n <= 2; ++n) {
            const std::string name = "A101_1_" + std::to_string(n) + ".WAV";
            m_monos.push_back(Read((corpus / "mono" / name).u8string()));
            Write("monos/" + name, m_monos.back());
        }
        fs::create_directory(PathOf("out"));
    }
    std::string m_strSource;
    Bytes m_poly;
    std::vector<Bytes> m_monos;
};

TEST_F(CTrackCliTest, SplitAndMergeWriteWhatTheRecorderWrites) {
    RESULT result = Run({"split", "-o", PathOf("out"), m_strSource});
    ASSERT_EQ(result.status, 0) << result.err;
    for (int n = 1; n <= 2; ++n) {
        SCOPED_TRACE("mono " + std::to_string(n));
        const std::string name = "A101_1_" + std::to_string(n);
        const Bytes mono = Read("out/A101_1/" + name + ".wav");
        ExpectAsRecorded(mono, m_monos[std::size_t(n - 1)], name);
        EXPECT_EQ(Find(mono, "data").pointer + 8, 32768u);
    }
    result = Run({"merge", "-o", PathOf("out"), PathOf("monos")});
    ASSERT_EQ(result.status, 0) << result.err;
    ExpectAsRecorded(Read("out/A101_1.wav"), m_poly, "A101_1");

    // info and takes name the tracks.
    result = Run({"info", "--json", PathOf("out/A101_1.wav")});
    ASSERT_EQ(result.status, 0);
    EXPECT_EQ(json::parse(result.out).at("files").at(0).at("tracks"),
              json::parse(R"([{"channel": 1, "name": "MKH516 A", "function": ""},
                              {"channel": 2, "name": "Boom", "function": ""}])"));
    result = Run({"info", PathOf("out/A101_1.wav")});
    EXPECT_NE(result.out.find("  track 1: MKH516 A\n  track 2: Boom\n"), std::string::npos)
        << result.out;
    EXPECT_EQ(Run({"takes", PathOf("monos")}).out, "A101_1\t1,2\t1:MKH516 A, 2:Boom\n");
}

// The switch gives the files of before: every metadata byte as the source's.
TEST_F(CTrackCliTest, CopyMetadataCarriesBothChunksUnchanged) {
    ASSERT_EQ(Run({"split", "--copy-metadata", "-o", PathOf("out"), m_strSource}).status, 0);
    ASSERT_EQ(Run({"merge", "--copy-metadata", "-o", PathOf("out"), PathOf("monos")}).status, 0);
    for (int n = 1; n <= 2; ++n) {
        const Bytes mono = Read("out/A101_1/A101_1_" + std::to_string(n) + ".wav");
        EXPECT_EQ(Body(mono, "iXML"), Body(m_poly, "iXML"));
        EXPECT_TRUE(
            SameBytes(Slice(Body(mono, "bext"), 0, 602), Slice(Body(m_poly, "bext"), 0, 602)));
    }
    const Bytes poly = Read("out/A101_1.wav");
    EXPECT_EQ(Body(poly, "iXML"), Body(m_monos[0], "iXML"));
    EXPECT_EQ(Body(poly, "bext"), Body(m_monos[0], "bext"));
}

} // namespace
