// Splitting poly files: the mono files byte for byte, the overwrite question
// and cancelling; the inputs that both jobs refuse.

#include "CJobFiles.h"

namespace {

struct SPLITCASE {
    uint32_t dataPointer; // P, reached through an unpadded "JUNK" chunk
    uint16_t tag, channels, bits;
    uint32_t rate, dataBytes, missing; // missing: declared beyond the end of the file
    std::vector<int> selected;         // those beyond the source's channels are left out
    int bext; // an 858-byte "bext": 0 none, 1 before the samples, 2 after them
    const char* history;
    uint32_t speakers, monoSpeakers[3]; // extensible: the source's mask, channels 1 to 3
};

Bytes MakeSource(const SPLITCASE& t) {
    const Bytes fmt = FmtBody(t.tag, t.channels, t.bits, t.rate, t.speakers);
    const Bytes bext = Chunk("bext", Pattern(858, 9));
    Bytes before = t.bext == 1 ? bext : Bytes();
    before =
        before + Chunk("JUNK", Pattern(t.dataPointer - 36 - fmt.size() - before.size(), 3), false);
    const Bytes after =
        (t.bext == 2 ? bext : Bytes()) + (t.missing == 0 ? Chunk("Tail", Pattern(5, 4)) : Bytes());
    return Wave(fmt, before, Pattern(t.dataBytes, 5), after, t.missing);
}

// The mono file of channel n, built from the source's bytes.
Bytes ExpectedMono(const SPLITCASE& t, const Bytes& source, int n) {
    const uint32_t width = (t.bits + 7) / 8, frame = t.channels * width, P = t.dataPointer;
    // An odd P means the "JUNK" chunk lacks its pad byte: the mono gets it
    // back, out of its "pad " chunk.
    Bytes mono = Slice(source, 0, P - 8) + Bytes(P % 2), samples;
    Put(mono, 22, 1, 2); // channels, average bytes per second, block align
    Put(mono, 28, width * t.rate);
    Put(mono, 32, width, 2);
    if (t.tag == 0xFFFE) {
        Put(mono, 40, t.monoSpeakers[n - 1]);
    }
    mono = mono + (P <= 32759 ? Chunk("pad ", Bytes(32760 - P - P % 2)) : Bytes());
    for (uint32_t at = 0; at < t.dataBytes; at += frame) {
        for (uint32_t k = at + (n - 1) * width; k < at + n * width; ++k) {
            samples.push_back(k < t.dataBytes ? source[P + k] : 0); // a partial frame ends in zeros
        }
    }
    samples.resize((samples.size() + 2047) / 2048 * 2048);
    mono = mono + Chunk("data", samples);
    const std::size_t bext = t.bext == 1 ? 20 + (t.tag == 0xFFFE ? 40 : 16) : mono.size();
    mono = mono + Slice(source, P + t.dataBytes + t.dataBytes % 2, source.size());
    if (t.bext != 0) {
        const Bytes history = Field(t.history, 256);
        std::copy(history.begin(), history.end(), mono.begin() + bext + 610);
    }
    Put(mono, 4, uint32_t(mono.size() - 8));
    return mono;
}

} // namespace

TEST_F(CJobTest, MonoFilesAreLaidOutByteForByte) {
    const SPLITCASE cases[] = {
        // A "pad " chunk of 0 bytes after the pad byte put back; 1024 frames
        // fill the "data" chunk exactly.
        {32759, 1, 2, 16, 44100, 4096, 0, {1, 2}, 1, "PCM\r\nmono\r16bit\r44.1kHz\r", 0, {}},
        // No "pad " chunk; the pad byte after an odd payload is not carried.
        {32760, 1, 3, 24, 48000, 27009, 0, {1, 2, 3, 16}, 2, "PCM\r\nmono\r24bit\r48kHz\r", 0, {}},
        // A last, partial frame; float samples; one channel of two.
        {1000, 3, 2, 32, 22050, 5605, 0, {2}, 1, "PCM\r\nmono\r32bit\r22kHz\r", 0, {}},
        // 20 bits in 3 bytes; a speaker bit each, none left for channel 3.
        {4000, 0xFFFE, 3, 20, 96000, 2997, 0, {1, 2, 3}, 0, "", 0x0A, {0x2, 0x8, 0}},
        // No room for a "pad " chunk behind the pad byte put back.
        {32761, 1, 2, 16, 48000, 4000, 0, {1, 2}, 0, "", 0, {}},
        // A recording cut short.
        {2000, 1, 2, 16, 48000, 5000, 1000, {1, 2}, 0, "", 0, {}},
    };
    for (const SPLITCASE& t : cases) {
        const Bytes source = MakeSource(t);
        Write("T.wav", source);
        SCOPED_TRACE(t.dataPointer);
        ClearOut();
        CTestHost host;
        EXPECT_EQ(Split(host, {{"T.wav", t.selected}}), JOBRESULT_DONE);
        EXPECT_EQ(host.m_arrayError.size(), t.missing != 0 ? 1u : 0u);
        EXPECT_EQ(host.m_arrayProgress.back(), "T\tFinish !");
        std::size_t count = 0;
        for (int n : t.selected) {
            if (n <= t.channels && ++count != 0) {
                EXPECT_TRUE(SameBytes(Read("out/T/T_" + std::to_string(n) + ".wav"),
                                      ExpectedMono(t, source, n)))
                    << "channel " << n;
            }
        }
        EXPECT_EQ(FileCount("out/T"), count); // none for numbers beyond the channels
        EXPECT_EQ(Read("T.wav"), source);
    }
}

