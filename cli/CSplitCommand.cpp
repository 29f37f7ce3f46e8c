#include "CSplitCommand.h"

#include "CBatchRun.h"
#include "CBwfFile.h"
#include "CConsoleHost.h"
#include "CExitStatus.h"
#include "CJobPath.h"
#include "CPlatform.h"
#include "CPolyToMonoJob.h"
#include "CTreeScanner.h"
#include "CWaveScanner.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>

namespace {

bool ParseNumber(const std::string& text, int& number) {
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    number = std::stoi(text);
    return number >= 1 && number <= CSplitCommand::MAX_CHANNEL;
}

} // namespace

bool CSplitCommand::ParseChannels(const std::string& text, std::vector<int>& arrayChannel) {
    arrayChannel.clear();
    if (text.empty() || text.back() == ',') {
        return false;
    }
    std::stringstream stream(text);
    std::string item;
    while (std::getline(stream, item, ',')) {
        std::string::size_type dash = item.find('-');
        int first = 0;
        int last = 0;
        if (dash == std::string::npos) {
            if (!ParseNumber(item, first)) {
                return false;
            }
            last = first;
        } else if (!ParseNumber(item.substr(0, dash), first) ||
                   !ParseNumber(item.substr(dash + 1), last) || last < first) {
            return false;
        }
        for (int n = first; n <= last; ++n) {
            arrayChannel.push_back(n);
        }
    }
    std::sort(arrayChannel.begin(), arrayChannel.end());
    arrayChannel.erase(std::unique(arrayChannel.begin(), arrayChannel.end()), arrayChannel.end());
    return true;
}

int CSplitCommand::Run() const {
    std::vector<int> arrayAsked;
    if (m_isChannelsGiven && !ParseChannels(m_strChannels, arrayAsked)) {
        CConsoleHost::Say("malformed channel list " + Quoted(m_strChannels) +
                          "; use channel numbers from 1 to " + std::to_string(MAX_CHANNEL) +
                          " such as 1,3-4,17-24");
        return EXIT_USAGE;
    }
    if (m_jobs < 0) {
        CConsoleHost::Say("-j takes a number of files at a time, 0 for one per processor");
        return EXIT_USAGE;
    }
    if (!CConsoleHost::CheckOutputFolder(m_strDestFolder)) {
        return EXIT_USAGE;
    }

    // What the run reads: the files named, and with -r those below the
    // folders named, each with the folder its monos go to.
    struct SOURCE {
        std::string strPath;
        std::string strRelFolder;
        bool isFound; // by the walk, not named
    };
    std::vector<SOURCE> arraySource;
    CBatchRun run;
    run.m_jobs = m_jobs;
    run.m_isJson = m_isJson;
    run.m_answer = m_isYes ? CConsoleHost::ANSWER_YES
                           : (m_isNo ? CConsoleHost::ANSWER_NO : CConsoleHost::ANSWER_ASK);
    for (const std::string& path : m_arrayPath) {
        std::error_code error;
        if (std::filesystem::is_directory(CPlatform::ToPath(path), error)) {
            if (!m_isRecursive) {
                run.AddSkipped(
                    path, Quoted(path) + " is a folder; use -r to split the wave files below it",
                    true);
                continue;
            }
            std::vector<std::string> arrayProblem;
            for (const CTreeScanner::_FOUND& found :
                 CTreeScanner::FindWaveFiles(path, m_strDestFolder, arrayProblem)) {
                arraySource.push_back({found.strPath, found.strRelFolder, true});
            }
            for (const std::string& problem : arrayProblem) {
                run.AddSkipped(path, problem, true);
            }
            continue;
        }
        arraySource.push_back({path, "", false});
    }

    std::vector<std::string> arrayRunInput;
    for (const SOURCE& source : arraySource) {
        arrayRunInput.push_back(source.strPath);
    }
    // Two sources whose monos would land in the same take folder (a/T.wav
    // and b/T.wav, or T.wav and T.WAV) would replace each other's files.
    std::map<std::string, std::string> takeFolderOf;
    for (const SOURCE& source : arraySource) {
        const std::string& path = source.strPath;
        if (!CWaveScanner::IsWaveName(path)) {
            run.AddSkipped(path, Quoted(path) + ": the name must end in .wav or .WAV", true);
            continue;
        }
        // A FIFO or a device would block the open or the reads.
        std::error_code error;
        if (CJobPath::Exists(path) && !CJobPath::IsRegularFile(path)) {
            run.AddSkipped(path, CJobPath::NotRegularMessage(path), true);
            continue;
        }
        // A file whose format cannot be read gets every possible channel:
        // the job names the file and why.
        CBwfFile file;
        uint16_t channels = 0, bits = 0;
        uint32_t rate = 0;
        const bool hasFormat = CJobPath::IsRegularFile(path) && file.OpenFile(path.c_str(), true) &&
                               file.GetFormat(channels, bits, rate);
        file.CloseFile();
        if (source.isFound && hasFormat && channels == 1) {
            run.AddSkipped(path, Quoted(path) + " is a mono file; it is left as it is.", false);
            continue;
        }
        std::vector<int> arrayChannel = arrayAsked;
        if (!m_isChannelsGiven) {
            for (int n = 1; n <= (hasFormat ? int(channels) : MAX_CHANNEL); ++n) {
                arrayChannel.push_back(n);
            }
        } else if (hasFormat && arrayAsked.back() > int(channels)) {
            // Channels asked for by number must exist: a script would
            // otherwise take a file with fewer channels for a success.
            run.AddSkipped(path,
                           Quoted(path) + " has " + std::to_string(channels) +
                               " channels; not every channel of " + Quoted(m_strChannels) +
                               " is there",
                           true);
            continue;
        }
        const std::string destFolder = source.strRelFolder.empty()
                                           ? m_strDestFolder
                                           : m_strDestFolder + "/" + source.strRelFolder;
        const std::string fileName = CPlatform::FromPath(CPlatform::ToPath(path).filename());
        const std::string takeName = CJobPath::TakeName(fileName);
        const std::string takeFolder = destFolder + "/" + takeName;
        const auto [it, isNew] = takeFolderOf.emplace(takeFolder, path);
        if (!isNew) {
            run.AddSkipped(path,
                           Quoted(path) + " is not split: its mono files would replace those of " +
                               Quoted(it->second) + " in " + Quoted(takeFolder) + ".",
                           true);
            continue;
        }

        CBatchRun::_TASK task;
        task.strPath = path;
        if (hasFormat) {
            for (int n : arrayChannel) {
                task.arrayOutput.push_back(CJobPath::MonoPath(takeFolder, takeName, n));
            }
        }
        task.estimate = std::filesystem::file_size(CPlatform::ToPath(path), error);
        CPolyToMonoJob job;
        job.m_strDestFolder = destFolder;
        job.m_isCopyMetadata = m_isCopyMetadata;
        job.m_arrayRunInput = arrayRunInput;
        job.m_arraySource.push_back({fileName, path, std::move(arrayChannel)});
        task.run = CBatchRun::InRelFolder(m_strDestFolder, source.strRelFolder, job);
        run.m_arrayTask.push_back(std::move(task));
    }
    return run.Run(EXIT_DONE);
}
