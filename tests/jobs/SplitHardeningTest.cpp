// Splitting sources that a careless or hostile world hands over.

#include "CJobFiles.h"

#include <cerrno>
#include <cstring>
#include <functional>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

Bytes Stereo(std::size_t bytes, unsigned seed, const Bytes& before = {}, const Bytes& after = {}) {
    return Wave(FmtBody(1, 2, 16, 48000), before, Pattern(bytes, seed), after);
}

// A host that looks at the files when a row reports "Finish !".
class CFinishHost : public CTestHost {
public:
    using CTestHost::CTestHost;
    void SetProgressText(const std::string& title, const std::string& detail) override {
        CTestHost::SetProgressText(title, detail);
        if (detail.find("Finish !") != std::string::npos && m_onFinish) {
            m_onFinish(detail);
        }
    }
    std::function<void(const std::string&)> m_onFinish;
};

} // namespace

TEST_F(CJobTest, SplitReplacesOldFilesOnlyWithCompleteOnes) {
    Write("A.wav", Stereo(4 * 40000, 1));
    const Bytes old = Pattern(100, 7);
    const std::string mono1 = Write("out/A/A_1.wav", old), mono2 = Write("out/A/A_2.wav", old);
    // A write that fails half-way, cancelled at the last block: the old
    // files stay, and the reason is the system's.
#ifndef _WIN32
    CTestHost full;
    EXPECT_EQ(UnderSizeLimit(50000,
                             [&] {
                                 return Split(full, {{"A.wav", {1, 2}}});
                             }),
              JOBRESULT_FAILED);
    ASSERT_EQ(full.m_arrayError.size(), 1u);
    EXPECT_TRUE(Has(full.m_arrayError, "Cannot write \"" + PathOf("out/A/A_")) &&
                Has(full.m_arrayError, std::string(": ") + std::strerror(EFBIG) + "."))
        << full.m_arrayError[0];
#endif
    CTestHost cancel(true, CTestHost::CANCEL_LAST);
    EXPECT_EQ(Split(cancel, {{"A.wav", {1, 2}}}), JOBRESULT_CANCELLED);
    EXPECT_FALSE(Has(cancel.m_arrayProgress, "Finish !"));
    EXPECT_EQ(Read(mono1), old);
    EXPECT_EQ(Read(mono2), old);
    EXPECT_EQ(FileCount("out/A"), 2u);

    // "Finish !" comes when the files are in place.
    CFinishHost host;
    int finished = 0;
    host.m_onFinish = [&](const std::string&) {
        ++finished;
        EXPECT_EQ(FileCount("out/A"), 2u);
        EXPECT_NE(Read(mono1), old);
        EXPECT_NE(Read(mono2), old);
    };
    EXPECT_EQ(Split(host, {{"A.wav", {1, 2}}}), JOBRESULT_DONE);
    EXPECT_EQ(finished, 1);

    // A walk over many chunks ends on a raised cancel flag and says nothing.
    Bytes many;
    for (int i = 0; i < 5000; ++i) {
        many = many + Chunk("tiny", Bytes(2, 1));
    }
    Write("C.wav", Stereo(400, 3, many));
    CTestHost early;
    early.m_isCancel = true;
    EXPECT_EQ(Split(early, {{"C.wav", {1, 2}}}), JOBRESULT_CANCELLED);
    EXPECT_TRUE(early.m_arrayError.empty());
}

