#pragma once

#include <cstddef>
#include <string>
#include <vector>

// One TRACK of an iXML TRACK_LIST, its texts in UTF-8.
struct _TRACK {
    int channelIndex = 0;    // CHANNEL_INDEX, 0 when absent or not a number
    int interleaveIndex = 0; // INTERLEAVE_INDEX, 0 when absent or not a number
    std::string strName;     // NAME
    std::string strFunction; // FUNCTION
};

// The track list and file set of an "iXML" chunk body, and the bodies each
// file of a split or a merge gets instead. A rewrite is the source's bytes
// with only the rewritten elements changed: declaration, other elements,
// whitespace, line ends and whatever follows the root element (padding with
// spaces or NUL bytes) stay byte for byte. Replacement text is written in the
// document's own encoding (UTF-8, UTF-16 LE or BE, ISO-8859-1, US-ASCII;
// characters the last two cannot hold become character references).
class CIXmlTracks {
public:
    // Parses an iXML chunk body as stored (trailing NUL bytes and
    // whitespace are no part of the XML). False when it is not well-formed,
    // its encoding is unknown, or its track list cannot be read: in a BWFXML
    // document more than one TRACK_LIST or FILE_SET under the root, more
    // than one TRACK_COUNT in the track list, a TRACK or TRACK_COUNT anywhere
    // but right under BWFXML/TRACK_LIST; in any document elements that an
    // entity reference writes. GetProblem() then says why in a short
    // lower-case phrase ("not well-formed XML (line 3)", "an unknown
    // encoding", ...). A document whose root is not BWFXML parses, without
    // track list and file set.
    bool Parse(const std::string& body);
    const std::string& GetProblem() const { return m_strProblem; }
    bool HasTrackList() const { return m_hasTrackList; }                  // BWFXML/TRACK_LIST
    bool HasFileSet() const { return m_hasFileSet; }                      // BWFXML/FILE_SET
    const std::vector<_TRACK>& GetTracks() const { return m_arrayTrack; } // document order

    // The TRACK of channel n of the file, an index into GetTracks(): the
    // first whose INTERLEAVE_INDEX is n, else the n-th TRACK in document
    // order when that one has no INTERLEAVE_INDEX of its own; -1 when none.
    int FindTrack(int n) const;

    // Split: the body for the mono of channel n when a run writes totalFiles
    // monos of this source. TRACK_LIST: TRACK_COUNT (when present) "1", only
    // FindTrack(n) kept, its INTERLEAVE_INDEX set to "1" (added after its
    // CHANNEL_INDEX when it has none), all else in it byte for byte; the
    // other TRACK elements are removed with the whitespace before each. When
    // no TRACK is channel n's, the mono gets a new one with CHANNEL_INDEX n
    // and INTERLEAVE_INDEX 1 (so TRACK_COUNT 1 stays true). FILE_SET:
    // TOTAL_FILES totalFiles, FILE_SET_INDEX n (each added when missing);
    // FAMILY_UID and the rest kept. A document without TRACK_LIST or FILE_SET
    // does not get them. "" unless the last Parse returned true.
    std::string MakeMonoBody(int n, int totalFiles) const;

    // Merge: the body for a poly of monos.size() channels, this document
    // being the lead's. monos[i] is the parsed document of channel i+1's
    // mono, nullptr when it has none (one whose Parse failed counts as none);
    // names[i] is a fallback name, "" for none. TRACK_LIST: TRACK_COUNT (when
    // present) N; its TRACK elements replaced, where the first stood (after
    // TRACK_COUNT, else at the start of the list, when it has none), by one
    // TRACK per channel n: the mono's own track (its only TRACK, else its
    // FindTrack(n)) with every child element byte for byte, transcoded when
    // the mono's encoding differs, and INTERLEAVE_INDEX n (added after
    // CHANNEL_INDEX when it lacks one); a channel without one gets a TRACK
    // with CHANNEL_INDEX n, INTERLEAVE_INDEX n and NAME names[i] (none when
    // empty). Each TRACK and each child stands on its own line with the
    // indentation and line end the lead uses for its TRACK elements and their
    // children (derived from the lead's TRACK or TRACK_COUNT, else its line
    // end and one more indent step; a document written on one line stays on
    // one line). FILE_SET when present: TOTAL_FILES 1, FILE_SET_INDEX A. A
    // lead without TRACK_LIST changes only in its FILE_SET. "" unless the
    // last Parse returned true.
    std::string MakePolyBody(const std::vector<const CIXmlTracks*>& monos,
                             const std::vector<std::string>& names) const;

private:
    enum XMLENCODING {
        XMLENCODING_UTF8,
        XMLENCODING_UTF16LE,
        XMLENCODING_UTF16BE,
        XMLENCODING_LATIN1,
        XMLENCODING_ASCII
    };
    // An element's bytes: its start tag [start, openEnd), its end tag
    // [closeStart, end). An empty-element tag has openEnd == closeStart == end.
    struct _ELEMENT {
        std::string strName; // UTF-8
        std::string strText; // its own character data, UTF-8
        std::size_t start = 0;
        std::size_t openEnd = 0;
        std::size_t closeStart = 0;
        std::size_t end = 0;
        bool IsEmptyTag() const { return openEnd == end; }
    };
    struct _TRACKXML {
        _ELEMENT element;
        std::vector<_ELEMENT> arrayChild;
    };
    // Where new lines go: ASCII whitespace to put before an element.
    struct _LAYOUT {
        std::string strLineEnd; // "" when the element shares its line
        std::string strIndent;
    };
    // A replaced range of m_strBody; from == to inserts.
    struct _EDIT {
        std::size_t from;
        std::size_t to;
        std::string strBytes;
    };
    class CParser;

