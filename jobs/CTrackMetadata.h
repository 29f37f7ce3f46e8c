#pragma once

#include "CBextTracks.h"
#include "CIXmlTracks.h"

#include <cstdint>
#include <string>
#include <vector>

class CBwfFile;

// What one wave file says about its tracks: its "iXML" track list and file
// set, and the track lines of its "bext" description. Read once per file;
// the conversions ask it for the chunks each file they write gets instead.
class CTrackMetadata {
public:
    // An "iXML" body larger than this is carried as it is: its rewrite
    // would be held in memory once per mono file.
    static constexpr uint32_t IXML_REWRITE_MAX = 1024 * 1024;

    // A channel's track as the file names it.
    struct _TRACKNAME {
        int channel;
        std::string strName;
        std::string strFunction;
    };

    // Reads the file's "iXML" (the one the engine's lookup finds) and its
    // "bext" description. An "iXML" that cannot be rewritten (malformed, an
    // unknown encoding, an unreadable track list, too large) sets
    // m_strProblem, a message naming the file; it is then carried unchanged,
    // as is one cut off by the end of the file (said by the chunk walks).
    // Moves the file's position.
    void Read(CBwfFile& file, const std::string& path);
    // The same for the regular file at path, opened read-only for this;
    // false, nothing read, when it is no regular file or cannot be opened.
    bool Read(const std::string& path);

    // Channels 1 to channels: the name and function of each from the track
    // list, or the name from the "bext" line xTRKn; empty when neither says.
    std::vector<_TRACKNAME> GetTrackNames(int channels) const;
    // The recorder's number of the track that channel n of this file holds:
    // its CHANNEL_INDEX, or n without a track list that says.
    int GetOwnTrack(int n) const;
    // The same for a mono file that is channel n of its take: the one track
    // of its track list, else as GetOwnTrack.
    int GetMonoTrack(int n) const;
    // That track's line in the mono's "bext" description, "" without one.
    std::string GetMonoTrackLine(int n) const;
    // That track's name and function (channel n): from the track list, or
    // the name from the "bext" line.
    _TRACKNAME GetMonoTrackName(int n) const;

    // The body of the mono of channel n when a run writes totalFiles monos
    // of this file. False when the "iXML" is carried unchanged.
    bool MakeMonoIXml(int n, int totalFiles, std::string& body) const;
    // The description of that mono, named fileName; false without a "bext".
    bool MakeMonoDescription(int n, const std::string& fileName, std::string& field) const;

    bool m_hasIXml = false;        // present in the file
    bool m_isIXmlUsable = false;   // parsed: it can be rewritten
    uint64_t m_ixmlPointer = 0;    // its identifier
    uint32_t m_ixmlSize = 0;       // its size field
    CIXmlTracks m_xml;             // when usable
    bool m_hasDescription = false; // a "bext" long enough to hold one
    uint64_t m_bextPointer = 0;    // its identifier
    std::string m_strDescription;  // BEXT_DESCRIPTION_BYTES
    std::string m_strProblem;
};
