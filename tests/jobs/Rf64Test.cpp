// RF64 in both directions: sources and monos whose sizes are in "ds64", and
// outputs that switch to the RF64 layout past the writers' limit, lowered
// here so that the layout shows on small files.

#include "CJobFiles.h"

#include <cstdlib>

namespace {

Bytes U64(uint64_t value) {
    return U32(uint32_t(value)) + U32(uint32_t(value >> 32));
}

// The RF64 form of a RIFF output: "ds64" after the header, the "data" size
// in it, and a "pad " chunk shorter by the 36 bytes of "ds64" (or, without
// one, everything 36 bytes later).
Bytes ToRf64(const Bytes& riff, uint32_t align) {
    const CHUNKAT pad = Find(riff, "pad"), data = Find(riff, "data");
    Bytes body = Slice(riff, 12, (pad.id == "pad" ? pad.pointer : data.pointer) - 12);
    if (pad.id == "pad") {
        body = body + Chunk("pad ", Bytes(pad.size - 36));
    }
    body = body + Text("data") + U32(0xFFFFFFFF) + Slice(riff, data.pointer + 8, riff.size());
    const Bytes ds64 = Text("ds64") + U32(28) + U64(body.size() + 4 + 36) + U64(data.size) +
                       U64(data.size / align) + U32(0);
    return Text("RF64") + U32(0xFFFFFFFF) + Text("WAVE") + ds64 + body;
}

// An RF64 (or BW64) file built by hand: "ds64" with a table entry for its
// "Tail" chunk, whose size field, like that of "data", says 0xFFFFFFFF; the
// "Tail" after the samples, or before them. As "RIFF", the same bytes with a
// "JUNK" chunk for "ds64" and the sizes in their fields.
Bytes Source(const std::string& form, const Bytes& fmt, const Bytes& before, const Bytes& samples,
             bool isTailFirst = false) {
    const bool isRiff = form == "RIFF";
    const uint32_t dataSize = uint32_t(samples.size());
    const Bytes tail = Text("Tail") + U32(isRiff ? 5 : 0xFFFFFFFF) + Pattern(5, 4) + Bytes(1);
    const Bytes data =
        Text("data") + U32(isRiff ? dataSize : 0xFFFFFFFF) + samples + Bytes(dataSize % 2);
    const Bytes rest = Chunk("fmt ", fmt) + before + (isTailFirst ? tail + data : data + tail);
    const uint64_t riffSize = 4 + 8 + 40 + rest.size();
    const Bytes ds64 = Text(isRiff ? "JUNK" : "ds64") + U32(40) + U64(riffSize) + U64(dataSize) +
                       U64(dataSize / (Le(fmt, 12) & 0xFFFF)) + U32(1) + Text("Tail") + U64(5);
    return Text(form) + U32(isRiff ? uint32_t(riffSize) : 0xFFFFFFFF) + Text("WAVE") + ds64 + rest;
}

} // namespace

TEST_F(CJobTest, SplitWritesRf64OnlyPastTheLimit) {
    Write("T.wav", Wave(FmtBody(1, 2, 16, 48000), Chunk("bext", Pattern(858, 2)),
                        Pattern(2 * 2 * 3000, 1), Chunk("Tail", Pattern(9, 3))));
    CTestHost host;
    ASSERT_EQ(Split(host, {{"T.wav", {1, 2}}}), JOBRESULT_DONE);
    const Bytes riff = Read("out/T/T_2.wav");
    ASSERT_EQ(Find(riff, "data").pointer + 8, 32768u);
    for (uint64_t limit : {uint64_t(riff.size()), uint64_t(riff.size() - 1)}) {
        SCOPED_TRACE(limit);
        ClearOut();
        ASSERT_EQ(Split(host, {{"T.wav", {1, 2}}}, limit), JOBRESULT_DONE);
        const Bytes mono = Read("out/T/T_2.wav");
        EXPECT_TRUE(SameBytes(mono, limit < riff.size() ? ToRf64(riff, 2) : riff));
    }
}

