// The default marker chunks: "cue " with 99 points, an empty "plst" and a
// "LIST" of type "adtl" labelling the 99 slots.

#include "CBwfFile.h"

#include <cstdio>
#include <cstring>

bool CBwfFile::CreateDefaultCueChunk() {
    uint64_t bodyStart = 0;
    if (!BeginChunk("cue ", bodyStart) || !Put32(MARKER_SLOTS)) {
        return false;
    }
    for (uint32_t slot = 0; slot < MARKER_SLOTS; ++slot) {
        // Slot 1 carries 0xFF000002: recorders reading these files expect it.
        uint32_t identifier = slot == 0 ? 0 : ((slot + 1) | 0xFF000000u);
        if (!Put32(identifier) || !Put32(0) || !Put("data", 4) || !Put32(0) || !Put32(0) ||
            !Put32(0)) {
            return false;
        }
    }
    return EndChunk(bodyStart);
}

bool CBwfFile::CreateDefaultPlstChunk() {
    uint64_t bodyStart = 0;
    static const char segments[MARKER_SLOTS * PLST_SEGMENT_BYTES] = {};
    if (!BeginChunk("plst", bodyStart) || !Put32(0) || !Put(segments, sizeof segments)) {
        return false;
    }
    return EndChunk(bodyStart);
}

bool CBwfFile::CreateDefaultListChunk() {
    uint64_t bodyStart = 0;
    if (!BeginChunk("LIST", bodyStart) || !CreateDefaultAdtlChunk()) {
        return false;
    }
    return EndChunk(bodyStart);
}

bool CBwfFile::CreateDefaultAdtlChunk() {
    if (!Put("adtl", 4)) {
        return false;
    }
    for (uint32_t slot = 0; slot < MARKER_SLOTS; ++slot) {
        char label[LABEL_TEXT_BYTES] = {};
        if (slot == 0) {
            std::strcpy(label, "Chase Offset byte16-24");
        } else {
            std::snprintf(label, sizeof label, "Cue %02u", unsigned(slot));
        }
        if (!Put("labl", 4) || !Put32(LABEL_CHUNK_BYTES - 8) || !Put32(slot) ||
            !Put(label, sizeof label)) {
            return false;
        }
    }
    return true;
}
