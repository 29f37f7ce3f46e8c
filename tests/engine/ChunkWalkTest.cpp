// The chunk walk behind MoveChunk, EnumChunkList, EnumExistChunk and
// EnumUndefineChunk.

#include "CBwfFile.h"
#include "CTestKit.h"

#include <tuple>

using namespace std::string_literals;
using Found = std::vector<std::pair<std::string, uint64_t>>;

class CChunkWalkTest : public CTempFolderTest {
protected:
    void Open(const std::string& layout, bool isReadOnly = true) {
        m_file.CloseFile();
        m_nSize = Layout(layout).size();
        ASSERT_TRUE(m_file.OpenFile(Write("a.wav", Layout(layout)).c_str(), isReadOnly));
    }
    Found ChunkList() {
        std::vector<CBwfFile::_CHUNKENTRY> list;
        const uint32_t count = m_file.EnumChunkList(list); // before list.size() is read
        EXPECT_EQ(count, list.size());
        Found found;
        for (const auto& entry : list) {
            found.emplace_back(std::string(entry.chunk.id, 4), entry.pointer);
        }
        return found;
    }
    Found UndefinedList() {
        int32_t count = m_file.EnumUndefineChunk();
        Found found;
        CBwfFile::_CHUNK chunk;
        for (uint64_t at = 0; m_file.GetUndefineChunk(int32_t(found.size()), &chunk, &at);) {
            found.emplace_back(std::string(chunk.id, 4), at);
        }
        EXPECT_EQ(size_t(count), found.size());
        EXPECT_EQ(m_file.GetFilePointer(), m_nSize); // at the end, flags cleared
        Found visited;                               // the same entries without a list
        m_file.EnumUndefineChunk([&](const CBwfFile::_CHUNK& chunk, uint64_t at) {
            visited.emplace_back(std::string(chunk.id, 4), at);
            return true;
        });
        EXPECT_EQ(visited, found);
        return found;
    }

    CBwfFile m_file;
    uint64_t m_nSize = 0;
};

TEST_F(CChunkWalkTest, PadBytesAndListsAreWalkedAlikeByEveryWalker) {
    const std::pair<std::string, Found> cases[] = {
        {"RIFF|fmt :16|JUNK:3+|data:4", {{"fmt ", 12}, {"JUNK", 36}, {"data", 48}}},
        {"RIFF|fmt :16|JUNK:3|data:4", {{"fmt ", 12}, {"JUNK", 36}, {"data", 47}}},
        {"RIFF|fmt :16|xtra:5+", {{"fmt ", 12}, {"xtra", 36}}},
        {"RIFF|fmt :16|xtra:5", {{"fmt ", 12}, {"xtra", 36}}},
        {"RIFF|xtra:1+|JUNK:3+", {{"xtra", 12}, {"JUNK", 22}}},
        {"RIFF|LIST=17|INFO|INAM:5+|data:2", {{"LIST", 12}, {"data", 38}}},
        {"RIFF|LIST=30|adtl|labl:4|note:5+|data:2",
         {{"LIST", 12}, {"labl", 24}, {"note", 36}, {"data", 50}}},
    };
    for (const auto& [layout, expected] : cases) {
        SCOPED_TRACE(layout);
        Open(layout);
        EXPECT_EQ(ChunkList(), expected);
        Found undefined;
        for (const auto& [id, pointer] : expected) {
            EXPECT_TRUE(m_file.MoveChunk(id.c_str(), 4));
            EXPECT_EQ(m_file.GetFilePointer(), pointer + 4) << id;
            if (id == "JUNK" || id == "xtra" || id == "note") {
                undefined.emplace_back(id, pointer);
            }
        }
        EXPECT_EQ(UndefinedList(), undefined);
    }
}