TEST_F(CJobTest, SplitNeverWritesOverAnySourceOfTheRun) {
    const Bytes second = Wave(FmtBody(1, 1, 16, 48000), {}, Pattern(600, 2));
    Write("A.wav", Wave(FmtBody(1, 1, 16, 48000), {}, Pattern(400, 1)));
    Write("out/A/A_1.wav", second);
    Write("B.wav", second);
    Write("C/C.wav", Wave(FmtBody(1, 1, 16, 48000), {}, Pattern(400, 3)));
    fs::create_directories(PathOf("out/C"));
    // Windows makes symbolic links only with a privilege, and Wine none at
    // all: there a hard link names the same file.
#ifdef _WIN32
    fs::create_hard_link(PathOf("B.wav"), PathOf("out/C/C_1.wav"));
#else
    fs::create_symlink(PathOf("B.wav"), PathOf("out/C/C_1.wav"));
#endif
    const std::pair<std::string, std::string> cases[] = {
        // the source split first, and the later source at its output
        {"A.wav", PathOf("out/A/A_1.wav")},
        {"A.wav", PathOf("out/C/../A/A_1.wav")},
        {"C/C.wav", PathOf("B.wav")}, // through a link
    };
    for (const auto& [first, later] : cases) {
        SCOPED_TRACE(later);
        CTestHost host;
        CPolyToMonoJob job{
            {{fs::path(first).filename().string(), PathOf(first), {1}}, {"L.wav", later, {1}}},
            PathOf("out")};
        EXPECT_EQ(job.Run(host, host.m_isCancel), JOBRESULT_FAILED);
        ASSERT_EQ(host.m_arrayError.size(), 1u);
        EXPECT_TRUE(Has(host.m_arrayError, PathOf(first)) && Has(host.m_arrayError, later))
            << host.m_arrayError[0];
        EXPECT_TRUE(host.m_arrayQuestion.empty());
        EXPECT_EQ(Read("out/A/A_1.wav"), second);
        EXPECT_EQ(Read("B.wav"), second);
#ifndef _WIN32
        EXPECT_TRUE(fs::is_symlink(PathOf("out/C/C_1.wav")));
#endif
        EXPECT_EQ(FileCount("out/L"), 1u); // the later row goes on
        fs::remove_all(PathOf("out/L"));
    }
}

TEST_F(CJobTest, SplitRefusesTakeNamesThatAreNoFileName) {
    const Bytes wave = Stereo(400, 1);
    Write("...wav", wave);
    Write("a\033b.wav", wave);
    CTestHost host;
    EXPECT_EQ(Split(host, {{"...wav", {1, 2}}, {"a\033b.wav", {1, 2}}}), JOBRESULT_FAILED);
    ASSERT_EQ(host.m_arrayError.size(), 2u);
    EXPECT_TRUE(Has(host.m_arrayError, "\"..\" names a folder"));
    EXPECT_TRUE(Has(host.m_arrayError, "a\\x1Bb")); // escaped, not echoed raw
    EXPECT_EQ(FileCount("out"), 0u);
#ifdef _WIN32
    // Windows takes no control character in a name: "a\033b.wav" was never written.
    EXPECT_EQ(FileCount(""), 2u);
#else
    EXPECT_EQ(FileCount(""), 3u); // the two sources and "out", nothing beside them
#endif

#ifndef _WIN32 // no symbolic link without a privilege
    // A take folder that is a link would lead the files out of "out".
    Write("A.wav", wave);
    fs::create_directory(PathOf("elsewhere"));
    fs::create_directory_symlink(PathOf("elsewhere"), PathOf("out/A"));
    CTestHost link;
    EXPECT_EQ(Split(link, {{"A.wav", {1, 2}}}), JOBRESULT_FAILED);
    EXPECT_TRUE(Has(link.m_arrayError, "not a folder but a link"));
    EXPECT_EQ(FileCount("elsewhere"), 0u);
#endif
}

TEST_F(CJobTest, SplitSkipsSourcesThatAreNoRegularFiles) {
    fs::create_directory(PathOf("d.wav"));
    Write("A.wav", Stereo(400, 1));
    std::vector<std::pair<std::string, std::vector<int>>> rows = {{"d.wav", {1, 2}},
                                                                  {"A.wav", {1, 2}}};
    std::vector<std::string> errors = {Quoted(PathOf("d.wav")) + " is not a regular file."};
#ifndef _WIN32 // Windows has no FIFO
    // Opening the FIFO would wait for a writer for ever.
    ASSERT_EQ(::mkfifo(PathOf("x.wav").c_str(), 0600), 0);
    rows.insert(rows.begin(), {"x.wav", {1, 2}});
    errors.insert(errors.begin(), Quoted(PathOf("x.wav")) + " is not a regular file.");
#endif
    CTestHost host;
    EXPECT_EQ(Split(host, rows), JOBRESULT_FAILED);
    EXPECT_EQ(host.m_arrayError, errors);
    EXPECT_EQ(FileCount("out"), 1u);
    EXPECT_EQ(FileCount("out/A"), 2u);
}

