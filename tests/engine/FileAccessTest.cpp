// Opening, creating and closing files, and the programming-error assertions.

#include "CBwfFile.h"
#include "CTestKit.h"

#include <cerrno>
#include <cstring>

using CFileAccessTest = CTempFolderTest;

TEST_F(CFileAccessTest, OnlyWavOrWAVAfterTheLastDotIsAccepted) {
    fs::create_directory(PathOf("dir.wav"));
    const std::vector<std::string> names[2] = {
        {"a.Wav", "a.wave", "a.wav.bak", "noext", "dir.wav/x"}, {"a.wav", "a.WAV", "a.b.wav"}};
    for (bool isAccepted : {false, true}) {
        for (const std::string& name : names[isAccepted]) {
            SCOPED_TRACE(name);
            CBwfFile file;
            EXPECT_EQ(file.CreateBlankFile(PathOf(name).c_str()), isAccepted);
            EXPECT_EQ(fs::exists(PathOf(name)), isAccepted); // refused before the file system
            file.CloseFile();
            Write(name, Layout("RIFF"));
            EXPECT_EQ(file.OpenFile(PathOf(name).c_str(), true), isAccepted);
        }
    }
}

TEST_F(CFileAccessTest, OpenCreateAndCloseFollowTheLifecycle) {
    CBwfFile file;
    EXPECT_FALSE(file.CloseFile());
    EXPECT_FALSE(file.OpenFile(PathOf("missing.wav").c_str(), false));
    EXPECT_FALSE(fs::exists(PathOf("missing.wav")));
    const std::string folder = std::string(150, 'd') + "/" + std::string(150, 'e');
    const std::string path = Write(folder + "/take.wav", Layout("RIFF|data:100"));
    ASSERT_TRUE(file.CreateBlankFile(path.c_str()));
    EXPECT_EQ(file.GetFileSize(), 0u);
    EXPECT_FALSE(file.OpenFile(Write("b.wav", Layout("")).c_str(), true));
    EXPECT_FALSE(file.CreateBlankFile(PathOf("c.wav").c_str()));
    EXPECT_TRUE(file.CloseFile());
    EXPECT_EQ(file.GetFilePath(), path); // whole, though longer than 300 characters
    EXPECT_TRUE(fs::is_empty(path));     // shorter than a header: no RIFF size
    ASSERT_TRUE(file.OpenFile(path.c_str(), false));
}

TEST_F(CFileAccessTest, ClosingWritesTheRiffSizeToWritableFilesAndReportsAFullDisk) {
    const char* original = "RIFF=0xDEADBEEF|WAVE|JUNK:9";
    for (bool isReadOnly : {true, false}) {
        CBwfFile file;
        ASSERT_TRUE(file.OpenFile(Write("a.wav", Layout(original)).c_str(), isReadOnly));
        EXPECT_TRUE(file.CloseFile());
        EXPECT_EQ(Read("a.wav"), Layout(isReadOnly ? original : "RIFF=21|WAVE|JUNK:9"));
    }
    {
        CBwfFile forgotten; // the destructor closes, so it writes the size too
        ASSERT_TRUE(forgotten.OpenFile(PathOf("a.wav").c_str(), false));
        forgotten.WriteFile("xyz", 3);
    }
    EXPECT_EQ(Read("a.wav"), Layout("RIFF=24|WAVE|JUNK:9|xyz"));
#ifndef _WIN32 // Windows has no device that is always full
    // A full disk shows when the buffered bytes go out, at the latest on closing.
    CBwfFile file;
    std::error_code error;
    fs::create_symlink("/dev/full", PathOf("full.wav"), error);
    if (error || !file.CreateBlankFile(PathOf("full.wav").c_str())) {
        GTEST_SKIP() << "no /dev/full";
    }
    EXPECT_EQ(file.WriteZeroFile(4020), 4020u);
    EXPECT_FALSE(file.CloseFile());
    EXPECT_EQ(file.GetLastError().code, ENOSPC);
    EXPECT_EQ(file.GetErrorText(), std::strerror(ENOSPC));
#endif
}

