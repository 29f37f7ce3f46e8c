#include "CBwfFile.h"

#include "CBwfAssert.h"
#include "CChunkWalker.h"
#include "CPlatform.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>

namespace {

struct KINDENTRY {
    uint32_t kind;
    const char* id;
};

// Slot order of m_chunkPointer, which is also the order EnumExistChunk asks.
const KINDENTRY kindTable[11] = {
    {CHUNK_RIFF, "RIFF"}, {CHUNK_FMT, "fmt "},  {CHUNK_PAD, "pad "},  {CHUNK_ELMO, "elmo"},
    {CHUNK_DATA, "data"}, {CHUNK_BEXT, "bext"}, {CHUNK_CUE, "cue "},  {CHUNK_PLST, "plst"},
    {CHUNK_ADTL, "adtl"}, {CHUNK_LABL, "labl"}, {CHUNK_IXML, "iXML"},
};

int SlotOf(uint32_t kind) {
    for (int slot = 0; slot < 11; ++slot) {
        if (kindTable[slot].kind == kind) {
            return slot;
        }
    }
    return -1;
}

const unsigned char zeroPiece[TRANSFER_PIECE] = {};

// An RF64/BW64 header stands where "RIFF" is asked for.
bool IsItem(const CChunkWalker::ITEM& item, const char* id) {
    return std::memcmp(item.id, id, 4) == 0 ||
           (item.token == CChunkWalker::TOKEN_RIFF && std::memcmp(id, "RIFF", 4) == 0);
}

void PutLittleEndian(unsigned char* bytes, uint64_t value, int count) {
    for (int i = 0; i < count; ++i) {
        bytes[i] = static_cast<unsigned char>(value >> 8 * i);
    }
}

} // namespace

const char CBwfFile::chunkName[13][5] = {
    "RIFF", "fmt ", "pad ", "PAD ", "elmo", "data", "bext",
    "cue ", "plst", "LIST", "adtl", "labl", "iXML",
};

CBwfFile::CBwfFile()
    : m_isReadOnly(false), m_undefineChunkCount(0), m_undefineChunkHead(nullptr),
      m_undefineChunkTail(nullptr) {
    ResetChunkPointer();
}

CBwfFile::~CBwfFile() {
    if (!m_strTempPath.empty()) {
        DiscardFile();
    } else if (m_file.is_open()) {
        CloseFile();
    }
    ClearUndefineChunkList();
}

// ---- File access ---------------------------------------------------------

bool CBwfFile::IsAcceptedName(const char* path) {
    if (path == nullptr) {
        return false;
    }
    const char* dot = std::strrchr(path, '.');
    if (dot == nullptr) {
        return false;
    }
    return std::strcmp(dot + 1, "wav") == 0 || std::strcmp(dot + 1, "WAV") == 0;
}

bool CBwfFile::OpenFile(const char* path, bool isReadOnly) {
    if (m_file.is_open() || !IsAcceptedName(path)) {
        return false;
    }
    if (!m_file.open(path, isReadOnly ? CBwfStream::OPEN_READ : CBwfStream::OPEN_UPDATE)) {
        return false;
    }
    if (m_file.fail()) {
        m_file.close();
        return false;
    }
    ResetChunkPointer();
    m_filePath = path;
    m_isReadOnly = isReadOnly;
    return true;
}

bool CBwfFile::CreateBlankFile(const char* path) {
    if (m_file.is_open() || !IsAcceptedName(path)) {
        return false;
    }
    if (!m_file.open(path, CBwfStream::OPEN_CREATE)) {
        return false;
    }
    m_file.clear();
    m_isReadOnly = false;
    m_file.seekg(0, CBwfStream::SEEK_FROM_BEGIN);
    ResetChunkPointer();
    m_filePath = path;
    return true;
}

