#include "CIXmlTracks.h"

#include "CBwfAssert.h"

#include <expat.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <memory>
#include <new>
#include <type_traits>

static_assert(std::is_same<XML_Char, char>::value, "expat must hand out UTF-8");

namespace {

const char* const TRACK = "TRACK";
const char* const INTERLEAVE_INDEX = "INTERLEAVE_INDEX";
const char* const CHANNEL_INDEX = "CHANNEL_INDEX";
const char32_t REPLACEMENT = 0xFFFD;

bool IsSpace(char32_t unit) {
    return unit == ' ' || unit == '\t' || unit == '\r' || unit == '\n';
}

// A number of an index element; 0 for anything else, so that a bad index
// never matches a channel.
int ParseIndex(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return 0;
    }
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    const std::string digits = text.substr(first, last - first + 1);
    if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) {
        return 0;
    }
    return std::stoi(digits);
}

std::u32string FromUtf8(const std::string& text) {
    std::u32string out;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const int more = lead < 0x80    ? 0
                         : lead >= 0xF0 ? 3
                         : lead >= 0xE0 ? 2
                         : lead >= 0xC0 ? 1
                                        : -1;
        char32_t value = more == 0   ? lead
                         : more == 1 ? lead & 0x1F
                         : more == 2 ? lead & 0x0F
                                     : lead & 0x07;
        bool isValid = more >= 0 && lead < 0xF5 && i + std::size_t(std::max(more, 0)) < text.size();
        for (int k = 1; isValid && k <= more; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            isValid = (next & 0xC0) == 0x80;
            value = value << 6 | (next & 0x3F);
        }
        static const char32_t s_least[] = {0, 0x80, 0x800, 0x10000};
        if (isValid && more > 0 &&
            (value < s_least[more] || value > 0x10FFFF || (value >= 0xD800 && value < 0xE000))) {
            isValid = false;
        }
        out += isValid ? value : REPLACEMENT;
        i += isValid ? std::size_t(more) + 1 : 1;
    }
    return out;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | c >> 6);
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | c >> 12);
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | c >> 18);
        out += char(0x80 | (c >> 12 & 0x3F));
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// A fallback name as element text: markup characters escaped, control
// characters (which XML 1.0 cannot hold) as spaces.
std::string Escape(const std::string& utf8) {
    std::string out;
    for (char32_t c : FromUtf8(utf8)) {
        if (c == '&') {
            out += "&amp;";
        } else if (c == '<') {
            out += "&lt;";
        } else if (c == '>') {
            out += "&gt;";
        } else if (c < 0x20 || c == 0xFFFE || c == 0xFFFF) {
            out += ' ';
        } else {
            AppendUtf8(out, c);
        }
    }
    return out;
}

std::string Element(const std::string& name, const std::string& text) {
    return "<" + name + ">" + text + "</" + name + ">";
}

} // namespace

// Collects the elements the rewrites need, with their byte ranges, while
// expat reads the document.
class CIXmlTracks::CParser {
public:
    explicit CParser(CIXmlTracks& document) : m_document(document) {}

    bool Run(std::size_t length) {
        std::unique_ptr<XML_ParserStruct, decltype(&XML_ParserFree)> parser(
            XML_ParserCreate(nullptr), &XML_ParserFree);
        if (!parser) {
            m_document.m_strProblem = "XML too large to read";
            return false;
        }
        m_parser = parser.get();
        XML_SetUserData(m_parser, this);
        XML_SetElementHandler(m_parser, &CParser::OnStart, &CParser::OnEnd);
        XML_SetCharacterDataHandler(m_parser, &CParser::OnText);
        XML_SetXmlDeclHandler(m_parser, &CParser::OnDeclaration);
        const XML_Status status =
            XML_Parse(m_parser, m_document.m_strBody.data(), int(length), XML_TRUE);
        if (m_isStopped) {
            return false;
        }
        if (status != XML_STATUS_OK) {
            const XML_Error error = XML_GetErrorCode(m_parser);
            if (error == XML_ERROR_UNKNOWN_ENCODING) {
                m_document.m_strProblem = "an unknown encoding";
            } else if (error == XML_ERROR_INCORRECT_ENCODING) {
                m_document.m_strProblem = "XML whose declared encoding does not match its bytes";
            } else if (error == XML_ERROR_NO_MEMORY) {
                m_document.m_strProblem = "XML too large to read";
            } else {
                m_document.m_strProblem = "not well-formed XML (line " +
                                          std::to_string(XML_GetCurrentLineNumber(m_parser)) + ")";
            }
            return false;
        }
        return true;
    }

private:
    enum ROLE {
        ROLE_OTHER,
        ROLE_ROOT,
        ROLE_TRACKLIST,
        ROLE_TRACKCOUNT,
        ROLE_TRACK,
        ROLE_TRACKCHILD,
        ROLE_FILESET,
        ROLE_FILESETCHILD
    };
    struct _OPEN {
        ROLE role;
        _ELEMENT element;
        std::vector<_ELEMENT> arrayChild;
    };

