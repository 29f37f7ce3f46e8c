// RF64 and BW64 files: sizes from "ds64" on the read side, the RF64 header,
// "ds64" and 64-bit sizes on the write side.

#include "CBwfFile.h"
#include "CTestKit.h"

#include <tuple>

namespace {

using Entries = std::vector<std::pair<std::string, uint64_t>>;
// Identifier, position, size field, real size.
using Items = std::vector<std::tuple<std::string, uint64_t, uint32_t, uint64_t>>;

Bytes U64(uint64_t value) {
    return U32(uint32_t(value)) + U32(uint32_t(value >> 32));
}
uint64_t Le64(const Bytes& bytes, std::size_t at) {
    return Le(bytes, at) | uint64_t(Le(bytes, at + 4)) << 32;
}
Bytes Ds64(uint64_t riffSize, uint64_t dataSize, uint64_t sampleCount, const Entries& table = {},
           int64_t tableLength = -1) {
    Bytes body = U64(riffSize) + U64(dataSize) + U64(sampleCount) +
                 U32(tableLength >= 0 ? uint32_t(tableLength) : uint32_t(table.size()));
    for (const auto& [id, size] : table) {
        body = body + Text(id) + U64(size);
    }
    return Chunk("ds64", body);
}
// The header, then the chunks; riffSize 0 is replaced by the file length - 8.
Bytes Rf64(const std::string& form, const Bytes& chunks) {
    Bytes file = Text(form) + U32(0xFFFFFFFF) + Text("WAVE") + chunks;
    if (file.size() >= 28 && Slice(file, 12, 4) == Text("ds64") && Le64(file, 20) == 0) {
        const Bytes riffSize = U64(file.size() - 8);
        std::copy(riffSize.begin(), riffSize.end(), file.begin() + 20);
    }
    return file;
}
Bytes Header(const std::string& id, uint32_t size) {
    return Text(id) + U32(size);
}

// ds64 (40 + 8) at 12, "fmt " at 60, "big " (6 bytes in the table) at 84,
// "data" (1000) at 98, "cue " at 1106, "xtra" at 1118.
const Bytes g_data = Pattern(1000);
Bytes Sample(const std::string& form) {
    return Rf64(form, Ds64(0, 1000, 250, {{"big ", 6}}) + Chunk("fmt ", FmtBody(1, 2, 16, 48000)) +
                          Header("big ", 0xFFFFFFFF) + Text("bigbig") + Header("data", 0xFFFFFFFF) +
                          g_data + Chunk("cue ", U32(0)) + Chunk("xtra", Text("xy")));
}

} // namespace

class CRf64Test : public CTempFolderTest {
protected:
    void Open(const Bytes& bytes, bool isReadOnly = true) {
        m_file.CloseFile();
        ASSERT_TRUE(m_file.OpenFile(Write("a.wav", bytes).c_str(), isReadOnly));
    }
    // The chunks as EnumChunkList lists them, the walk's items alike.
    Items ChunkList() {
        std::vector<CBwfFile::_CHUNKENTRY> list;
        m_file.EnumChunkList(list);
        Items items, walked;
        for (const auto& entry : list) {
            items.emplace_back(std::string(entry.chunk.id, 4), entry.pointer, entry.chunk.size,
                               entry.realSize);
        }
        m_file.WalkChunks(12, [&](const CBwfFile::_CHUNKITEM& item) {
            walked.emplace_back(std::string(item.chunk.id, 4), item.pointer, item.chunk.size,
                                item.realSize);
            return true;
        });
        EXPECT_EQ(walked, items);
        return items;
    }
    Entries Undefined() {
        Entries found;
        m_file.EnumUndefineChunk([&](const CBwfFile::_CHUNK& chunk, uint64_t at) {
            found.emplace_back(std::string(chunk.id, 4), at);
            return true;
        });
        return found;
    }
    std::string Problem() {
        std::string problem = "unchanged";
        const bool isProblem = m_file.GetDs64Problem(problem);
        EXPECT_EQ(isProblem, !problem.empty());
        return problem;
    }

    CBwfFile m_file;
};

