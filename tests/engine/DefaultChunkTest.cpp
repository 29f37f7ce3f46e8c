// The default metadata chunks, byte for byte.

#include "CTestFiles.h"

#include <cstdio>
#include <cstring>

using namespace std::string_literals;

class CDefaultChunkTest : public CTempFolderTest {
protected:
    // Runs the writer behind a RIFF header, so that a size patched at the
    // wrong place shows, and returns what it wrote.
    template <typename WRITER> std::string Written(WRITER writer, uint64_t expectedSize) {
        CBwfFile file;
        EXPECT_TRUE(file.CreateBlankFile(PathOf("a.wav").c_str()));
        EXPECT_TRUE(file.CreateChunk(CHUNK_RIFF, 0) && writer(file));
        EXPECT_EQ(file.GetFilePointer(), 12 + expectedSize);
        EXPECT_TRUE(file.CloseFile());
        Bytes bytes = Read("a.wav");
        return std::string(bytes.begin() + 12, bytes.end());
    }
};

TEST_F(CDefaultChunkTest, BextHoldsTheDefaultsDateAndCodingHistory) {
    std::string bext = Written(
        [](CBwfFile& file) {
            return file.CreateDefaultBextChunk(2, 24, 48000, 2009, 3, 5, 9, 5, 3);
        },
        866);
    const std::string description =
        "fUBIT=\r\nfSCENE=\r\nfTAKE=\r\nfTAPE=\r\nfEVENT=00001\r\nfSPEED=\r\nfTRK1=track1\r\n"
        "fTRK2=track2\r\nfTRK3=track3\r\nfTRK4=track4\r\nfTRK5=track5\r\nfTRK6=track6\r\n"
        "fTRK7=track7\r\nfTRK8=track8\r\nfNOTE= \r\n";
    CBytes expected = Layout("bext=858");
    expected.Text(description).Fill(256 - description.size());
    expected.Text("TALVEN CO. Kestrawave").Fill(11).Text("Ver2.00").Fill(25);
    expected.Text("2009-3-5").Fill(2).Text("9:5:3").Fill(3 + 4 + 4 + 2 + 254);
    expected.Text("PCM\r\nstereo\r24bit\r48kHz\r").Fill(256 - 24);
    EXPECT_EQ(bext, expected.String());

    bext = Written(
        [](CBwfFile& file) {
            return file.CreateDefaultBextChunk(4, 16, 22050, 2009, 12, 31, 23, 59, 59);
        },
        866);
    EXPECT_EQ(bext.substr(328, 19), "2009-12-3123:59:59\0"s);              // both fields full
    EXPECT_EQ(bext.substr(610, 27), "PCM\r\n4channel\r16bit\r22kHz\r\0"s); // rounded down
    char text[32]; // only 44.1 and 88.2 kHz get a fraction
    CBwfFile::MakeCodingHistory(text, sizeof text, 1, 16, 44100);
    EXPECT_STREQ(text, "PCM\r\nmono\r16bit\r44.1kHz\r");
    CBwfFile::MakeCodingHistory(text, sizeof text, 2, 16, 88200);
    EXPECT_STREQ(text, "PCM\r\nstereo\r16bit\r88.2kHz\r");
}

TEST_F(CDefaultChunkTest, MarkerChunksDescribe99SlotsAtSampleZero) {
    std::string markers = Written(
        [](CBwfFile& file) {
            return file.CreateDefaultCueChunk() && file.CreateDefaultPlstChunk() &&
                   file.CreateDefaultListChunk();
        },
        2388 + 1200 + 6348);
    CBytes expected = Layout("cue =2380");
    expected.U32(99);
    for (uint32_t slot = 0; slot < 99; ++slot) {
        expected.U32(slot == 0 ? 0 : 0xFF000000 + slot + 1).U32(0).Text("data").Fill(12);
    }
    expected.Text("plst").U32(1192).Fill(1192).Text("LIST").U32(6340).Text("adtl");
    for (uint32_t slot = 0; slot < 99; ++slot) {
        char label[8];
        std::snprintf(label, sizeof label, "Cue %02u", slot);
        std::string text = slot == 0 ? "Chase Offset byte16-24" : label;
        expected.Text("labl").U32(56).U32(slot).Text(text).Fill(52 - text.size());
    }
    EXPECT_EQ(markers, expected.String());
}

TEST_F(CDefaultChunkTest, IXmlIsAWellFormedDocumentWithEightTracks) {
    std::string ixml = Written([](CBwfFile& file) { return file.CreateDefaultIXmlChunk(); }, 1550);
    EXPECT_EQ(ixml.substr(0, 8), Layout("iXML=1542").String());
    // The declaration, then one element per line: an opening tag, a closing
    // tag, or an element holding plain text. Tags nest under a single root.
    std::vector<std::string> lines, open;
    for (std::size_t start = 8, end; (end = ixml.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        const std::string line = ixml.substr(start, end - start);
        lines.push_back(line);
        std::size_t close = line.find('>');
        if (lines.size() == 1) {
            continue;
        }
        ASSERT_TRUE(line[0] == '<' && close != std::string::npos) << line;
        const std::string tag = line.substr(1, close - 1), rest = line.substr(close + 1);
        const std::string text = rest.substr(0, rest.find('<'));
        if (tag[0] == '/') {
            ASSERT_EQ(open.empty() ? "" : "/" + open.back(), tag);
            open.pop_back();
        } else if (rest.empty()) {
            open.push_back(tag);
        } else {
            EXPECT_EQ(rest, text + "</" + tag + ">");
            EXPECT_EQ(text.find_first_of("<>&"), std::string::npos) << line;
        }
        EXPECT_EQ(open.empty(), lines.size() == 67) << line;
    }
    ASSERT_EQ(lines.size(), 67u);
    EXPECT_EQ(ixml.substr(ixml.size() - 11), "</BWFXML>\r\n");
    EXPECT_EQ(lines[0], "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>");
    EXPECT_EQ(lines[16], "<TRACK_COUNT>8</TRACK_COUNT>");
    EXPECT_EQ(lines[18], "<CHANNEL_INDEX>1</CHANNEL_INDEX>");
    EXPECT_EQ(lines[60], "<CHANNEL_INDEX>8</CHANNEL_INDEX>");
    EXPECT_EQ(lines[62], "<NAME>track8</NAME>");
}
