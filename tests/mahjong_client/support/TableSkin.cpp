#include "tests/mahjong_client/support/TableSkin.h"

#include <algorithm>
#include <cstdlib>

#include "platform/Files.h"
#include "tests/platform/PictureBytes.h"
#include "tools/kor_pack/KorPackWriter.h"
#include "tools/skin/SkinColours.h"

namespace table_skin {
namespace {

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) {
    return r | (g << 8) | (b << 16);
}

constexpr uint32_t kFaceBlue = 0xa0;
constexpr uint32_t kBackBlue = 0x10;
constexpr uint32_t kPlainBlueFrom = 0x60;

using Colours = SkinItem::Colours;

SkinItem Tiles(const char* name, int width, int height) {
    return {name, width, height, kFaceFrames, Colours::Faces, 0};
}

// Plain items get colours in the order they are listed: frame 0 of item k
// is distinct from every other item's frame 0, further frames step green.
std::vector<SkinItem> MakeItems() {
    struct Plain {
        const char* name;
        int width;
        int height;
        int frames;
    };
    static const Plain kPlain[] = {
        // The table view: buttons of four looks, pictures, digits, panels.
        {"btn_StartGame", 96, 40, 4},
        {"btn_AskCardView", 72, 28, 4},
        {"btn_HideSkill", 40, 24, 4},
        {"btn_ShowSkill", 40, 24, 4},
        {"btn_Guo_big", 60, 40, 4},
        {"btn_Hu_big", 60, 40, 4},
        {"btn_Gang_big", 60, 40, 4},
        {"btn_Peng_big", 60, 40, 4},
        {"btn_Chi_big", 60, 40, 4},
        {"bit_slogan", 160, 30, 1},
        {"bit_skillbk", 120, 80, 1},
        {"bit_SortHand", 40, 24, 1},
        {"digit_Clock_big", 14, 20, 10},
        {"clock_hand_big", 48, 48, 8},
        {"bit_arrow", 16, 16, 4},
        {"btn_Volume", 24, 24, 4},
        {"digit_basesdeposit_big", 10, 14, 10},
        {"gameinfo_bk_big", 120, 40, 1},
        {"slider_bk", 12, 100, 1},
        {"slider_bar", 16, 10, 1},
        {"slider_fill", 8, 100, 1},
        {"bit_volumebk", 40, 120, 1},
        {"throw_cardbk", 60, 80, 1},
        {"shadow", 50, 8, 1},
        // The seat boards.
        {"PlayerBoardSmall", 150, 40, 3},
        {"animation_AutoPlay", 16, 16, 2},
        {"animation_Offline", 16, 16, 2},
        {"animation_Ready", 24, 24, 2},
        {"digit_flower", 8, 12, 10},
        {"bit_Duan", 16, 16, 10},
        {"banker_dice", 20, 20, 6},
        {"flag_hua", 14, 14, 1},
        {"Character1Type1", 32, 32, 1},
        {"Character2Type1", 32, 32, 1},
        {"Character3Type1", 32, 32, 1},
        {"Character4Type1", 32, 32, 1},
        // The side panel and its bars.
        {"bit_SystemBar", 200, 12, 3},
        {"btnFace", 40, 20, 4},
        {"qe清屏按钮", 40, 20, 4},
        {"qe截屏按钮", 40, 20, 4},
        {"qe投诉按钮", 40, 20, 4},
        {"qe保险箱按钮", 40, 20, 4},
        {"bitHistoryTitle", 200, 20, 1},
        {"jf_line", 2, 16, 1},
        {"SystemUserListBar", 200, 22, 1},
        {"UserListBlock", 200, 20, 1},
        {"SystemDivide", 2, 18, 1},
        {"滚动角", 12, 12, 1},
        {"SystemChatBox1", 40, 10, 1},
        {"SystemChatBox2", 40, 10, 1},
        {"SystemChatBox3", 40, 10, 1},
        {"SystemInputBar", 200, 56, 1},
        {"btnQuickChat", 40, 20, 4},
        {"btnSendChat", 40, 20, 4},
        {"InputBarBoxBK", 160, 24, 1},
        {"快速设银图标", 12, 12, 1},
        {"保险箱图标", 12, 12, 1},
        // The frame view around them.
        {"Frame_Top", 100, 24, 1},
        {"Frame_Bottom", 100, 6, 1},
        {"Frame_Left", 4, 100, 1},
        {"Frame_Right", 4, 100, 1},
        {"TablePatten", 64, 64, 1},
        {"btnFrameClose", 20, 18, 4},
        {"btnFrameFit", 20, 18, 4},
        {"btnFrameMax", 20, 18, 4},
        {"btnFrameMin", 20, 18, 4},
        {"btnSet2", 20, 18, 4},
        {"btnHelp2", 20, 18, 4},
        {"btnShop2", 20, 18, 4},
        {"左右分隔条_bg", 6, 100, 1},
        {"箭头右", 6, 85, 3},
        {"箭头左", 6, 85, 3},
    };
    std::vector<SkinItem> items = {
        // Tile sheets of the smallest screen class, by kind and side.
        Tiles("800_largecard", 50, 72),
        Tiles("800_side0", 26, 20),
        Tiles("800_side1", 26, 36),
        Tiles("800_side2", 26, 20),
        Tiles("800_middle0", 36, 26),
        Tiles("800_middle1", 26, 36),
        Tiles("800_middle2", 36, 26),
        Tiles("800_middle3", 26, 36),
        {kBackSides, 26, 20, 1, Colours::BackSides, 0},
        {kBackEnds, 20, 28, 1, Colours::BackEnds, 0},
    };
    uint32_t k = 0;
    for (const Plain& plain : kPlain) {
        // Red and blue from the item's number, blue 0x60 and up.
        uint32_t blue = kPlainBlueFrom + (k * 0x0b) % 0x90;
        blue += blue == kFaceBlue ? 1 : 0;
        const uint32_t colour = Rgb(0x10 + (k * 0x1d) % 0xe0, 0x08, blue);
        items.push_back(
            {plain.name, plain.width, plain.height, plain.frames, Colours::Plain, colour});
        ++k;
    }
    return items;
}

// A solid frame of one palette entry per frame.
picture_bytes::Bytes SheetPicture(const SkinItem& item) {
    picture_bytes::Bytes palette;
    std::vector<picture_bytes::GifFrame> frames;
    const size_t pixels = static_cast<size_t>(item.width) * static_cast<size_t>(item.height);
    for (int f = 0; f < item.frames; ++f) {
        uint32_t colour = 0;
        switch (item.colours) {
            case Colours::Faces:
                colour = FaceColour(f);
                break;
            case Colours::BackSides:
                colour = BackColour(kBackSides);
                break;
            case Colours::BackEnds:
                colour = BackColour(kBackEnds);
                break;
            case Colours::Plain:
                colour = PlainFrameColour(item, f);
                break;
        }
        palette.push_back(static_cast<uint8_t>(colour & 0xff));
        palette.push_back(static_cast<uint8_t>((colour >> 8) & 0xff));
        palette.push_back(static_cast<uint8_t>((colour >> 16) & 0xff));
        frames.push_back(
            picture_bytes::Frame(picture_bytes::Bytes(pixels, static_cast<uint8_t>(f)), 10, -1));
    }
    if (item.frames == 1) {
        return picture_bytes::SolidRgbPng(item.width, item.height,
                                          Rgb(palette[0], palette[1], palette[2]));
    }
    return picture_bytes::Gif(item.width, item.height, palette, frames);
}

}  // namespace

