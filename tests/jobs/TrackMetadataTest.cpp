// The track list, file set and bext track lines each file of a split or a
// merge gets, on documents made here in the layouts and encodings found in
// the wild (the CLI tests compare with the recorder's own files).

#include "CBextTracks.h"
#include "CIXmlTracks.h"
#include "CTestKit.h"
#include "CXmlElements.h"

#include <tuple>

namespace {

const fs::path CORPUS = KESTRAWAVE_CORPUS;

std::string ChunkOf(const fs::path& path, const std::string& id) {
    std::ifstream file(path, std::ios::binary);
    const Bytes bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const Bytes body = Body(bytes, id);
    return std::string(body.begin(), body.end());
}

// A take's iXML as a recorder lays it out; a split's or a merge's result
// is the same document with other values.
struct _DOC {
    std::string strLineEnd = "\r\n";
    std::string strIndent = "\t";
    std::vector<int> arrayChannel{1, 2, 3}; // the tracks, in document order
    bool hasInterleave = true;
    int interleave = 0; // every INTERLEAVE_INDEX, 0 for the track's channel
    std::string strCount = "3";
    std::string strTotal = "1";
    std::string strIndex = "A";
    std::string strEncoding = "UTF-8";
    std::string strSuffix; // of every name
};

std::string Document(const _DOC& doc) {
    auto line = [&](int depth, const std::string& text) {
        std::string indent;
        for (int i = 0; i < depth; ++i) {
            indent += doc.strIndent;
        }
        return indent + text + doc.strLineEnd;
    };
    auto element = [](const std::string& name, const std::string& text) {
        return "<" + name + ">" + text + "</" + name + ">";
    };
    std::string text = line(0, "<?xml version=\"1.0\" encoding=\"" + doc.strEncoding + "\"?>") +
                       line(0, "<BWFXML>") + line(1, element("PROJECT", "Dock &amp; Pier")) +
                       line(1, "<FILE_SET>") + line(2, element("TOTAL_FILES", doc.strTotal)) +
                       line(2, element("FAMILY_UID", "F00D")) +
                       line(2, element("FILE_SET_INDEX", doc.strIndex)) + line(1, "</FILE_SET>") +
                       line(1, "<TRACK_LIST>") + line(2, element("TRACK_COUNT", doc.strCount));
    for (int k : doc.arrayChannel) {
        text += line(2, "<TRACK>") + line(3, element("CHANNEL_INDEX", std::to_string(k + 10)));
        if (doc.hasInterleave) {
            text += line(3, element("INTERLEAVE_INDEX",
                                    std::to_string(doc.interleave != 0 ? doc.interleave : k)));
        }
        text += line(3, element("NAME", "Mic " + std::to_string(k) + doc.strSuffix)) +
                line(3, element("FUNCTION", "F" + std::to_string(k))) + line(2, "</TRACK>");
    }
    return text + line(1, "</TRACK_LIST>") + line(0, "</BWFXML>");
}

// The document of channel n's mono of a split into total files.
_DOC Mono(_DOC doc, int n, int total) {
    doc.arrayChannel = {n};
    doc.interleave = 1;
    doc.strCount = "1";
    doc.strTotal = std::to_string(total);
    doc.strIndex = std::to_string(n);
    return doc;
}

// UTF-8 text as UTF-16 with a byte order mark.
std::string Utf16(const std::string& utf8, bool isLittle) {
    std::string out = isLittle ? "\xFF\xFE" : "\xFE\xFF";
    auto unit = [&](uint32_t u) {
        out += isLittle ? char(u & 0xFF) : char(u >> 8);
        out += isLittle ? char(u >> 8) : char(u & 0xFF);
    };
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        const int more = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        uint32_t c = more == 0 ? lead : lead & (0x3F >> more);
        for (int k = 1; k <= more; ++k) {
            c = c << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        i += std::size_t(more) + 1;
        if (c >= 0x10000) {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            unit(c);
        }
    }
    return out;
}

CIXmlTracks Parsed(const std::string& body) {
    CIXmlTracks xml;
    EXPECT_TRUE(xml.Parse(body)) << xml.GetProblem();
    return xml;
}

// A rewrite parses again and leaves the bytes around the file set and the
// track list as they were.
::testing::AssertionResult OnlyListAndSetChanged(const std::string& source,
                                                 const std::string& rewritten) {
    CIXmlTracks again;
    if (!again.Parse(rewritten)) {
        return ::testing::AssertionFailure() << again.GetProblem();
    }
    const std::size_t set = source.find("<FILE_SET"), setEnd = source.find("</FILE_SET>");
    const std::size_t list = source.find("<TRACK_LIST"), listEnd = source.find("</TRACK_LIST>");
    if (set > list || setEnd == std::string::npos || listEnd == std::string::npos) {
        return ::testing::AssertionFailure() << "a document of another shape";
    }
    if (rewritten.compare(0, set, source, 0, set) != 0) {
        return ::testing::AssertionFailure() << "the bytes before FILE_SET changed";
    }
    if (rewritten.find(source.substr(setEnd, list - setEnd)) == std::string::npos) {
        return ::testing::AssertionFailure() << "the bytes between FILE_SET and TRACK_LIST changed";
    }
    const std::size_t tail = source.size() - listEnd;
    if (rewritten.size() < tail ||
        rewritten.compare(rewritten.size() - tail, tail, source, listEnd, tail) != 0) {
        return ::testing::AssertionFailure() << "the bytes after TRACK_LIST changed";
    }
    return ::testing::AssertionSuccess();
}

} // namespace

