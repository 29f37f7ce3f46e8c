// Merging takes that a careless or hostile world hands over.

#include "CJobFiles.h"
#include "CJobPath.h"
#include "CTakeScanner.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

Bytes Mono(const Bytes& data, const Bytes& before = {}, const Bytes& after = {}) {
    return Wave(FmtBody(1, 1, 16, 48000), before, data, after);
}

// Truncates a file when asked about overwriting: a mono that shrinks after
// the checks.
class CShrinkHost : public CTestHost {
public:
    explicit CShrinkHost(std::string strPath) : m_strPath(std::move(strPath)) {}
    bool AskOverwrite(const std::string& title, const std::string& message) override {
        fs::resize_file(m_strPath, 100);
        return CTestHost::AskOverwrite(title, message);
    }
    std::string m_strPath;
};

} // namespace

using CMergeTest = CJobTest;

TEST_F(CMergeTest, OldPolyFileStaysUntilTheNewOneIsComplete) {
    const Bytes old = Pattern(10, 2), mono = Mono(Pattern(20000, 1));
    Write("in/T_1.wav", mono);
    Write("out/T.wav", old);
    CTestHost decline(false), full, accept;
    EXPECT_EQ(Merge(decline, "in", "T", {1}), JOBRESULT_DECLINED);
    EXPECT_EQ(decline.m_arrayQuestion, std::vector<std::string>{PathOf("out/T.wav")});
    for (CTestHost::CANCEL cancel : {CTestHost::CANCEL_FIRST, CTestHost::CANCEL_LAST}) {
        CTestHost host(true, cancel);
        EXPECT_EQ(Merge(host, "in", "T", {1}), JOBRESULT_CANCELLED);
        EXPECT_FALSE(Has(host.m_arrayProgress, "Finish !"));
    }
    // A write refused by the system, and a mono that shrinks after the
    // checks: each reason is told.
#ifndef _WIN32
    EXPECT_EQ(UnderSizeLimit(40000, [&] { return Merge(full, "in", "T", {1}); }), JOBRESULT_FAILED);
    EXPECT_EQ(full.m_arrayError,
              std::vector<std::string>{"Cannot write " + Quoted(PathOf("out/T.wav")) +
                                       ": File too large."});
#endif
    CShrinkHost shrink(PathOf("in/T_1.wav"));
    EXPECT_EQ(Merge(shrink, "in", "T", {1}), JOBRESULT_FAILED);
    EXPECT_EQ(shrink.m_arrayError,
              std::vector<std::string>{"Cannot read " + Quoted(PathOf("in/T_1.wav")) +
                                       ": the file ends inside the data chunk."});
    EXPECT_FALSE(Has(shrink.m_arrayProgress, "Finish !"));
    // Nothing so far wrote the old bytes back: none of the runs touched them.
    EXPECT_EQ(Read("out/T.wav"), old);
    EXPECT_EQ(FileCount("out"), 1u);
    Write("in/T_1.wav", mono);
    EXPECT_EQ(Merge(accept, "in", "T", {1}), JOBRESULT_DONE);
    EXPECT_EQ(accept.m_arrayProgress.back(), "T\tFinish !");
    EXPECT_EQ(Find(Read("out/T.wav"), "data").size, 20480u);
}

TEST_F(CMergeTest, AnInputAtTheOutputPathIsRefusedBeforeTheQuestion) {
    const Bytes mono = Mono(Pattern(2000, 1));
    // merge -o out in A_1 A, with take A's mono "out/A_1.wav" named through a
    // link; and take T, whose output path is a link to its own mono.
    Write("in/A_1_1.wav", mono);
    Write("out/A_1.wav", mono);
    fs::create_directories(PathOf("links"));
    Write("in/T_1.wav", mono);
    // Windows makes symbolic links only with a privilege, and Wine none at
    // all: there a hard link names the same file.
    for (const auto& [target, link] : {std::make_pair("out/A_1.wav", "links/A_1.wav"),
                                       std::make_pair("in/T_1.wav", "out/T.wav")}) {
#ifdef _WIN32
        fs::create_hard_link(PathOf(target), PathOf(link));
#else
        fs::create_symlink(PathOf(target), PathOf(link));
#endif
    }
    const std::tuple<const char*, std::vector<std::string>, std::vector<std::string>> cases[] = {
        {"A_1", {PathOf("links/A_1.wav")}, {"out/A_1.wav", "links/A_1.wav"}},
        {"T", {}, {"in/T_1.wav"}},
    };
    for (const auto& [take, inputs, named] : cases) {
        SCOPED_TRACE(take);
        CTestHost host;
        EXPECT_EQ(Merge(host, "in", take, {1}, 0, RIFF_FILE_MAX, inputs), JOBRESULT_FAILED);
        ASSERT_EQ(host.m_arrayError.size(), 1u);
        for (const std::string& name : named) {
            EXPECT_TRUE(Has(host.m_arrayError, Quoted(PathOf(name)))) << host.m_arrayError[0];
        }
        EXPECT_TRUE(host.m_arrayQuestion.empty());
    }
    EXPECT_EQ(Read("out/A_1.wav"), mono);
    EXPECT_EQ(Read("in/T_1.wav"), mono);
}