TEST_F(CChunkWalkTest, HostileHeadersEndTheWalkAtTheEndOfTheFile) {
    // The layout, then the counts of listed chunks, the kinds found and the
    // count of undefined chunks.
    const std::tuple<std::string, size_t, uint32_t, size_t> cases[] = {
        {"", 0, 0, 0},
        {"RI", 0, 0, 0},
        {"RIFF=0", 0, CHUNK_RIFF, 0}, // ends inside the RIFF header
        {"RIFF|JUNK=0xFFFFFFFF|0123456789", 1, CHUNK_RIFF, 1},
        {"RIFF|fmt :16|JUNK=1000|0123456789", 2, CHUNK_RIFF | CHUNK_FMT, 1},
        {"RIFF|fmt :16|JUNK|00", 1, CHUNK_RIFF | CHUNK_FMT, 0}, // ends inside a size
        {"RIFF|fmt :16|JU", 1, CHUNK_RIFF | CHUNK_FMT, 0},
        {"RIFF|data|\x10", 0, CHUNK_RIFF | CHUNK_DATA, 0}, // found, as a recording cut there
        {"RIFF|LIST=0xFFFFFFF0|INFO", 1, CHUNK_RIFF, 0},
        {"RIFF|LIST=4", 1, CHUNK_RIFF, 0},
        {"RIFF|" + std::string(64, '\0'), 8, CHUNK_RIFF, 0}, // zero identifiers and sizes
    };
    for (const auto& [layout, chunkCount, exist, undefinedCount] : cases) {
        SCOPED_TRACE(layout);
        Open(layout);
        EXPECT_EQ(ChunkList().size(), chunkCount);
        EXPECT_FALSE(m_file.MoveChunk("zzzz", 0));
        EXPECT_EQ(m_file.GetFilePointer(), m_nSize);
        EXPECT_EQ(m_file.EnumExistChunk(), exist);
        EXPECT_EQ(m_file.GetFilePointer(), m_nSize);
        EXPECT_EQ(UndefinedList().size(), undefinedCount);
    }
}

TEST_F(CChunkWalkTest, KindLookupsFindEveryKindButList) {
    Open(
        "RIFF|fmt :16|pad :4|elmo:2|data:4|bext:2|cue :4|plst:4|LIST=16|adtl|labl:4|iXML:2|JUNK:2");
    EXPECT_EQ(m_file.EnumExistChunk(), 0x0EFFu);
    EXPECT_EQ(m_file.GetFilePointer(), 128u); // left on "iXML"
    EXPECT_TRUE(m_file.MoveChunk(CHUNK_ADTL, 0));
    EXPECT_EQ(m_file.GetFilePointer(), 104u + 8); // the list type of the LIST at 104
    for (uint32_t kind : {0u, CHUNK_LIST, 0x0003u, 0x1000u}) {
        EXPECT_FALSE(m_file.MoveChunk(kind, 0)) << kind;
        EXPECT_EQ(m_file.GetFilePointer(), 112u) << kind;
    }
    EXPECT_TRUE(m_file.MoveChunk(CHUNK_DATA, 8));
    EXPECT_EQ(m_file.GetFilePointer(), 66u);
    EXPECT_FALSE(m_file.MoveChunk(CHUNK_DATA, -59)); // before the file
    EXPECT_EQ(m_file.GetFilePointer(), NO_POINTER);
}