TEST_F(CJobTest, OverwriteAsksOnlyAboutChannelsThatWillBeWritten) {
    Write("T.wav", Wave(FmtBody(1, 10, 16, 48000), {}, Pattern(10 * 2 * 300, 1)));
    const Bytes old = Pattern(10, 2);
    auto mono = [&](int n) { return PathOf("out/T/T_" + std::to_string(n) + ".wav"); };
    for (int n : {2, 3, 10, 13}) {
        Write(mono(n), old);
    }
    const std::vector<int> selected = {1, 2, 10, 13}; // 13 is beyond the 10 channels
    CTestHost decline(false), accept;
    EXPECT_EQ(Split(decline, {{"T.wav", selected}}), JOBRESULT_DECLINED);
    EXPECT_EQ(decline.m_arrayQuestion, std::vector<std::string>{mono(2) + "\r" + mono(10) + "\r"});
    EXPECT_EQ(FileCount("out/T"), 4u);
    EXPECT_EQ(Read(mono(2)), old);
    EXPECT_EQ(Split(accept, {{"T.wav", selected}}), JOBRESULT_DONE);
    EXPECT_EQ(accept.m_arrayQuestion, decline.m_arrayQuestion);
    for (int n : {1, 2, 3, 10, 13}) {
        EXPECT_EQ(Read(mono(n)) == old, n == 3 || n == 13) << n;
    }
}

TEST_F(CJobTest, RefusedInputsAreNamedAndNothingIsWrittenForThem) {
    auto wave = [](uint16_t tag, uint16_t channels, uint16_t bits, uint32_t rate) {
        return Wave(FmtBody(tag, channels, bits, rate), {}, Pattern(400, 1));
    };
    Bytes rf64 = wave(1, 1, 16, 48000);
    std::copy_n("RF64", 4, rf64.begin());
    // T_2.wav, and whether it cannot be split; merged beside T_1.wav it never can.
    const std::tuple<const char*, Bytes, bool> cases[] = {
        {"missing", {}, true},
        {"rf64", rf64, true},
        {"not riff", Pattern(100, 1), true},
        {"no fmt", Riff(Chunk("data", Bytes(8))), true},
        {"0 bits", wave(1, 2, 0, 48000), true},
        {"frame over 4096 bytes", wave(1, 1025, 32, 48000), true},
        {"compressed", wave(2, 1, 4, 48000), true},
        {"stereo", wave(1, 2, 16, 48000), false},
        {"other width", wave(1, 1, 24, 48000), false},
        {"other rate", wave(1, 1, 16, 44100), false},
        {"float", wave(3, 1, 32, 48000), false},
    };
    Write("in/T_1.wav", wave(1, 1, 16, 48000));
    CTestHost none;
    EXPECT_EQ(Merge(none, "in", "T", {}), JOBRESULT_FAILED);
    EXPECT_NE(none.m_arrayError.at(0).find(PathOf("in")), std::string::npos);
    EXPECT_EQ(FileCount("out"), 0u);
    for (const auto& [name, bytes, isUnsplittable] : cases) {
        SCOPED_TRACE(name);
        ClearOut();
        fs::remove(PathOf("in/T_2.wav"));
        if (!bytes.empty()) {
            Write("in/T_2.wav", bytes);
        }
        CTestHost split, merge;
        EXPECT_EQ(Split(split, {{"in/T_2.wav", Range(1, 1024)}, {"in/T_1.wav", {1}}}),
                  isUnsplittable ? JOBRESULT_FAILED : JOBRESULT_DONE);
        EXPECT_EQ(Merge(merge, "in", "T", {1, 2}), JOBRESULT_FAILED);
        ASSERT_EQ(split.m_arrayError.size(), isUnsplittable ? 1u : 0u);
        ASSERT_EQ(merge.m_arrayError.size(), 1u);
        for (const CTestHost* host : {&split, &merge}) {
            for (const std::string& error : host->m_arrayError) {
                EXPECT_NE(error.find(PathOf("in/T_2.wav")), std::string::npos) << error;
            }
        }
        EXPECT_EQ(FileCount("out/T_2") == 0, isUnsplittable);
        EXPECT_EQ(FileCount("out/T_1"), 1u); // the next row goes on
        EXPECT_FALSE(fs::exists(PathOf("out/T.wav")));
    }
}

TEST_F(CJobTest, CancelRemovesTheMonoFilesBeingWritten) {
    Write("A.wav", Wave(FmtBody(1, 2, 16, 48000), {}, Pattern(2 * 2 * 3000, 1)));
    Write("B.wav", Wave(FmtBody(1, 3, 24, 48000), {}, Pattern(3 * 3 * 3000, 2)));
    const std::tuple<CTestHost::CANCEL, std::size_t> cases[] = {
        // when, files of A left; the run's last block is that of B, so none of B's
        {CTestHost::CANCEL_FIRST, 0},
        {CTestHost::CANCEL_LAST, 2},
    };
    for (const auto& [cancel, filesA] : cases) {
        ClearOut();
        CTestHost host(true, cancel);
        EXPECT_EQ(Split(host, {{"A.wav", {1, 2}}, {"B.wav", {1, 2, 3}}}), JOBRESULT_CANCELLED);
        EXPECT_EQ(FileCount("out/A"), filesA);
        EXPECT_FALSE(fs::exists(PathOf("out/B"))); // nor its take folder
        EXPECT_EQ(
            std::count(host.m_arrayProgress.begin(), host.m_arrayProgress.end(), "B\tFinish !"), 0);
    }
}