TEST_F(CMergeTest, TakeNamesThatAreNoFileNamesAreRefused) {
    Write("x_1.wav", Mono(Pattern(2000, 1)));      // in/../x_1.wav
    Write("in/a/b_1.wav", Mono(Pattern(2000, 1))); // in/a/b_1.wav
    for (const std::string take : {"../x", "", "a/b"}) {
        SCOPED_TRACE(take);
        CTestHost host;
        EXPECT_EQ(Merge(host, "in", take, {1}), JOBRESULT_FAILED);
        EXPECT_TRUE(host.m_arrayError.size() == 1 && Has(host.m_arrayError, "take name"));
    }
    EXPECT_EQ(FileCount("out"), 0u);
    EXPECT_FALSE(fs::exists(PathOf("x.wav")));
}

// The takes and channels of a folder are its regular files (also through
// links) of channel numbers 1 to 1024.
TEST_F(CMergeTest, OnlyRegularFilesAreMonos) {
    Write("in/T_1.wav", Mono(Pattern(2000, 1)));
    for (const char* name :
         {"T_12.wav", "T_1024.WAV", "T_7.wav", "T_7.WAV", "T_1025.wav", "T_3x.wav", "T_2.txt"}) {
        Write(std::string("in/") + name, Bytes(4));
    }
    fs::create_directories(PathOf("in/D_1.wav"));
    fs::create_directories(PathOf("in/T_6.wav"));
#ifdef _WIN32
    // No FIFO on Windows, and no symbolic link without a privilege.
    fs::create_directories(PathOf("in/T_2.wav"));
    fs::create_hard_link(PathOf("in/T_1.wav"), PathOf("in/L_1.wav"));
#else
    ASSERT_EQ(mkfifo(PathOf("in/T_2.wav").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo(PathOf("in/F_1.wav").c_str(), 0600), 0);
    fs::create_symlink(PathOf("in/T_1.wav"), PathOf("in/L_1.wav"));
#endif
    std::vector<std::string> takes = CTakeScanner::ScanFolder(PathOf("in"));
    std::sort(takes.begin(), takes.end());
    EXPECT_EQ(takes, (std::vector<std::string>{"L", "T"}));
    const std::string in = PathOf("in");
    EXPECT_EQ(CTakeScanner::Channels(in, "T"), (std::vector<int>{1, 7, 12, 1024}));
    const std::vector<std::string> paths = CTakeScanner::MonoPaths(in, "T"),
                                   expected = {in + "/T_1.wav", in + "/T_7.wav", in + "/T_12.wav",
                                               in + "/T_1024.WAV"};
#ifdef _WIN32
    // Names that differ in case alone name one file here.
    ASSERT_EQ(paths.size(), expected.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        EXPECT_TRUE(fs::equivalent(fs::u8path(paths[i]), fs::u8path(expected[i]))) << paths[i];
    }
#else
    EXPECT_EQ(paths, expected);
#endif
    EXPECT_TRUE(CTakeScanner::Channels(PathOf("missing"), "T").empty());
    // Handed over anyway, the FIFO is reported without being opened.
    CTestHost host;
    EXPECT_EQ(Merge(host, "in", "T", {1, 2}), JOBRESULT_FAILED);
    EXPECT_EQ(host.m_arrayError,
              std::vector<std::string>{CJobPath::NotRegularMessage(PathOf("in/T_2.wav"))});
    EXPECT_EQ(FileCount("out"), 0u);
}

TEST_F(CMergeTest, ChunksCutOffByTheEndOfTheLeadAreCarriedTruncated) {
    const Bytes data = Pattern(2000, 1), body = Pattern(41, 3);
    const std::tuple<int, Bytes, const char*> cases[] = {
        {0, Mono(data) + Text("iXML") + U32(100) + body, "iXML"},
        {1, Mono(data, {}, Chunk("cue ", Pattern(28, 2))) + Text("Fake") + U32(1000) + body,
         "Fake"},
    };
    for (const auto& [mode, lead, id] : cases) {
        SCOPED_TRACE(id);
        Write("in/T_1.wav", lead);
        CTestHost host;
        ASSERT_EQ(Merge(host, "in", "T", {1}, mode), JOBRESULT_DONE);
        ASSERT_EQ(host.m_arrayError.size(), 1u);
        EXPECT_TRUE(Has(host.m_arrayError, Quoted(PathOf("in/T_1.wav"))) &&
                    Has(host.m_arrayError, std::string("\"") + id + "\""))
            << host.m_arrayError[0];
        EXPECT_EQ(Body(Read("out/T.wav"), id), body);
    }
}

// The file of the hostile-file benchmark: a million chunks before the samples.
TEST_F(CMergeTest, ALeadOfManyTinyChunksIsMergedWhole) {
    Bytes tiny;
    tiny.reserve(1000000 * 10);
    for (uint32_t i = 0; i < 1000000; ++i) {
        const Bytes chunk = Text("Tiny") + U32(2) + U16(i);
        tiny.insert(tiny.end(), chunk.begin(), chunk.end());
    }
    Write("in/T_1.wav", Mono(Pattern(4000, 1), tiny));
    CTestHost host;
    ASSERT_EQ(Merge(host, "in", "T", {1}, 1), JOBRESULT_DONE);
    const Bytes poly = Read("out/T.wav"); // they come last, in mode 1
    EXPECT_TRUE(SameBytes(Slice(poly, poly.size() - tiny.size(), tiny.size()), tiny));
    // A walk cut short by the flag ends the run.
    ClearOut();
    CTestHost cancel;
    cancel.m_isCancel = true;
    EXPECT_EQ(Merge(cancel, "in", "T", {1}, 1), JOBRESULT_CANCELLED);
    EXPECT_TRUE(cancel.m_arrayError.empty());
    EXPECT_EQ(FileCount("out"), 0u);
}