bool CBwfFile::CreateTempFile(const char* path) {
    if (m_file.is_open() || !IsAcceptedName(path)) {
        return false;
    }
    std::string strPath = path;
    std::string::size_type slash = strPath.find_last_of(CPlatform::PATH_SEPARATORS);
    std::string folder = slash == std::string::npos ? "" : strPath.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? strPath : strPath.substr(slash + 1);
    // A hidden name ending in ".partial": no listing, take scan or later run
    // takes it for a recording.
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device device;
    std::mt19937 random(device());
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string suffix;
        for (int i = 0; i < 8; ++i) {
            suffix += letters[random() % (sizeof letters - 1)];
        }
        // Cut so that the temporary name stays within a file-name limit.
        std::string tempPath = folder + "." + name.substr(0, 200) + "." + suffix + ".partial";
        if (m_file.open(tempPath.c_str(), CBwfStream::OPEN_EXCLUSIVE)) {
            m_isReadOnly = false;
            ResetChunkPointer();
            m_filePath = strPath;
            m_strTempPath = tempPath;
            return true;
        }
        if (m_file.lastErrno() != EEXIST) {
            return false;
        }
    }
    return false;
}

bool CBwfFile::CommitFile() {
    if (m_strTempPath.empty()) {
        return false;
    }
    const std::string tempPath = m_strTempPath;
    m_strTempPath.clear();
    bool isOk = m_file.is_open() && CloseFile();
    if (isOk) {
        int error = 0;
        isOk = CPlatform::ReplaceFile(tempPath, m_filePath, error);
        if (!isOk) {
            m_file.setError(error);
        }
    }
    if (!isOk) {
        CPlatform::RemoveFile(tempPath);
    }
    return isOk;
}

void CBwfFile::DiscardFile() {
    if (m_strTempPath.empty()) {
        return;
    }
    if (m_file.is_open()) {
        CloseFile();
    }
    CPlatform::RemoveFile(m_strTempPath);
    m_strTempPath.clear();
}

CBwfFile::_ERROR CBwfFile::GetLastError() const {
    return {m_file.lastErrno(), m_file.isShortRead()};
}

std::string CBwfFile::GetErrorText() const {
    if (m_file.isShortRead()) {
        return "the file ends before the bytes asked for";
    }
    return m_file.lastErrno() != 0 ? CPlatform::ErrorText(m_file.lastErrno()) : "";
}

void CBwfFile::ClearError() {
    m_file.clearError();
}

bool CBwfFile::CreateFile(const char* path, uint16_t, uint16_t, uint16_t) {
    return !m_file.is_open() && IsAcceptedName(path);
}

bool CBwfFile::CloseFile() {
    if (!m_file.is_open()) {
        return false;
    }
    if (!m_isReadOnly && !m_file.fail()) {
        m_file.seekg(0, CBwfStream::SEEK_FROM_END);
        int64_t length = m_file.tellg();
        // A file shorter than a RIFF header has no size field to maintain.
        if (length >= 8) {
            // Read afresh: the header may have been written since.
            m_ds64.Read(m_file);
            unsigned char bytes[8];
            if (m_ds64.IsRf64()) {
                PutLittleEndian(bytes, SIZE_IN_DS64, 4);
                m_file.seekg(4, CBwfStream::SEEK_FROM_BEGIN);
                m_file.write(bytes, 4);
                if (m_ds64.isPresent) {
                    PutLittleEndian(bytes, uint64_t(length) - 8, 8);
                    m_file.seekg(int64_t(DS64_RIFF_SIZE_AT), CBwfStream::SEEK_FROM_BEGIN);
                    m_file.write(bytes, 8);
                }
            } else {
                PutLittleEndian(bytes, uint64_t(length) - 8, 4);
                m_file.seekg(4, CBwfStream::SEEK_FROM_BEGIN);
                m_file.write(bytes, 4);
            }
        }
    }
    m_ds64 = _DS64();
    bool isOk = !m_file.fail();
    if (!m_file.close()) {
        isOk = false;
    }
    return isOk;
}

bool CBwfFile::IsOpen() const {
    return m_file.is_open();
}

void CBwfFile::GetFilePath(char* path, std::size_t size) const {
    if (path == nullptr || size == 0) {
        return;
    }
    std::size_t length = std::min(size - 1, m_filePath.size());
    std::memcpy(path, m_filePath.data(), length);
    path[length] = '\0';
}

// ---- Chunk table ---------------------------------------------------------

void CBwfFile::ResetChunkPointer() {
    for (uint64_t& pointer : m_chunkPointer) {
        pointer = NO_POINTER;
    }
    m_ds64.isRead = false;
}

