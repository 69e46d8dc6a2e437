// korpack: makes and lists ".kor" resource packs.
//
//   korpack OUTPUT.kor INPUT...   packs the files; a folder adds the files
//                                 directly in it, in byte order of their names
//   korpack --list PACK.kor       prints the header counts and every record

#include <cinttypes>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "engine/ResourcePack.h"
#include "platform/Files.h"
#include "platform/Folder.h"
#include "tools/kor_pack/KorPackWriter.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: korpack OUTPUT.kor INPUT...   pack files (a folder adds its files)\n"
                 "       korpack --list PACK.kor       list the records of a pack\n");
    return 2;
}

bool AddInputFile(const std::string& path, std::vector<KorPackItem>& items) {
    std::optional<std::vector<uint8_t>> bytes = platform::ReadWholeFile(path);
    if (!bytes) {
        std::fprintf(stderr, "korpack: cannot read %s\n", path.c_str());
        return false;
    }
    const platform::PathParts parts = platform::SplitPath(path);
    items.push_back(KorPackItem{parts.title + parts.extension, std::move(*bytes)});
    return true;
}

bool CollectItems(const std::vector<std::string>& inputs, std::vector<KorPackItem>& items) {
    for (const std::string& input : inputs) {
        if (platform::GetPathKind(input) != platform::PathKind::Directory) {
            if (!AddInputFile(input, items)) {
                return false;
            }
            continue;
        }
        std::string folder = platform::NormalisePath(input);
        if (folder.back() != '/') {
            folder.push_back('/');
        }
        for (const std::string& name : platform::ListFolderFiles(folder)) {
            if (!AddInputFile(folder + name, items)) {
                return false;
            }
        }
    }
    return true;
}

int MakePack(const std::string& output, const std::vector<std::string>& inputs) {
    std::vector<KorPackItem> items;
    if (!CollectItems(inputs, items)) {
        return 1;
    }
    std::vector<uint8_t> image;
    std::string error;
    if (!BuildKorPack(items, image, error)) {
        std::fprintf(stderr, "korpack: %s\n", error.c_str());
        return 1;
    }
    if (!platform::WriteWholeFile(output, image.data(), image.size())) {
        std::fprintf(stderr, "korpack: cannot write %s\n", output.c_str());
        return 1;
    }
    std::printf("%s: %zu resources, %zu bytes\n", output.c_str(), items.size(), image.size());
    return 0;
}

int ListPack(const std::string& path) {
    CResPackFile pack(path);
    if (!pack.IsOpen()) {
        std::fprintf(stderr, "korpack: %s is not a usable pack%s%s\n", path.c_str(),
                     pack.GetError().empty() ? "" : ": ", pack.GetError().c_str());
        return 1;
    }
    std::printf("%zu records\n", pack.RecordCount());
    std::printf("%6s  %-8s %-8s %-8s  %10s  %10s  %-8s\n", "index", "rs", "js", "x31", "offset",
                "size", "ext");
    for (size_t i = 0; i < pack.RecordCount(); ++i) {
        const ResPackRecord& r = *pack.GetRecord(i);
        std::printf("%6zu  %08" PRIx32 " %08" PRIx32 " %08" PRIx32 "  %10" PRIu32 "  %10" PRIu32
                    "  %08" PRIx32 "\n",
                    i, r.key.rs, r.key.js, r.key.x31, r.offset, r.size, r.extensionHash);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "--list") {
        return ListPack(args[1]);
    }
    if (args.size() < 2 || args[0].rfind("--", 0) == 0) {
        return Usage();
    }
    return MakePack(args[0], std::vector<std::string>(args.begin() + 1, args.end()));
}