TEST_F(CRf64Test, SizesOfSizeFieldsSetToAllOnesComeFromDs64) {
    for (const auto& [form, expected] :
         {std::pair<std::string, FORM>{"RF64", FORM_RF64}, {"BW64", FORM_BW64}}) {
        SCOPED_TRACE(form);
        const Bytes bytes = Sample(form);
        Open(bytes);
        EXPECT_EQ(m_file.GetForm(), expected);
        EXPECT_EQ(Problem(), "");
        const Items items = {{"ds64", 12, 40, 40},        {"fmt ", 60, 16, 16},
                             {"big ", 84, 0xFFFFFFFF, 6}, {"data", 98, 0xFFFFFFFF, 1000},
                             {"cue ", 1106, 4, 4},        {"xtra", 1118, 2, 2}};
        EXPECT_EQ(ChunkList(), items);
        EXPECT_EQ(m_file.EnumExistChunk(), CHUNK_RIFF | CHUNK_FMT | CHUNK_DATA | CHUNK_CUE);
        EXPECT_TRUE(m_file.MoveChunk(CHUNK_CUE, 0)); // found behind the samples
        EXPECT_EQ(m_file.GetFilePointer(), 1106u);
        EXPECT_EQ(m_file.GetChunkSize(CHUNK_DATA), 0xFFFFFFFFu);
        EXPECT_EQ(m_file.GetChunkSize64(CHUNK_DATA), 1000u);
        EXPECT_EQ(m_file.GetFilePointer(), 98u + 8); // at the body, as GetChunkSize leaves it
        EXPECT_EQ(m_file.GetChunkSize64(CHUNK_RIFF), bytes.size() - 8);
        EXPECT_EQ(m_file.GetSampleCount64(), 250u);
        // "ds64" is never an undefined chunk; a chunk sized by the table is.
        EXPECT_EQ(Undefined(), (Entries{{"big ", 84}, {"xtra", 1118}}));
        unsigned char samples[8];
        ASSERT_EQ(m_file.ReadData(samples, 8, 992), 8u);
        EXPECT_EQ(Bytes(samples, samples + 8), Slice(g_data, 992, 8));
        // Another file's samples are found through its own "ds64".
        CBwfFile copy;
        ASSERT_TRUE(copy.CreateBlankFile(PathOf("b.wav").c_str()));
        ASSERT_TRUE(copy.CreateChunk(CHUNK_RIFF, 0) && copy.CreateChunk(CHUNK_DATA, 1000));
        EXPECT_EQ(copy.CopyData(PathOf("a.wav").c_str(), 1000, 8, 8), 1000u);
        ASSERT_TRUE(copy.CloseFile());
        EXPECT_EQ(Body(Read("b.wav"), "data"), g_data);
    }
    // Plain files: the form, and real sizes equal to the fields.
    Open(Layout("RIFF|ds64:28|JUNK:2|fmt :16|data:4"));
    EXPECT_EQ(m_file.GetForm(), FORM_RIFF);
    EXPECT_EQ(Problem(), "");
    EXPECT_EQ(m_file.GetChunkSize64(CHUNK_DATA), 4u);
    EXPECT_EQ(
        ChunkList(),
        (Items{
            {"ds64", 12, 28, 28}, {"JUNK", 48, 2, 2}, {"fmt ", 58, 16, 16}, {"data", 82, 4, 4}}));
    EXPECT_EQ(Undefined(), (Entries{{"JUNK", 48}}));
    for (const char* header : {"RIFX", "RF6", "rf64"}) {
        Open(Layout(header));
        EXPECT_EQ(m_file.GetForm(), FORM_NONE) << header;
        EXPECT_EQ(Problem(), "");
    }
}

