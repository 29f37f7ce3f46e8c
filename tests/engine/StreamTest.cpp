// Stream primitives with their sticky error flags, and copying.

#include "CBwfFile.h"
#include "CTestKit.h"

#include <cerrno>
#include <thread>

using CStreamTest = CTempFolderTest;

TEST_F(CStreamTest, ErrorFlagsStickUntilAWalkOrAFailedReadClearsThem) {
    CBwfFile file;
    const Bytes before = Layout("RIFF|fmt :16|data=40") + Pattern(40);
    ASSERT_TRUE(file.OpenFile(Write("a.wav", before).c_str(), false));
    EXPECT_EQ(file.SeekFile(3, POINTERBASE(7)), 0u);
    EXPECT_EQ(file.SeekFile(-1, POINTERBASE_BEGIN), NO_POINTER);
    unsigned char buffer[64];
    EXPECT_EQ(file.WriteFile(buffer, 4) + file.WriteFile(uint32_t(1)) + file.WriteZeroFile(4), 0u);
    EXPECT_FALSE(file.CreateChunk(CHUNK_BEXT, 0));
    EXPECT_EQ(file.ReadFile(buffer, 4), 0u); // refused at once, clears nothing
    EXPECT_EQ(file.SeekFile(0, POINTERBASE_BEGIN), NO_POINTER);
    EXPECT_EQ(file.GetFileSize(), 0u);
    EXPECT_FALSE(file.MoveChunk("zzzz", 0));
    EXPECT_EQ(file.GetFilePointer(), 84u);
    EXPECT_EQ(file.ReadData(buffer, 64, 20), 20u); // short: the flags stay set
    EXPECT_EQ(file.GetFilePointer(), NO_POINTER);
    EXPECT_FALSE(file.CloseFile());
    EXPECT_EQ(Read("a.wav"), before);

    // A failed write is remembered until closing, though a walk clears the flags.
    ASSERT_TRUE(file.OpenFile(Write("b.wav", Layout("RIFF|fmt :14|data:2")).c_str(), true));
    EXPECT_EQ(file.WriteFile("abcd", 4), 0u);
    EXPECT_FALSE(file.MoveChunk("zzzz", 0));
    EXPECT_EQ(file.SeekFile(-2, POINTERBASE_END), 42u);
    EXPECT_EQ(file.ReadFile(buffer, 4), 0u); // 2 left: nothing, flags cleared
    EXPECT_EQ(file.GetFilePointer(), 44u);
    uint16_t channels = 7, bits = 7;
    uint32_t rate = 7;
    EXPECT_FALSE(file.GetFormat(channels, bits, rate)); // 14 bytes hold no sample width
    EXPECT_EQ(channels + bits + rate, 21u);             // untouched
    EXPECT_EQ(file.GetChunkSize(CHUNK_BEXT), 0u);
    EXPECT_EQ(file.GetChunkSize(CHUNK_DATA), 2u);
    EXPECT_EQ(file.GetFilePointer(), 42u); // at the body
    EXPECT_FALSE(file.CloseFile());
    EXPECT_EQ(Read("b.wav"), Layout("RIFF|fmt :14|data:2"));
}

// Only CopyFile from an object has callers; the other copies and the data
// operations get one check each.
TEST_F(CStreamTest, CopiesStopAtTheEndOfTheSourceAndAtAFailedWrite) {
    const Bytes samples = Pattern(3000);
    const std::string source = Write("source.wav", Layout("RIFF|fmt :16|data=3000") + samples);
    CBwfFile sourceFile;
    ASSERT_TRUE(sourceFile.OpenFile(source.c_str(), true));
    // Asks for 5000 of the 3000 sample bytes; a piece that would cross the
    // end of the source is not copied.
    for (int kind : {0, 1, 2}) {
        for (bool isReadOnly : {false, true}) {
            CBwfFile file;
            ASSERT_TRUE(
                file.OpenFile(Write("t.wav", Layout("RIFF|fmt :16|data=0")).c_str(), isReadOnly));
            const uint32_t copied = kind == 0   ? file.CopyFile(sourceFile, 5000, 44, 44)
                                    : kind == 1 ? file.CopyFile(source.c_str(), 5000, 44, 44)
                                                : file.CopyData(source.c_str(), 5000, 8, 8);
            EXPECT_EQ(copied, isReadOnly ? 0u : kind == 1 ? 3000u : 2048u) << kind;
            file.CloseFile();
            EXPECT_EQ(Slice(Read("t.wav"), 44, 5000), Slice(samples, 0, copied)) << kind;
        }
    }
    CBwfFile file;
    ASSERT_TRUE(file.OpenFile(source.c_str(), false));
    EXPECT_EQ(file.CopyFile(PathOf("missing.wav").c_str(), 10, 0, 0), 0u);
    unsigned char buffer[5];
    EXPECT_EQ(file.ReadData(buffer, 5, 10), 5u);
    EXPECT_EQ(file.WriteData(buffer, 5, 0) + file.WriteZeroData(100, 20), 105u);
    EXPECT_TRUE(file.CloseFile());
    EXPECT_EQ(Slice(Read(source), 44, 120),
              Slice(samples, 10, 5) + Slice(samples, 5, 15) + Bytes(100));
}