const _DS64* CBwfFile::Ds64() {
    if (!m_ds64.isRead) {
        m_file.clear();
        const int64_t position = m_file.tellg();
        m_ds64.Read(m_file);
        m_file.clear();
        if (position >= 0) {
            m_file.seekg(position, CBwfStream::SEEK_FROM_BEGIN);
        }
    }
    return &m_ds64;
}

FORM CBwfFile::GetForm() {
    BWF_ASSERT(m_file.is_open());
    return Ds64()->form;
}

bool CBwfFile::GetDs64Problem(std::string& problem) {
    BWF_ASSERT(m_file.is_open());
    const _DS64* pDs64 = Ds64();
    problem = pDs64->IsRf64() ? pDs64->ProblemText() : "";
    return !problem.empty();
}

uint64_t CBwfFile::GetSampleCount64() {
    BWF_ASSERT(m_file.is_open());
    const _DS64* pDs64 = Ds64();
    return pDs64->IsRf64() && pDs64->isPresent ? pDs64->sampleCount : 0;
}

bool CBwfFile::CreateRiffHeader(bool isRf64) {
    BWF_ASSERT(m_file.is_open());
    if (!isRf64) {
        return CreateChunk(CHUNK_RIFF, 0);
    }
    const uint64_t position = GetFilePointer();
    unsigned char header[12 + DS64_CHUNK_BYTES] = {};
    std::memcpy(header, "RF64", 4);
    PutLittleEndian(header + 4, SIZE_IN_DS64, 4);
    std::memcpy(header + 8, "WAVE", 4);
    std::memcpy(header + DS64_POINTER, "ds64", 4);
    PutLittleEndian(header + DS64_POINTER + 4, DS64_BODY_MIN, 4);
    if (!Put(header, sizeof header)) {
        return false;
    }
    // What a read of these bytes would give, without reading them back.
    m_ds64 = _DS64();
    if (position == 0) {
        m_ds64.isRead = true;
        m_ds64.form = FORM_RF64;
        m_ds64.isPresent = true;
        m_ds64.chunkSize = DS64_BODY_MIN;
    }
    return true;
}

bool CBwfFile::SetDataSize64(uint64_t dataSize, uint64_t sampleCount) {
    BWF_ASSERT(m_file.is_open());
    const uint64_t position = GetFilePointer();
    if (position == NO_POINTER) {
        return false;
    }
    const _DS64* pDs64 = Ds64();
    bool isOk = false;
    if (!pDs64->IsRf64()) {
        isOk = dataSize <= 0xFFFFFFFF && SetChunkSize(CHUNK_DATA, uint32_t(dataSize));
    } else if (pDs64->isPresent) {
        isOk = SetChunkSize(CHUNK_DATA, SIZE_IN_DS64) && MoveTo(DS64_DATA_SIZE_AT) &&
               Put64(dataSize) && Put64(sampleCount);
        m_ds64.isRead = false;
    }
    return MoveTo(position) && isOk;
}

bool CBwfFile::MoveTo(uint64_t position) {
    if (position > uint64_t(std::numeric_limits<int64_t>::max())) {
        m_file.seekg(-1, CBwfStream::SEEK_FROM_BEGIN); // fails, like any move out of range
        return false;
    }
    return m_file.seekg(int64_t(position), CBwfStream::SEEK_FROM_BEGIN);
}

bool CBwfFile::WalkTo(CBwfStream& file, const char* id, int64_t offset, uint64_t* pointer,
                      const std::atomic<bool>* pIsCancel, const _DS64* pDs64) {
    CChunkWalker walker(file, pIsCancel, pDs64);
    CChunkWalker::ITEM item;
    while (walker.Next(item)) {
        if (!IsItem(item, id)) {
            continue;
        }
        if (pointer != nullptr) {
            *pointer = item.pointer;
        }
        if (offset < 0 && uint64_t(-offset) > item.pointer) {
            file.seekg(offset, CBwfStream::SEEK_FROM_BEGIN); // fails: before the start
            return false;
        }
        return file.seekg(int64_t(item.pointer) + offset, CBwfStream::SEEK_FROM_BEGIN);
    }
    return false;
}

