#pragma once

#include <cstdint>
#include <string>

// A path as the jobs' messages name it: in double quotes, with control
// characters written as \xNN so that a crafted name cannot drive a terminal.
inline std::string Quoted(const std::string& path) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text = "\"";
    for (char c : path) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            text += "\\x";
            text += digits[byte >> 4];
            text += digits[byte & 15];
        } else {
            text += c;
        }
    }
    return text + "\"";
}

// What a conversion job needs from whoever runs it: the window's progress
// dialog or the command line. Calls come from the job's own thread, in order;
// a host that shows them elsewhere hands them over and, for the question,
// waits for the answer.
class CJobHost {
public:
    virtual ~CJobHost() = default;

    // Title and detail line of the progress display.
    virtual void SetProgressText(const std::string& title, const std::string& detail) = 0;
    // The overwrite question. True for "OK" (the listed files may be
    // deleted), false for "Cancel", the default.
    virtual bool AskOverwrite(const std::string& title, const std::string& message) = 0;
    // A file could not be read or written; the message names it. The job
    // then goes on or ends as it says.
    virtual void ShowError(const std::string& message) = 0;
    // Bytes of samples handled so far out of the whole run, for a bar.
    virtual void SetProgressBytes(uint64_t done, uint64_t total) {
        (void)done;
        (void)total;
    }
    // An output file of bytes bytes now stands complete at path.
    virtual void FileWritten(const std::string& path, uint64_t bytes) {
        (void)path;
        (void)bytes;
    }
};
