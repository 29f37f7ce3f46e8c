// Each file written names its own tracks, and the layout keeps its rules
// while the rewritten "iXML" grows or shrinks.

#include "CJobFiles.h"
#include "CXmlElements.h"

namespace {

// An iXML document of the given tracks (names), with a file set, in the
// line end given; odd adds one space after the root so that the body size
// is odd or even as asked.
Bytes TrackXml(const std::vector<std::string>& names, const std::string& eol, bool isOdd) {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + eol + "<BWFXML>" + eol + "\t<FILE_SET>" +
        eol + "\t\t<TOTAL_FILES>1</TOTAL_FILES>" + eol + "\t\t<FAMILY_UID>F00D</FAMILY_UID>" + eol +
        "\t\t<FILE_SET_INDEX>A</FILE_SET_INDEX>" + eol + "\t</FILE_SET>" + eol + "\t<TRACK_LIST>" +
        eol + "\t\t<TRACK_COUNT>" + std::to_string(names.size()) + "</TRACK_COUNT>" + eol;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        text += "\t\t<TRACK>" + eol + "\t\t\t<CHANNEL_INDEX>" + n + "</CHANNEL_INDEX>" + eol +
                "\t\t\t<INTERLEAVE_INDEX>" + n + "</INTERLEAVE_INDEX>" + eol + "\t\t\t<NAME>" +
                names[i] + "</NAME>" + eol + "\t\t</TRACK>" + eol;
    }
    text += "\t</TRACK_LIST>" + eol + "</BWFXML>" + eol;
    if ((text.size() % 2 == 1) != isOdd) {
        text += " ";
    }
    return Text(text);
}

// An 858-byte "bext" body whose description holds the lines given.
Bytes BextBody(const std::string& description) {
    return Field(description, 256) + Bytes(858 - 256);
}

std::string Description(const Bytes& file) {
    const Bytes body = Body(file, "bext");
    std::string text(body.begin(), body.begin() + 256);
    return text.substr(0, text.find('\0'));
}

// The texts of an element path of the document, "BWFXML/" left out.
std::vector<std::string> At(const Bytes& body, const std::string& path) {
    return Elements(body)["BWFXML/" + path];
}

} // namespace

// iXML ahead of the samples and after them, odd and even: each mono holds
// its own track and place in the set, its samples start at 32768 when its
// header leaves room, and the description keeps only its own line.
TEST_F(CJobTest, SplitGivesEachMonoItsOwnTrack) {
    const std::string description = "sSCENE=12\r\nsFILENAME=T.WAV\r\nsTRK1=Boom\r\nsTRK2=Lav "
                                    "Anna\r\nsTRK3=Lav Ben\r\nsNOTE=\r\n";
    for (const bool isAhead : {true, false}) {
        for (const bool isOdd : {true, false}) {
            SCOPED_TRACE(std::string(isAhead ? "ahead" : "after") + (isOdd ? " odd" : " even"));
            ClearOut();
            const Bytes ixml = Chunk(
                "iXML", TrackXml({"Boom", "Lav Anna", "Lav Ben"}, isOdd ? "\n" : "\r\n", isOdd));
            const Bytes before = Chunk("bext", BextBody(description)) + (isAhead ? ixml : Bytes());
            Write("T.wav", Wave(FmtBody(1, 3, 16, 48000), before, Pattern(3 * 2 * 101, 7),
                                isAhead ? Bytes() : ixml));
            CTestHost host;
            // Channels 1 and 3: the set is of two files.
            ASSERT_EQ(Split(host, {{"T.wav", {1, 3}}}), JOBRESULT_DONE);
            EXPECT_TRUE(host.m_arrayError.empty()) << host.m_arrayError.front();
            for (const std::string n : {"1", "3"}) {
                const Bytes mono = Read("out/T/T_" + n + ".wav"), body = Body(mono, "iXML");
                using TEXTS = std::vector<std::string>;
                EXPECT_EQ(At(body, "TRACK_LIST/TRACK_COUNT"), TEXTS{"1"});
                EXPECT_EQ(At(body, "TRACK_LIST/TRACK/CHANNEL_INDEX"), TEXTS{n});
                EXPECT_EQ(At(body, "TRACK_LIST/TRACK/INTERLEAVE_INDEX"), TEXTS{"1"});
                EXPECT_EQ(At(body, "FILE_SET/TOTAL_FILES"), TEXTS{"2"});
                EXPECT_EQ(At(body, "FILE_SET/FILE_SET_INDEX"), TEXTS{n});
                EXPECT_EQ(At(body, "FILE_SET/FAMILY_UID"), TEXTS{"F00D"});
                const std::string own = n == "1" ? "sTRK1=Boom\r\n" : "sTRK3=Lav Ben\r\n";
                EXPECT_EQ(Description(mono),
                          "sSCENE=12\r\nsFILENAME=T_" + n + ".wav\r\n" + own + "sNOTE=\r\n");
                if (isAhead) {
                    EXPECT_EQ(Find(mono, "data").pointer + 8, 32768u);
                }
            }
        }
    }
}

