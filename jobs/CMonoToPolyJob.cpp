#include "CMonoToPolyJob.h"

#include "CJobPath.h"
#include "CMonoTake.h"
#include "CPolyWriter.h"
#include "CTakeScanner.h"

#include <algorithm>

namespace {

const char progressTitle[] = "Mono to Poly";
const char overwriteTitle[] =
    "Over write this file ?\r\n(If you click \"OK\", this file will be deleted.)";

} // namespace

std::string CMonoToPolyJob::PolyPath(const std::string& destFolder, const std::string& takeName) {
    return destFolder + "/" + takeName + ".wav";
}

JOBRESULT CMonoToPolyJob::Run(CJobHost& host, const std::atomic<bool>& isCancel) const {
    const std::string& take = m_strTakeName;
    auto refuse = [&](const std::string& message) {
        host.ShowError(message);
        return JOBRESULT_FAILED;
    };
    // The name goes into the output path: it must name a file in the folder.
    const std::string problem = CJobPath::TakeNameProblem(take);
    if (!problem.empty()) {
        return refuse("Cannot merge: " + problem + "; nothing was written.");
    }
    host.SetProgressText(progressTitle, take);
    const std::string outPath = PolyPath(m_strDestFolder, take);

    // Open and check every mono file before anything is written.
    std::vector<int> arrayChannel = m_arrayChannel;
    std::sort(arrayChannel.begin(), arrayChannel.end());
    arrayChannel.erase(std::unique(arrayChannel.begin(), arrayChannel.end()), arrayChannel.end());
    if (arrayChannel.empty()) {
        return refuse("No mono file of the take " + Quoted(take) + " was found in " +
                      Quoted(m_strSourceFolder) + "; nothing was written.");
    }
    if (arrayChannel.front() < 1 || arrayChannel.back() > CTakeScanner::MAX_CHANNEL) {
        const int n = arrayChannel.front() < 1 ? arrayChannel.front() : arrayChannel.back();
        return refuse("The take " + Quoted(take) + " cannot have a channel " + std::to_string(n) +
                      "; channels run from 1 to " + std::to_string(CTakeScanner::MAX_CHANNEL) +
                      ". Nothing was written.");
    }
    CMonoTake monoTake;
    monoTake.m_isRewriteMetadata = !m_isCopyMetadata;
    std::string reason;
    const JOBRESULT opened =
        monoTake.Open(m_strSourceFolder, take, arrayChannel, m_convertMode == 0, isCancel, reason);
    if (opened != JOBRESULT_DONE) {
        return opened == JOBRESULT_FAILED ? refuse(reason) : opened;
    }

    // An input of this run at the output path would be lost by the rename.
    std::vector<std::string> arrayInput = m_arrayRunInput;
    for (std::size_t k = 0; k < monoTake.GetCount(); ++k) {
        arrayInput.push_back(monoTake.GetMono(k).strPath);
    }
    const std::string input = CJobPath::SameFileIn(outPath, arrayInput);
    if (!input.empty()) {
        return refuse("The poly file " + Quoted(outPath) + " would replace the mono file " +
                      Quoted(input) + " that this run reads; choose another output folder.");
    }
    if (CJobPath::Exists(outPath) && !host.AskOverwrite(overwriteTitle, outPath)) {
        return JOBRESULT_DECLINED;
    }
    for (const std::string& note : monoTake.m_arrayNote) {
        host.ShowError(note);
    }

    CPolyWriter writer(monoTake, m_convertMode, host, isCancel);
    writer.m_rf64Limit = m_rf64Limit;
    const JOBRESULT result = writer.Write(outPath);
    if (result == JOBRESULT_DONE) {
        host.SetProgressText(progressTitle, take + "\tFinish !");
    }
    return result;
}
