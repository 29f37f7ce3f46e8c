// Merging mono files: the poly file's layout per convert mode, its samples
// and the lead's metadata.

#include "CJobFiles.h"

#include <expat.h>

#include <algorithm>
#include <cctype>

TEST_F(CJobTest, PolyFileFollowsTheConvertMode) {
    const struct {
        int mode;
        std::vector<uint32_t> monos; // data bytes of channel n's file, 0 for none
        uint16_t tag, bits;
        uint32_t rate, fake; // fake: body of an undefined chunk of the lead
        int64_t pad;         // -1 for none
        uint32_t firstSample;
        const char* history;
    } cases[] = {
        // A lead without metadata; channel 3 silent.
        {0, {2103, 2103, 0, 2103}, 1, 24, 48000, 0, 20364, 32768, "4channel\r24bit\r48kHz"},
        {1, {2103, 2103, 0, 2103}, 1, 24, 48000, 0, 31850, 32768, "4channel\r24bit\r48kHz"},
        {2, {2103, 2103, 0, 2103}, 1, 24, 48000, 0, 3178, 4096, "4channel\r24bit\r48kHz"},
        // Metadata ending 16 bytes before the boundary, then 14 (copied chunks stay even).
        {0, {4096}, 1, 16, 88200, 20356, 0, 32768, "mono\r16bit\r88.2kHz"},
        {0, {4096}, 1, 16, 88200, 20358, -1, 32762, "mono\r16bit\r88.2kHz"},
        // Channel 3 alone leads; a partial last sample and channels shorter and longer than it
        // (the longest decides).
        {2, {0, 0, 2000}, 1, 16, 44100, 0, 3178, 4096, "3channel\r16bit\r44.1kHz"},
        {1, {2003, 1000, 6000}, 1, 16, 22050, 0, 31850, 32768, "3channel\r16bit\r22kHz"},
        // Float; an extensible lead gives a plain PCM poly file.
        {2, {4000, 4000}, 3, 32, 96000, 0, 3178, 4096, "stereo\r32bit\r96kHz"},
        {1, {3000, 3000}, 0xFFFE, 24, 48000, 0, 31850, 32768, "stereo\r24bit\r48kHz"},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.history);
        fs::remove_all(PathOf("in"));
        const uint32_t channels = uint32_t(t.monos.size()), width = (t.bits + 7) / 8;
        std::vector<int> present;
        uint32_t lead = 0;
        std::vector<std::string> names;
        std::vector<Bytes> data;
        for (uint32_t n = 1; n <= channels; ++n) {
            data.push_back(Pattern(t.monos[n - 1], n));
            if (t.monos[n - 1] == 0) {
                continue;
            }
            const std::string name = n == 3 ? "in/T_3.WAV" : "in/T_" + std::to_string(n) + ".wav";
            // Bytes after another channel's samples are no samples.
            const bool isLead = present.empty();
            lead = isLead ? t.monos[n - 1] : lead;
            const uint32_t samples = (t.monos[n - 1] + width - 1) / width;
            if (samples != (lead + width - 1) / width) {
                // Each differing channel is named, with its length.
                names.push_back(Quoted(PathOf(name)) + " has " + std::to_string(samples) +
                                " samples");
            }
            present.push_back(int(n));
            Write(name, Wave(FmtBody(t.tag, 1, t.bits, t.rate, 0x4),
                             isLead && t.fake != 0 ? Chunk("Fake", Pattern(t.fake, 7)) : Bytes(),
                             data.back(), isLead ? Bytes() : Chunk("Tail", Bytes(64, 9))));
        }
        CTestHost host;
        // The lead's metadata as it is, so that the default iXML keeps its
        // size and the layout its arithmetic.
        ASSERT_EQ(Merge(host, "in", "T", present, t.mode, RIFF_FILE_MAX, {}, true), JOBRESULT_DONE);
        EXPECT_EQ(host.m_arrayError.size(), names.size());
#ifdef _WIN32
        // Names that differ in case alone name one file here, and the
        // message names T_3.WAV as the merge asked for it.
        auto lower = [](std::string text) {
            std::transform(text.begin(), text.end(), text.begin(),
                           [](unsigned char c) { return char(std::tolower(c)); });
            return text;
        };
        std::transform(names.begin(), names.end(), names.begin(), lower);
        std::transform(host.m_arrayError.begin(), host.m_arrayError.end(),
                       host.m_arrayError.begin(), lower);
#endif
        for (const std::string& text : names) {
            EXPECT_TRUE(Has(host.m_arrayError, text)) << text;
        }
        const Bytes poly = Read("out/T.wav");
        EXPECT_EQ(Le(poly, 4), poly.size() - 8);
        EXPECT_EQ(Order(poly), t.mode != 0 ? "bext fmt pad data cue plst LIST"
                                           : std::string("bext fmt cue plst LIST iXML") +
                                                 (t.fake != 0 ? " Fake" : "") +
                                                 (t.pad >= 0 ? " pad" : "") + " data");
        EXPECT_EQ(t.pad < 0 ? -1 : int64_t(Find(poly, "pad").size), t.pad);
        EXPECT_EQ(Body(poly, "fmt"), FmtBody(t.tag == 3 ? 3 : 1, channels, t.bits, t.rate));
        EXPECT_EQ(Slice(Body(poly, "bext"), 602, 256),
                  Field("PCM\r\n" + std::string(t.history) + "\r", 256));
        if (t.mode == 0) { // the default iXML is well-formed
            const Bytes ixml = Body(poly, "iXML");
            XML_Parser parser = XML_ParserCreate(nullptr);
            EXPECT_EQ(XML_Parse(parser, reinterpret_cast<const char*>(ixml.data()), 1542, 1),
                      XML_STATUS_OK);
            XML_ParserFree(parser);
        }
        const CHUNKAT samples = Find(poly, "data");
        EXPECT_EQ(samples.pointer + 8, t.firstSample);
        EXPECT_TRUE(SameBytes(Slice(poly, t.firstSample, samples.size), Interleave(data, width)));
    }
}

