// The default metadata chunks, byte for byte.

#include "CBwfFile.h"
#include "CTestKit.h"

#include <cstdio>

class CDefaultChunkTest : public CTempFolderTest {
protected:
    // Runs the writer behind a RIFF header, so that a size patched at the
    // wrong place shows, and returns what it wrote.
    template <typename WRITER> Bytes Written(uint64_t expectedSize, WRITER writer) {
        CBwfFile file;
        EXPECT_TRUE(file.CreateBlankFile(PathOf("a.wav").c_str()));
        EXPECT_TRUE(file.CreateChunk(CHUNK_RIFF, 0) && writer(file));
        EXPECT_EQ(file.GetFilePointer(), 12 + expectedSize);
        EXPECT_TRUE(file.CloseFile());
        return Slice(Read("a.wav"), 12, expectedSize + 1); // a byte too many shows
    }
};

TEST_F(CDefaultChunkTest, BextHoldsTheDefaultsDateAndCodingHistory) {
    Bytes bext = Written(866, [](CBwfFile& file) {
        return file.CreateDefaultBextChunk(2, 24, 48000, 2009, 3, 5, 9, 5, 3);
    });
    const std::string description =
        "fUBIT=\r\nfSCENE=\r\nfTAKE=\r\nfTAPE=\r\nfEVENT=00001\r\nfSPEED=\r\nfTRK1=track1\r\n"
        "fTRK2=track2\r\nfTRK3=track3\r\nfTRK4=track4\r\nfTRK5=track5\r\nfTRK6=track6\r\n"
        "fTRK7=track7\r\nfTRK8=track8\r\nfNOTE= \r\n";
    EXPECT_EQ(bext, Layout("bext=858") + Field(description, 256) +
                        Field("TALVEN CO. Kestrawave", 32) + Field("Ver2.00", 32) +
                        Field("2009-3-5", 10) + Field("9:5:3", 8) + Bytes(4 + 4 + 2 + 254) +
                        Field("PCM\r\nstereo\r24bit\r48kHz\r", 256));
    bext = Written(866, [](CBwfFile& file) {
        return file.CreateDefaultBextChunk(4, 16, 22050, 2009, 12, 31, 23, 59, 59);
    });
    EXPECT_EQ(Slice(bext, 328, 19), Field("2009-12-3123:59:59", 19)); // both fields full
}

TEST_F(CDefaultChunkTest, MarkersDescribe99SlotsAtSampleZeroAndIXmlEightTracks) {
    const Bytes written = Written(2388 + 1200 + 6348 + 1550, [](CBwfFile& file) {
        return file.CreateDefaultCueChunk() && file.CreateDefaultPlstChunk() &&
               file.CreateDefaultListChunk() && file.CreateDefaultIXmlChunk();
    });
    Bytes cue = U32(99), labels = Text("adtl");
    for (uint32_t slot = 0; slot < 99; ++slot) {
        char label[8];
        std::snprintf(label, sizeof label, "Cue %02u", slot);
        cue = cue + U32(slot == 0 ? 0 : 0xFF000000 + slot + 1) + U32(0) + Text("data") + Bytes(12);
        labels = labels + Text("labl") + U32(56) + U32(slot) +
                 Field(slot == 0 ? "Chase Offset byte16-24" : label, 52);
    }
    EXPECT_EQ(Slice(written, 0, 9936),
              Chunk("cue ", cue) + Chunk("plst", Bytes(1192)) + Chunk("LIST", labels));
    // The jobs tests parse the document; here its frame and its tracks.
    EXPECT_EQ(Slice(written, 9936, 8), Layout("iXML=1542"));
    const std::string ixml(written.begin() + 9944, written.end());
    EXPECT_EQ(ixml.find("<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<BWFXML>\r\n"), 0u);
    EXPECT_EQ(ixml.substr(ixml.size() - 11), "</BWFXML>\r\n");
    EXPECT_NE(ixml.find("<TRACK_COUNT>8</TRACK_COUNT>"), std::string::npos);
    EXPECT_NE(ixml.find("<CHANNEL_INDEX>8</CHANNEL_INDEX>"), std::string::npos);
    EXPECT_NE(ixml.find("<NAME>track8</NAME>"), std::string::npos);
}
