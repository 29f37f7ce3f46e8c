#include "CPolyToMonoJob.h"

#include "CMonoWriter.h"
#include "CPolySource.h"

#include <filesystem>

namespace {

const char progressTitle[] = "Poly to Mono";
const char overwriteTitle[] =
    "Over write this file ?\r\n(If you click \"OK\", this file will be deleted.)";

bool Exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

bool IsSameFile(const std::string& first, const std::string& second) {
    std::error_code error;
    return std::filesystem::equivalent(first, second, error);
}

} // namespace

std::string CPolyToMonoJob::TakeName(const std::string& fileName) {
    std::string::size_type dot = fileName.rfind('.');
    std::string::size_type slash = fileName.rfind('/');
    if (dot == std::string::npos || dot == 0 || (slash != std::string::npos && dot < slash)) {
        return fileName;
    }
    return fileName.substr(0, dot);
}

std::string CPolyToMonoJob::MonoPath(const std::string& takeFolder, const std::string& takeName,
                                     int channel) {
    return takeFolder + "/" + takeName + "_" + std::to_string(channel) + ".wav";
}

JOBRESULT CPolyToMonoJob::Run(CJobHost& host, const std::atomic<bool>& isCancel) const {
    // The bytes of samples this run will read, for the progress bar.
    uint64_t total = 0;
    for (const _SOURCEROW& row : m_arraySource) {
        CPolySource source;
        std::string reason;
        if (source.Open(row.strFilePath, reason)) {
            int channels = 0;
            for (int c = 0; c < source.m_format.m_channels && c < 16; ++c) {
                channels += (row.selectMask >> c) & 1;
            }
            total += uint64_t(source.m_dataAvailable) * (m_isOnePass ? 1 : channels);
        }
    }
    uint64_t done = 0;
    host.SetProgressBytes(0, total);

    JOBRESULT result = JOBRESULT_DONE;
    for (const _SOURCEROW& row : m_arraySource) {
        const std::string takeName = TakeName(row.strFileName);
        host.SetProgressText(progressTitle, takeName);
        const std::string takeFolder = m_strDestFolder + "/" + takeName;

        CPolySource source;
        std::string reason;
        if (!source.Open(row.strFilePath, reason)) {
            host.ShowError(reason);
            result = JOBRESULT_FAILED;
            continue;
        }
        if (source.m_dataAvailable < source.m_dataSize) {
            host.ShowError(Quoted(row.strFilePath) + " ends before its data chunk does; the " +
                           std::to_string(source.m_dataAvailable) + " bytes of samples it " +
                           "holds are converted.");
        }

        // Only channels the file has are written, so only their files are
        // asked about and deleted.
        std::vector<CMonoWriter::_CHANNEL> channels;
        for (int c = 0; c < source.m_format.m_channels && c < 16; ++c) {
            if ((row.selectMask >> c) & 1) {
                channels.push_back({c + 1, MonoPath(takeFolder, takeName, c + 1)});
            }
        }
        std::string listText;
        bool isSelfOverwrite = false;
        for (const CMonoWriter::_CHANNEL& channel : channels) {
            if (Exists(channel.strPath)) {
                listText += channel.strPath + "\r";
                isSelfOverwrite = isSelfOverwrite || IsSameFile(channel.strPath, row.strFilePath);
            }
        }
        if (isSelfOverwrite) {
            host.ShowError(Quoted(row.strFilePath) + " would be overwritten by its own mono " +
                           "files; choose another output folder.");
            result = JOBRESULT_FAILED;
            continue;
        }
        if (!listText.empty()) {
            if (!host.AskOverwrite(overwriteTitle, listText)) {
                return JOBRESULT_DECLINED;
            }
            for (const CMonoWriter::_CHANNEL& channel : channels) {
                std::error_code error;
                std::filesystem::remove(channel.strPath, error);
            }
        }

        std::error_code error;
        std::filesystem::create_directory(takeFolder, error);

        CMonoWriter writer(source, host, isCancel);
        auto progress = [&](uint64_t sourceBytes) {
            host.SetProgressBytes(done + sourceBytes, total);
        };
        auto write = [&](const std::vector<CMonoWriter::_CHANNEL>& set) {
            for (const CMonoWriter::_CHANNEL& channel : set) {
                host.SetProgressText(progressTitle,
                                     takeName + "\tChannel " + std::to_string(channel.number));
            }
            JOBRESULT written = writer.Write(set, progress);
            done += source.m_dataAvailable;
            return written;
        };
        JOBRESULT rowResult = JOBRESULT_DONE;
        if (m_isOnePass) {
            rowResult = channels.empty() ? JOBRESULT_DONE : write(channels);
        } else {
            for (const CMonoWriter::_CHANNEL& channel : channels) {
                rowResult = write({channel});
                if (rowResult != JOBRESULT_DONE) {
                    break;
                }
            }
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