bool CBwfFile::MoveChunkBy(uint32_t kind, int64_t offset) {
    BWF_ASSERT(m_file.is_open());
    int slot = SlotOf(kind);
    if (slot < 0) {
        return false;
    }
    if (m_chunkPointer[slot] != NO_POINTER) {
        uint64_t pointer = m_chunkPointer[slot];
        if (offset < 0 && uint64_t(-offset) > pointer) {
            return MoveTo(NO_POINTER);
        }
        return MoveTo(pointer + offset);
    }
    uint64_t pointer = NO_POINTER;
    if (!WalkTo(m_file, kindTable[slot].id, offset, &pointer, m_pIsCancel, Ds64())) {
        return false;
    }
    m_chunkPointer[slot] = pointer;
    return true;
}

bool CBwfFile::MoveChunk(uint32_t kind, int32_t offset) {
    return MoveChunkBy(kind, offset);
}

bool CBwfFile::MoveChunk(const char* id, int32_t offset) {
    return MoveChunk(m_file, id, offset);
}

bool CBwfFile::MoveChunk(CBwfStream& file, const char* id, int32_t offset) {
    BWF_ASSERT(file.is_open());
    if (&file != &m_file) {
        return WalkTo(file, id, offset, nullptr, nullptr, nullptr);
    }
    return WalkTo(file, id, offset, nullptr, m_pIsCancel, Ds64());
}

uint32_t CBwfFile::EnumExistChunk() {
    BWF_ASSERT(m_file.is_open());
    ResetChunkPointer();
    // One walk fills every slot with the first match of its kind, as a walk
    // per kind would, in a time that does not grow with the kinds missing.
    uint32_t exist = 0;
    CChunkWalker walker(m_file, m_pIsCancel, Ds64());
    CChunkWalker::ITEM item;
    while (walker.Next(item)) {
        for (int slot = 0; slot < 11; ++slot) {
            if (m_chunkPointer[slot] == NO_POINTER && IsItem(item, kindTable[slot].id)) {
                m_chunkPointer[slot] = item.pointer;
                exist |= kindTable[slot].kind;
            }
        }
    }
    if ((exist & CHUNK_IXML) != 0) {
        MoveChunk(CHUNK_IXML, 0);
    }
    return exist;
}

bool CBwfFile::GetFormat(uint16_t& channels, uint16_t& bitsPerSample, uint32_t& samplesPerSec) {
    if (!MoveChunk(CHUNK_FMT, 4)) {
        return false;
    }
    // The size field and the 16-byte body; a shorter chunk has no sample
    // width, and bytes of the next chunk must not be taken for one.
    unsigned char chunk[4 + FMT_BODY_PCM];
    _FMT fmt;
    // Only the PCM fields are read, whatever size the chunk declares.
    if (m_file.read(chunk, sizeof chunk) != sizeof chunk || BinToDec(chunk, 4) < FMT_BODY_PCM ||
        !fmt.Read(chunk + 4, FMT_BODY_PCM)) {
        return false;
    }
    channels = fmt.channels;
    samplesPerSec = fmt.samplesPerSec;
    bitsPerSample = fmt.bitsPerSample;
    return true;
}

bool CBwfFile::GetFormatTag(uint16_t& formatTag) {
    if (!MoveChunk(CHUNK_FMT, 8)) {
        return false;
    }
    unsigned char tag[2];
    if (m_file.read(tag, 2) != 2) {
        return false;
    }
    formatTag = uint16_t(BinToDec(tag, 2));
    return true;
}

bool CBwfFile::SetFormat(uint16_t channels, uint16_t bitsPerSample, uint32_t samplesPerSec) {
    _FMT fmt;
    fmt.formatTag = FORMAT_PCM;
    fmt.channels = channels;
    fmt.samplesPerSec = samplesPerSec;
    fmt.blockAlign = uint16_t((bitsPerSample / 8) * channels);
    fmt.avgBytesPerSec = samplesPerSec * fmt.blockAlign;
    fmt.bitsPerSample = bitsPerSample;
    unsigned char body[FMT_BODY_PCM];
    fmt.Write(body);
    return WriteFile(FMT_BODY_PCM) != 0 && WriteFile(body, FMT_BODY_PCM) == FMT_BODY_PCM;
}

