// Byte order, stream primitives with their sticky error flags, chunk editing
// and copying.

#include "CTestFiles.h"

#include <climits>
#include <cstring>

namespace {

// Bytes that differ from their neighbours, so that an offset error shows.
Bytes Pattern(size_t count) {
    Bytes bytes(count);
    for (size_t i = 0; i < count; ++i) {
        bytes[i] = uint8_t(i % 251);
    }
    return bytes;
}

template <typename T> Bytes MemoryOf(T value) {
    CBwfFile::DecToBin(value);
    Bytes bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

} // namespace

class CStreamTest : public CTempFolderTest {
protected:
    // RIFF, "fmt " and a "data" chunk holding the first bytes of the pattern.
    std::string WriteWave(const std::string& name, uint32_t samples) {
        return Write(
            name, Layout("RIFF|fmt :16|data=" + std::to_string(samples)).Append(Pattern(samples)));
    }
    Bytes SamplesOf(const std::string& name) {
        Bytes bytes = Read(name);
        return Bytes(bytes.begin() + 44, bytes.end());
    }
};

TEST(CByteOrderTest, NumbersAreLittleEndianWhateverTheirRange) {
    EXPECT_EQ(MemoryOf<uint32_t>(0x123456), (Bytes{0x56, 0x34, 0x12, 0}));
    EXPECT_EQ(MemoryOf<uint16_t>(0x0102), (Bytes{0x02, 0x01}));
    EXPECT_EQ(MemoryOf<int32_t>(-2), (Bytes{0xFE, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(MemoryOf<int32_t>(INT32_MIN), (Bytes{0, 0, 0, 0x80}));
    const unsigned char bytes[6] = {0x78, 0x56, 0x34, 0x12, 0x01, 0x80};
    EXPECT_EQ(CBwfFile::BinToDec(bytes, 4), 0x12345678u);
    EXPECT_EQ(CBwfFile::BinToDec(bytes + 4, 2), 0x8001u);
}

TEST_F(CStreamTest, ReadWriteAndSeekShareOnePosition) {
    CBwfFile file;
    ASSERT_TRUE(file.CreateBlankFile(PathOf("a.wav").c_str()));
    EXPECT_EQ(file.GetFileSize(), 0u);
    EXPECT_EQ(file.GetFilePointer(), 0u);
    EXPECT_EQ(file.WriteFile(Pattern(5000).data(), 5000), 5000u);
    EXPECT_EQ(file.WriteFile(uint16_t(0x0102)) + file.WriteFile(uint32_t(0x03040506)), 6u);
    EXPECT_EQ(file.WriteZeroFile(0) + file.WriteZeroFile(3000), 3000u);
    EXPECT_EQ(file.GetFileSize(), 8006u);
    EXPECT_EQ(file.SeekFile(4990, POINTERBASE_BEGIN), 4990u);
    EXPECT_EQ(file.SeekFile(9, POINTERBASE_CURRENT), 4999u);
    EXPECT_EQ(file.SeekFile(3, POINTERBASE(7)), 0u);
    uint64_t position = 0;
    EXPECT_EQ(file.GetFilePointer(position), 4999u);
    EXPECT_EQ(position, 4999u);
    unsigned char buffer[100] = {};
    EXPECT_EQ(file.ReadFile(buffer, 0), 0u);
    EXPECT_EQ(file.ReadFile(buffer, 9), 9u);
    EXPECT_EQ(Bytes(buffer, buffer + 9), (Bytes{Pattern(5000)[4999], 2, 1, 6, 5, 4, 3, 0, 0}));
    EXPECT_EQ(file.SeekFile(-40, POINTERBASE_END), 7966u);
    EXPECT_EQ(file.ReadFile(buffer, 100), 0u); // 40 left: nothing, flags cleared
    EXPECT_EQ(file.GetFilePointer(), 8006u);
}

TEST_F(CStreamTest, ErrorFlagsStickUntilAWalkOrAFailedReadClearsThem) {
    CBwfFile file;
    ASSERT_TRUE(file.OpenFile(WriteWave("a.wav", 40).c_str(), false));
    const Bytes before = Read("a.wav");
    EXPECT_EQ(file.SeekFile(-1, POINTERBASE_BEGIN), NO_POINTER);
    unsigned char buffer[64];
    EXPECT_EQ(file.WriteFile(buffer, 4), 0u);
    EXPECT_EQ(file.WriteFile(uint32_t(1)), 0u);
    EXPECT_EQ(file.WriteZeroFile(4), 0u);
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

    ASSERT_TRUE(file.OpenFile(Write("b.wav", Layout("RIFF|data:2")).c_str(), true));
    uint16_t channels = 7, bits = 7;
    uint32_t rate = 7;
    EXPECT_FALSE(file.GetFormat(channels, bits, rate));
    EXPECT_EQ(channels + bits + rate, 21u); // untouched
}

TEST_F(CStreamTest, ChunksAreLaidOutHeaderFirstAndSizedAfterwards) {
    CBwfFile file;
    ASSERT_TRUE(file.CreateBlankFile(PathOf("a.wav").c_str()));
    ASSERT_TRUE(file.CreateChunk(CHUNK_RIFF, 0));
    EXPECT_EQ(file.GetFilePointer(), 12u);
    for (uint32_t kind : {CHUNK_LIST, 0u, 0x0003u}) {
        EXPECT_FALSE(file.CreateChunk(kind, 0)) << kind;
    }
    EXPECT_EQ(file.WriteFile("fmt ", 4), 4u);
    EXPECT_TRUE(file.SetFormat(2, 24, 48000));
    EXPECT_TRUE(file.CreateChunk(CHUNK_DATA, 0));
    EXPECT_EQ(file.WriteFile("\1\2\3\4", 4), 4u);
    EXPECT_TRUE(file.SetChunkSize(CHUNK_DATA, 4));
    EXPECT_EQ(file.GetFilePointer(), 44u);
    EXPECT_FALSE(file.SetChunkSize(CHUNK_BEXT, 4));
    EXPECT_EQ(file.GetChunkSize(CHUNK_BEXT), 0u);
    EXPECT_EQ(file.GetChunkSize(CHUNK_DATA), 4u);
    EXPECT_EQ(file.GetFilePointer(), 44u);
    uint16_t channels = 0, bits = 0;
    uint32_t rate = 0;
    EXPECT_TRUE(file.GetFormat(channels, bits, rate));
    EXPECT_EQ(std::vector<uint32_t>({channels, bits, rate}), std::vector<uint32_t>({2, 24, 48000}));
    EXPECT_TRUE(file.CloseFile());
    CBytes expected = Layout("RIFF=40|WAVE|fmt =16");
    expected.U32(0x00020001).U32(48000).U32(288000).U32(0x00180006); // 2 x 24 bit, 48 kHz
    EXPECT_EQ(Read("a.wav"), expected.Text("data").U32(4).Text("\1\2\3\4").Data());
}

TEST_F(CStreamTest, DataOperationsCountFromTheFirstSampleByte) {
    CBwfFile file;
    ASSERT_TRUE(file.OpenFile(WriteWave("a.wav", 40).c_str(), false));
    Bytes expected = Pattern(5000);
    unsigned char buffer[5];
    EXPECT_EQ(file.ReadData(buffer, 5, 10), 5u);
    EXPECT_EQ(Bytes(buffer, buffer + 5), Bytes(&expected[10], &expected[15]));
    EXPECT_EQ(file.WriteData(expected.data(), 5000, 0), 5000u);
    EXPECT_EQ(file.WriteZeroData(100, 20), 100u);
    EXPECT_EQ(file.GetChunkSize(CHUNK_DATA), 40u);
    EXPECT_TRUE(file.CloseFile());
    std::fill(expected.begin() + 20, expected.begin() + 120, 0);
    EXPECT_EQ(SamplesOf("a.wav"), expected);
}

TEST_F(CStreamTest, CopiesStopAtTheEndOfTheSourceAndAtAFailedWrite) {
    const std::string source = WriteWave("source.wav", 3000);
    CBwfFile sourceFile;
    ASSERT_TRUE(sourceFile.OpenFile(source.c_str(), true));
    // Asks for 5000 of the 3000 sample bytes and checks what arrived.
    auto copy = [&](int kind, bool isReadOnly) {
        CBwfFile target;
        EXPECT_TRUE(target.OpenFile(WriteWave("target.wav", 0).c_str(), isReadOnly));
        uint32_t copied = kind == 0   ? target.CopyData(source.c_str(), 5000, 8, 8)
                          : kind == 1 ? target.CopyFile(source.c_str(), 5000, 44, 44)
                                      : target.CopyFile(sourceFile, 5000, 44, 44);
        target.CloseFile();
        EXPECT_EQ(SamplesOf("target.wav"), Pattern(copied));
        return copied;
    };
    // A piece that would cross the end of the source is not copied.
    EXPECT_EQ(copy(0, false), 2048u);
    EXPECT_EQ(copy(1, false), 3000u);
    EXPECT_EQ(copy(2, false), 2048u);
    for (int kind : {0, 1, 2}) {
        EXPECT_EQ(copy(kind, true), 0u) << kind;
    }
    CBwfFile target;
    ASSERT_TRUE(target.OpenFile(WriteWave("target.wav", 0).c_str(), false));
    EXPECT_EQ(target.CopyData(PathOf("missing.wav").c_str(), 10, 8, 8), 0u);
    EXPECT_EQ(target.CopyFile(PathOf("missing.wav").c_str(), 10, 0, 0), 0u);
}