TEST_F(CJobTest, MergeWritesRf64OnlyPastTheLimit) {
    // A lead with its own "bext", so that no date of today is written.
    const Bytes bext = Chunk("bext", Pattern(858, 2));
    const struct {
        int mode;
        uint32_t fake; // an undefined chunk of the lead, ahead of the samples in mode 0
        uint64_t firstSample, rf64FirstSample;
    } cases[] = {
        {0, 0, 32768, 32768},
        {2, 0, 4096, 4096},
        {2, 3000, 4096, 4096},
        // No room for a "pad " chunk: the samples 36 bytes later.
        {0, 20358, 32762, 32762 + 36},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.fake);
        fs::remove_all(PathOf("in"));
        const Bytes fake = t.fake != 0 ? Chunk("Fake", Pattern(t.fake, 7)) : Bytes();
        Write("in/T_1.wav", Wave(FmtBody(1, 1, 24, 48000), bext + fake, Pattern(3 * 5000, 1)));
        Write("in/T_3.wav", Wave(FmtBody(1, 1, 24, 48000), {}, Pattern(3 * 4000, 3)));
        auto merge = [&](uint64_t limit) {
            ClearOut();
            CTestHost host;
            EXPECT_EQ(Merge(host, "in", "T", {1, 3}, t.mode, limit, {}, true), JOBRESULT_DONE);
            return Read("out/T.wav");
        };
        const Bytes riff = merge(RIFF_FILE_MAX), rf64 = merge(riff.size() - 1);
        EXPECT_EQ(Find(riff, "data").pointer + 8, t.firstSample);
        EXPECT_TRUE(SameBytes(merge(riff.size()), riff));
        EXPECT_TRUE(SameBytes(rf64, ToRf64(riff, 9)));
        EXPECT_EQ(FindIn(Rf64Chunks(rf64), "data").pointer + 8, t.rf64FirstSample);
    }
}

TEST_F(CJobTest, Rf64AndBw64SourcesAreSplitAndMerged) {
    const Bytes fmt = FmtBody(1, 2, 16, 44100);
    const Bytes samples = Pattern(2 * 2 * 700, 5);
    for (const char* form : {"RF64", "BW64"}) {
        SCOPED_TRACE(form);
        ClearOut();
        fs::create_directories(PathOf("out/a"));
        fs::create_directories(PathOf("out/b"));
        const Bytes junk = Chunk("JUNK", Pattern(100, 6));
        const Bytes rf64 = Source(form, fmt, junk, samples);
        Write("in/T.wav", rf64);
        Write("riff/T.wav", Source("RIFF", fmt, junk, samples));
        CTestHost host;
        // As RIFF monos: exactly those of the same file in RIFF with a "JUNK"
        // for its "ds64", and the "Tail" chunk's size in its field.
        ASSERT_EQ(Split(host, {{"in/T.wav", {1, 2}}}, RIFF_FILE_MAX, "out/a"), JOBRESULT_DONE);
        ASSERT_EQ(Split(host, {{"riff/T.wav", {1, 2}}}, RIFF_FILE_MAX, "out/b"), JOBRESULT_DONE);
        EXPECT_TRUE(host.m_arrayError.empty());
        const Bytes mono = Read("out/a/T/T_1.wav");
        EXPECT_TRUE(SameBytes(mono, Read("out/b/T/T_1.wav")));
        // As RF64 monos: their own "ds64", then the source's table as "JUNK",
        // so the offsets stay.
        ClearOut();
        ASSERT_EQ(Split(host, {{"in/T.wav", {1, 2}}}, 1000), JOBRESULT_DONE);
        const Bytes rf64Mono = Read("out/T/T_1.wav");
        EXPECT_TRUE(SameBytes(Slice(rf64Mono, 48, 12), Text("JUNK") + U32(4) + Slice(rf64, 56, 4)));
        EXPECT_EQ(Slice(rf64Mono, 60, 8), Slice(rf64, 60, 8)); // "fmt " where it was
        EXPECT_EQ(Le64(rf64Mono, 28), 2048u);
        const std::vector<CHUNKAT> chunks = Rf64Chunks(rf64Mono);
        ASSERT_FALSE(chunks.empty());
        EXPECT_EQ(chunks.back().id, "Tail");
        EXPECT_EQ(Find(mono, "data").pointer, chunks[5].pointer); // behind "pad "
        EXPECT_EQ(chunks[5].id + chunks[4].id, "datapad");

        // An RF64 lead: its "ds64" is not carried, its sizes are used.
        fs::remove_all(PathOf("takes"));
        const Bytes monoFmt = FmtBody(1, 1, 16, 44100);
        const Bytes lead =
            Source(form, monoFmt, Chunk("Fake", Pattern(6, 8)), Pattern(1400, 1), true);
        Write("takes/T_1.wav", lead);
        Write("takes/T_2.wav", Wave(monoFmt, {}, Pattern(1400, 2)));
        ClearOut();
        ASSERT_EQ(Merge(host, "takes", "T", {1, 2}, 1), JOBRESULT_DONE);
        const Bytes poly = Read("out/T.wav");
        EXPECT_EQ(Order(poly), "bext fmt pad data cue plst LIST Fake Tail");
        EXPECT_EQ(Body(poly, "Tail"), Pattern(5, 4));
        EXPECT_EQ(Find(poly, "data").size, 4096u);
        EXPECT_EQ(Slice(poly, 32768, 4), Slice(lead, 120, 2) + Pattern(2, 2));
    }
}

