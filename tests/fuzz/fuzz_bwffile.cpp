// libFuzzer target: every lookup of a read-only CBwfFile over arbitrary bytes,
// checked against the bytes themselves, then a writable open and close. A
// broken invariant aborts, so libFuzzer keeps the input.

#include "CBwfFile.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#define FUZZ_CHECK(expression) ((expression) ? static_cast<void>(0) : Fail(__LINE__, #expression))

namespace {

using BYTES = std::vector<uint8_t>;
using LIST = std::vector<CBwfFile::_CHUNKENTRY>;

const struct {
    uint32_t kind;
    const char* id;
} kinds[] = {
    {CHUNK_RIFF, "RIFF"}, {CHUNK_FMT, "fmt "},  {CHUNK_PAD, "pad "},  {CHUNK_ELMO, "elmo"},
    {CHUNK_DATA, "data"}, {CHUNK_BEXT, "bext"}, {CHUNK_CUE, "cue "},  {CHUNK_PLST, "plst"},
    {CHUNK_ADTL, "adtl"}, {CHUNK_LABL, "labl"}, {CHUNK_IXML, "iXML"},
};
constexpr int KIND_COUNT = sizeof kinds / sizeof kinds[0];

const std::string g_strPath = (std::filesystem::temp_directory_path() /
                               ("kestrawave-fuzz-" + std::to_string(getpid()) + ".wav"))
                                  .string();

[[noreturn]] void Fail(int line, const char* expression) {
    std::fprintf(stderr, "fuzz_bwffile.cpp:%d: invariant broken: %s\n", line, expression);
    std::abort();
}

// Little-endian value at pos; bytes past the end read as zero.
uint32_t Le(const BYTES& bytes, uint64_t pos, int count) {
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = value << 8 | (pos + i < bytes.size() ? bytes[pos + i] : 0);
    }
    return value;
}

bool HasIdAt(const BYTES& bytes, uint64_t pos, const char* id) {
    return pos + 4 <= bytes.size() && std::memcmp(&bytes[pos], id, 4) == 0;
}

bool IsRf64(const BYTES& bytes) {
    return HasIdAt(bytes, 0, "RF64") || HasIdAt(bytes, 0, "BW64");
}

// An RF64/BW64 header is found as the RIFF header.
bool HasKindAt(const BYTES& bytes, uint64_t pos, const char* id) {
    return HasIdAt(bytes, pos, id) || (pos == 0 && IsRf64(bytes) && std::strcmp(id, "RIFF") == 0);
}

bool IsListed(const LIST& list, uint64_t pos, const char* id) {
    return std::any_of(list.begin(), list.end(), [&](const CBwfFile::_CHUNKENTRY& entry) {
        return entry.pointer == pos && std::memcmp(entry.chunk.id, id, 4) == 0;
    });
}

// A short read leaves the stream failed until a walk that finds nothing.
void Recover(CBwfFile& file) {
    file.MoveChunk("\xff\x01\xfe\x02", 0);
}