TEST_F(CRf64Test, HostileDs64ChunksAreReportedAndWalkedWithinTheFile) {
    const Bytes fmt = Chunk("fmt ", FmtBody(1, 1, 16, 8000));
    const Bytes tail = fmt + Header("data", 0xFFFFFFFF) + Pattern(40) + Chunk("iXML", Text("<x/>"));
    Entries seventeen(17, {"big ", 2});
    // The file, the problem (its head), the chunks listed and the last one's real size.
    const std::tuple<Bytes, std::string, size_t, uint64_t> cases[] = {
        {Rf64("RF64", tail), "the ds64 chunk is missing", 2, 0xFFFFFFFF},
        {Rf64("BW64", Chunk("ds64", Bytes(20)) + tail), "the ds64 chunk is 20 bytes", 3,
         0xFFFFFFFF},
        {Rf64("RF64", Header("ds64", 28) + U64(0)), "the ds64 chunk runs past the end", 1, 28},
        {Rf64("RF64", Ds64(0, uint64_t(1) << 40, 20) + tail),
         "ds64 gives a data size of 1099511627776", 3, uint64_t(1) << 40},
        {Rf64("RF64", Ds64(0, ~uint64_t(0), 20) + tail),
         "ds64 gives a data size of 18446744073709551615", 3, ~uint64_t(0)},
        {Rf64("RF64", Ds64(1000, 40, 20) + tail), "ds64 gives a RIFF size of 1000", 4, 4},
        {Rf64("RF64", Ds64(0, 40, 20, {}, 0xFFFFFFFF) + tail),
         "the ds64 table of 4294967295 entries", 4, 4},
        {Rf64("RF64", Ds64(0, 40, 20, seventeen) + tail), "the ds64 table has 17 entries", 4, 4},
        {Rf64("RF64",
              Ds64(0, 40, 20, {{"big ", uint64_t(1) << 63}}) + Header("big ", 0xFFFFFFFF) + tail),
         "ds64 gives \"big \" a size of 9223372036854775808", 2, uint64_t(1) << 63},
        // No table entry for a chunk whose size is in "ds64": the walk ends there.
        {Rf64("RF64", Ds64(0, 40, 20) + Header("big ", 0xFFFFFFFF) + tail), "", 2, 0xFFFFFFFF},
    };
    for (const auto& [bytes, problem, count, lastSize] : cases) {
        SCOPED_TRACE(problem);
        Open(bytes);
        const std::string found = Problem();
        EXPECT_TRUE(found.rfind(problem, 0) == 0 && found.empty() == problem.empty()) << found;
        const Items items = ChunkList();
        ASSERT_EQ(items.size(), count);
        EXPECT_EQ(std::get<3>(items.back()), lastSize);
        EXPECT_FALSE(m_file.MoveChunk("zzzz", 0));
        EXPECT_EQ(m_file.GetFilePointer(), bytes.size());
        EXPECT_EQ(m_file.EnumExistChunk() & CHUNK_RIFF, CHUNK_RIFF);
        Undefined();
        EXPECT_FALSE(m_file.GetLastError().isShortRead); // nothing read outside the file
    }
}