TEST_F(CJobTest, ChunksCutOffAfterTheSamplesAreCarriedAsFarAsTheyGo) {
    const Bytes cut = Text("Tail") + U32(100) + Pattern(11, 5);
    const std::tuple<const char*, Bytes, Bytes, const char*> cases[] = {
        // what follows the samples, what the mono carries, the message
        {"cut", Chunk("bext", Pattern(6, 1)) + cut,
         Chunk("bext", Pattern(6, 1)) + Chunk("Tail", Pattern(11, 5)),
         "\"Tail\" declares 100 bytes, but the file ends after 11"},
        {"pad at the end", Chunk("odd ", Pattern(3, 1), false), Chunk("odd ", Pattern(3, 1)),
         nullptr},
        {"bytes", Chunk("even", Pattern(4, 1)) + Bytes{'x', 'y', 'z'}, Chunk("even", Pattern(4, 1)),
         "3 bytes that are no chunk"},
        {"header", Chunk("even", Pattern(4, 1)) + Text("half"), Chunk("even", Pattern(4, 1)),
         "4 bytes that are no chunk"},
    };
    for (const auto& [name, after, carried, message] : cases) {
        SCOPED_TRACE(name);
        ClearOut();
        Write("T.wav", Stereo(4 * 1024, 1, {}, after));
        CTestHost host;
        EXPECT_EQ(Split(host, {{"T.wav", {1, 2}}}), JOBRESULT_DONE);
        ASSERT_EQ(host.m_arrayError.size(), message != nullptr ? 1u : 0u);
        if (message != nullptr) {
            EXPECT_TRUE(Has(host.m_arrayError, Quoted(PathOf("T.wav"))) &&
                        Has(host.m_arrayError, message))
                << host.m_arrayError[0];
        }
        const Bytes mono = Read("out/T/T_2.wav");
        EXPECT_EQ(Slice(mono, 32768 + 2048, mono.size()), carried);
    }
}

// Refusals that can be known up front come before the question.
TEST_F(CJobTest, ImpossibleFormatsAreRefusedByNameAndTouchNothing) {
    auto wave = [](std::size_t at, uint32_t value, int count) {
        Bytes body = FmtBody(1, 2, 24, 48000);
        Put(body, at, value, count);
        return Wave(body, {}, Pattern(600, 1));
    };
    // An RF64 file whose "ds64" gives more samples than it holds.
    Bytes rf64 = Wave(FmtBody(1, 2, 24, 48000), {}, Pattern(600, 1));
    std::copy_n("RF64", 4, rf64.begin());
    rf64.insert(rf64.begin() + 12, 36, 0);
    Put(rf64, 12, 0x34367364); // "ds64"
    Put(rf64, 16, 28);
    Put(rf64, 28, 0x10000);
    const std::pair<Bytes, std::string> cases[] = {
        {wave(2, 0, 2), "declares 0 channels"},
        {wave(4, 0, 4), "declares a sample rate of 0."},
        {wave(14, 0, 2), "declares 0 bits per sample"},
        {wave(12, 8, 2), "declares a block align of 8; 2 channels of 24 bits need 6."},
        {rf64, "ds64 gives a data size of 65536"},
        // "data" that the lookups find inside a list, not where the walk does.
        {Stereo(400, 1, Chunk("LIST", Text("adtl") + Chunk("data", Bytes(4)))), "malformed"},
    };
    const Bytes old = Pattern(10, 2);
    Write("out/T/T_1.wav", old);
    for (const auto& [source, message] : cases) {
        SCOPED_TRACE(message);
        Write("T.wav", source);
        CTestHost host;
        EXPECT_EQ(Split(host, {{"T.wav", {1, 2}}}), JOBRESULT_FAILED);
        EXPECT_TRUE(host.m_arrayQuestion.empty());
        ASSERT_EQ(host.m_arrayError.size(), 1u);
        EXPECT_TRUE(Has(host.m_arrayError, Quoted(PathOf("T.wav"))) &&
                    Has(host.m_arrayError, message))
            << host.m_arrayError[0];
        EXPECT_EQ(Read("out/T/T_1.wav"), old);
        EXPECT_EQ(FileCount("out/T"), 1u);
    }
}