namespace {

// A walked item as the listings hand it out.
CBwfFile::_CHUNKITEM ItemOf(const CChunkWalker::ITEM& item) {
    CBwfFile::_CHUNKITEM chunk;
    std::memcpy(chunk.chunk.id, item.id, 4);
    chunk.chunk.size = item.size;
    chunk.pointer = item.pointer;
    chunk.realSize = item.realSize;
    chunk.isSizeUnresolved = item.isSizeUnresolved;
    chunk.isComplete = item.isComplete;
    chunk.isPadMissing = item.isPadMissing;
    return chunk;
}

} // namespace

uint32_t CBwfFile::EnumChunkList(std::vector<_CHUNKENTRY>& list, uint32_t maxCount) {
    BWF_ASSERT(m_file.is_open());
    list.clear();
    uint32_t count = 0;
    CChunkWalker walker(m_file, m_pIsCancel, Ds64());
    CChunkWalker::ITEM item;
    while (walker.Next(item)) {
        if (item.isComplete &&
            (item.token == CChunkWalker::TOKEN_LIST || item.token == CChunkWalker::TOKEN_CHUNK)) {
            if (count < maxCount) {
                const _CHUNKITEM chunk = ItemOf(item);
                list.push_back(
                    {chunk.chunk, chunk.pointer, chunk.realSize, chunk.isSizeUnresolved});
            }
            if (count != UINT32_MAX) {
                ++count;
            }
        }
    }
    return count;
}

bool CBwfFile::WalkChunks(uint64_t position, const CHUNKVISIT& visit) {
    BWF_ASSERT(m_file.is_open());
    CChunkWalker walker(m_file, position, m_pIsCancel, Ds64());
    CChunkWalker::ITEM item;
    while (walker.Next(item)) {
        if (!visit(ItemOf(item))) {
            m_file.clear();
            return true;
        }
    }
    return !walker.IsCancelled();
}

// ---- Byte order ----------------------------------------------------------

void CBwfFile::DecToBin(uint32_t& value) {
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
        static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    std::memcpy(&value, bytes, 4);
}

void CBwfFile::DecToBin(uint16_t& value) {
    const unsigned char bytes[2] = {static_cast<unsigned char>(value),
                                    static_cast<unsigned char>(value >> 8)};
    std::memcpy(&value, bytes, 2);
}

void CBwfFile::DecToBin(int32_t& value) {
    // Negative values get their full two's-complement bytes.
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    DecToBin(bits);
    std::memcpy(&value, &bits, 4);
}

uint32_t CBwfFile::BinToDec(const void* bytes, int32_t count) {
    const unsigned char* pByte = static_cast<const unsigned char*>(bytes);
    uint32_t value = 0;
    for (int32_t i = std::min<int32_t>(count, 4) - 1; i >= 0; --i) {
        value = value << 8 | pByte[i];
    }
    return value;
}

// ---- Stream primitives ---------------------------------------------------

uint32_t CBwfFile::ReadFile(void* buffer, uint32_t count) {
    BWF_ASSERT(m_file.is_open());
    // A failed stream reads nothing; a short read clears the flags and
    // counts as no read at all.
    if (m_file.fail()) {
        return 0;
    }
    m_file.read(buffer, count);
    if (m_file.fail()) {
        m_file.clear();
        return 0;
    }
    return count;
}

uint32_t CBwfFile::WriteFile(const void* buffer, uint32_t count) {
    BWF_ASSERT(m_file.is_open());
    return m_file.write(buffer, count) ? count : 0;
}

unsigned char* CBwfFile::BeginWriteFile(uint32_t count) {
    BWF_ASSERT(m_file.is_open());
    BWF_ASSERT(count <= WRITE_SPACE_MAX);
    return static_cast<unsigned char*>(m_file.reserve(count));
}

void CBwfFile::SetWriteBuffer(uint32_t bytes) {
    constexpr uint32_t most = 16u << 20;
    m_file.setWriteBuffer(bytes < WRITE_SPACE_MAX ? WRITE_SPACE_MAX
                                                  : (bytes > most ? most : bytes));
}

uint32_t CBwfFile::EndWriteFile(uint32_t count) {
    BWF_ASSERT(m_file.is_open());
    return m_file.commit(count) ? count : 0;
}

uint32_t CBwfFile::WriteFile(uint16_t value) {
    DecToBin(value);
    return WriteFile(&value, 2) == 2 ? 2 : 0;
}

