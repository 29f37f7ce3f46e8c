// Writes the fuzzer's starting corpus into the folder given: a minimal file,
// metadata with odd sizes and pad bytes, marker lists, and broken layouts.

#include <cstdint>
#include <fstream>
#include <string>

namespace {

std::string Le32(uint32_t value) {
    return {char(value), char(value >> 8), char(value >> 16), char(value >> 24)};
}

std::string Chunk(const char* id, const std::string& body) {
    std::string chunk = std::string(id, 4) + Le32(uint32_t(body.size())) + body;
    return body.size() % 2 != 0 ? chunk + '\0' : chunk;
}

std::string Riff(const std::string& chunks) {
    return "RIFF" + Le32(uint32_t(chunks.size() + 4)) + "WAVE" + chunks;
}

} // namespace

int main(int argc, char** argv) {
    const std::string fmt =
        Chunk("fmt ", std::string("\1\0\2\0\x80\xbb\0\0\0\x65\4\0\6\0\x18\0", 16));
    const std::string data = Chunk("data", std::string(12, '\x11'));
    const std::string meta = Chunk("bext", std::string(40, 'b')) + Chunk("iXML", "<BWFXML/>") +
                             Chunk("Fake", "odd") + Chunk("pad ", std::string(64, '\0'));
    const std::string adtl = "adtl" + Chunk("labl", Le32(1) + "mark") + Chunk("note", "n");
    const std::string cue = Le32(1) + Le32(1) + Le32(0) + "data" + Le32(0) + Le32(0) + Le32(0);
    const std::string seeds[] = {
        Riff(fmt + data),
        Riff(meta + fmt + data),
        Riff(fmt + data + Chunk("cue ", cue) + Chunk("LIST", "INFO" + Chunk("INAM", "take")) +
             Chunk("LIST", adtl) + Chunk("plst", Le32(0))),
        Riff(meta + fmt + data).substr(0, 90),
        Riff(fmt + "data" + Le32(3) + "abc"), // odd last chunk without its pad byte
    };
    for (const std::string& seed : seeds) {
        std::string path = std::string(argc > 1 ? argv[1] : ".") + "/seed" +
                           std::to_string(&seed - seeds) + ".wav";
        if (!std::ofstream(path, std::ios::binary)
                 .write(seed.data(), std::streamsize(seed.size()))) {
            return 1;
        }
    }
    return 0;
}