    // Expat is C: nothing may unwind through it.
    template <class CALL> static void Guard(void* pData, CALL call) {
        CParser* pThis = static_cast<CParser*>(pData);
        if (pThis->m_isStopped) {
            return;
        }
        try {
            call(*pThis);
        } catch (const std::bad_alloc&) {
            pThis->Stop("XML too large to read");
        }
    }
    static void XMLCALL OnStart(void* pData, const XML_Char* name, const XML_Char**) {
        Guard(pData, [&](CParser& parser) { parser.Start(name); });
    }
    static void XMLCALL OnEnd(void* pData, const XML_Char*) {
        Guard(pData, [&](CParser& parser) { parser.End(); });
    }
    static void XMLCALL OnText(void* pData, const XML_Char* text, int length) {
        Guard(pData, [&](CParser& parser) {
            if (!parser.m_arrayOpen.empty()) {
                parser.m_arrayOpen.back().element.strText.append(text, std::size_t(length));
            }
        });
    }
    static void XMLCALL OnDeclaration(void* pData, const XML_Char*, const XML_Char* encoding, int) {
        Guard(pData, [&](CParser& parser) {
            parser.m_strDeclared = encoding != nullptr ? encoding : "";
            for (char& c : parser.m_strDeclared) {
                c = char(std::toupper(static_cast<unsigned char>(c)));
            }
        });
    }

    void Stop(const std::string& problem) {
        m_isStopped = true;
        m_document.m_strProblem = problem;
        XML_StopParser(m_parser, XML_FALSE);
    }

    // The encoding shows in the root's start tag: "<" as one or two bytes.
    void FindEncoding(std::size_t at) {
        const std::string& body = m_document.m_strBody;
        if (at + 1 < body.size() && body[at] == '<' && body[at + 1] == '\0') {
            m_document.m_encoding = XMLENCODING_UTF16LE;
        } else if (at + 1 < body.size() && body[at] == '\0' && body[at + 1] == '<') {
            m_document.m_encoding = XMLENCODING_UTF16BE;
        } else if (body.compare(0, 3, "\xEF\xBB\xBF") == 0) {
            m_document.m_encoding = XMLENCODING_UTF8;
        } else if (m_strDeclared == "ISO-8859-1") {
            m_document.m_encoding = XMLENCODING_LATIN1;
        } else if (m_strDeclared == "US-ASCII") {
            m_document.m_encoding = XMLENCODING_ASCII;
        } else {
            m_document.m_encoding = XMLENCODING_UTF8;
        }
    }

    // Elements an entity writes report the reference's bytes: their ranges
    // are not theirs, so they cannot be rewritten.
    bool IsTagAt(std::size_t at, bool isEnd) const {
        const std::size_t unit = m_document.Unit();
        return at + 2 * unit <= m_document.m_strBody.size() && m_document.UnitAt(at) == '<' &&
               (m_document.UnitAt(at + unit) == '/') == isEnd;
    }

