// pvbn_skin: writes the regional game's skin, drawn by code, into the packs
// its name list names, below a program folder.
//
//   pvbn_skin NAME_LIST PROGRAM_FOLDER [STAMP]
//
// The words drawn on the pictures come from the caption table beside the
// name list (SkinCaptions.h). The packs land at their listed paths ("skins\frame.kor" as
// PROGRAM_FOLDER/skins/frame.kor, GBK file names as they stand). The stamp
// file, when named, is written last, so a build that sees it knows every
// pack is complete.

#include <cstdio>
#include <string>

#include "platform/Files.h"
#include "tools/skin/SkinCaptions.h"
#include "tools/skin/SkinPacks.h"

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: pvbn_skin NAME_LIST PROGRAM_FOLDER [STAMP]\n");
        return 2;
    }
    regional_skin::Skin skin;
    std::string error;
    if (!regional_skin::ReadNameList(argv[1], skin, error)) {
        std::fprintf(stderr, "pvbn_skin: %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    const std::string captions = regional_skin::CaptionFileBeside(argv[1]);
    if (!regional_skin::ReadCaptions(captions, skin, error)) {
        std::fprintf(stderr, "pvbn_skin: %s: %s\n", captions.c_str(), error.c_str());
        return 1;
    }
    std::string folder = argv[2];
    if (folder.empty() || folder.back() != '/') {
        folder.push_back('/');
    }
    if (!regional_skin::WriteSkinPacks(skin, folder, regional_skin::Style::Drawn, error)) {
        std::fprintf(stderr, "pvbn_skin: %s\n", error.c_str());
        return 1;
    }
    if (argc == 4) {
        const std::string stamp = std::to_string(skin.pictures.size()) + " pictures, " +
                                  std::to_string(skin.sounds.size()) + " sounds\n";
        if (!platform::WriteWholeFile(argv[3], stamp.data(), stamp.size())) {
            std::fprintf(stderr, "pvbn_skin: cannot write %s\n", argv[3]);
            return 1;
        }
    }
    return 0;
}