    static std::u32string Decode(const std::string& bytes, XMLENCODING encoding);
    // Characters encoding cannot hold become character references.
    static std::string EncodeAs(const std::u32string& text, XMLENCODING encoding);
    std::size_t Unit() const;
    char32_t UnitAt(std::size_t pos) const;
    // Text in the document's encoding.
    std::string Encode(const std::string& utf8) const;
    // Bytes of another document's element in this document's encoding.
    std::string Transcode(const CIXmlTracks& source, const std::string& bytes) const;
    std::string Bytes(std::size_t from, std::size_t to) const {
        return m_strBody.substr(from, to - from);
    }
    std::string OpenTag(const _ELEMENT& element) const;
    std::string CloseTag(const _ELEMENT& element) const;
    // The element with its content replaced by text (UTF-8, markup-free).
    std::string WithText(const _ELEMENT& element, const std::string& text) const;
    void ReplaceText(const _ELEMENT& element, const std::string& text,
                     std::vector<_EDIT>& edits) const;
    // Where the whitespace right before pos starts.
    std::size_t SpaceStart(std::size_t pos) const;
    _LAYOUT LayoutBefore(std::size_t pos) const;
    std::string IndentStep() const;
    _LAYOUT ChildLayout(const _ELEMENT& element, const std::vector<_ELEMENT>& children) const;
    // block (lines that each start with their line end) put into element at
    // pos; the end tag gets a line of its own when the element had none.
    void InsertInto(const _ELEMENT& element, std::size_t pos, const std::string& block,
                    const _LAYOUT& layout, std::vector<_EDIT>& edits) const;
    // All TRACK elements removed, block put where they stood.
    void ReplaceTracks(const std::string& block, std::vector<_EDIT>& edits) const;
    _LAYOUT TrackLayout() const;
    _LAYOUT TrackChildLayout(const _LAYOUT& track) const;
    // Every INTERLEAVE_INDEX of track set to text, one added when it has none.
    void SetInterleave(const _TRACKXML& track, const std::string& text,
                       std::vector<_EDIT>& edits) const;
    // What goes before a new TRACK's end tag.
    static std::string CloseLine(const _LAYOUT& track, const _LAYOUT& child);
    // A TRACK of its own children (UTF-8 lines, already in place order).
    std::string NewTrack(const std::vector<std::string>& children, const _LAYOUT& track,
                         const _LAYOUT& child) const;
    std::string CopiedTrack(const CIXmlTracks& mono, const _TRACKXML& source, int n,
                            const _LAYOUT& track, const _LAYOUT& child) const;
    void RewriteFileSet(const std::string& total, const std::string& index,
                        std::vector<_EDIT>& edits) const;
    std::string Apply(std::vector<_EDIT> edits) const;

    std::string m_strBody;
    std::string m_strProblem;
    bool m_isParsed = false;
    XMLENCODING m_encoding = XMLENCODING_UTF8;
    std::string m_strLineEnd; // the document's first, "" without one
    _ELEMENT m_elemRoot;
    bool m_hasTrackList = false;
    _ELEMENT m_elemTrackList;
    bool m_hasTrackCount = false;
    _ELEMENT m_elemTrackCount;
    bool m_hasFileSet = false;
    _ELEMENT m_elemFileSet;
    std::vector<_ELEMENT> m_arrayFileSetChild;
    std::vector<_TRACKXML> m_arrayTrackXml;
    std::vector<_TRACK> m_arrayTrack;
};
