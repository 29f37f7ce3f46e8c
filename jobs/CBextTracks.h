#pragma once

#include <string>
#include <utility>
#include <vector>

// The track lines of a "bext" description as recorders write them
// ("sTRK2=Boom", "sFILENAME=A101_1.WAV"), and the description each file of
// a split or a merge gets instead. A description is the 256-byte field as
// stored: its text ends at the first NUL byte or at 256 bytes; its lines end
// in CR LF or LF, the last one may have none. A track line is one lower-case
// ASCII letter, "TRK", a decimal number k (at most 9 digits), "=" and the
// value; a file-name line is one lower-case letter and "FILENAME=".
class CBextTracks {
public:
    // The k and value of every track line, in order.
    static std::vector<std::pair<int, std::string>> GetTracks(const std::string& field);

    // The one track line of a mono, without its line end: the first with
    // k == track; else, when the field holds exactly one track line, that
    // one; "" when none.
    static std::string FindTrackLine(const std::string& field, int track);

    // Split: the track lines other than k == ownTrack removed, the value of
    // each file-name line set to fileName (cut at a line end or NUL), unless
    // the text would then not fit 256 bytes. Other lines keep their order
    // and bytes. Exactly 256 bytes, zero-padded.
    static std::string MakeMonoDescription(const std::string& field, int ownTrack,
                                           const std::string& fileName);

    // Merge: the lead's text with its track lines replaced by trackLines (in
    // order, each as given up to a line end or NUL, "" ones skipped, each with
    // the lead's line end: its first track line's, else its first, else
    // CR LF), where the lead's first track line stood (at the end when it has
    // none), and the value of each file-name line set to fileName. What would
    // not fit 256 bytes is left out whole, never cut: track lines from the
    // last one back (leftOut says how many), and the new file name only when
    // it does not fit even without them. Exactly 256 bytes, zero-padded.
    static std::string MakePolyDescription(const std::string& leadField,
                                           const std::vector<std::string>& trackLines,
                                           const std::string& fileName, int& leftOut);
};