    void Start(const std::string& name) {
        const XML_Index index = XML_GetCurrentByteIndex(m_parser);
        const int count = XML_GetCurrentByteCount(m_parser);
        if (m_arrayOpen.empty()) {
            FindEncoding(std::size_t(std::max<XML_Index>(index, 0)));
        }
        if (index < 0 || count <= 0 || !IsTagAt(std::size_t(index), false)) {
            Stop("XML with elements written by an entity");
            return;
        }
        const ROLE parent = m_arrayOpen.empty() ? ROLE_OTHER : m_arrayOpen.back().role;
        ROLE role = ROLE_OTHER;
        if (m_arrayOpen.empty()) {
            m_isIXml = name == "BWFXML";
        }
        if (m_isIXml && (name == TRACK || name == "TRACK_COUNT")) {
            if (parent != ROLE_TRACKLIST) {
                Stop("XML with a " + name + " outside its track list");
                return;
            }
            if (name == TRACK) {
                role = ROLE_TRACK;
            } else if (m_document.m_hasTrackCount) {
                Stop("XML with more than one TRACK_COUNT in its track list");
                return;
            } else {
                role = ROLE_TRACKCOUNT;
            }
        } else if (m_arrayOpen.empty()) {
            role = m_isIXml ? ROLE_ROOT : ROLE_OTHER;
        } else if (parent == ROLE_ROOT && (name == "TRACK_LIST" || name == "FILE_SET")) {
            const bool isList = name == "TRACK_LIST";
            if (isList ? m_document.m_hasTrackList : m_document.m_hasFileSet) {
                Stop("XML with more than one " + name);
                return;
            }
            role = isList ? ROLE_TRACKLIST : ROLE_FILESET;
        } else if (parent == ROLE_TRACK) {
            role = ROLE_TRACKCHILD;
        } else if (parent == ROLE_FILESET) {
            role = ROLE_FILESETCHILD;
        }
        // Claimed now, so that a second one is seen before this one ends.
        m_document.m_hasTrackList |= role == ROLE_TRACKLIST;
        m_document.m_hasFileSet |= role == ROLE_FILESET;
        m_document.m_hasTrackCount |= role == ROLE_TRACKCOUNT;
        _OPEN open{role, {}, {}};
        open.element.strName = name;
        open.element.start = std::size_t(index);
        open.element.openEnd = open.element.start + std::size_t(count);
        m_arrayOpen.push_back(std::move(open));
    }

    void End() {
        const XML_Index index = XML_GetCurrentByteIndex(m_parser);
        const int count = XML_GetCurrentByteCount(m_parser);
        _OPEN open = std::move(m_arrayOpen.back());
        m_arrayOpen.pop_back();
        _ELEMENT& element = open.element;
        if (count == 0) {
            element.closeStart = element.end = element.openEnd;
        } else if (index < 0 || !IsTagAt(std::size_t(index), true)) {
            Stop("XML with elements written by an entity");
            return;
        } else {
            element.closeStart = std::size_t(index);
            element.end = element.closeStart + std::size_t(count);
        }
        switch (open.role) {
        case ROLE_ROOT:
        case ROLE_OTHER:
            if (m_arrayOpen.empty()) {
                m_document.m_elemRoot = element;
            }
            break;
        case ROLE_TRACKLIST:
            m_document.m_elemTrackList = element;
            break;
        case ROLE_TRACKCOUNT:
            m_document.m_elemTrackCount = element;
            break;
        case ROLE_TRACK: {
            _TRACK track;
            for (const _ELEMENT& child : open.arrayChild) {
                // The first of each counts, as in most readers.
                if (child.strName == CHANNEL_INDEX && track.channelIndex == 0) {
                    track.channelIndex = ParseIndex(child.strText);
                } else if (child.strName == INTERLEAVE_INDEX && track.interleaveIndex == 0) {
                    track.interleaveIndex = ParseIndex(child.strText);
                } else if (child.strName == "NAME" && track.strName.empty()) {
                    track.strName = child.strText;
                } else if (child.strName == "FUNCTION" && track.strFunction.empty()) {
                    track.strFunction = child.strText;
                }
            }
            m_document.m_arrayTrack.push_back(track);
            m_document.m_arrayTrackXml.push_back({element, std::move(open.arrayChild)});
            break;
        }
        case ROLE_FILESET:
            m_document.m_elemFileSet = element;
            m_document.m_arrayFileSetChild = std::move(open.arrayChild);
            break;
        case ROLE_TRACKCHILD:
        case ROLE_FILESETCHILD:
            m_arrayOpen.back().arrayChild.push_back(element);
            break;
        }
    }

