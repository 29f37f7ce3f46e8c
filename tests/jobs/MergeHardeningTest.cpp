// Merging takes that a careless or hostile world hands over.

#include "CJobFiles.h"
#include "CJobPath.h"
#include "CTakeScanner.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

Bytes Mono(const Bytes& data, const Bytes& before = {}, const Bytes& after = {}) {
    return Wave(FmtBody(1, 1, 16, 48000), before, data, after);
}

bool IsFinished(const CTestHost& host) {
    const auto& list = host.m_arrayProgress;
    return std::find(list.begin(), list.end(), "T\tFinish !") != list.end();
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

// Raises the cancel flag with the first progress text, before any walk.
class CEarlyCancelHost : public CTestHost {
public:
    void SetProgressText(const std::string& title, const std::string& detail) override {
        m_isCancel = true;
        CTestHost::SetProgressText(title, detail);
    }
};

} // namespace

class CMergeTest : public CJobTest {
protected:
    JOBRESULT MergeRun(CTestHost& host, const std::string& take, std::vector<int> channels,
                       std::vector<std::string> arrayInput) const {
        const std::map<std::string, Bytes> before = Outputs();
        CMonoToPolyJob job{take, std::move(channels),  PathOf("in"), PathOf("out"),
                           0,    std::move(arrayInput)};
        const JOBRESULT result = job.Run(host, host.m_isCancel);
        CheckOutputs(before);
        return result;
    }
};

TEST_F(CMergeTest, OldPolyFileStaysUntilTheNewOneIsComplete) {
    const Bytes old = Pattern(10, 2), mono = Mono(Pattern(20000, 1));
    Write("in/T_1.wav", mono);
    Write("out/T.wav", old);
    for (CTestHost::CANCEL cancel : {CTestHost::CANCEL_FIRST, CTestHost::CANCEL_LAST}) {
        CTestHost host(true, cancel);
        EXPECT_EQ(Merge(host, "in", "T", {1}), JOBRESULT_CANCELLED);
        EXPECT_FALSE(IsFinished(host));
        EXPECT_EQ(Read("out/T.wav"), old);
        EXPECT_EQ(FileCount("out"), 1u);
    }
    // A write refused by the system: its reason is told.
    rlimit limit{}, small{};
    getrlimit(RLIMIT_FSIZE, &limit);
    small = limit;
    small.rlim_cur = 40000;
    void (*pHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    CTestHost full;
    const JOBRESULT result = Merge(full, "in", "T", {1});
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, pHandler);
    EXPECT_EQ(result, JOBRESULT_FAILED);
    EXPECT_EQ(full.m_arrayError,
              std::vector<std::string>{"Cannot write " + Quoted(PathOf("out/T.wav")) +
                                       ": File too large."});
    EXPECT_EQ(Read("out/T.wav"), old);
    // A mono that shrinks after the checks.
    CShrinkHost shrink(PathOf("in/T_1.wav"));
    EXPECT_EQ(Merge(shrink, "in", "T", {1}), JOBRESULT_FAILED);
    EXPECT_EQ(shrink.m_arrayError,
              std::vector<std::string>{"Cannot read " + Quoted(PathOf("in/T_1.wav")) +
                                       ": the file ends inside the data chunk."});
    EXPECT_FALSE(IsFinished(shrink));
    EXPECT_EQ(Read("out/T.wav"), old);
    EXPECT_EQ(FileCount("out"), 1u);
    Write("in/T_1.wav", mono);
    CTestHost accept;
    EXPECT_EQ(Merge(accept, "in", "T", {1}), JOBRESULT_DONE);
    EXPECT_EQ(accept.m_arrayProgress.back(), "T\tFinish !");
    EXPECT_EQ(Find(Read("out/T.wav"), "data").size, 20480u);
}

TEST_F(CMergeTest, AnInputAtTheOutputPathIsRefusedBeforeTheQuestion) {
    const Bytes mono = Mono(Pattern(2000, 1));
    // merge -o out in A_1 A, with take A's mono "out/A_1.wav" named through a link.
    Write("in/A_1_1.wav", mono);
    Write("out/A_1.wav", mono);
    fs::create_directories(PathOf("links"));
    fs::create_symlink(PathOf("out/A_1.wav"), PathOf("links/A_1.wav"));
    CTestHost other;
    EXPECT_EQ(MergeRun(other, "A_1", {1}, {PathOf("links/A_1.wav")}), JOBRESULT_FAILED);
    ASSERT_EQ(other.m_arrayError.size(), 1u);
    EXPECT_NE(other.m_arrayError[0].find(Quoted(PathOf("out/A_1.wav"))), std::string::npos);
    EXPECT_NE(other.m_arrayError[0].find(Quoted(PathOf("links/A_1.wav"))), std::string::npos);
    EXPECT_TRUE(other.m_arrayQuestion.empty());
    EXPECT_EQ(Read("out/A_1.wav"), mono);
    // The take's own mono, the output path being a link to it.
    Write("in/T_1.wav", mono);
    fs::create_symlink(PathOf("in/T_1.wav"), PathOf("out/T.wav"));
    CTestHost own;
    EXPECT_EQ(MergeRun(own, "T", {1}, {}), JOBRESULT_FAILED);
    ASSERT_EQ(own.m_arrayError.size(), 1u);
    EXPECT_NE(own.m_arrayError[0].find(Quoted(PathOf("in/T_1.wav"))), std::string::npos);
    EXPECT_TRUE(own.m_arrayQuestion.empty());
    EXPECT_EQ(Read("in/T_1.wav"), mono);
}

