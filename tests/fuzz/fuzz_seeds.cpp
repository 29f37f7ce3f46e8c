// Writes the fuzzers' starting corpus into the folder given: a minimal file,
// metadata with odd sizes and pad bytes, marker lists, broken layouts, and
// the sources the jobs meet: a mono take, float and extensible formats, a
// missing pad byte ahead of the samples and chunks cut off by the end.

#include "CTestKit.h"

int main(int argc, char** argv) {
    const Bytes fmt = Chunk("fmt ", FmtBody(1, 2, 24, 48000)),
                data = Chunk("data", Bytes(12, 0x11));
    const Bytes meta = Chunk("bext", Bytes(40, 'b')) + Chunk("iXML", Text("<BWFXML/>")) +
                       Chunk("Fake", Text("odd")) + Chunk("pad ", Bytes(64));
    const Bytes adtl =
        Text("adtl") + Chunk("labl", U32(1) + Text("mark")) + Chunk("note", Text("n"));
    const Bytes cue = U32(1) + U32(1) + U32(0) + Text("data") + U32(0) + U32(0) + U32(0);
    const Bytes seeds[] = {
        Riff(fmt + data),
        Riff(meta + fmt + data),
        Riff(fmt + data + Chunk("cue ", cue) +
             Chunk("LIST", Text("INFO") + Chunk("INAM", Text("take"))) + Chunk("LIST", adtl) +
             Chunk("plst", U32(0))),
        Slice(Riff(meta + fmt + data), 0, 90),
        Riff(fmt + Text("data") + U32(3) + Text("abc")), // odd last chunk without its pad byte
        Wave(FmtBody(1, 1, 16, 48000), Chunk("bext", Bytes(602, 'b')), Pattern(64)),
        Wave(FmtBody(3, 2, 32, 44100), {}, Pattern(64), Chunk("cue ", cue)),
        Wave(FmtBody(0xFFFE, 3, 24, 96000, 7), {}, Pattern(90), Chunk("iXML", Text("<x/>"))),
        Riff(fmt + Chunk("Fake", Text("odd"), false) + data),      // pad byte missing before data
        Riff(fmt + data + Text("LIST") + U32(400) + Text("INFO")), // cut off by the end
        // RF64: sizes of all ones resolved by "ds64", one through its table.
        Text("RF64") + U32(0xFFFFFFFF) + Text("WAVE") +
            Chunk("ds64", U32(126) + U32(0) + U32(12) + U32(0) + U32(3) + U32(0) + U32(1) +
                              Text("Fake") + U32(3) + U32(0)) +
            fmt + Text("Fake") + U32(0xFFFFFFFF) + Text("odd") + Bytes(1) + Text("data") +
            U32(0xFFFFFFFF) + Bytes(12, 0x11) + Chunk("iXML", Text("<BWFXML/>")),
    };
    for (const Bytes& seed : seeds) {
        const std::string path = std::string(argc > 1 ? argv[1] : ".") + "/seed" +
                                 std::to_string(&seed - seeds) + ".wav";
        if (!std::ofstream(path, std::ios::binary)
                 .write(reinterpret_cast<const char*>(seed.data()), std::streamsize(seed.size()))) {
            return 1;
        }
    }
}