uint32_t CBwfFile::WriteFile(uint32_t value) {
    DecToBin(value);
    return WriteFile(&value, 4) == 4 ? 4 : 0;
}

uint32_t CBwfFile::WriteZeroFile(uint32_t count) {
    uint32_t done = 0;
    while (done < count) {
        uint32_t piece = std::min(count - done, TRANSFER_PIECE);
        if (!m_file.write(zeroPiece, piece)) {
            break;
        }
        done += piece;
    }
    return done;
}

uint64_t CBwfFile::SeekFile(int32_t offset, POINTERBASE base) {
    CBwfStream::SEEKDIR dir;
    switch (base) {
    case POINTERBASE_BEGIN:
        dir = CBwfStream::SEEK_FROM_BEGIN;
        break;
    case POINTERBASE_CURRENT:
        dir = CBwfStream::SEEK_FROM_CURRENT;
        break;
    case POINTERBASE_END:
        dir = CBwfStream::SEEK_FROM_END;
        break;
    default:
        return 0;
    }
    m_file.seekg(offset, dir);
    return GetFilePointer();
}

uint64_t CBwfFile::SetFilePointer(uint64_t position) {
    MoveTo(position);
    return GetFilePointer();
}

uint64_t CBwfFile::GetFilePointer() {
    int64_t position = m_file.tellg();
    return position < 0 ? NO_POINTER : uint64_t(position);
}

uint64_t CBwfFile::GetFilePointer(uint64_t& position) {
    position = GetFilePointer();
    return position;
}

uint64_t CBwfFile::GetFileSize() {
    m_file.seekg(0, CBwfStream::SEEK_FROM_BEGIN);
    int64_t start = m_file.tellg();
    m_file.seekg(0, CBwfStream::SEEK_FROM_END);
    int64_t end = m_file.tellg();
    return start < 0 || end < 0 ? 0 : uint64_t(end - start);
}

void CBwfFile::FlushFile() {
    m_file.flush();
}

// ---- Chunk editing and copying ---------------------------------------------

bool CBwfFile::CreateChunk(uint32_t kind, uint32_t size) {
    int slot = SlotOf(kind);
    if (slot < 0) {
        return false;
    }
    DecToBin(size);
    unsigned char header[12];
    std::memcpy(header, kindTable[slot].id, 4);
    std::memcpy(header + 4, &size, 4);
    std::memcpy(header + 8, "WAVE", 4);
    if (kind == CHUNK_RIFF) {
        m_ds64.isRead = false;
    }
    m_file.write(header, kind == CHUNK_RIFF ? 12 : 8);
    return !m_file.fail();
}

bool CBwfFile::SetChunkSize(uint32_t kind, uint32_t size) {
    if (!MoveChunk(kind, 4)) {
        return false;
    }
    DecToBin(size);
    return m_file.write(&size, 4);
}

uint32_t CBwfFile::SetChunkSize(uint32_t) {
    return 0;
}

uint32_t CBwfFile::GetChunkSize(uint32_t kind) {
    BWF_ASSERT(m_file.is_open());
    if (!MoveChunk(kind, 4)) {
        return 0;
    }
    unsigned char size[4] = {};
    m_file.read(size, 4);
    return BinToDec(size, 4);
}

uint64_t CBwfFile::GetChunkSize64(uint32_t kind) {
    BWF_ASSERT(m_file.is_open());
    const _DS64* pDs64 = Ds64();
    if (!MoveChunk(kind, 4)) {
        return 0;
    }
    unsigned char size[4] = {};
    m_file.read(size, 4);
    uint64_t realSize = 0;
    pDs64->RealSize(kindTable[SlotOf(kind)].id, BinToDec(size, 4), kind == CHUNK_RIFF, realSize);
    return realSize;
}

uint32_t CBwfFile::ReadData(void* buffer, uint32_t count, uint32_t offset) {
    if (!MoveChunkBy(CHUNK_DATA, int64_t(offset) + 8)) {
        return 0;
    }
    return uint32_t(m_file.read(buffer, count));
}