TEST_F(CRf64Test, WritersLayOutRf64WithDs64AndKeepRiffAsItWas) {
    const Bytes fmt = FmtBody(1, 2, 16, 48000);
    const Bytes riff = Riff(Chunk("fmt ", fmt) + Chunk("data", g_data));
    const Bytes rf64 =
        Rf64("RF64", Ds64(0, 1000, 250) + Chunk("fmt ", fmt) + Header("data", 0xFFFFFFFF) + g_data);
    // Each writer as the jobs will use it: RF64 only past the limit.
    for (uint64_t limit : {RIFF_FILE_MAX, uint64_t(riff.size()), uint64_t(riff.size() - 1)}) {
        SCOPED_TRACE(limit);
        CBwfFile file;
        file.SetRf64Limit(limit);
        ASSERT_TRUE(file.CreateTempFile(PathOf("a.wav").c_str()));
        ASSERT_TRUE(file.CreateRiffHeader(file.IsRf64Size(riff.size())));
        ASSERT_TRUE(file.CreateChunk(CHUNK_FMT, 16) && file.WriteFile(fmt.data(), 16) == 16);
        ASSERT_TRUE(file.CreateChunk(CHUNK_DATA, 0));
        ASSERT_EQ(file.WriteFile(g_data.data(), 999), 999u);
        ASSERT_TRUE(file.SetDataSize64(1000, 250));
        ASSERT_EQ(file.WriteFile(g_data.data() + 999, 1), 1u); // behind the last, as before
        ASSERT_TRUE(file.CommitFile());
        EXPECT_TRUE(SameBytes(Read("a.wav"), limit < riff.size() ? rf64 : riff));
    }
    CBwfFile file; // by default, RF64 only past what RIFF sizes describe
    EXPECT_TRUE(!file.IsRf64Size(RIFF_FILE_MAX) && file.IsRf64Size(RIFF_FILE_MAX + 1));
    // The RIFF header is CreateChunk's; a plain data size must fit 32 bits.
    ASSERT_TRUE(file.CreateBlankFile(PathOf("b.wav").c_str()));
    ASSERT_TRUE(file.CreateRiffHeader(false) && file.CreateChunk(CHUNK_DATA, 7));
    EXPECT_FALSE(file.SetDataSize64(uint64_t(1) << 32, 0));
    EXPECT_EQ(file.GetFilePointer(), 20u);
    ASSERT_TRUE(file.CloseFile());
    EXPECT_EQ(Read("b.wav"), Layout("RIFF=12|WAVE|data=7"));
    // A writable open of an RF64 file keeps its form on closing.
    Open(rf64, false);
    m_file.SetFilePointer(rf64.size());
    ASSERT_EQ(m_file.WriteFile("abcd", 4), 4u);
    ASSERT_TRUE(m_file.CloseFile());
    const Bytes grown = Read("a.wav");
    EXPECT_EQ(Slice(grown, 4, 4), U32(0xFFFFFFFF));
    EXPECT_EQ(Le64(grown, 20), grown.size() - 8);
    // Without its "ds64" an RF64 file takes no data size.
    Open(Rf64("RF64", Chunk("data", Bytes(4))), false);
    EXPECT_FALSE(m_file.SetDataSize64(4, 1));
}

// A chunk behind samples past 4 GiB, in sparse files: a RIFF file keeps the
// low 32 bits of its size, an RF64 file's sizes come from "ds64".
TEST_F(CRf64Test, ChunksPastFourGigabytesAreWrittenAndFound) {
    for (bool isRf64 : {false, true}) {
        SCOPED_TRACE(isRf64);
        const uint64_t dataSize = isRf64 ? (uint64_t(5) << 30) + 2 : 0xFFFFFFFE;
        const uint64_t end = (isRf64 ? 56 : 20) + dataSize;
        CBwfFile file;
        ASSERT_TRUE(file.CreateBlankFile(PathOf("a.wav").c_str()));
        ASSERT_TRUE(file.CreateRiffHeader(isRf64) && file.CreateChunk(CHUNK_DATA, 0));
        ASSERT_TRUE(file.CloseFile());
        std::error_code error;
        fs::resize_file(PathOf("a.wav"), end, error); // sparse: no disk space, no time
        if (error) {
            GTEST_SKIP() << "no sparse file: " << error.message();
        }
        ASSERT_TRUE(file.OpenFile(PathOf("a.wav").c_str(), false));
        ASSERT_TRUE(file.SetDataSize64(dataSize, dataSize / 2));
        ASSERT_EQ(file.SetFilePointer(end), end);
        ASSERT_TRUE(file.CreateChunk(CHUNK_IXML, 4));
        ASSERT_EQ(file.WriteFile("<x/>", 4), 4u);
        ASSERT_TRUE(file.CloseFile());
        ASSERT_TRUE(file.OpenFile(PathOf("a.wav").c_str(), true));
        std::string problem;
        EXPECT_FALSE(file.GetDs64Problem(problem)) << problem;
        EXPECT_EQ(file.GetChunkSize64(CHUNK_RIFF), isRf64 ? end + 4 : uint32_t(end + 4));
        EXPECT_EQ(file.GetChunkSize64(CHUNK_DATA), dataSize);
        EXPECT_EQ(file.GetSampleCount64(), isRf64 ? dataSize / 2 : 0);
        EXPECT_EQ(file.EnumExistChunk(), CHUNK_RIFF | CHUNK_DATA | CHUNK_IXML);
        EXPECT_TRUE(file.MoveChunk(CHUNK_IXML, 0));
        EXPECT_EQ(file.GetFilePointer(), end);
        EXPECT_EQ(file.GetChunkSize(CHUNK_IXML), 4u);
    }
}