    CIXmlTracks& m_document;
    XML_Parser m_parser = nullptr;
    std::vector<_OPEN> m_arrayOpen;
    std::string m_strDeclared; // upper case
    bool m_isIXml = false;     // the root is BWFXML
    bool m_isStopped = false;
};

bool CIXmlTracks::Parse(const std::string& body) {
    *this = CIXmlTracks();
    m_strBody = body;
    // Padding after the root element is no part of the XML; a UTF-16 "<"
    // keeps its zero byte.
    std::size_t length = body.size();
    while (length > 0 &&
           (body[length - 1] == '\0' || IsSpace(static_cast<unsigned char>(body[length - 1])))) {
        --length;
    }
    const bool isWide = body.compare(0, 2, "\xFF\xFE") == 0 ||
                        body.compare(0, 2, "\xFE\xFF") == 0 ||
                        body.compare(0, 2, std::string("<\0", 2)) == 0 ||
                        body.compare(0, 2, std::string("\0<", 2)) == 0;
    if (isWide && length % 2 != 0 && length < body.size()) {
        ++length;
    }
    if (length == 0) {
        m_strProblem = "an empty document";
        return false;
    }
    if (length > std::size_t(INT_MAX)) {
        m_strProblem = "XML too large to read";
        return false;
    }
    CParser parser(*this);
    if (!parser.Run(length)) {
        const std::string problem = m_strProblem;
        *this = CIXmlTracks();
        m_strBody = body;
        m_strProblem = problem;
        return false;
    }
    for (std::size_t at = 0, unit = Unit(); at + unit <= length; at += unit) {
        if (UnitAt(at) == '\n') {
            m_strLineEnd = at >= unit && UnitAt(at - unit) == '\r' ? "\r\n" : "\n";
            break;
        }
    }
    m_isParsed = true;
    return true;
}

int CIXmlTracks::FindTrack(int n) const {
    for (std::size_t i = 0; i < m_arrayTrack.size(); ++i) {
        if (m_arrayTrack[i].interleaveIndex == n && n > 0) {
            return int(i);
        }
    }
    // A track that names another channel is not this one's, wherever it stands.
    if (n >= 1 && std::size_t(n) <= m_arrayTrack.size() &&
        m_arrayTrack[std::size_t(n) - 1].interleaveIndex == 0) {
        return n - 1;
    }
    return -1;
}

std::u32string CIXmlTracks::Decode(const std::string& bytes, XMLENCODING encoding) {
    if (encoding == XMLENCODING_UTF8) {
        return FromUtf8(bytes);
    }
    std::u32string out;
    if (encoding == XMLENCODING_LATIN1 || encoding == XMLENCODING_ASCII) {
        for (char c : bytes) {
            out += char32_t(static_cast<unsigned char>(c));
        }
        return out;
    }
    const bool isLittle = encoding == XMLENCODING_UTF16LE;
    auto unitAt = [&](std::size_t at) {
        const char32_t first = static_cast<unsigned char>(bytes[at]);
        const char32_t second = static_cast<unsigned char>(bytes[at + 1]);
        return isLittle ? first | second << 8 : first << 8 | second;
    };
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
        const char32_t unit = unitAt(at);
        if (unit >= 0xD800 && unit < 0xDC00 && at + 3 < bytes.size() && unitAt(at + 2) >= 0xDC00 &&
            unitAt(at + 2) < 0xE000) {
            out += 0x10000 + ((unit - 0xD800) << 10) + (unitAt(at + 2) - 0xDC00);
            at += 2;
        } else {
            out += unit >= 0xD800 && unit < 0xE000 ? REPLACEMENT : unit;
        }
    }
    return out;
}