TEST_F(CJobTest, LeadMetadataIsCarriedAndItsListReplaced) {
    Bytes bext = Chunk("bext", Pattern(858, 1));
    const Bytes markers = Chunk("cue ", Pattern(28, 2)) + Chunk("plst", Pattern(16, 3));
    const Bytes ixml = Chunk("iXML", Pattern(11, 5)); // odd chunks get a zero pad byte
    const Bytes fakes = Chunk("Fake", Pattern(3, 6)) + Chunk("Fake", Pattern(5, 7));
    const Bytes meta =
        bext + markers + Chunk("LIST", Text("INFO") + Chunk("ICMT", Pattern(9, 4))) + ixml + fakes;
    Write("in/T_1.wav", Wave(FmtBody(1, 1, 16, 44100), meta, Pattern(1000, 8)));
    Write("in/T_2.wav", Wave(FmtBody(1, 1, 16, 44100), meta, Pattern(1000, 9)));
    const Bytes history = Field("PCM\r\nstereo\r16bit\r44.1kHz\r", 256);
    std::copy(history.begin(), history.end(), bext.begin() + 610);
    for (int mode : {0, 1}) {
        SCOPED_TRACE(mode);
        CTestHost host;
        ASSERT_EQ(Merge(host, "in", "T", {1, 2}, mode), JOBRESULT_DONE);
        const Bytes poly = Read("out/T.wav");
        EXPECT_EQ(Order(poly), mode == 0 ? "bext fmt cue plst LIST iXML Fake Fake pad data"
                                         : "bext fmt pad data cue plst LIST Fake Fake");
        EXPECT_EQ(Slice(poly, 12, 866), bext);
        const CHUNKAT list = Find(poly, "LIST"), data = Find(poly, "data");
        EXPECT_EQ(list.size, 6340u); // the default one
        EXPECT_EQ(Slice(poly, list.pointer + 8, 4), Text("adtl"));
        // Each copied from its own place, the two "Fake" chunks too.
        const Bytes expected =
            markers + Slice(poly, list.pointer, 6348) + (mode == 0 ? ixml : Bytes()) + fakes;
        const std::size_t at = mode == 0 ? 12 + 866 + 24 : data.pointer + 8 + data.size;
        EXPECT_TRUE(SameBytes(Slice(poly, at, expected.size()), expected));
    }
}
