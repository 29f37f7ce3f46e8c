// Sources and takes of more channels than a recorder of eight has: channel
// lists of any length, silent gaps, the frame limit and the take names.

#include "CJobFiles.h"
#include "CTakeScanner.h"

TEST_F(CJobTest, SourcesOfManyChannelsAreSplitWholeOrByList) {
    const std::vector<int> listed = {33, 17, 18, 19, 20, 21, 22, 23, 24}; // "-c 17-24,33"
    // channels, bits, the list (empty: every channel), the channels written;
    // every channel of up to 64 is the round trip's business
    const std::tuple<uint32_t, uint16_t, std::vector<int>, std::vector<int>> cases[] = {
        {17, 16, listed, {17}},
        {40, 24, listed, {17, 18, 19, 20, 21, 22, 23, 24, 33}},
        // More than one pass takes: every file is still written.
        {150, 16, {}, Range(1, 150)},
    };
    for (const auto& [channels, bits, list, written] : cases) {
        SCOPED_TRACE(std::to_string(channels) + " channels, " + std::to_string(list.size()));
        ClearOut();
        const uint32_t width = bits / 8;
        const Bytes samples = Pattern(channels * width * 333, channels);
        Write("T.wav", Wave(FmtBody(1, uint16_t(channels), bits, 48000), {}, samples));
        CTestHost host;
        ASSERT_EQ(Split(host, {{"T.wav", list.empty() ? Range(1, 1024) : list}}), JOBRESULT_DONE);
        EXPECT_EQ(FileCount("out/T"), written.size());
        std::vector<std::string> progress = {"T"};
        for (int n : written) {
            progress.push_back("T\tChannel " + std::to_string(n));
            Bytes channel; // channel n of the interleaved samples
            for (std::size_t at = (n - 1) * width; at < samples.size(); at += channels * width) {
                channel.insert(channel.end(), samples.begin() + at, samples.begin() + at + width);
            }
            ASSERT_EQ(Body(Read("out/T/T_" + std::to_string(n) + ".wav"), "data"),
                      Interleave({channel}, width))
                << "channel " << n;
        }
        progress.push_back("T\tFinish !");
        EXPECT_EQ(host.m_arrayProgress, progress);
    }
}

TEST_F(CJobTest, ATakeOfManyMonosIsMergedWithSilenceInItsGaps) {
    // The monos present (the last one the poly file's channel count), bits.
    const std::tuple<std::vector<int>, uint16_t> cases[] = {
        {{1, 2, 20}, 16},
        {{1, 1024}, 32}, // frames of 4096 bytes, the most a merge takes
    };
    for (const auto& [present, bits] : cases) {
        const uint32_t channels = uint32_t(present.back()), width = bits / 8, frames = 700;
        SCOPED_TRACE(channels);
        fs::remove_all(PathOf("in"));
        ClearOut();
        std::vector<Bytes> data(channels, Bytes(frames * width));
        for (int n : present) {
            data[n - 1] = Pattern(frames * width, unsigned(n));
            Write("in/T_" + std::to_string(n) + ".wav",
                  Wave(FmtBody(1, 1, bits, 48000), {}, data[n - 1]));
        }
        CTestHost host;
        ASSERT_EQ(Merge(host, "in", "T", present, 1), JOBRESULT_DONE);
        const Bytes poly = Read("out/T.wav");
        EXPECT_EQ(Body(poly, "fmt"), FmtBody(1, uint16_t(channels), bits, 48000));
        EXPECT_TRUE(SameBytes(Body(poly, "data"), Interleave(data, width)));
    }
}

TEST_F(CJobTest, MergeRefusesChannelNumbersAndFramesItCannotHold) {
    for (int n : {1, 1024, 64}) {
        Write("in/T_" + std::to_string(n) + ".wav",
              Wave(FmtBody(3, 1, 64, 48000), {}, Pattern(800, unsigned(n))));
    }
    // channels, what the refusal says
    const std::pair<std::vector<int>, std::string> cases[] = {
        {{1, 1024}, "1024 channels of them cannot be merged"}, // 8192-byte frames
        {{1, 1025}, "cannot have a channel 1025"},
        {{0, 1}, "cannot have a channel 0"},
    };
    for (const auto& [channels, message] : cases) {
        SCOPED_TRACE(message);
        CTestHost host;
        EXPECT_EQ(Merge(host, "in", "T", channels), JOBRESULT_FAILED);
        EXPECT_TRUE(host.m_arrayError.size() == 1 && Has(host.m_arrayError, message));
        EXPECT_EQ(FileCount("out"), 0u);
    }
    CTestHost host; // 64 channels of 8 bytes fit
    EXPECT_EQ(Merge(host, "in", "T", {1, 64}), JOBRESULT_DONE);
}

TEST(CTakeScannerTest, ChannelNumbersRunFrom1To1024) {
    const std::pair<const char*, const char*> names[] = {
        {"T_1.wav", "T"},   {"T_9.WAV", "T"},   {"A_B_1024.wav", "A_B"},
        {"T_12x.wav", "T"}, {"T_1025.wav", ""}, {"T_10240.wav", ""},
        {"T_0.wav", ""},    {"T_01.wav", ""},   {"T_99999999999999.wav", ""},
        {"T_5.Wav", ""},    {"T.wav", ""},      {"T_.wav", ""},
    };
    for (const auto& [name, take] : names) {
        EXPECT_EQ(CTakeScanner::TakeNameOf(name), take) << name;
    }
    EXPECT_EQ(CTakeScanner::ChannelOf("T_1024.WAV", "T"), 1024);
    EXPECT_EQ(CTakeScanner::ChannelOf("T_12x.wav", "T"), 0); // takes T, names no channel
    EXPECT_EQ(CTakeScanner::ChannelOf("T_1_2.wav", "T"), 0);
    EXPECT_EQ(CTakeScanner::ChannelOf("T_1_2.wav", "T_1"), 2);
}