// Small reads go through the stream's buffer, large ones straight into the
// caller's memory, writes behind the caller or into room it hands out: the
// file keeps one position through any mix of them.
TEST_F(CStreamTest, BufferedDirectAndHandedOutTransfersKeepOnePosition) {
    const Bytes original = Pattern(600000, 3);
    const std::string path = Write("big.wav", original);
    Bytes expected = original;
    CBwfFile file;
    file.SetWriteBuffer(1); // the least: hand-overs happen within this test
    ASSERT_TRUE(file.OpenFile(path.c_str(), false));
    Bytes small(100), large(100000);

    EXPECT_EQ(file.SetFilePointer(10), 10u);
    EXPECT_EQ(file.ReadFile(small.data(), 100), 100u);
    EXPECT_EQ(small, Slice(original, 10, 100));
    EXPECT_EQ(file.SeekFile(-50, POINTERBASE_CURRENT), 60u);
    EXPECT_EQ(file.ReadFile(small.data(), 100), 100u);
    EXPECT_EQ(small, Slice(original, 60, 100));
    EXPECT_EQ(file.ReadFile(large.data(), 100000), 100000u); // buffered bytes, then the file
    EXPECT_EQ(large, Slice(original, 160, 100000));
    EXPECT_EQ(file.ReadFile(large.data(), 100000), 100000u);
    EXPECT_EQ(large, Slice(original, 100160, 100000));

    // A write right after a read lands where the reader stands, not where
    // the buffer has read ahead to.
    EXPECT_EQ(file.SetFilePointer(400000), 400000u);
    EXPECT_EQ(file.ReadFile(small.data(), 100), 100u);
    EXPECT_EQ(file.WriteFile("abcd", 4), 4u);
    std::copy_n("abcd", 4, expected.begin() + 400100);
    EXPECT_EQ(file.ReadFile(small.data(), 100), 100u);
    EXPECT_EQ(small, Slice(expected, 400104, 100));

    // A large read past the end reads nothing and leaves the position there.
    EXPECT_EQ(file.SetFilePointer(550000), 550000u);
    EXPECT_EQ(file.ReadFile(large.data(), 100000), 0u);
    EXPECT_EQ(file.GetFilePointer(), 600000u);

    // Room handed out is written where the file stands; room taken beyond
    // what is counted in is overwritten by what follows.
    EXPECT_EQ(file.SetFilePointer(1000), 1000u);
    const Bytes written = Pattern(300010, 5);
    std::size_t at = 0;
    for (uint32_t count : {70000u, 100000u, 10u, 130000u}) {
        if (count == 10) {
            EXPECT_EQ(file.WriteFile(written.data() + at, count), count);
        } else {
            unsigned char* pRoom = file.BeginWriteFile(count + 4);
            ASSERT_NE(pRoom, nullptr);
            std::copy_n(written.begin() + at, count, pRoom);
            std::fill_n(pRoom + count, 4, 0);
            EXPECT_EQ(file.EndWriteFile(count), count);
        }
        at += count;
    }
    std::copy(written.begin(), written.end(), expected.begin() + 1000);
    EXPECT_EQ(file.GetFilePointer(), 301010u);
    EXPECT_EQ(file.ReadFile(small.data(), 100), 100u);
    EXPECT_EQ(small, Slice(expected, 301010, 100));
    EXPECT_TRUE(file.CloseFile());
    Put(expected, 4, 600000 - 8);
    EXPECT_TRUE(SameBytes(Read(path), expected));
}

// Every open file's full buffers are written by threads shared by the whole
// process, with the waiting callers helping: two callers writing a dozen
// files each, in turns, still get every file's bytes in order, and a file
// whose writes fail fails alone.
TEST_F(CStreamTest, FilesWrittenAtOnceThroughSharedWritersKeepTheirOwnOrder) {
    constexpr int FILES = 12;
    constexpr std::size_t PIECE = 37003, ROUNDS = 40;
    auto name = [&](int caller, int i) {
        return PathOf("w" + std::to_string(caller) + "_" + std::to_string(i) + ".wav");
    };
    auto piece = [](int caller, int i, std::size_t round) {
        return Pattern(PIECE, unsigned(caller * 1000 + i * 50 + round));
    };
    auto writeMany = [&](int caller, bool& isOk) {
        CBwfFile files[FILES];
        for (int i = 0; i < FILES; ++i) {
            isOk = isOk && files[i].CreateBlankFile(name(caller, i).c_str());
        }
        for (std::size_t round = 0; round < ROUNDS && isOk; ++round) {
            for (int i = 0; i < FILES; ++i) {
                isOk = isOk && files[i].WriteFile(piece(caller, i, round).data(), PIECE) == PIECE;
            }
        }
        for (CBwfFile& file : files) {
            isOk = file.CloseFile() && isOk;
        }
    };
    bool isOk[2] = {true, true};
#ifndef _WIN32
    // Writes to /dev/full fail (ENOSPC) while the others go on.
    CBwfFile full;
    std::error_code error;
    fs::create_symlink("/dev/full", PathOf("full.wav"), error);
    const bool isFull = !error && full.CreateBlankFile(PathOf("full.wav").c_str());
    for (int i = 0; i < 8 && isFull; ++i) {
        full.WriteFile(piece(2, 0, 0).data(), PIECE);
    }
#endif
    std::thread other(writeMany, 1, std::ref(isOk[1]));
    writeMany(0, isOk[0]);
    other.join();
    ASSERT_TRUE(isOk[0] && isOk[1]);
    for (int caller : {0, 1}) {
        for (int i = 0; i < FILES; ++i) {
            Bytes expected;
            for (std::size_t round = 0; round < ROUNDS; ++round) {
                expected = std::move(expected) + piece(caller, i, round);
            }
            Put(expected, 4, uint32_t(expected.size() - 8)); // closing writes the RIFF size
            EXPECT_TRUE(SameBytes(Read(name(caller, i)), expected)) << name(caller, i);
        }
    }
#ifndef _WIN32
    if (isFull) {
        EXPECT_FALSE(full.CloseFile());
        EXPECT_EQ(full.GetLastError().code, ENOSPC);
    }
#endif
}