uint32_t CBwfFile::WriteData(const void* buffer, uint32_t count, uint32_t offset) {
    if (!MoveChunkBy(CHUNK_DATA, int64_t(offset) + 8)) {
        return 0;
    }
    const unsigned char* pByte = static_cast<const unsigned char*>(buffer);
    unsigned char piece[TRANSFER_PIECE];
    uint32_t done = 0;
    while (done < count) {
        uint32_t length = std::min(count - done, TRANSFER_PIECE);
        std::memcpy(piece, pByte + done, length);
        if (!m_file.write(piece, length)) {
            break;
        }
        done += length;
    }
    return done;
}

uint32_t CBwfFile::WriteZeroData(uint32_t count, uint32_t offset) {
    if (!MoveChunkBy(CHUNK_DATA, int64_t(offset) + 8)) {
        return 0;
    }
    return WriteZeroFile(count);
}

uint32_t CBwfFile::CopyData(const char* sourcePath, uint32_t count, uint64_t sourceOffset,
                            uint64_t destOffset) {
    CBwfStream source;
    if (!source.open(sourcePath, CBwfStream::OPEN_READ)) {
        return 0;
    }
    constexpr uint64_t maxOffset = uint64_t(std::numeric_limits<int64_t>::max());
    if (sourceOffset > maxOffset || destOffset > maxOffset ||
        !WalkTo(source, "data", int64_t(sourceOffset), nullptr, m_pIsCancel, nullptr) ||
        !MoveChunkBy(CHUNK_DATA, int64_t(destOffset))) {
        return 0;
    }
    unsigned char piece[TRANSFER_PIECE];
    uint32_t done = 0;
    while (done < count) {
        uint32_t length = std::min(count - done, TRANSFER_PIECE);
        if (source.read(piece, length) != length || !m_file.write(piece, length)) {
            break;
        }
        done += length;
    }
    return done;
}

uint32_t CBwfFile::CopyFile(const char* sourcePath, uint32_t count, uint64_t sourcePosition,
                            uint64_t destPosition) {
    CBwfStream source;
    if (!source.open(sourcePath, CBwfStream::OPEN_READ)) {
        return 0;
    }
    constexpr uint64_t maxPosition = uint64_t(std::numeric_limits<int64_t>::max());
    if (sourcePosition > maxPosition ||
        !source.seekg(int64_t(sourcePosition), CBwfStream::SEEK_FROM_BEGIN) ||
        !MoveTo(destPosition)) {
        return 0;
    }
    unsigned char piece[TRANSFER_PIECE];
    uint32_t done = 0;
    while (done < count) {
        uint32_t length = std::min(count - done, TRANSFER_PIECE);
        uint32_t got = uint32_t(source.read(piece, length));
        if (got == 0 || !m_file.write(piece, got)) {
            break;
        }
        done += got;
        if (got < length) {
            break;
        }
    }
    return done;
}

uint32_t CBwfFile::CopyFile(CBwfFile& source, uint32_t count, uint64_t sourcePosition,
                            uint64_t destPosition) {
    BWF_ASSERT(m_file.is_open());
    source.SetFilePointer(sourcePosition);
    MoveTo(destPosition);
    unsigned char piece[TRANSFER_PIECE];
    uint32_t done = 0;
    while (done < count) {
        uint32_t got = source.ReadFile(piece, std::min(count - done, TRANSFER_PIECE));
        if (got == 0 || !m_file.write(piece, got)) {
            break;
        }
        done += got;
    }
    return done;
}

// ---- Helpers of the default chunk writers --------------------------------------

bool CBwfFile::Put(const void* buffer, std::size_t count) {
    m_file.write(buffer, count);
    return !m_file.fail();
}

bool CBwfFile::Put32(uint32_t value) {
    DecToBin(value);
    return Put(&value, 4);
}

bool CBwfFile::Put64(uint64_t value) {
    unsigned char bytes[8];
    PutLittleEndian(bytes, value, 8);
    return Put(bytes, 8);
}

bool CBwfFile::BeginChunk(const char* id, uint64_t& bodyStart) {
    if (!Put(id, 4) || !Put32(0)) {
        return false;
    }
    bodyStart = GetFilePointer();
    return bodyStart != NO_POINTER;
}

bool CBwfFile::EndChunk(uint64_t bodyStart) {
    uint64_t end = GetFilePointer();
    if (end == NO_POINTER) {
        return false;
    }
    return MoveTo(bodyStart - 4) && Put32(uint32_t(end - bodyStart)) && MoveTo(end);
}
