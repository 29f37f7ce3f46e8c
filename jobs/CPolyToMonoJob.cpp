#include "CPolyToMonoJob.h"

#include "CJobPath.h"
#include "CMonoWriter.h"
#include "CPolySource.h"

#include <algorithm>
#include <filesystem>

namespace {

const char progressTitle[] = "Poly to Mono";
const char overwriteTitle[] =
    "Over write this file ?\r\n(If you click \"OK\", this file will be deleted.)";

// The row's channels that a file of sourceChannels has, rising, each once.
std::vector<int> ChannelsOf(const CPolyToMonoJob::_SOURCEROW& row, int sourceChannels) {
    std::vector<int> arrayChannel;
    for (int n : row.arrayChannel) {
        if (n >= 1 && n <= sourceChannels) {
            arrayChannel.push_back(n);
        }
    }
    std::sort(arrayChannel.begin(), arrayChannel.end());
    arrayChannel.erase(std::unique(arrayChannel.begin(), arrayChannel.end()), arrayChannel.end());
    return arrayChannel;
}

// Reads of the source that count channels take.
uint64_t Passes(std::size_t count) {
    return (count + CMonoWriter::MAX_FILES - 1) / CMonoWriter::MAX_FILES;
}

} // namespace

JOBRESULT CPolyToMonoJob::Run(CJobHost& host, const std::atomic<bool>& isCancel) const {
    // The bytes of samples this run will read, for the progress bar. Only
    // regular files are opened: a FIFO named x.wav would block the run.
    uint64_t total = 0;
    for (const _SOURCEROW& row : m_arraySource) {
        if (!CJobPath::IsRegularFile(row.strFilePath)) {
            continue;
        }
        CPolySource source;
        std::string reason;
        if (source.Open(row.strFilePath, reason, &isCancel)) {
            const std::size_t count = ChannelsOf(row, source.m_format.m_channels).size();
            total += uint64_t(source.m_dataAvailable) * Passes(count);
        } else if (source.m_isCancelled) {
            return JOBRESULT_CANCELLED;
        }
    }
    uint64_t done = 0;
    host.SetProgressBytes(0, total);

    JOBRESULT result = JOBRESULT_DONE;
    for (const _SOURCEROW& row : m_arraySource) {
        if (isCancel.load(std::memory_order_relaxed)) {
            return JOBRESULT_CANCELLED;
        }
        const std::string takeName = CJobPath::TakeName(row.strFileName);
        host.SetProgressText(progressTitle, takeName);
        const std::string takeFolder = m_strDestFolder + "/" + takeName;

        // Every refusal that can be known comes before the overwrite
        // question and before anything is touched.
        auto refuse = [&](const std::string& message) {
            host.ShowError(message);
            result = JOBRESULT_FAILED;
        };
        const std::string problem = CJobPath::TakeNameProblem(takeName);
        if (!problem.empty()) {
            refuse(Quoted(row.strFilePath) + " cannot be split: " + problem + ".");
            continue;
        }
        if (!CJobPath::IsRegularFile(row.strFilePath)) {
            refuse(CJobPath::NotRegularMessage(row.strFilePath));
            continue;
        }
        CPolySource source;
        source.m_isRewriteMetadata = !m_isCopyMetadata;
        std::string reason;
        if (!source.Open(row.strFilePath, reason, &isCancel)) {
            if (source.m_isCancelled) {
                return JOBRESULT_CANCELLED;
            }
            refuse(reason);
            continue;
        }
        CMonoWriter writer(source, host, isCancel);
        writer.m_rf64Limit = m_rf64Limit;

        // Only channels the file has are written, so only their files are
        // asked about and replaced.
        std::vector<CMonoWriter::_CHANNEL> channels;
        for (int n : ChannelsOf(row, source.m_format.m_channels)) {
            channels.push_back({n, CJobPath::MonoPath(takeFolder, takeName, n)});
        }
        // Any source of the run, not only this row's: a later row must
        // still find its source as it was.
        std::vector<std::string> arrayInput = m_arrayRunInput;
        for (const _SOURCEROW& other : m_arraySource) {
            arrayInput.push_back(other.strFilePath);
        }
        std::string listText;
        std::string selfOverwrite;
        for (const CMonoWriter::_CHANNEL& channel : channels) {
            if (!CJobPath::Exists(channel.strPath)) {
                continue;
            }
            listText += channel.strPath + "\r";
            const std::string input =
                selfOverwrite.empty() ? CJobPath::SameFileIn(channel.strPath, arrayInput) : "";
            if (!input.empty()) {
                selfOverwrite = "The mono file " + Quoted(channel.strPath) +
                                " would overwrite the source " + Quoted(input) + "; " +
                                Quoted(row.strFilePath) +
                                " is not split. Choose another output folder.";
            }
        }
        if (!selfOverwrite.empty()) {
            refuse(selfOverwrite);
            continue;
        }
        if (source.m_dataAvailable < source.m_dataSize) {
            host.ShowError(Quoted(row.strFilePath) + " ends before its data chunk does; the " +
                           std::to_string(source.m_dataAvailable) + " bytes of samples it " +
                           "holds are converted.");
        }
        for (const std::string& notice : source.m_arrayNotice) {
            host.ShowError(notice);
        }
        // Answering OK deletes nothing: each file is replaced by the rename
        // of its complete successor.
        if (!listText.empty() && !host.AskOverwrite(overwriteTitle, listText)) {
            return JOBRESULT_DECLINED;
        }

        CTakeFolder folder;
        std::string message;
        if (!folder.Make(takeFolder, message)) {
            refuse(message);
            continue;
        }
        auto progress = [&](uint64_t sourceBytes) {
            host.SetProgressBytes(done + sourceBytes, total);
        };
        // One pass for all channels; a source of very many channels takes
        // one pass per MAX_FILES of them, so that memory and open files
        // stay bounded.
        JOBRESULT rowResult = JOBRESULT_DONE;
        for (std::size_t first = 0; first < channels.size() && rowResult == JOBRESULT_DONE;
             first += CMonoWriter::MAX_FILES) {
            const std::size_t last = std::min(channels.size(), first + CMonoWriter::MAX_FILES);
            const std::vector<CMonoWriter::_CHANNEL> pass(channels.begin() + first,
                                                          channels.begin() + last);
            for (const CMonoWriter::_CHANNEL& channel : pass) {
                host.SetProgressText(progressTitle,
                                     takeName + "\tChannel " + std::to_string(channel.number));
            }
            rowResult = writer.Write(pass, int(channels.size()), progress);
            done += source.m_dataAvailable;
        }
        if (rowResult != JOBRESULT_DONE) {
            folder.RemoveIfEmpty();
        }
        if (rowResult == JOBRESULT_CANCELLED) {
            return JOBRESULT_CANCELLED;
        }
        if (rowResult == JOBRESULT_FAILED) {
            if (writer.m_isCreateFailed) {
                return JOBRESULT_FAILED;
            }
            result = JOBRESULT_FAILED;
            continue;
        }
        host.SetProgressText(progressTitle, takeName + "\tFinish !");
    }
    return result;
}