TEST_F(CFileAccessTest, FailuresKeepTheirReasonUntilClearedOrReplaced) {
    CBwfFile file;
    ASSERT_TRUE(file.OpenFile(Write("a.wav", Layout("RIFF|data:10")).c_str(), true));
    EXPECT_EQ(file.GetErrorText(), "");
    char buffer[64];
    file.SetFilePointer(12);
    EXPECT_EQ(file.ReadFile(buffer, 64), 0u); // cut short: the flags are cleared
    EXPECT_TRUE(file.GetLastError().isShortRead);
    EXPECT_TRUE(file.MoveChunk(CHUNK_DATA, 0)); // a lookup clears flags, not the reason
    EXPECT_EQ(file.GetErrorText(), "the file ends before the bytes asked for");
    EXPECT_EQ(file.WriteFile("x", 1), 0u); // read-only: a new failure, a new reason
    EXPECT_EQ(file.GetLastError().code, EBADF);
    EXPECT_FALSE(file.GetLastError().isShortRead);
    file.ClearError();
    EXPECT_EQ(file.GetLastError().code, 0);
    EXPECT_TRUE(file.MoveChunk(CHUNK_DATA, 8));
    EXPECT_EQ(file.ReadFile(buffer, 10), 10u);
    CBwfFile missing;
    EXPECT_FALSE(missing.OpenFile(PathOf("none.wav").c_str(), true));
    EXPECT_EQ(missing.GetLastError().code, ENOENT);
}

TEST_F(CFileAccessTest, TemporaryFilesReachTheirNameOnlyWhenCommitted) {
    const Bytes old = Layout("RIFF|JUNK:4");
    const std::string path = Write("take.wav", old);
    auto start = [&](CBwfFile& file) {
        return file.CreateTempFile(path.c_str()) && file.CreateChunk(CHUNK_RIFF, 0);
    };
    {
        CBwfFile file;
        ASSERT_TRUE(start(file));
        EXPECT_EQ(file.GetFilePath(), path);
        const std::string name = fs::path(file.GetTempPath()).filename().string();
        EXPECT_TRUE(name[0] == '.' && name.substr(name.size() - 8) == ".partial") << name;
        EXPECT_TRUE(fs::exists(file.GetTempPath()) && FileCount("") == 2);
        file.DiscardFile();
        EXPECT_EQ(FileCount(""), 1u);
        ASSERT_TRUE(start(file));
        EXPECT_EQ(Read("take.wav"), old); // untouched until the commit
    }
    EXPECT_EQ(FileCount(""), 1u); // the destructor discards
    EXPECT_EQ(Read("take.wav"), old);
    CBwfFile file;
    ASSERT_TRUE(start(file) && file.CommitFile());
    EXPECT_EQ(Read("take.wav"), Layout("RIFF=4|WAVE"));
    EXPECT_EQ(FileCount(""), 1u);
#ifndef _WIN32 // no symbolic link without a privilege
    // A link at the final name is replaced, its target never written.
    const std::string target = Write("target.wav", old);
    fs::remove(path);
    fs::create_symlink(target, path);
    ASSERT_TRUE(start(file) && file.CommitFile());
    EXPECT_FALSE(fs::is_symlink(path));
    EXPECT_EQ(Read("target.wav"), old);
    fs::remove(target);
#endif
    // A commit that cannot rename leaves nothing behind.
    fs::remove(path);
    fs::create_directories(PathOf("take.wav/inside"));
    ASSERT_TRUE(start(file));
    EXPECT_FALSE(file.CommitFile());
    EXPECT_NE(file.GetErrorText(), "");
    EXPECT_EQ(FileCount(""), 1u); // the folder at the final name
    EXPECT_FALSE(file.CreateTempFile(PathOf("take.txt").c_str()));
}

// No temporary folder: a dying child would leave it behind.
TEST(CFileAccessDeathTest, OperationsNeedingAnOpenFileAbortWithTheExpression) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // GoogleTest's own expressions, as on Windows, know no brackets.
#ifdef GTEST_USES_SIMPLE_RE
    const std::string at = "CBwfFile\\.cpp:\\d+: failed assertion `";
#else
    const std::string at = "CBwfFile\\.cpp:[0-9]+: failed assertion `";
#endif
    CBwfFile file;
    char buffer[4] = {};
    EXPECT_DEATH(file.ReadFile(buffer, 4), at + "m_file\\.is_open\\(\\)'");
    EXPECT_DEATH(file.MoveChunk("data", 0), at + "file\\.is_open\\(\\)'");
    EXPECT_DEATH(file.RemoveUndefineChunkLinkList(0),
                 "failed assertion `index < m_undefineChunkCount'");
}

TEST_F(CFileAccessTest, GetFormatReadsThePcmFieldsOfAnyFmtChunk) {
    for (uint16_t tag : {uint16_t(1), uint16_t(0xFFFE)}) {
        CBwfFile file;
        ASSERT_TRUE(file.OpenFile(
            Write("a.wav", Wave(FmtBody(tag, 6, 24, 96000, 0x3F), {}, {})).c_str(), true));
        uint16_t channels = 0, bits = 0;
        uint32_t rate = 0;
        EXPECT_TRUE(file.GetFormat(channels, bits, rate));
        EXPECT_TRUE(channels == 6 && bits == 24 && rate == 96000) << channels << bits << rate;
    }
}