// A mono past the writers' RF64 limit keeps its own track list too, and its
// samples where the RIFF layout has them.
TEST_F(CJobTest, SplitRewritesTheTrackListOfRf64Monos) {
    const Bytes ixml = Chunk("iXML", TrackXml({"A", "B"}, "\n", true));
    Write("T.wav", Wave(FmtBody(1, 2, 24, 48000), ixml, Pattern(2 * 3 * 50, 3)));
    CTestHost host;
    ASSERT_EQ(Split(host, {{"T.wav", {1, 2}}}, 1000), JOBRESULT_DONE);
    const Bytes mono = Read("out/T/T_2.wav");
    ASSERT_TRUE(IsRf64(mono));
    const std::vector<CHUNKAT> chunks = Rf64Chunks(mono);
    EXPECT_EQ(FindIn(chunks, "data").pointer + 8, 32768u);
    const CHUNKAT chunk = FindIn(chunks, "iXML");
    EXPECT_EQ(At(Slice(mono, chunk.pointer + 8, chunk.size), "TRACK_LIST/TRACK/NAME"),
              std::vector<std::string>{"B"});
}

// A document that cannot be read is carried as it is, with one message.
TEST_F(CJobTest, MalformedXmlIsCarriedUnchanged) {
    const Bytes bad = Text("<BWFXML><TRACK_LIST></BWFXML>");
    Write("T.wav", Wave(FmtBody(1, 2, 16, 48000), Chunk("iXML", bad), Pattern(400, 1)));
    CTestHost host;
    ASSERT_EQ(Split(host, {{"T.wav", {1, 2}}}), JOBRESULT_DONE);
    ASSERT_EQ(host.m_arrayError.size(), 1u);
    EXPECT_TRUE(Has(host.m_arrayError, "T.wav")) << host.m_arrayError.front();
    EXPECT_EQ(Body(Read("out/T/T_1.wav"), "iXML"), bad);
}

// 24 monos: the poly lists every track in channel order; the track lines of
// the descriptions that do not fit in 256 bytes are left out whole, and said.
TEST_F(CJobTest, MergeListsEveryTrack) {
    std::vector<std::string> names, numbers;
    for (int n = 1; n <= 24; ++n) {
        const std::string k = std::to_string(n);
        names.push_back("Wireless " + k);
        numbers.push_back(k);
        const Bytes before =
            Chunk("bext", BextBody("sFILENAME=M_" + k + ".WAV\r\nsTRK" + std::to_string(n + 10) +
                                   "=" + names.back() + "\r\n")) +
            Chunk("iXML", TrackXml({names.back()}, "\r\n", n % 2 == 1));
        Write("m/M_" + k + ".wav",
              Wave(FmtBody(1, 1, 24, 48000), before, Pattern(3 * (100 + n), unsigned(n))));
    }
    CTestHost host;
    ASSERT_EQ(Merge(host, "m", "M", Range(1, 24)), JOBRESULT_DONE);
    const Bytes poly = Read("out/M.wav"), body = Body(poly, "iXML");
    EXPECT_EQ(At(body, "TRACK_LIST/TRACK_COUNT"), std::vector<std::string>{"24"});
    EXPECT_EQ(At(body, "TRACK_LIST/TRACK/NAME"), names);
    EXPECT_EQ(At(body, "TRACK_LIST/TRACK/INTERLEAVE_INDEX"), numbers);
    EXPECT_EQ(At(body, "FILE_SET/TOTAL_FILES"), std::vector<std::string>{"1"});
    EXPECT_EQ(At(body, "FILE_SET/FILE_SET_INDEX"), std::vector<std::string>{"A"});
    EXPECT_EQ(Find(poly, "data").pointer + 8, 32768u);
    // "sFILENAME=M.wav\r\n" (17 bytes), then nine track lines of 19 bytes
    // and 20-byte ones: 12 fit, 12 are left out.
    const std::string description = Description(poly);
    EXPECT_EQ(description.rfind("sFILENAME=M.wav\r\nsTRK11=Wireless 1\r\n", 0), 0u) << description;
    EXPECT_EQ(description.find("sTRK22=Wireless 12\r\n"), description.size() - 20) << description;
    EXPECT_TRUE(Has(host.m_arrayError, "12 of the 24 track lines")) << host.m_arrayError.size();
}

// A lead without an iXML gets the default document with the take's tracks,
// named by the monos where they can, instead of eight.
TEST_F(CJobTest, MergeDefaultXmlHasTheTakesTracks) {
    for (int n : {1, 3}) {
        const Bytes before = n == 3 ? Chunk("bext", BextBody("sTRK3=Boom\r\n")) : Bytes();
        Write("m/M_" + std::to_string(n) + ".wav",
              Wave(FmtBody(1, 1, 16, 48000), before, Pattern(200, unsigned(n))));
    }
    CTestHost host;
    ASSERT_EQ(Merge(host, "m", "M", {1, 3}), JOBRESULT_DONE);
    const Bytes poly = Read("out/M.wav");
    EXPECT_EQ(Find(poly, "data").pointer + 8, 32768u);
    EXPECT_EQ(At(Body(poly, "iXML"), "TRACK_LIST/TRACK_COUNT"), std::vector<std::string>{"3"});
    EXPECT_EQ(At(Body(poly, "iXML"), "TRACK_LIST/TRACK/NAME"),
              (std::vector<std::string>{"track1", "track2", "Boom"}));
}