// Each layout found in the wild: a split keeps the channel's track, a merge
// lays the monos' tracks out as the lead does.
TEST(TrackXmlLayout, SplitKeepsTheChannelsTrackAndMergeFollowsTheLead) {
    _DOC spaces, unordered, bare, single, flush;
    spaces.strLineEnd = "\n";
    spaces.strIndent = "    ";
    unordered.arrayChannel = {3, 1, 2};
    bare.hasInterleave = false;
    single.strLineEnd = single.strIndent = "";
    flush.strIndent = ""; // as the recorder's monos
    const struct {
        const char* name;
        _DOC doc;
        _DOC other; // the layout of the other monos of a merge
    } cases[] = {
        {"CR LF, tabs", _DOC(), _DOC()},     {"LF, spaces", spaces, _DOC()},
        {"out of order", unordered, spaces}, {"no INTERLEAVE_INDEX", bare, bare},
        {"one line", single, spaces},        {"flush left", flush, _DOC()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string source = Document(c.doc);
        const CIXmlTracks xml = Parsed(source);
        std::vector<std::string> bodies;
        for (int n = 1; n <= 3; ++n) {
            _DOC expected = Mono(c.doc, n, 3);
            expected.hasInterleave = true;
            EXPECT_EQ(xml.MakeMonoBody(n, 3), Document(expected)) << n;
            EXPECT_TRUE(OnlyListAndSetChanged(source, xml.MakeMonoBody(n, 3)));
            bodies.push_back(Document(Mono(n == 1 ? c.doc : c.other, n, 3)));
        }
        // A channel the list does not describe still gets a track of its own.
        const std::string body = xml.MakeMonoBody(5, 5);
        const CIXmlTracks mono = Parsed(body);
        ASSERT_EQ(mono.GetTracks().size(), 1u);
        EXPECT_EQ(mono.GetTracks()[0].channelIndex, 5);
        EXPECT_EQ(mono.GetTracks()[0].interleaveIndex, 1);
        EXPECT_EQ(Elements(Text(body))["BWFXML/TRACK_LIST/TRACK_COUNT"],
                  std::vector<std::string>{"1"});
        EXPECT_TRUE(OnlyListAndSetChanged(source, body));

        const CIXmlTracks monos[] = {Parsed(bodies[0]), Parsed(bodies[1]), Parsed(bodies[2])};
        _DOC expected = c.doc;
        expected.hasInterleave = true;
        expected.arrayChannel = {1, 2, 3};
        EXPECT_EQ(monos[0].MakePolyBody({&monos[0], &monos[1], &monos[2]}, {}), Document(expected));
    }
}

TEST(TrackXmlSplit, FindsTheTrackOfAChannel) {
    auto list = [](const std::string& tracks) {
        return Parsed("<BWFXML><TRACK_LIST>" + tracks + "</TRACK_LIST></BWFXML>");
    };
    const std::string plain = "<TRACK/>";
    auto at = [](int n) {
        return "<TRACK><INTERLEAVE_INDEX>" + std::to_string(n) + "</INTERLEAVE_INDEX></TRACK>";
    };
    const struct {
        CIXmlTracks xml;
        std::vector<int> found; // FindTrack(1), (2), (3)
    } cases[] = {
        {list(at(2) + at(3) + at(1)), {2, 0, 1}},
        {list(plain + plain), {0, 1, -1}},
        {list(at(1) + at(3)), {0, -1, 1}}, // the second track is channel 3's, not 2's
        {list(plain + at(1)), {1, -1, -1}},
        {list(at(1) + "<TRACK><INTERLEAVE_INDEX> x2</INTERLEAVE_INDEX></TRACK>"), {0, 1, -1}},
        {list(""), {-1, -1, -1}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ((std::vector<int>{c.xml.FindTrack(1), c.xml.FindTrack(2), c.xml.FindTrack(3)}),
                  c.found);
    }
}

TEST(TrackXmlMerge, NamesChannelsWithoutATrack) {
    const std::string lead = Document(Mono(_DOC(), 1, 3));
    const CIXmlTracks xml = Parsed(lead), broken;
    const std::string poly = xml.MakePolyBody({&xml, nullptr, &broken}, {"", "Boom & <Co>", ""});
    const CIXmlTracks merged = Parsed(poly);
    ASSERT_EQ(merged.GetTracks().size(), 3u);
    const _TRACK& boom = merged.GetTracks()[1];
    EXPECT_EQ(
        std::make_tuple(boom.channelIndex, boom.interleaveIndex, boom.strName, boom.strFunction),
        std::make_tuple(2, 2, std::string("Boom & <Co>"), std::string()));
    EXPECT_NE(poly.find("\t\t<TRACK>\r\n\t\t\t<CHANNEL_INDEX>3</CHANNEL_INDEX>\r\n\t\t\t<"
                        "INTERLEAVE_INDEX>3</INTERLEAVE_INDEX>\r\n\t\t</TRACK>\r\n\t</TRACK_LIST>"),
              std::string::npos);
    EXPECT_TRUE(OnlyListAndSetChanged(lead, poly));

    // A list without tracks gets them after its TRACK_COUNT, or as its
    // content; an empty list tag opens.
    const struct {
        std::string list;
        std::string expected;
    } cases[] = {
        {"<TRACK_LIST>\n  <TRACK_COUNT>0</TRACK_COUNT>\n </TRACK_LIST>",
         "<TRACK_LIST>\n  <TRACK_COUNT>1</TRACK_COUNT>\n  <TRACK>\n   <CHANNEL_INDEX>1</"
         "CHANNEL_INDEX>\n   <INTERLEAVE_INDEX>1</INTERLEAVE_INDEX>\n   <NAME>Mix</NAME>\n  "
         "</TRACK>\n </TRACK_LIST>"},
        {"<TRACK_LIST/>", "<TRACK_LIST>\n  <TRACK>\n   <CHANNEL_INDEX>1</CHANNEL_INDEX>\n   "
                          "<INTERLEAVE_INDEX>1</INTERLEAVE_INDEX>\n   <NAME>Mix</NAME>\n  "
                          "</TRACK>\n </TRACK_LIST>"},
    };
    for (const auto& c : cases) {
        const CIXmlTracks empty = Parsed("<BWFXML>\n " + c.list + "\n</BWFXML>\n");
        EXPECT_EQ(empty.MakePolyBody({nullptr}, {"Mix"}),
                  "<BWFXML>\n " + c.expected + "\n</BWFXML>\n");
    }
}

TEST(TrackXmlSplit, CompletesTheFileSet) {
    const std::string added = "\r\n\t\t<TOTAL_FILES>3</TOTAL_FILES>\r\n\t\t<FILE_SET_INDEX>2</"
                              "FILE_SET_INDEX>\r\n\t</FILE_SET>";
    const struct {
        std::string set;
        std::string mono; // of channel 2 of 3
    } cases[] = {
        {"<FILE_SET>\r\n\t\t<FAMILY_UID>U</FAMILY_UID>\r\n\t</FILE_SET>",
         "<FILE_SET>\r\n\t\t<FAMILY_UID>U</FAMILY_UID>" + added},
        {"<FILE_SET/>", "<FILE_SET>" + added},
        {"<FILE_SET></FILE_SET>", "<FILE_SET>" + added},
        {"<FILE_SET><TOTAL_FILES/></FILE_SET>",
         "<FILE_SET><TOTAL_FILES>3</TOTAL_FILES><FILE_SET_INDEX>2</FILE_SET_INDEX></FILE_SET>"},
    };
    auto document = [](const std::string& set) {
        return "<BWFXML>\r\n\t<TAKE>4</TAKE>\r\n\t" + set + "\r\n</BWFXML>\r\n";
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Parsed(document(c.set)).MakeMonoBody(2, 3), document(c.mono));
        const CIXmlTracks mono = Parsed(document(c.mono));
        const std::string poly = mono.MakePolyBody({nullptr, &mono}, {});
        ELEMENTS e = Elements(Text(poly));
        EXPECT_EQ(e["BWFXML/FILE_SET/TOTAL_FILES"], std::vector<std::string>{"1"});
        EXPECT_EQ(e["BWFXML/FILE_SET/FILE_SET_INDEX"], std::vector<std::string>{"A"});
        EXPECT_EQ(poly.substr(0, 27), document("").substr(0, 27)); // the take's lines stay
    }
}

TEST(TrackXmlEncoding, RewritesInTheDocumentsOwnEncoding) {
    _DOC wide;
    wide.strEncoding = "UTF-16";
    wide.strSuffix = " \xC3\xA9\xE2\x99\xAA\xF0\x9F\x8E\xA4"; // "é♪" and a microphone
    _DOC plain = wide;
    plain.strEncoding = "UTF-8";
    for (bool isLittle : {true, false}) {
        SCOPED_TRACE(isLittle ? "UTF-16 LE" : "UTF-16 BE");
        const CIXmlTracks poly = Parsed(Utf16(Document(wide), isLittle));
        ASSERT_EQ(poly.GetTracks().size(), 3u);
        EXPECT_EQ(poly.GetTracks()[2].strName, "Mic 3" + wide.strSuffix);
        EXPECT_EQ(poly.MakeMonoBody(2, 3), Utf16(Document(Mono(wide, 2, 3)), isLittle));
        // Monos in UTF-8 under a UTF-16 lead, and the other way round.
        const std::string lead = Utf16(Document(Mono(wide, 1, 3)), isLittle);
        const CIXmlTracks monos[] = {Parsed(lead), Parsed(Document(Mono(plain, 2, 3))),
                                     Parsed(Document(Mono(plain, 3, 3)))};
        EXPECT_EQ(monos[0].MakePolyBody({&monos[0], &monos[1], &monos[2]}, {}),
                  Utf16(Document(wide), isLittle));
        EXPECT_EQ(monos[1].MakePolyBody({&monos[0], &monos[1], &monos[2]}, {}), Document(plain));
        EXPECT_EQ(Parsed(Utf16(Document(Mono(wide, 1, 3)), isLittle) + std::string(6, '\0'))
                      .MakeMonoBody(1, 3),
                  Utf16(Document(Mono(wide, 1, 3)), isLittle) + std::string(6, '\0'));
    }
    // ISO-8859-1 holds "é" as one byte and the rest as references.
    _DOC latin;
    latin.strEncoding = "ISO-8859-1";
    const CIXmlTracks lead = Parsed(Document(Mono(latin, 1, 2)));
    const CIXmlTracks other = Parsed(Document(Mono(plain, 2, 2)));
    const std::string poly = lead.MakePolyBody({&lead, &other}, {});
    EXPECT_NE(poly.find("<NAME>Mic 2 \xE9&#9834;&#127908;</NAME>"), std::string::npos);
    const CIXmlTracks merged = Parsed(poly);
    ASSERT_EQ(merged.GetTracks().size(), 2u);
    EXPECT_EQ(merged.GetTracks()[1].strName, "Mic 2" + plain.strSuffix);
}

TEST(TrackXmlParse, RefusesWhatItCannotRewrite) {
    const struct {
        std::string body;
        const char* problem;
    } cases[] = {
        {"<?xml version=\"1.0\"?>\n<BWFXML>\n<TRACK_LIST>\n</BWFXML>\n",
         "not well-formed XML (line 4)"},
        {"<?xml version=\"1.0\" encoding=\"windows-1252\"?><BWFXML/>", "an unknown encoding"},
        {"<?xml version=\"1.0\" encoding=\"UTF-16\"?><BWFXML/>", "encoding"},
        {"<BWFXML><TRACK_LIST/><TRACK_LIST/></BWFXML>", "more than one TRACK_LIST"},
        {"<BWFXML><FILE_SET/><FILE_SET/></BWFXML>", "more than one FILE_SET"},
        {"<BWFXML><TRACK_LIST><TRACK_COUNT/><TRACK_COUNT/></TRACK_LIST></BWFXML>",
         "more than one TRACK_COUNT"},
        {"<BWFXML><TRACK/></BWFXML>", "a TRACK outside"},
        {"<BWFXML><TRACK_LIST><TRACK><TRACK_COUNT/></TRACK></TRACK_LIST></BWFXML>",
         "a TRACK_COUNT outside"},
        {"<!DOCTYPE BWFXML [<!ENTITY t '<TRACK/>'>]><BWFXML><TRACK_LIST>&t;</TRACK_LIST></BWFXML>",
         "entity"},
        {std::string(40, '\0'), "an empty document"},
        {std::string("<BWFXML/>\0<x/>", 14), "not well-formed"},
    };
    for (const auto& c : cases) {
        CIXmlTracks xml;
        EXPECT_FALSE(xml.Parse(c.body)) << c.body;
        EXPECT_NE(xml.GetProblem().find(c.problem), std::string::npos) << xml.GetProblem();
        EXPECT_TRUE(xml.GetTracks().empty() && !xml.HasTrackList());
        EXPECT_EQ(xml.MakeMonoBody(1, 2), "");
    }
}

TEST(TrackXmlSplit, LeavesWhatItDoesNotRewriteByteForByte) {
    const std::string padding[] = {"", std::string(300, ' '), std::string(301, '\0'),
                                   "\r\n" + std::string(3, ' ') + std::string(8, '\0'),
                                   std::string(5, '\0') + "  "};
    const std::string documents[] = {
        "<?xml version=\"1.0\"?>\r\n<BWFXML>\r\n\t<PROJECT>P</PROJECT>\r\n</BWFXML>",
        "<OTHER><TRACK_LIST><TRACK_COUNT>2</TRACK_COUNT></TRACK_LIST></OTHER>",
        "<BWFXML><SPEED><TRACK_LIST/></SPEED></BWFXML>", // not the take's list
    };
    for (const std::string& document : documents) {
        for (const std::string& pad : padding) {
            const CIXmlTracks xml = Parsed(document + pad);
            EXPECT_FALSE(xml.HasTrackList() || xml.HasFileSet());
            EXPECT_EQ(xml.MakeMonoBody(2, 2), document + pad);
            EXPECT_EQ(xml.MakePolyBody({&xml, nullptr}, {"A", "B"}), document + pad);
        }
    }
    // Padding stays behind a rewritten document as well.
    for (const std::string& pad : padding) {
        const CIXmlTracks xml = Parsed(Document(_DOC()) + pad);
        EXPECT_EQ(xml.MakeMonoBody(3, 3), Document(Mono(_DOC(), 3, 3)) + pad);
    }
}

TEST(TrackXmlProperty, RewritesParseAndKeepTheBytesAround) {
    _DOC bare, unordered;
    bare.hasInterleave = false;
    unordered.arrayChannel = {2, 3, 1};
    std::vector<std::string> sources{
        Document(_DOC()), Document(bare), Document(unordered), "\xEF\xBB\xBF" + Document(_DOC()),
        "<?xml version=\"1.0\"?>\n<!-- by hand -->\n<BWFXML v=\"1\">\n  <FILE_SET><FAMILY_UID>U"
        "</FAMILY_UID></FILE_SET>\n  <TRACK_LIST>\n    <TRACK_COUNT/>\n    <!-- boom -->\n    "
        "<TRACK kind=\"boom\"><CHANNEL_INDEX>2</CHANNEL_INDEX><NAME><![CDATA[Boom <B>]]></NAME>"
        "<VENDOR><X>1</X></VENDOR></TRACK>\n    <TRACK/>\n  </TRACK_LIST>\n</BWFXML>\n"};
    for (const char* file : {"poly/A101_1.WAV", "mono/A101_1_1.WAV", "poly/nuendo_5.1.wav"}) {
        if (fs::exists(CORPUS / file)) {
            sources.push_back(ChunkOf(CORPUS / file, "iXML"));
        }
    }
    for (const std::string& source : sources) {
        SCOPED_TRACE(source.substr(0, 200));
        const CIXmlTracks xml = Parsed(source);
        std::vector<std::string> bodies;
        for (int n = 1; n <= 7; ++n) {
            bodies.push_back(xml.MakeMonoBody(n, 6));
            EXPECT_TRUE(OnlyListAndSetChanged(source, bodies.back())) << n;
        }
        std::vector<CIXmlTracks> monos;
        for (const std::string& body : bodies) {
            monos.push_back(Parsed(body));
        }
        // Channels with a mono of their own, without one, and with the
        // whole source as their document.
        std::vector<const CIXmlTracks*> channels;
        for (std::size_t count = 0; count <= 7; ++count) {
            using LEAD = std::pair<const CIXmlTracks*, const std::string*>;
            for (const auto& [lead, base] : {LEAD(&xml, &source), LEAD(&monos[1], &bodies[1])}) {
                const std::string poly = lead->MakePolyBody(channels, {"a", "", "c"});
                EXPECT_TRUE(OnlyListAndSetChanged(*base, poly)) << count;
                EXPECT_EQ(Parsed(poly).GetTracks().size(), count);
            }
            channels.push_back(count % 3 == 1 ? nullptr : count % 3 == 2 ? &xml : &monos[count]);
        }
    }
}

TEST(TrackBextLines, ReadsTrackAndFileNameLines) {
    const std::string field = "sTRK1=A\r\nsTRK12=B=b\nxTRK3=\nSTRK4=no\nsTRKx=no\nsTRK5 no\n"
                              "sTRK1234567890=no\nsTRK6=last";
    EXPECT_EQ(CBextTracks::GetTracks(field), (std::vector<std::pair<int, std::string>>{
                                                 {1, "A"}, {12, "B=b"}, {3, ""}, {6, "last"}}));
    EXPECT_EQ(CBextTracks::GetTracks(std::string("sTRK1=A\r\n\0sTRK2=B", 17)).size(), 1u);
    EXPECT_EQ(CBextTracks::GetTracks(std::string(250, '-') + "\nsTRK1=cut off at 256").size(), 0u);

    const struct {
        std::string field;
        int track;
        std::string line;
    } finds[] = {
        {field, 12, "sTRK12=B=b"},
        {field, 6, "sTRK6=last"},
        {field, 2, ""},
        {"sNOTE=\r\naTRK7=Boom\r\n", 2, "aTRK7=Boom"},
        {"sNOTE=x", 1, ""},
    };
    for (const auto& find : finds) {
        EXPECT_EQ(CBextTracks::FindTrackLine(find.field, find.track), find.line) << find.track;
    }
}

TEST(TrackBextLines, MonoKeepsItsOwnTrackLine) {
    const std::string field = "sTAKE=1\r\nsFILENAME=T.WAV\r\nsTRK1=Lav\r\nsTRK2=Boom\nsNOTE=n";
    const struct {
        int track;
        std::string name;
        std::string text;
    } cases[] = {
        {2, "T_2.WAV", "sTAKE=1\r\nsFILENAME=T_2.WAV\r\nsTRK2=Boom\nsNOTE=n"},
        {3, "T_3.WAV\r\nsX=1", "sTAKE=1\r\nsFILENAME=T_3.WAV\r\nsNOTE=n"},
        {1, std::string(220, 'n'), "sTAKE=1\r\nsFILENAME=T.WAV\r\nsTRK1=Lav\r\nsNOTE=n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CBextTracks::MakeMonoDescription(field + std::string(20, '\0') + "junk", c.track,
                                                   c.name),
                  c.text + std::string(256 - c.text.size(), '\0'));
    }
}