std::string CIXmlTracks::EncodeAs(const std::u32string& text, XMLENCODING encoding) {
    std::string out;
    auto putUnit = [&](char32_t unit) {
        const char high = char(unit >> 8), low = char(unit & 0xFF);
        out += encoding == XMLENCODING_UTF16LE ? low : high;
        out += encoding == XMLENCODING_UTF16LE ? high : low;
    };
    for (char32_t c : text) {
        switch (encoding) {
        case XMLENCODING_UTF8:
            AppendUtf8(out, c);
            break;
        case XMLENCODING_LATIN1:
        case XMLENCODING_ASCII:
            if (c < (encoding == XMLENCODING_LATIN1 ? 0x100u : 0x80u)) {
                out += char(c);
            } else {
                out += "&#" + std::to_string(uint32_t(c)) + ";";
            }
            break;
        case XMLENCODING_UTF16LE:
        case XMLENCODING_UTF16BE:
            if (c >= 0x10000) {
                putUnit(0xD800 + ((c - 0x10000) >> 10));
                putUnit(0xDC00 + ((c - 0x10000) & 0x3FF));
            } else {
                putUnit(c);
            }
            break;
        }
    }
    return out;
}

std::size_t CIXmlTracks::Unit() const {
    return m_encoding == XMLENCODING_UTF16LE || m_encoding == XMLENCODING_UTF16BE ? 2 : 1;
}

char32_t CIXmlTracks::UnitAt(std::size_t pos) const {
    const char32_t first = static_cast<unsigned char>(m_strBody[pos]);
    if (Unit() == 1) {
        return first;
    }
    const char32_t second = static_cast<unsigned char>(m_strBody[pos + 1]);
    return m_encoding == XMLENCODING_UTF16LE ? first | second << 8 : first << 8 | second;
}

std::string CIXmlTracks::Encode(const std::string& utf8) const {
    return EncodeAs(FromUtf8(utf8), m_encoding);
}

std::string CIXmlTracks::Transcode(const CIXmlTracks& source, const std::string& bytes) const {
    if (source.m_encoding == m_encoding) {
        return bytes;
    }
    return EncodeAs(Decode(bytes, source.m_encoding), m_encoding);
}

std::string CIXmlTracks::OpenTag(const _ELEMENT& element) const {
    if (!element.IsEmptyTag()) {
        return Bytes(element.start, element.openEnd);
    }
    // "<X/>" becomes "<X>", its attributes kept.
    return Bytes(element.start, element.openEnd - 2 * Unit()) + Encode(">");
}

std::string CIXmlTracks::CloseTag(const _ELEMENT& element) const {
    if (!element.IsEmptyTag()) {
        return Bytes(element.closeStart, element.end);
    }
    return Encode("</" + element.strName + ">");
}

std::string CIXmlTracks::WithText(const _ELEMENT& element, const std::string& text) const {
    return OpenTag(element) + Encode(text) + CloseTag(element);
}

void CIXmlTracks::ReplaceText(const _ELEMENT& element, const std::string& text,
                              std::vector<_EDIT>& edits) const {
    if (element.IsEmptyTag()) {
        edits.push_back({element.start, element.end, WithText(element, text)});
    } else {
        edits.push_back({element.openEnd, element.closeStart, Encode(text)});
    }
}

std::size_t CIXmlTracks::SpaceStart(std::size_t pos) const {
    const std::size_t unit = Unit();
    while (pos >= unit && IsSpace(UnitAt(pos - unit))) {
        pos -= unit;
    }
    return pos;
}

CIXmlTracks::_LAYOUT CIXmlTracks::LayoutBefore(std::size_t pos) const {
    std::string space;
    for (std::size_t at = SpaceStart(pos); at < pos; at += Unit()) {
        space += char(UnitAt(at));
    }
    const std::size_t newline = space.rfind('\n');
    if (newline == std::string::npos) {
        return {"", space};
    }
    return {newline > 0 && space[newline - 1] == '\r' ? "\r\n" : "\n", space.substr(newline + 1)};
}

