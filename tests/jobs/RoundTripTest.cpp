// Split and merged back, read with libsndfile; and, when the shared corpus of
// real recordings is there, the same on those.

#include "CJobFiles.h"
#include "CTakeScanner.h"

#include <cstring>
#include <sndfile.h>

namespace {

// Samples as libsndfile decodes them; doubles hold every 32-bit integer and
// float exactly, so equal samples compare equal bit for bit.
std::vector<double> Decode(const std::string& path, int& channels) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        ADD_FAILURE() << path << ": " << sf_strerror(nullptr);
        return {};
    }
    std::vector<double> samples(std::size_t(info.frames * info.channels));
    EXPECT_EQ(sf_readf_double(file, samples.data(), info.frames), info.frames);
    sf_close(file);
    channels = info.channels;
    return samples;
}

class CRoundTripTest : public CJobTest {
protected:
    // Splits a poly file of the folder, merges its mono files back, and reads
    // the poly file's samples from each mono file and from the merged file,
    // which go on with zero fill.
    void ExpectRoundTrip(const std::string& name, int mode) {
        const std::string take = CPolyToMonoJob::TakeName(name), folder = PathOf("out/" + take);
        CTestHost split, merge;
        ASSERT_EQ(Split(split, {{name, 0xFFFF}}), JOBRESULT_DONE);
        ASSERT_EQ(Merge(merge, "out/" + take, take, CTakeScanner::ChannelMask(folder, take), mode),
                  JOBRESULT_DONE);
        int channels = 0, count = 0;
        const std::vector<double> original = Decode(PathOf(name), channels),
                                  back = Decode(folder + ".wav", count);
        const std::size_t frames = original.size() / std::max(channels, 1);
        EXPECT_EQ(count, channels);
        ASSERT_GE(back.size(), original.size());
        EXPECT_EQ(std::memcmp(back.data(), original.data(), original.size() * sizeof(double)), 0);
        for (int n = 0; n < channels; ++n) {
            const std::vector<double> mono =
                Decode(CTakeScanner::MonoPath(folder, take, n + 1), count);
            ASSERT_TRUE(count == 1 && mono.size() >= frames);
            for (std::size_t f = 0; f < frames; ++f) {
                ASSERT_EQ(std::memcmp(&mono[f], &original[f * channels + n], sizeof(double)), 0)
                    << "channel " << n + 1 << " frame " << f;
            }
        }
    }
};

} // namespace

TEST_F(CRoundTripTest, SplitThenMergeGivesTheSamplesBack) {
    const struct {
        uint16_t tag, channels, bits;
        uint32_t frames;
    } cases[] = {
        {1, 2, 16, 1001}, {1, 3, 24, 777}, {3, 2, 32, 513}, {1, 2, 20, 999}, {1, 5, 8, 333}};
    int mode = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits);
        ClearOut();
        const std::size_t bytes = std::size_t(c.frames) * c.channels * ((c.bits + 7) / 8);
        Write("T.wav", Wave(FmtBody(c.tag, c.channels, c.bits, 48000), {}, Pattern(bytes, 1)));
        ExpectRoundTrip("T.wav", mode++ % 3);
    }
}

TEST_F(CRoundTripTest, CorpusRecordingsSurviveSplitAndMerge) {
    const fs::path corpus = KESTRAWAVE_CORPUS;
    if (!fs::is_directory(corpus)) {
        GTEST_SKIP() << "no corpus at " << corpus;
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(corpus / "poly")) {
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        Write(name, Read(entry.path().string()));
        ExpectRoundTrip(name, 0);
    }
    // The recorder's own mono files (".WAV") merge into its poly file's samples.
    for (const char* name : {"A101_1_1.WAV", "A101_1_2.WAV"}) {
        Write(std::string("in/") + name, Read((corpus / "mono" / name).string()));
    }
    CTestHost host;
    ASSERT_EQ(Merge(host, "in", "A101_1", CTakeScanner::ChannelMask(PathOf("in"), "A101_1"), 1),
              JOBRESULT_DONE);
    const Bytes poly = Read((corpus / "poly" / "A101_1.WAV").string());
    const Bytes merged = Read(PathOf("out/A101_1.wav"));
    const CHUNKAT data = Find(poly, "data");
    EXPECT_EQ(Find(merged, "data").size, (data.size + 2047) / 2048 * 2048);
    EXPECT_EQ(Slice(merged, 32768, data.size), Slice(poly, data.pointer + 8, data.size));
}
