#include "CMergeCommand.h"

#include "CBatchRun.h"
#include "CConsoleHost.h"
#include "CExitStatus.h"
#include "CJobPath.h"
#include "CMonoToPolyJob.h"
#include "CPlatform.h"
#include "CTakeScanner.h"
#include "CTakesCommand.h"
#include "CTreeScanner.h"

#include <algorithm>
#include <filesystem>

int CMergeCommand::Run() const {
    std::error_code error;
    if (!std::filesystem::is_directory(CPlatform::ToPath(m_strFolder), error)) {
        CConsoleHost::Say(Quoted(m_strFolder) + " is not a folder");
        return EXIT_USAGE;
    }
    if (m_jobs < 0) {
        CConsoleHost::Say("-j takes a number of takes at a time, 0 for one per processor");
        return EXIT_USAGE;
    }
    if (!CConsoleHost::CheckOutputFolder(m_strDestFolder)) {
        return EXIT_USAGE;
    }
    CBatchRun run;
    run.m_jobs = m_jobs;
    run.m_isJson = m_isJson;
    run.m_strListName = "takes";
    run.m_answer = m_isYes ? CConsoleHost::ANSWER_YES
                           : (m_isNo ? CConsoleHost::ANSWER_NO : CConsoleHost::ANSWER_ASK);

    // The folders of takes: FOLDER, or with -r every folder below it that
    // holds takes, each with the folder its poly files go to.
    std::vector<CTreeScanner::_FOUND> arrayFolder;
    if (m_isRecursive) {
        std::vector<std::string> arrayProblem;
        arrayFolder = CTreeScanner::FindTakeFolders(m_strFolder, m_strDestFolder, arrayProblem);
        for (const std::string& problem : arrayProblem) {
            run.AddSkipped(m_strFolder, problem, true);
        }
    } else {
        arrayFolder.push_back({m_strFolder, ""});
    }

    // Monos that are not regular files are named and left out, as opening a
    // FIFO or a device would block. Every mono of the run is an input that
    // no take's output may replace.
    struct TAKE {
        std::string strFolder, strRelFolder, strTake;
        std::vector<int> arrayChannel;
    };
    std::vector<TAKE> arrayTake;
    std::vector<std::string> arrayRunInput;
    for (const CTreeScanner::_FOUND& found : arrayFolder) {
        const std::string& folder = found.strPath;
        std::vector<std::string> names = m_arrayTake;
        if (names.empty()) {
            if (CTakesCommand::SayNotRegular(folder)) {
                run.AddSkipped(folder,
                               "Mono files of " + Quoted(folder) + " are not regular files.", true);
            }
            names = CTakeScanner::ScanFolder(folder);
            std::sort(names.begin(), names.end());
        } else if (m_isRecursive) {
            // Named takes are looked for in every folder; those it lacks are
            // no error.
            const std::vector<std::string> present = CTakeScanner::ScanFolder(folder);
            names.erase(std::remove_if(names.begin(), names.end(),
                                       [&](const std::string& name) {
                                           return std::find(present.begin(), present.end(), name) ==
                                                  present.end();
                                       }),
                        names.end());
        }
        for (const std::string& take : names) {
            TAKE entry{folder, found.strRelFolder, take, CTakeScanner::Channels(folder, take)};
            for (int n : entry.arrayChannel) {
                arrayRunInput.push_back(CJobPath::FindMonoPath(folder, take, n));
            }
            if (!m_arrayTake.empty()) {
                // Named takes: their monos that are no regular files, which
                // the scan leaves out, are named (a regular TAKE_n.WAV
                // beside a FIFO TAKE_n.wav stands for the channel).
                std::filesystem::directory_iterator it(CPlatform::ToPath(folder), error);
                for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
                    const int n =
                        CTakeScanner::ChannelOf(CPlatform::FromPath(it->path().filename()), take);
                    if (n != 0 && !std::binary_search(entry.arrayChannel.begin(),
                                                      entry.arrayChannel.end(), n)) {
                        const std::string path = CPlatform::FromPath(it->path());
                        run.AddSkipped(path, CJobPath::NotRegularMessage(path), true);
                    }
                }
                error.clear();
            }
            arrayTake.push_back(std::move(entry));
        }
    }
    if (arrayTake.empty() && m_arrayTake.empty()) {
        CConsoleHost::Say("no takes in " + Quoted(m_strFolder));
        return EXIT_FAILED;
    }
    // A take asked for by name that no folder holds is a failure a script
    // must see.
    for (const std::string& name : m_arrayTake) {
        if (m_isRecursive && std::none_of(arrayTake.begin(), arrayTake.end(),
                                          [&](const TAKE& take) { return take.strTake == name; })) {
            run.AddSkipped(m_strFolder + "/" + name,
                           "No folder below " + Quoted(m_strFolder) + " holds the take " +
                               Quoted(name) + ".",
                           true);
        }
    }

    for (const TAKE& take : arrayTake) {
        const std::string destFolder =
            take.strRelFolder.empty() ? m_strDestFolder : m_strDestFolder + "/" + take.strRelFolder;
        CBatchRun::_TASK task;
        task.strPath = take.strFolder + "/" + take.strTake;
        task.arrayOutput.push_back(CMonoToPolyJob::PolyPath(destFolder, take.strTake));
        for (int n : take.arrayChannel) {
            task.estimate += std::filesystem::file_size(
                CPlatform::ToPath(CJobPath::FindMonoPath(take.strFolder, take.strTake, n)), error);
        }
        CMonoToPolyJob job;
        job.m_strTakeName = take.strTake;
        job.m_arrayChannel = take.arrayChannel;
        job.m_strSourceFolder = take.strFolder;
        job.m_strDestFolder = destFolder;
        job.m_convertMode = m_convertMode;
        job.m_isCopyMetadata = m_isCopyMetadata;
        job.m_arrayRunInput = arrayRunInput;
        task.run = CBatchRun::InRelFolder(m_strDestFolder, take.strRelFolder, job);
        run.m_arrayTask.push_back(std::move(task));
    }
    return run.Run(EXIT_DONE);
}