std::string CIXmlTracks::IndentStep() const {
    std::vector<std::pair<const _ELEMENT*, const _ELEMENT*>> pairs;
    for (const _TRACKXML& track : m_arrayTrackXml) {
        if (!track.arrayChild.empty()) {
            pairs.push_back({&track.arrayChild.front(), &track.element});
            break;
        }
    }
    if (!m_arrayTrackXml.empty()) {
        pairs.push_back({&m_arrayTrackXml.front().element, &m_elemTrackList});
    }
    if (m_hasTrackCount) {
        pairs.push_back({&m_elemTrackCount, &m_elemTrackList});
    }
    if (m_hasTrackList) {
        pairs.push_back({&m_elemTrackList, &m_elemRoot});
    }
    if (!m_arrayFileSetChild.empty()) {
        pairs.push_back({&m_arrayFileSetChild.front(), &m_elemFileSet});
    }
    if (m_hasFileSet) {
        pairs.push_back({&m_elemFileSet, &m_elemRoot});
    }
    for (const auto& pair : pairs) {
        const _LAYOUT child = LayoutBefore(pair.first->start);
        const _LAYOUT parent = LayoutBefore(pair.second->start);
        if (!child.strLineEnd.empty() && child.strIndent.size() > parent.strIndent.size() &&
            child.strIndent.compare(0, parent.strIndent.size(), parent.strIndent) == 0) {
            return child.strIndent.substr(parent.strIndent.size());
        }
    }
    return "";
}

CIXmlTracks::_LAYOUT CIXmlTracks::ChildLayout(const _ELEMENT& element,
                                              const std::vector<_ELEMENT>& children) const {
    if (!children.empty()) {
        return LayoutBefore(children.front().start);
    }
    const _LAYOUT own = LayoutBefore(element.start);
    if (own.strLineEnd.empty()) {
        return {m_strLineEnd, IndentStep()};
    }
    return {own.strLineEnd, own.strIndent + IndentStep()};
}

void CIXmlTracks::InsertInto(const _ELEMENT& element, std::size_t pos, const std::string& block,
                             const _LAYOUT& layout, std::vector<_EDIT>& edits) const {
    // The end tag goes on a line of its own when the new lines do.
    const _LAYOUT own = LayoutBefore(element.start);
    const std::string closeLine =
        layout.strLineEnd.empty()
            ? ""
            : layout.strLineEnd + (own.strLineEnd.empty() ? "" : own.strIndent);
    if (element.IsEmptyTag()) {
        edits.push_back({element.start, element.end,
                         OpenTag(element) + block + Encode(closeLine) + CloseTag(element)});
        return;
    }
    bool hasLine = false;
    for (std::size_t at = element.openEnd; at < element.closeStart && !hasLine; at += Unit()) {
        hasLine = UnitAt(at) == '\n';
    }
    const bool isEmpty =
        pos == element.openEnd && SpaceStart(element.closeStart) == element.openEnd;
    edits.push_back({pos, pos, block + (isEmpty && !hasLine ? Encode(closeLine) : "")});
}

CIXmlTracks::_LAYOUT CIXmlTracks::TrackLayout() const {
    if (!m_arrayTrackXml.empty()) {
        return LayoutBefore(m_arrayTrackXml.front().element.start);
    }
    if (m_hasTrackCount) {
        return LayoutBefore(m_elemTrackCount.start);
    }
    return ChildLayout(m_elemTrackList, {});
}

CIXmlTracks::_LAYOUT CIXmlTracks::TrackChildLayout(const _LAYOUT& track) const {
    for (const _TRACKXML& existing : m_arrayTrackXml) {
        if (!existing.arrayChild.empty()) {
            return LayoutBefore(existing.arrayChild.front().start);
        }
    }
    if (track.strLineEnd.empty()) {
        return track;
    }
    return {track.strLineEnd, track.strIndent + IndentStep()};
}

void CIXmlTracks::ReplaceTracks(const std::string& block, std::vector<_EDIT>& edits) const {
    if (!m_arrayTrackXml.empty()) {
        for (std::size_t i = 0; i < m_arrayTrackXml.size(); ++i) {
            const _ELEMENT& element = m_arrayTrackXml[i].element;
            edits.push_back({SpaceStart(element.start), element.end, i == 0 ? block : ""});
        }
    } else if (m_hasTrackCount) {
        edits.push_back({m_elemTrackCount.end, m_elemTrackCount.end, block});
    } else {
        InsertInto(m_elemTrackList, m_elemTrackList.openEnd, block, TrackLayout(), edits);
    }
}