// The tiles' key colours are the project skin's, so both skins name a face
// by the same pixel.
static_assert(kFaceFrames == regional_skin::kFaceFrames);

uint32_t FaceColour(int frame) {
    return regional_skin::FaceColour(frame);
}

uint32_t BackColour(const std::string& sheet) {
    return regional_skin::BackColour(sheet == kBackSides ? regional_skin::Look::BackSides
                                                         : regional_skin::Look::BackEnds);
}

uint32_t PlainFrameColour(const SkinItem& item, int frame) {
    const uint32_t green = ((item.plainColour >> 8) & 0xff) + 0x14 * static_cast<uint32_t>(frame);
    return (item.plainColour & 0xff00ff) | ((green & 0xff) << 8);
}

const std::vector<SkinItem>& TableSkinItems() {
    static const std::vector<SkinItem> items = MakeItems();
    return items;
}

const SkinItem* FindSkinItem(const std::string& name) {
    for (const SkinItem& item : TableSkinItems()) {
        if (item.name == name) {
            return &item;
        }
    }
    return nullptr;
}

std::vector<uint8_t> BuildTableSkinPack(std::string& error) {
    std::vector<KorPackItem> packed;
    for (const SkinItem& item : TableSkinItems()) {
        const char* extension = item.frames == 1 ? ".png" : ".gif";
        packed.push_back({item.name + extension, SheetPicture(item)});
    }
    std::vector<uint8_t> image;
    if (!BuildKorPack(packed, image, error)) {
        return {};
    }
    return image;
}

bool WriteTableSkinPack(const std::string& path, std::string& error) {
    const std::vector<uint8_t> image = BuildTableSkinPack(error);
    if (image.empty()) {
        return false;
    }
    if (!platform::WriteWholeFile(path, image.data(), image.size())) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

SeenColour ClassifyColour(uint32_t colour) {
    const uint32_t blue = (colour >> 16) & 0xff;
    if (blue == kBackBlue) {
        if (colour == BackColour(kBackSides)) {
            return {SeenColour::Kind::BackSides, -1};
        }
        if (colour == BackColour(kBackEnds)) {
            return {SeenColour::Kind::BackEnds, -1};
        }
    }
    if (blue == kFaceBlue) {
        for (int f = 0; f < kFaceFrames; ++f) {
            if (FaceColour(f) == colour) {
                return {SeenColour::Kind::Face, f};
            }
        }
    }
    return {};
}

}  // namespace table_skin
