// Split and merged back, read with libsndfile where the build has it.

#include "CJobFiles.h"

#include <cstring>
#include <tuple>

namespace {

#ifdef KESTRAWAVE_HAVE_SNDFILE
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
#else
// Without libsndfile, the whole frames of the "data" chunk as the strict
// reading finds it, each sample's bytes in a double of its own: equal
// samples compare equal bit for bit all the same.
std::vector<double> Decode(const std::string& path, int& channels) {
    std::ifstream file(fs::u8path(path), std::ios::binary);
    const Bytes bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const Bytes fmt = Body(bytes, "fmt"), data = Body(bytes, "data");
    channels = fmt.size() >= 16 ? int(Le(fmt, 0) >> 16) : 0;
    const std::size_t align = channels != 0 ? Le(fmt, 12) & 0xFFFF : 0;
    if (align == 0) {
        ADD_FAILURE() << path << ": no format";
        return {};
    }
    const std::size_t width = align / std::size_t(channels);
    std::vector<double> samples(data.size() / align * std::size_t(channels), 0.0);
    for (std::size_t k = 0; k < samples.size(); ++k) {
        std::memcpy(&samples[k], &data[k * width], std::min(width, sizeof(double)));
    }
    return samples;
}
#endif

} // namespace

// Each mono file holds its channel's samples and the merged file all of them,
// both going on with zero fill.
TEST_F(CJobTest, SplitThenMergeGivesTheSamplesBack) {
    // Format tag, channels, bits and frames.
    const std::tuple<uint16_t, uint16_t, uint16_t, uint32_t> cases[] = {
        {1, 2, 16, 1001},
        {1, 3, 24, 777},
        {3, 2, 32, 513},
        {1, 2, 20, 999},
        {1, 5, 8, 333},
        // More channels than the interleave's fixed forms, every sample width.
        {1, 10, 8, 100},
        {1, 17, 16, 211},
        {1, 24, 24, 301},
        {3, 64, 32, 129},
        {3, 64, 64, 50}};
    int mode = 0;
    for (const auto& [tag, channels, bits, frames] : cases) {
        SCOPED_TRACE(std::to_string(channels) + " channels of " + std::to_string(bits) + " bits");
        ClearOut();
        const std::size_t bytes = std::size_t(frames) * channels * ((bits + 7) / 8);
        Write("T.wav", Wave(FmtBody(tag, channels, bits, 48000), {}, Pattern(bytes, 1)));
        CTestHost split, merge;
        ASSERT_EQ(Split(split, {{"T.wav", Range(1, 1024)}}), JOBRESULT_DONE);
        ASSERT_EQ(Merge(merge, "out/T", "T", Range(1, channels), mode++ % 3), JOBRESULT_DONE);
        int count = 0;
        const std::vector<double> original = Decode(PathOf("T.wav"), count),
                                  back = Decode(PathOf("out/T.wav"), count);
        EXPECT_EQ(count, channels);
        ASSERT_GE(back.size(), original.size());
        EXPECT_EQ(std::memcmp(back.data(), original.data(), original.size() * sizeof(double)), 0);
        for (int n = 0; n < channels; ++n) {
            const std::vector<double> mono =
                Decode(PathOf("out/T/T_" + std::to_string(n + 1) + ".wav"), count);
            ASSERT_TRUE(count == 1 && mono.size() >= frames);
            for (std::size_t f = 0; f < frames; ++f) {
                ASSERT_EQ(std::memcmp(&mono[f], &original[f * channels + n], sizeof(double)), 0)
                    << "channel " << n + 1 << " frame " << f;
            }
        }
    }
}