TEST_F(CChunkWalkTest, UndefinedChunksBehindDataAreDroppedUnlessMarkersFollowIt) {
    const std::pair<std::string, Found> cases[] = {
        {"RIFF|fmt :16|JUNK:28|data:4", {{"JUNK", 36}}},
        {"RIFF|fmt :16|data:4|JUNK:6", {}},
        {"RIFF|fmt :16|data:4|cue :4|JUNK:6", {{"JUNK", 60}}},
        {"RIFF|fmt :16|data:4|LIST=4|INFO|JUNK:6", {{"JUNK", 60}}},
        {"RIFF|fmt :16|cue :4|data:4|JUNK:6", {}},
        {"RIFF|xtra:2|JUNK:6", {{"xtra", 12}, {"JUNK", 22}}},
        {"RIFF|JUNK:0|\0abc:2|PAD :2|bext:2|iXML:2"s, {}},
        {"RIFF|JUNK:2|fmt :16|JUNK:4", {{"JUNK", 12}, {"JUNK", 46}}},
    };
    for (const auto& [layout, expected] : cases) {
        SCOPED_TRACE(layout);
        Open(layout);
        EXPECT_EQ(UndefinedList(), expected);
        EXPECT_EQ(UndefinedList(), expected); // rebuilt, not appended
        CBwfFile::_CHUNK chunk;
        EXPECT_FALSE(m_file.GetUndefineChunk(int32_t(expected.size()), &chunk));
    }
    // The second JUNK is reachable only through its listed position.
    EXPECT_TRUE(m_file.MoveChunk("JUNK", 0));
    EXPECT_EQ(m_file.GetFilePointer(), 12u);
}

TEST_F(CChunkWalkTest, TopLevelWalkTellsMissingPadBytesAndEntersNoList) {
    // Identifier, position, whether the header is whole, whether a pad is missing.
    using Items = std::vector<std::tuple<std::string, uint64_t, bool, bool>>;
    const std::pair<std::string, Items> cases[] = {
        {"RIFF|fmt :16|JUNK:3|data:4",
         {{"fmt ", 12, true, false}, {"JUNK", 36, true, true}, {"data", 47, true, false}}},
        {"RIFF|JUNK:3+|LIST=16|adtl|labl:4|data:1",
         {{"JUNK", 12, true, false}, {"LIST", 24, true, false}, {"data", 48, true, false}}},
        {"RIFF|RIFF:2|adtl:2|dat", {{"RIFF", 12, true, false}, {"adtl", 22, true, false}}},
        {"RIFF|xtra:2|data|00", {{"xtra", 12, true, false}, {"data", 22, false, false}}},
    };
    for (const auto& [layout, expected] : cases) {
        SCOPED_TRACE(layout);
        Open(layout);
        Items items;
        EXPECT_TRUE(m_file.WalkChunks(12, [&](const CBwfFile::_CHUNKITEM& item) {
            items.emplace_back(std::string(item.chunk.id, 4), item.pointer, item.isComplete,
                               item.isPadMissing);
            return true;
        }));
        EXPECT_EQ(items, expected);
    }
    Open("RIFF|fmt :16|JUNK:3|data:4");
    int count = 0;
    EXPECT_TRUE(m_file.WalkChunks(36, [&](const CBwfFile::_CHUNKITEM&) { return ++count < 1; }));
    EXPECT_EQ(count, 1);
}

TEST_F(CChunkWalkTest, LongWalksStopOnCancelAndListsStayBounded) {
    std::string layout = "RIFF|fmt :16";
    for (int i = 0; i < 20000; ++i) {
        layout += "|xtra:0";
    }
    Open(layout + "|data:2");
    std::vector<CBwfFile::_CHUNKENTRY> list;
    EXPECT_EQ(m_file.EnumChunkList(list, 100), 20002u);
    EXPECT_EQ(list.size(), 100u);
    std::atomic<bool> isCancel{true};
    m_file.SetCancelFlag(&isCancel);
    EXPECT_FALSE(m_file.MoveChunk(CHUNK_DATA, 0)); // ended before the samples
    EXPECT_FALSE(m_file.WalkChunks(12, [](const CBwfFile::_CHUNKITEM&) { return true; }));
    EXPECT_EQ(m_file.EnumExistChunk(), CHUNK_RIFF | CHUNK_FMT);
    isCancel = false;
    EXPECT_TRUE(m_file.MoveChunk(CHUNK_DATA, 0));
    EXPECT_EQ(m_file.GetFilePointer(), 12u + 24 + 20000 * 8);
}
