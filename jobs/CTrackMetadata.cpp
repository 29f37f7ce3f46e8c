#include "CTrackMetadata.h"

#include "CBwfFile.h"
#include "CJobHost.h"
#include "CJobPath.h"

bool CTrackMetadata::Read(const std::string& path) {
    *this = CTrackMetadata();
    // Opening a FIFO would wait for a writer.
    CBwfFile file;
    if (!CJobPath::IsRegularFile(path) || !file.OpenFile(path.c_str(), true)) {
        return false;
    }
    Read(file, path);
    return true;
}

void CTrackMetadata::Read(CBwfFile& file, const std::string& path) {
    *this = CTrackMetadata();
    file.ClearError();
    if (file.MoveChunk(CHUNK_BEXT, 0)) {
        m_bextPointer = file.GetFilePointer();
        const uint32_t size = file.GetChunkSize(CHUNK_BEXT);
        if (m_bextPointer != NO_POINTER && size >= BEXT_DESCRIPTION_BYTES) {
            m_strDescription.assign(BEXT_DESCRIPTION_BYTES, '\0');
            m_hasDescription = file.ReadFile(&m_strDescription[0], BEXT_DESCRIPTION_BYTES) ==
                               BEXT_DESCRIPTION_BYTES;
        }
    }
    file.ClearError();
    if (!file.MoveChunk(CHUNK_IXML, 0)) {
        return;
    }
    m_hasIXml = true;
    m_ixmlPointer = file.GetFilePointer();
    m_ixmlSize = file.GetChunkSize(CHUNK_IXML);
    auto problem = [&](const std::string& why) {
        m_strProblem = Quoted(path) + ": its iXML chunk " + why +
                       "; it is carried unchanged, its track list and file set as they are.";
    };
    if (m_ixmlPointer == NO_POINTER) {
        problem("cannot be read");
        return;
    }
    if (m_ixmlSize > IXML_REWRITE_MAX) {
        problem("holds " + std::to_string(m_ixmlSize) + " bytes, too many to be rewritten");
        return;
    }
    std::string body(m_ixmlSize, '\0');
    // A chunk cut off by the end of the file is carried as far as it goes,
    // and said so where the chunks are walked.
    if (m_ixmlSize != 0 && file.ReadFile(&body[0], m_ixmlSize) != m_ixmlSize) {
        file.ClearError();
        return;
    }
    if (!m_xml.Parse(body)) {
        problem("is " + m_xml.GetProblem());
        return;
    }
    m_isIXmlUsable = true;
}

std::vector<CTrackMetadata::_TRACKNAME> CTrackMetadata::GetTrackNames(int channels) const {
    const auto lines = m_hasDescription ? CBextTracks::GetTracks(m_strDescription)
                                        : decltype(CBextTracks::GetTracks(""))();
    std::vector<_TRACKNAME> names;
    for (int n = 1; n <= channels; ++n) {
        _TRACKNAME name{n, "", ""};
        const int track = m_isIXmlUsable ? m_xml.FindTrack(n) : -1;
        if (track >= 0) {
            name.strName = m_xml.GetTracks()[std::size_t(track)].strName;
            name.strFunction = m_xml.GetTracks()[std::size_t(track)].strFunction;
        } else {
            for (const auto& line : lines) {
                if (line.first == n) {
                    name.strName = line.second;
                    break;
                }
            }
        }
        names.push_back(name);
    }
    return names;
}

int CTrackMetadata::GetOwnTrack(int n) const {
    const int track = m_isIXmlUsable ? m_xml.FindTrack(n) : -1;
    if (track >= 0) {
        const int index = m_xml.GetTracks()[std::size_t(track)].channelIndex;
        if (index > 0) {
            return index;
        }
    }
    return n;
}

int CTrackMetadata::GetMonoTrack(int n) const {
    if (m_isIXmlUsable && m_xml.GetTracks().size() == 1 &&
        m_xml.GetTracks().front().channelIndex > 0) {
        return m_xml.GetTracks().front().channelIndex;
    }
    return GetOwnTrack(n);
}

std::string CTrackMetadata::GetMonoTrackLine(int n) const {
    return m_hasDescription ? CBextTracks::FindTrackLine(m_strDescription, GetMonoTrack(n)) : "";
}

CTrackMetadata::_TRACKNAME CTrackMetadata::GetMonoTrackName(int n) const {
    _TRACKNAME name{n, "", ""};
    const std::vector<_TRACK>& tracks = m_xml.GetTracks();
    const int track = !m_isIXmlUsable ? -1 : tracks.size() == 1 ? 0 : m_xml.FindTrack(n);
    if (track >= 0) {
        name.strName = tracks[std::size_t(track)].strName;
        name.strFunction = tracks[std::size_t(track)].strFunction;
        return name;
    }
    const std::string line = GetMonoTrackLine(n);
    const std::size_t equals = line.find('=');
    if (equals != std::string::npos) {
        name.strName = line.substr(equals + 1);
    }
    return name;
}

bool CTrackMetadata::MakeMonoIXml(int n, int totalFiles, std::string& body) const {
    if (!m_isIXmlUsable) {
        return false;
    }
    body = m_xml.MakeMonoBody(n, totalFiles);
    return true;
}

bool CTrackMetadata::MakeMonoDescription(int n, const std::string& fileName,
                                         std::string& field) const {
    if (!m_hasDescription) {
        return false;
    }
    field = CBextTracks::MakeMonoDescription(m_strDescription, GetOwnTrack(n), fileName);
    return true;
}