uint32_t ReadOnlyPass(const BYTES& bytes) {
    uint64_t pos[KIND_COUNT];
    CBwfFile file;
    FUZZ_CHECK(file.OpenFile(g_strPath.c_str(), true));
    uint32_t exist = file.EnumExistChunk();
    FUZZ_CHECK((exist & ~uint32_t(0x0EFF)) == 0); // CHUNK_LIST is never a kind
    for (int i = 0; i < KIND_COUNT; ++i) {
        FUZZ_CHECK(file.MoveChunk(kinds[i].kind, 0) == ((exist & kinds[i].kind) != 0));
        pos[i] = (exist & kinds[i].kind) != 0 ? file.GetFilePointer() : NO_POINTER;
        FUZZ_CHECK(pos[i] == NO_POINTER || HasKindAt(bytes, pos[i], kinds[i].id));
    }
    FUZZ_CHECK(!file.MoveChunk(CHUNK_LIST, 0) && !file.MoveChunk(CHUNK_FMT | CHUNK_DATA, 0));
    const FORM form = file.GetForm();
    FUZZ_CHECK(form == (HasIdAt(bytes, 0, "RIFF")   ? FORM_RIFF
                        : HasIdAt(bytes, 0, "RF64") ? FORM_RF64
                        : HasIdAt(bytes, 0, "BW64") ? FORM_BW64
                                                    : FORM_NONE));
    std::string problem;
    const bool isDs64 =
        IsRf64(bytes) && HasIdAt(bytes, 12, "ds64") && Le(bytes, 16, 4) >= 28 && bytes.size() >= 48;
    FUZZ_CHECK(file.GetDs64Problem(problem) == !problem.empty());
    FUZZ_CHECK(isDs64 || problem.empty() == !IsRf64(bytes));
    FUZZ_CHECK(file.GetSampleCount64() ==
               (isDs64 ? Le(bytes, 36, 4) | uint64_t(Le(bytes, 40, 4)) << 32 : 0));
    uint16_t channels = 0, bits = 0, tag = 0;
    uint32_t rate = 0;
    const uint64_t fmt = pos[1];
    bool isFormat = file.GetFormat(channels, bits, rate);
    FUZZ_CHECK(isFormat ==
               (fmt != NO_POINTER && fmt + 24 <= bytes.size() && Le(bytes, fmt + 4, 4) >= 16));
    FUZZ_CHECK(!isFormat || (channels == Le(bytes, fmt + 10, 2) && rate == Le(bytes, fmt + 12, 4) &&
                             bits == Le(bytes, fmt + 22, 2)));
    Recover(file);
    FUZZ_CHECK(!isFormat || (file.GetFormatTag(tag) && tag == Le(bytes, fmt + 8, 2)));
    Recover(file);

    LIST list;
    const uint32_t listed = file.EnumChunkList(list); // before list.size() is read
    FUZZ_CHECK(listed == list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        FUZZ_CHECK(list[i].pointer + 8 <= bytes.size() &&
                   HasIdAt(bytes, list[i].pointer, list[i].chunk.id) &&
                   Le(bytes, list[i].pointer + 4, 4) == list[i].chunk.size);
        // Only a size field of all ones in an RF64/BW64 file stands for another size.
        FUZZ_CHECK(list[i].realSize == list[i].chunk.size ||
                   (IsRf64(bytes) && list[i].chunk.size == 0xFFFFFFFF));
        FUZZ_CHECK(i == 0 || list[i - 1].pointer < list[i].pointer);
    }
    // Lookups by kind and by identifier find the chunks the listing shows.
    for (int i = 0; i < KIND_COUNT; ++i) {
        bool isFound = file.MoveChunk(kinds[i].id, 0);
        FUZZ_CHECK(isFound == (pos[i] != NO_POINTER) &&
                   (!isFound || file.GetFilePointer() == pos[i]));
        // A header cut off by the end of the file is found but not listed.
        FUZZ_CHECK(!isFound || i == 0 || kinds[i].kind == CHUNK_ADTL || pos[i] + 8 > bytes.size() ||
                   IsListed(list, pos[i], kinds[i].id));
        FUZZ_CHECK(!isFound || !file.MoveChunk(kinds[i].id, -int32_t(pos[i]) - 1));
        Recover(file);
    }

    int32_t count = file.EnumUndefineChunk();
    CBwfFile::_CHUNK chunk;
    uint64_t pointer = 0;
    for (int32_t i = 0; i < count; ++i) {
        FUZZ_CHECK(file.GetUndefineChunk(i, &chunk, &pointer));
        FUZZ_CHECK(IsListed(list, pointer, chunk.id) && chunk.id[0] != '\0' && chunk.size != 0);
        FUZZ_CHECK(Le(bytes, pointer + 4, 4) == chunk.size);
        for (const char* known : CBwfFile::chunkName) {
            FUZZ_CHECK(std::memcmp(known, chunk.id, 4) != 0);
        }
        FUZZ_CHECK(std::memcmp("ds64", chunk.id, 4) != 0);
    }
    FUZZ_CHECK(!file.GetUndefineChunk(count, &chunk) && !file.GetUndefineChunk(-1, &chunk));
    FUZZ_CHECK(file.CloseFile());
    return exist;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::atexit([] { std::remove(g_strPath.c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    BYTES bytes(data, data + size);
    std::ofstream(g_strPath, std::ios::binary).write(reinterpret_cast<const char*>(data), size);
    const uint32_t exist = ReadOnlyPass(bytes);
    // A writable open and close change the RIFF size alone: in an RF64/BW64
    // file all ones in its field, and the length in "ds64" when it has one.
    CBwfFile file;
    FUZZ_CHECK(file.OpenFile(g_strPath.c_str(), false) && file.EnumExistChunk() == exist &&
               file.CloseFile());
    if (bytes.size() >= 8) {
        const uint64_t length = bytes.size() - 8;
        const uint32_t riffSize = IsRf64(bytes) ? 0xFFFFFFFF : uint32_t(length);
        std::memcpy(&bytes[4], &riffSize, 4); // the host is little-endian
        if (IsRf64(bytes) && HasIdAt(bytes, 12, "ds64") && Le(bytes, 16, 4) >= 28 &&
            bytes.size() >= 48) {
            std::memcpy(&bytes[20], &length, 8);
        }
    }
    std::ifstream in(g_strPath, std::ios::binary);
    FUZZ_CHECK(BYTES(std::istreambuf_iterator<char>(in), {}) == bytes);
    return 0;
}