TEST(TrackBextLines, PolyTakesTheTrackLinesThatFit) {
    const struct {
        std::string lead;
        std::string text;
    } cases[] = {
        {"sA=1\r\nsTRK2=X\r\nsFILENAME=M_1.WAV\r\nsTRK3=Y\r\nsB=2",
         "sA=1\r\nsTRK1=L\r\nsTRK2=R\r\nsFILENAME=M.WAV\r\nsB=2"},
        {"sA=1\nsFILENAME=M_1.WAV", "sA=1\nsFILENAME=M.WAV\nsTRK1=L\nsTRK2=R\n"},
        {"", "sTRK1=L\r\nsTRK2=R\r\n"},
    };
    for (const auto& c : cases) {
        int leftOut = -1;
        EXPECT_EQ(
            CBextTracks::MakePolyDescription(c.lead, {"sTRK1=L", "", "sTRK2=R"}, "M.WAV", leftOut),
            c.text + std::string(256 - c.text.size(), '\0'));
        EXPECT_EQ(leftOut, 0);
    }

    // 24 tracks do not fit: the last ten are left out whole, the lines after
    // them stay; a file name too long even without tracks leaves the lead's.
    const std::string lead =
        "sSPEED=023.976-ND\r\nsTAKE=1\r\nsFILENAME=A1_1.WAV\r\nsTRK1=Lav 1\r\nsNOTE=\r\n";
    std::vector<std::string> lines;
    std::string kept;
    for (int k = 1; k <= 24; ++k) {
        lines.push_back("sTRK" + std::to_string(k) + "=Lav " + std::to_string(k));
        kept += k <= 14 ? lines.back() + "\r\n" : "";
    }
    for (const auto& [name, written] : {std::make_pair(std::string("A1.WAV"), "A1.WAV"),
                                        std::make_pair(std::string(240, 'x'), "A1_1.WAV")}) {
        int leftOut = -1;
        const std::string text =
            "sSPEED=023.976-ND\r\nsTAKE=1\r\nsFILENAME=" + std::string(written) + "\r\n" + kept +
            "sNOTE=\r\n";
        EXPECT_EQ(CBextTracks::MakePolyDescription(lead, lines, name, leftOut),
                  text + std::string(256 - text.size(), '\0'));
        EXPECT_EQ(leftOut, 10);
    }
}