std::string CIXmlTracks::CloseLine(const _LAYOUT& track, const _LAYOUT& child) {
    // Children on the TRACK's line keep its end tag there too.
    if (child.strLineEnd.empty()) {
        return "";
    }
    return track.strLineEnd.empty() ? child.strLineEnd : track.strLineEnd + track.strIndent;
}

std::string CIXmlTracks::NewTrack(const std::vector<std::string>& children, const _LAYOUT& track,
                                  const _LAYOUT& child) const {
    std::string text = track.strLineEnd + track.strIndent + "<TRACK>";
    for (const std::string& line : children) {
        text += child.strLineEnd + child.strIndent + line;
    }
    return Encode(text + CloseLine(track, child) + "</TRACK>");
}

std::string CIXmlTracks::CopiedTrack(const CIXmlTracks& mono, const _TRACKXML& source, int n,
                                     const _LAYOUT& track, const _LAYOUT& child) const {
    const std::string index = std::to_string(n);
    const std::string line = Encode(child.strLineEnd + child.strIndent);
    auto has = [&](const char* name) {
        return std::any_of(source.arrayChild.begin(), source.arrayChild.end(),
                           [&](const _ELEMENT& element) { return element.strName == name; });
    };
    const bool hasInterleave = has(INTERLEAVE_INDEX);
    const std::string added = line + Encode(Element(INTERLEAVE_INDEX, index));
    std::string out =
        Encode(track.strLineEnd + track.strIndent) + Transcode(mono, mono.OpenTag(source.element));
    if (!hasInterleave && !has(CHANNEL_INDEX)) {
        out += added;
    }
    bool isAdded = hasInterleave;
    for (const _ELEMENT& element : source.arrayChild) {
        out += line + Transcode(mono, element.strName == INTERLEAVE_INDEX
                                          ? mono.WithText(element, index)
                                          : mono.Bytes(element.start, element.end));
        if (!isAdded && element.strName == CHANNEL_INDEX) {
            out += added;
            isAdded = true;
        }
    }
    return out + Encode(CloseLine(track, child)) + Transcode(mono, mono.CloseTag(source.element));
}

void CIXmlTracks::SetInterleave(const _TRACKXML& track, const std::string& text,
                                std::vector<_EDIT>& edits) const {
    const _ELEMENT* pChannel = nullptr;
    bool hasInterleave = false;
    for (const _ELEMENT& child : track.arrayChild) {
        if (child.strName == INTERLEAVE_INDEX) {
            ReplaceText(child, text, edits);
            hasInterleave = true;
        } else if (child.strName == CHANNEL_INDEX && pChannel == nullptr) {
            pChannel = &child;
        }
    }
    if (hasInterleave) {
        return;
    }
    const _LAYOUT layout = track.arrayChild.empty() ? TrackChildLayout(TrackLayout())
                                                    : ChildLayout(track.element, track.arrayChild);
    const std::string block =
        Encode(layout.strLineEnd + layout.strIndent + Element(INTERLEAVE_INDEX, text));
    if (pChannel != nullptr) {
        edits.push_back({pChannel->end, pChannel->end, block});
    } else {
        InsertInto(track.element, track.element.openEnd, block, layout, edits);
    }
}

void CIXmlTracks::RewriteFileSet(const std::string& total, const std::string& index,
                                 std::vector<_EDIT>& edits) const {
    bool hasTotal = false, hasIndex = false;
    for (const _ELEMENT& child : m_arrayFileSetChild) {
        if (child.strName == "TOTAL_FILES") {
            ReplaceText(child, total, edits);
            hasTotal = true;
        } else if (child.strName == "FILE_SET_INDEX") {
            ReplaceText(child, index, edits);
            hasIndex = true;
        }
    }
    const _LAYOUT layout = ChildLayout(m_elemFileSet, m_arrayFileSetChild);
    std::string block;
    if (!hasTotal) {
        block += layout.strLineEnd + layout.strIndent + Element("TOTAL_FILES", total);
    }
    if (!hasIndex) {
        block += layout.strLineEnd + layout.strIndent + Element("FILE_SET_INDEX", index);
    }
    if (block.empty()) {
        return;
    }
    if (!m_arrayFileSetChild.empty()) {
        const std::size_t end = m_arrayFileSetChild.back().end;
        edits.push_back({end, end, Encode(block)});
    } else {
        InsertInto(m_elemFileSet, m_elemFileSet.openEnd, Encode(block), layout, edits);
    }
}

