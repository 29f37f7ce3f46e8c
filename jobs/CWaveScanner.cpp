#include "CWaveScanner.h"

#include "CBwfFile.h"
#include "CJobPath.h"
#include "CPlatform.h"

#include <filesystem>

bool CWaveScanner::IsWaveName(const std::string& fileName) {
    const std::string::size_type dot = fileName.rfind('.');
    if (dot == std::string::npos) {
        return false;
    }
    const std::string extension = fileName.substr(dot + 1);
    return extension == "wav" || extension == "WAV";
}

std::vector<CWaveScanner::_WAVEFILE> CWaveScanner::ScanFolder(const std::string& folder) {
    std::vector<_WAVEFILE> arrayFile;
    if (folder.empty()) {
        return arrayFile;
    }
    std::error_code error;
    std::filesystem::directory_iterator it(CPlatform::ToPath(folder), error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        _WAVEFILE wave;
        wave.strFileName = CPlatform::FromPath(it->path().filename());
        wave.strPath = folder + "/" + wave.strFileName;
        CBwfFile file;
        if (!IsWaveName(wave.strFileName) || !CJobPath::IsRegularFile(wave.strPath) ||
            !file.OpenFile(wave.strPath.c_str(), true)) {
            continue;
        }
        if (!file.GetFormat(wave.channels, wave.bitsPerSample, wave.samplesPerSec)) {
            wave.channels = wave.bitsPerSample = 0;
            wave.samplesPerSec = 0;
        }
        wave.size = file.GetFileSize();
        file.CloseFile();
        arrayFile.push_back(std::move(wave));
    }
    return arrayFile;
}
