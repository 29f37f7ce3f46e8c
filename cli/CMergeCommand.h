#pragma once

#include <string>
#include <vector>

// `kestrawave-cli merge`: the mono files of each take into DEST/TAKE.wav;
// with -r those of every folder below FOLDER that holds takes, into the same
// relative folders.
class CMergeCommand {
public:
    std::string m_strFolder;
    std::vector<std::string> m_arrayTake; // empty: every take of the folder
    std::string m_strDestFolder = ".";
    int m_convertMode = 0;
    bool m_isYes = false;
    bool m_isNo = false;
    bool m_isCopyMetadata = false; // iXML and bext exactly as the source's
    bool m_isRecursive = false;
    int m_jobs = 1; // takes at a time, 0: one per processor
    bool m_isJson = false;

    int Run() const;
};