// A real output past 4 GiB: a merge of a sparse mono of 4 GiB. It writes
// 4 GiB (about 17 s on the development machine's disk); it is skipped when
// there is no room for that, or when KESTRAWAVE_SKIP_LARGE_TESTS is set.
TEST_F(CJobTest, AMonoOf4GiBIsMergedIntoAnRf64File) {
    if (std::getenv("KESTRAWAVE_SKIP_LARGE_TESTS") != nullptr) {
        GTEST_SKIP() << "KESTRAWAVE_SKIP_LARGE_TESTS is set";
    }
    const uint64_t dataSize = 0xFFFFFF00ull;
    std::error_code error;
    const fs::space_info space = fs::space(m_pathFolder, error);
    if (error || space.available < dataSize + (uint64_t(1) << 30)) {
        GTEST_SKIP() << "not enough free space for 4 GiB";
    }
    const Bytes head = Wave(FmtBody(1, 1, 16, 48000), {}, {}, {}, uint32_t(dataSize));
    fs::resize_file(Write("in/T_1.wav", head), head.size() + dataSize, error); // sparse
    if (error) {
        GTEST_SKIP() << "no sparse file: " << error.message();
    }
    CTestHost host;
    ASSERT_EQ(
        CMonoToPolyJob({"T", {1}, PathOf("in"), PathOf("out"), 2, {}}).Run(host, host.m_isCancel),
        JOBRESULT_DONE);
    EXPECT_TRUE(host.m_arrayError.empty());
    const std::string path = PathOf("out/T.wav");
    std::ifstream file(path, std::ios::binary);
    Bytes header(64);
    file.read(reinterpret_cast<char*>(header.data()), 64);
    EXPECT_EQ(Slice(header, 0, 16), Text("RF64") + U32(0xFFFFFFFF) + Text("WAVE") + Text("ds64"));
    EXPECT_EQ(Le64(header, 20), fs::file_size(path) - 8);
    const uint64_t filled = uint64_t(1) << 32; // up to a multiple of 2048
    EXPECT_EQ(Le64(header, 28), filled);
    EXPECT_EQ(Le64(header, 36), filled / 2);
#ifdef KESTRAWAVE_HAVE_SNDFILE
    SF_INFO info{};
    SNDFILE* pFile = sf_open(path.c_str(), SFM_READ, &info);
    ASSERT_NE(pFile, nullptr) << sf_strerror(nullptr);
    EXPECT_EQ(uint64_t(info.frames), filled / 2);
    EXPECT_EQ(info.channels, 1);
    sf_close(pFile);
#endif
}

// A RIFF file past 4 GiB: its 32-bit sizes cannot say where its chunks are.
TEST_F(CJobTest, ARiffFilePastFourGiBIsRefused) {
    const Bytes head = Wave(FmtBody(1, 2, 16, 48000), {}, Pattern(4000, 1));
    std::error_code error;
    fs::resize_file(Write("big.wav", head), RIFF_FILE_MAX + 2, error); // sparse
    if (error) {
        GTEST_SKIP() << "no sparse file: " << error.message();
    }
    fs::create_directories(PathOf("in"));
    // The same file as a mono; Windows makes symbolic links only with a
    // privilege, and Wine none at all.
#ifdef _WIN32
    fs::create_hard_link(PathOf("big.wav"), PathOf("in/B_1.wav"));
#else
    fs::create_symlink(PathOf("big.wav"), PathOf("in/B_1.wav"));
#endif
    CTestHost split, merge;
    EXPECT_EQ(Split(split, {{"big.wav", {1, 2}}}), JOBRESULT_FAILED);
    EXPECT_EQ(Merge(merge, "in", "B", {1}), JOBRESULT_FAILED);
    for (const CTestHost* pHost : {&split, &merge}) {
        EXPECT_TRUE(pHost->m_arrayError.size() == 1 &&
                    Has(pHost->m_arrayError, "larger than the 4 GiB its sizes can describe"));
    }
    EXPECT_EQ(FileCount("out"), 0u);
}
