// ".kor" resource packs, read from memory and from a file: a pack that opens
// walks its index and reads every entry within the bounds it was checked
// against; one that is refused says why.

#include <memory>
#include <string>
#include <vector>

#include "engine/ResourcePack.h"
#include "tests/fuzz/FuzzScratchFile.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

std::string g_path;

void ReadPack(ResPackReader& pack, size_t packSize) {
    if (pack.IsOpen() == 0) {
        if (pack.GetError().empty()) {
            FuzzFail("a refused pack gave no reason");
        }
        FuzzNote(pack.GetError().substr(0, pack.GetError().find_first_of("0123456789")));
        return;
    }
    FuzzNote("records", pack.RecordCount() < 8 ? pack.RecordCount() : 8);
    for (size_t i = 0; i < pack.RecordCount() && i < 64; ++i) {
        const ResPackRecord* record = pack.GetRecord(i);
        if (record == nullptr || uint64_t{record->offset} + record->size > packSize) {
            FuzzFail("an open pack holds a record outside the pack");
        }
        const std::unique_ptr<uint8_t[]> bytes = pack.ReadEntryAlloc(i);
        if (!bytes || bytes[record->size] != 0) {
            FuzzFail("an entry of an open pack cannot be read or lacks its end byte");
        }
        std::vector<uint8_t> small(record->size < 16 ? record->size : 16);
        const int fits = pack.ReadEntryInto(i, small.data(), small.size());
        if (fits != (record->size <= small.size() ? 1 : 0)) {
            FuzzFail("ReadEntryInto answered wrongly for the buffer's size");
        }
    }
    if (pack.ReadEntryAlloc(pack.RecordCount()) != nullptr) {
        FuzzFail("an entry past the index was read");
    }
    pack.Rewind();
    ResPackRecord current;
    size_t walked = pack.GetCurrent(current) ? 1 : 0;
    while (pack.Next(0x1234) != 0 || pack.Next() != 0) {
        if (++walked > pack.RecordCount()) {
            FuzzFail("the walk passed the index");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_path = FuzzScratchFile::Make("skin.kor").Path();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CResPackMemory memory(data, size);
    ReadPack(memory, size);

    FuzzScratchFile::Make("skin.kor").Write(data, size);
    CResPackFile onDisk(g_path);
    if (onDisk.IsOpen() != memory.IsOpen() || onDisk.RecordCount() != memory.RecordCount()) {
        FuzzFail("a pack opens differently from a file and from memory");
    }
    ReadPack(onDisk, size);
    return 0;
}