std::string CIXmlTracks::Apply(std::vector<_EDIT> edits) const {
    std::stable_sort(edits.begin(), edits.end(), [](const _EDIT& first, const _EDIT& second) {
        return first.from != second.from ? first.from < second.from : first.to < second.to;
    });
    std::string out;
    std::size_t cursor = 0;
    for (const _EDIT& edit : edits) {
        BWF_ASSERT(edit.from >= cursor && edit.to >= edit.from && edit.to <= m_strBody.size());
        out.append(m_strBody, cursor, edit.from - cursor);
        out += edit.strBytes;
        cursor = edit.to;
    }
    out.append(m_strBody, cursor, std::string::npos);
    return out;
}

std::string CIXmlTracks::MakeMonoBody(int n, int totalFiles) const {
    if (!m_isParsed) {
        return "";
    }
    std::vector<_EDIT> edits;
    if (m_hasTrackList) {
        if (m_hasTrackCount) {
            ReplaceText(m_elemTrackCount, "1", edits);
        }
        const int kept = FindTrack(n);
        if (kept >= 0) {
            for (std::size_t i = 0; i < m_arrayTrackXml.size(); ++i) {
                const _ELEMENT& element = m_arrayTrackXml[i].element;
                if (int(i) != kept) {
                    edits.push_back({SpaceStart(element.start), element.end, ""});
                }
            }
            SetInterleave(m_arrayTrackXml[std::size_t(kept)], "1", edits);
        } else {
            // A mono holds one channel whatever the source said about it.
            const _LAYOUT track = TrackLayout();
            ReplaceTracks(NewTrack({Element(CHANNEL_INDEX, std::to_string(n)),
                                    Element(INTERLEAVE_INDEX, "1")},
                                   track, TrackChildLayout(track)),
                          edits);
        }
    }
    if (m_hasFileSet) {
        RewriteFileSet(std::to_string(totalFiles), std::to_string(n), edits);
    }
    return Apply(std::move(edits));
}

std::string CIXmlTracks::MakePolyBody(const std::vector<const CIXmlTracks*>& monos,
                                      const std::vector<std::string>& names) const {
    if (!m_isParsed) {
        return "";
    }
    std::vector<_EDIT> edits;
    if (m_hasTrackList) {
        if (m_hasTrackCount) {
            ReplaceText(m_elemTrackCount, std::to_string(monos.size()), edits);
        }
        const _LAYOUT track = TrackLayout();
        const _LAYOUT child = TrackChildLayout(track);
        std::string block;
        for (std::size_t i = 0; i < monos.size(); ++i) {
            const int n = int(i) + 1;
            const CIXmlTracks* pMono = monos[i];
            int own = -1;
            if (pMono != nullptr && pMono->m_isParsed) {
                own = pMono->m_arrayTrackXml.size() == 1 ? 0 : pMono->FindTrack(n);
            }
            if (own >= 0) {
                block +=
                    CopiedTrack(*pMono, pMono->m_arrayTrackXml[std::size_t(own)], n, track, child);
                continue;
            }
            std::vector<std::string> lines{Element(CHANNEL_INDEX, std::to_string(n)),
                                           Element(INTERLEAVE_INDEX, std::to_string(n))};
            if (i < names.size() && !names[i].empty()) {
                lines.push_back(Element("NAME", Escape(names[i])));
            }
            block += NewTrack(lines, track, child);
        }
        ReplaceTracks(block, edits);
    }
    if (m_hasFileSet) {
        RewriteFileSet("1", "A", edits);
    }
    return Apply(std::move(edits));
}
