// The default "iXML" chunk: an empty take description with eight tracks.

#include "CBwfAssert.h"
#include "CBwfFile.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Appends lines, each followed by CR LF, to a piece of the document.
class CXmlPiece {
public:
    void Line(const char* text) {
        Raw(text);
        Raw("\r\n");
    }
    // A format that carries its own CR LF.
    void Track(const char* format, int track) {
        char line[128];
        std::snprintf(line, sizeof line, format, track);
        Raw(line);
    }
    const char* Text() const { return m_text; }
    uint32_t Length() const { return uint32_t(m_length); }

private:
    void Raw(const char* text) {
        std::size_t length = std::strlen(text);
        if (m_length + length < sizeof m_text) {
            std::memcpy(m_text + m_length, text, length);
            m_length += length;
        }
    }
    char m_text[TRANSFER_PIECE] = {};
    std::size_t m_length = 0;
};

} // namespace

std::string CBwfFile::MakeDefaultIXml() {
    CXmlPiece declaration;
    declaration.Line("<?xml version=\"1.0\" encoding=\"UTF-8\" ?>");

    CXmlPiece take;
    for (const char* line : {"<BWFXML>", "<PROJECT></PROJECT>", "<SCENE></SCENE>", "<TAKE></TAKE>",
                             "<TAPE></TAPE>", "<FILE_UID>00001</FILE_UID>", "<UBITS></UBITS>"}) {
        take.Line(line);
    }

    CXmlPiece speed;
    for (const char* line : {"<SPEED>", "<NOTE></NOTE>", "<MASTER_SPEED></MASTER_SPEED>",
                             "<CURRENT_SPEED></CURRENT_SPEED>", "<TIMECODE_RATE></TIMECODE_RATE>",
                             "<TIMECODE_FLAG></TIMECODE_FLAG>", "</SPEED>"}) {
        speed.Line(line);
    }

    CXmlPiece tracks;
    tracks.Line("<TRACK_LIST>");
    tracks.Line("<TRACK_COUNT>8</TRACK_COUNT>");
    for (int track = 1; track <= 8; ++track) {
        tracks.Line("<TRACK>");
        tracks.Track("<CHANNEL_INDEX>%d</CHANNEL_INDEX>\r\n", track);
        tracks.Track("<INTERLEAVE_INDEX>%d</INTERLEAVE_INDEX>\r\n", track);
        tracks.Track("<NAME>track%d</NAME>\r\n", track);
        tracks.Track("<FUNCTION>track%d</FUNCTION>\r\n", track);
        tracks.Line("</TRACK>");
    }
    tracks.Line("</TRACK_LIST>");

    CXmlPiece closing;
    closing.Line("</BWFXML>");

    std::string text;
    for (const CXmlPiece* pPiece : {&declaration, &take, &speed, &tracks, &closing}) {
        text.append(pPiece->Text(), pPiece->Length());
    }
    // The jobs predict file sizes from DEFAULT_IXML_BYTES.
    BWF_ASSERT(text.size() == DEFAULT_IXML_BODY);
    return text;
}

bool CBwfFile::CreateDefaultIXmlChunk() {
    uint64_t bodyStart = 0;
    if (!BeginChunk("iXML", bodyStart)) {
        return false;
    }
    const std::string text = MakeDefaultIXml();
    return Put(text.data(), text.size()) && EndChunk(bodyStart);
}