TEST_F(CMergeTest, TakeNamesThatAreNoFileNamesAreRefused) {
    Write("x_1.wav", Mono(Pattern(2000, 1)));      // in/../x_1.wav
    Write("in/a/b_1.wav", Mono(Pattern(2000, 1))); // in/a/b_1.wav
    for (const std::string take : {"../x", "", "a/b"}) {
        SCOPED_TRACE(take);
        CTestHost host;
        EXPECT_EQ(Merge(host, "in", take, {1}), JOBRESULT_FAILED);
        ASSERT_EQ(host.m_arrayError.size(), 1u);
        EXPECT_NE(host.m_arrayError[0].find("take name"), std::string::npos);
    }
    EXPECT_EQ(FileCount("out"), 0u);
    EXPECT_FALSE(fs::exists(PathOf("x.wav")));
}

TEST_F(CMergeTest, OnlyRegularFilesAreMonos) {
    Write("in/T_1.wav", Mono(Pattern(2000, 1)));
    ASSERT_EQ(mkfifo(PathOf("in/T_2.wav").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo(PathOf("in/F_1.wav").c_str(), 0600), 0);
    fs::create_directories(PathOf("in/D_1.wav"));
    fs::create_symlink(PathOf("in/T_1.wav"), PathOf("in/L_1.wav"));
    std::vector<std::string> takes = CTakeScanner::ScanFolder(PathOf("in"));
    std::sort(takes.begin(), takes.end());
    EXPECT_EQ(takes, (std::vector<std::string>{"L", "T"}));
    EXPECT_EQ(CTakeScanner::Channels(PathOf("in"), "T"), std::vector<int>{1});
    EXPECT_EQ(CTakeScanner::MonoPaths(PathOf("in"), "T"),
              std::vector<std::string>{PathOf("in/T_1.wav")});
    // Handed over anyway, the FIFO is reported without being opened.
    CTestHost host;
    EXPECT_EQ(Merge(host, "in", "T", {1, 2}), JOBRESULT_FAILED);
    EXPECT_EQ(host.m_arrayError,
              std::vector<std::string>{CJobPath::NotRegularMessage(PathOf("in/T_2.wav"))});
    EXPECT_EQ(FileCount("out"), 0u);
}

TEST_F(CMergeTest, ChunksCutOffByTheEndOfTheLeadAreCarriedTruncated) {
    const Bytes data = Pattern(2000, 1), body = Pattern(41, 3);
    const struct {
        int mode;
        Bytes lead;
        const char* id;
    } cases[] = {
        {0, Mono(data) + Text("iXML") + U32(100) + body, "iXML"},
        {1, Mono(data, {}, Chunk("cue ", Pattern(28, 2))) + Text("Fake") + U32(1000) + body,
         "Fake"},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.id);
        Write("in/T_1.wav", t.lead);
        CTestHost host;
        ASSERT_EQ(Merge(host, "in", "T", {1}, t.mode), JOBRESULT_DONE);
        ASSERT_EQ(host.m_arrayError.size(), 1u);
        EXPECT_NE(host.m_arrayError[0].find(Quoted(PathOf("in/T_1.wav"))), std::string::npos);
        EXPECT_NE(host.m_arrayError[0].find(std::string("\"") + t.id + "\""), std::string::npos);
        EXPECT_EQ(Body(Read("out/T.wav"), t.id), body);
    }
}

TEST_F(CMergeTest, ThePolyFileIsAsLongAsItsLongestChannel) {
    const std::vector<Bytes> data = {Pattern(1000, 1), Pattern(3001, 2), Pattern(400, 3)};
    for (std::size_t n = 0; n < data.size(); ++n) {
        Write("in/T_" + std::to_string(n + 1) + ".wav", Mono(data[n]));
    }
    CTestHost host;
    ASSERT_EQ(Merge(host, "in", "T", {1, 2, 3}, 2), JOBRESULT_DONE);
    ASSERT_EQ(host.m_arrayError.size(), 2u);
    EXPECT_NE(host.m_arrayError[0].find(Quoted(PathOf("in/T_2.wav")) + " has 1501 samples"),
              std::string::npos);
    EXPECT_NE(host.m_arrayError[1].find(Quoted(PathOf("in/T_3.wav")) + " has 200 samples"),
              std::string::npos);
    Bytes expected;
    for (std::size_t k = 0; k < 3002; k += 2) {
        for (const Bytes& channel : data) {
            expected.push_back(k < channel.size() ? channel[k] : 0);
            expected.push_back(k + 1 < channel.size() ? channel[k + 1] : 0);
        }
    }
    const Bytes poly = Read("out/T.wav");
    EXPECT_EQ(Find(poly, "data").size, 10240u);
    EXPECT_TRUE(SameBytes(Slice(poly, 4096, expected.size()), expected));
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
    CEarlyCancelHost cancel;
    EXPECT_EQ(Merge(cancel, "in", "T", {1}, 1), JOBRESULT_CANCELLED);
    EXPECT_TRUE(cancel.m_arrayError.empty());
    EXPECT_EQ(FileCount("out"), 0u);
}
