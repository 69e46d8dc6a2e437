// The skin generator: the program writes every listed name into exactly one
// pack, the same bytes on every run, packs the pack tool reads; the drawn
// pictures decode through the engine with the frames the game reads, and
// keep the tiles' key colours to the tiles.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "engine/GdiPaintModule.h"
#include "engine/ImageRecord.h"
#include "engine/ResKey.h"
#include "engine/ResourceModule.h"
#include "engine/ui/RichText.h"
#include "frame/panels/ChatLines.h"
#include "game/result/ScoreText.h"
#include "platform/Files.h"
#include "platform/ImageDecoder.h"
#include "tools/skin/SkinColours.h"
#include "tools/skin/SkinDrawing.h"
#include "tools/skin/SkinFiles.h"
#include "tools/skin/SkinList.h"
#include "tools/skin/SkinPacks.h"

namespace {

using regional_skin::Image;
using regional_skin::Look;
using regional_skin::Picture;
using regional_skin::Skin;

class TempFolder {
public:
    TempFolder() {
        static int serial = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("skin_test_" + std::to_string(std::random_device{}()) + "_" +
                 std::to_string(serial++));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string Path() const { return path_.string() + "/"; }

private:
    std::filesystem::path path_;
};

std::string NameList() {
    return std::string(PVBN_SOURCE_DIR) + "/tools/skin/regional_skin_names.txt";
}

const Skin& ProjectSkin() {
    static const Skin skin = [] {
        Skin s;
        std::string error;
        EXPECT_TRUE(regional_skin::ReadNameList(NameList(), s, error)) << error;
        return s;
    }();
    return skin;
}

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

// The program's standard output, or nullopt when it fails.
std::optional<std::string> Output(const std::string& command) {
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return std::nullopt;
    }
    std::string out;
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        out.append(buffer, n);
    }
    return ::pclose(pipe) == 0 ? std::optional<std::string>(out) : std::nullopt;
}

bool Generate(const TempFolder& folder) {
    return std::system((Quoted(SKIN_PROGRAM) + " " + Quoted(NameList()) + " " +
                        Quoted(folder.Path()) + " " + Quoted(folder.Path() + "skins/skin.stamp"))
                           .c_str()) == 0;
}

size_t ListedIn(const Skin& skin, const std::string& pack) {
    size_t count = 0;
    for (const Picture& picture : skin.pictures) {
        count += picture.pack == pack ? 1 : 0;
    }
    for (const regional_skin::Sound& sound : skin.sounds) {
        count += sound.pack == pack ? 1 : 0;
    }
    return count;
}

TEST(SkinGenerator, WritesEveryListedNameIntoExactlyOnePackTheSameOnEveryRun) {
    const Skin& skin = ProjectSkin();
    ASSERT_EQ(skin.packs.size(), 11u);
    TempFolder first;
    TempFolder second;
    ASSERT_TRUE(Generate(first));
    ASSERT_TRUE(Generate(second));
    EXPECT_TRUE(platform::FileExists(first.Path() + "skins/skin.stamp"));

    // One resource module per pack, so a name found twice would show.
    std::map<std::string, ResourceModule> modules;
    for (const std::string& pack : skin.packs) {
        const std::string file = regional_skin::PackFile(first.Path(), pack);
        const auto bytes = platform::ReadWholeFile(file);
        ASSERT_TRUE(bytes.has_value()) << file;
        EXPECT_EQ(bytes, platform::ReadWholeFile(regional_skin::PackFile(second.Path(), pack)))
            << pack;
        EXPECT_EQ(static_cast<size_t>(modules[pack].AddPack(file)), ListedIn(skin, pack)) << pack;
    }
    auto packsHolding = [&](const ResKey& key) {
        std::vector<std::string> holding;
        for (auto& [pack, module] : modules) {
            if (module.HasResource(key) != 0) {
                holding.push_back(pack);
            }
        }
        return holding;
    };
    for (const Picture& picture : skin.pictures) {
        EXPECT_EQ(packsHolding(GetResKey(picture.name + ".imge")),
                  std::vector<std::string>{picture.pack})
            << picture.name;
    }
    // A sound is asked for by its listed ".ogg" name; the ".wav" stored under
    // the same title answers it.
    for (const regional_skin::Sound& sound : skin.sounds) {
        EXPECT_EQ(packsHolding(GetResourceKey(sound.fileName)),
                  std::vector<std::string>{sound.pack})
            << sound.fileName;
    }
}

TEST(SkinGenerator, ThePackToolListsEveryPack) {
    const Skin& skin = ProjectSkin();
    TempFolder folder;
    ASSERT_TRUE(Generate(folder));
    for (const std::string& pack : skin.packs) {
        const std::optional<std::string> listing =
            Output(Quoted(KORPACK_PROGRAM) + " --list " +
                   Quoted(regional_skin::PackFile(folder.Path(), pack)));
        ASSERT_TRUE(listing.has_value()) << pack;
        EXPECT_EQ(listing->substr(0, listing->find('\n')),
                  std::to_string(ListedIn(skin, pack)) + " records")
            << pack;
    }
    // A list with a fault writes nothing and fails.
    TempFolder bad;
    const std::string list = bad.Path() + "list.txt";
    const std::string text = "[skins\\a.kor]\nname 1 2\n";
    ASSERT_TRUE(platform::WriteWholeFile(list, text.data(), text.size()));
    EXPECT_NE(std::system((Quoted(SKIN_PROGRAM) + " " + Quoted(list) + " " + Quoted(bad.Path()) +
                           " 2>/dev/null")
                              .c_str()),
              0);
    EXPECT_FALSE(platform::FileExists(bad.Path() + "skins"));
}

// Reads a decoded record's pixel as 0x00BBGGRR.
uint32_t PixelAt(const ImageRecord& record, int frame, int x, int y) {
    const size_t at =
        (static_cast<size_t>(frame) * record.height + static_cast<size_t>(y)) * record.width +
        static_cast<size_t>(x);
    if (IsIndexedImage(record)) {
        const int bytes = (record.flags & kImageAlpha) != 0 ? 2 : 1;
        const uint8_t* rgb = record.palette + 3 * record.pixels[at * bytes];
        return rgb[0] | (rgb[1] << 8) | (rgb[2] << 16);
    }
    const uint8_t* bgra = record.pixels + 4 * at;
    return bgra[2] | (bgra[1] << 8) | (bgra[0] << 16);
}

struct Decoded {
    ImageRecord record;
    ~Decoded() { FreeImageRecord(&record); }
};

// Decodes a picture's file as the engine's painter does for a packed one.
bool DecodeThroughEngine(const std::vector<uint8_t>& file, bool gif, Decoded& out) {
    static const bool started = platform::StartPictureCodecs();
    GdiPaintModule paint;
    return started && paint.DecodeImage(file.data(), file.size(),
                                        GetNameHash(gif ? ".gif" : ".png"), out.record) != 0;
}

bool FramesDiffer(const ImageRecord& record, int a, int b) {
    for (int y = 0; y < record.height; ++y) {
        for (int x = 0; x < record.width; ++x) {
            if (PixelAt(record, a, x, y) != PixelAt(record, b, x, y)) {
                return true;
            }
        }
    }
    return false;
}

bool Starts(const std::string& text, const std::string& prefix) {
    return text.rfind(prefix, 0) == 0;
}

TEST(SkinArt, EveryDrawnPictureDecodesWithItsFramesAndKeepsTheTileColoursToTiles) {
    const Skin& skin = ProjectSkin();
    ASSERT_FALSE(skin.pictures.empty());
    size_t faces = 0;
    size_t buttons = 0;
    size_t digits = 0;
    size_t dice = 0;
    for (const Picture& picture : skin.pictures) {
        SCOPED_TRACE(picture.name);
        std::vector<uint8_t> file;
        std::string error;
        ASSERT_TRUE(regional_skin::PictureFile(
            regional_skin::DrawPicture(picture, regional_skin::Style::Drawn), file, error))
            << error;
        Decoded decoded;
        ASSERT_TRUE(DecodeThroughEngine(file, picture.frames > 1, decoded));
        const ImageRecord& record = decoded.record;
        ASSERT_EQ(record.frameCount, picture.frames);
        ASSERT_EQ(record.width, picture.width);
        ASSERT_EQ(record.height, picture.height);
        const int w = picture.width;
        const int h = picture.height;
        for (int f = 0; f < picture.frames; ++f) {
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    const uint32_t c = PixelAt(record, f, x, y);
                    ASSERT_NE(c, kDefaultColorKey) << f << " " << x << "," << y;
                    const bool edge = x == 0 || y == 0 || x == w - 1 || y == h - 1;
                    switch (picture.look) {
                        case Look::Faces:
                            // A one-pixel frame of the face's key colour around
                            // a face that uses no key colour.
                            if (edge) {
                                ASSERT_EQ(c, regional_skin::FaceColour(f)) << f;
                            } else {
                                ASSERT_FALSE(regional_skin::IsTileKeyColour(c)) << f;
                            }
                            break;
                        case Look::BackSides:
                        case Look::BackEnds:
                            if (edge) {
                                ASSERT_EQ(c, regional_skin::BackColour(picture.look));
                            }
                            break;
                        case Look::Plain:
                            ASSERT_FALSE(regional_skin::IsTileKeyColour(c)) << f;
                            break;
                    }
                }
            }
        }
        if (picture.look == Look::Faces) {
            ++faces;
            EXPECT_EQ(picture.frames, regional_skin::kFaceFrames);
            // Faces tell apart inside their frames too.
            EXPECT_TRUE(FramesDiffer(record, 0, 9));
            EXPECT_TRUE(FramesDiffer(record, 9, 18));
        }
        if (picture.look == Look::BackSides || picture.look == Look::BackEnds) {
            EXPECT_EQ(PixelAt(record, 0, w / 2, h / 2), regional_skin::BackColour(picture.look));
        }
        // Image buttons: four looks, each its own.
        const bool die = Starts(picture.name, "dice") || picture.name == "banker_dice";
        if (picture.frames == 4 && picture.look == Look::Plain) {
            die ? ++dice : ++buttons;
            for (int a = 0; a < 4; ++a) {
                for (int b = a + 1; b < 4; ++b) {
                    EXPECT_TRUE(die || FramesDiffer(record, a, b)) << a << " " << b;
                }
            }
        }
        if (Starts(picture.name, "digit_")) {
            ++digits;
            ASSERT_EQ(picture.frames, 10);
            for (int a = 0; a < 10; ++a) {
                EXPECT_TRUE(FramesDiffer(record, a, (a + 1) % 10)) << a;
            }
        }
        if (picture.name == "banker_dice") {
            ++dice;
            for (int a = 0; a + 1 < picture.frames; ++a) {
                EXPECT_TRUE(FramesDiffer(record, a, a + 1)) << a;
            }
        }
    }
    EXPECT_GE(faces, 16u);  // the face sheets of four screen classes
    EXPECT_GE(buttons, 50u);
    EXPECT_GE(digits, 4u);
    EXPECT_EQ(dice, 13u);
}

TEST(SkinFiles, AGifOfManyCodesAndColoursReadsBackExactly) {
    // 256 colours in runs and noise over two frames: the codes widen to
    // twelve bits and the table starts again several times.
    std::mt19937 random(7);
    std::vector<Image> frames(2, Image{300, 200, {}});
    for (size_t f = 0; f < frames.size(); ++f) {
        for (int i = 0; i < 300 * 200; ++i) {
            const uint32_t index =
                (i / 300) % 3 == 0 ? (i / 17 + static_cast<uint32_t>(f) * 5) % 256 : random() % 256;
            frames[f].pixels.push_back(index | ((255 - index) << 8) | (((index * 7) & 0xff) << 16));
        }
    }
    std::vector<uint8_t> file;
    std::string error;
    ASSERT_TRUE(regional_skin::GifFile(frames, file, error)) << error;
    Decoded decoded;
    ASSERT_TRUE(DecodeThroughEngine(file, true, decoded));
    ASSERT_EQ(decoded.record.frameCount, 2);
    for (int f = 0; f < 2; ++f) {
        for (int i = 0; i < 300 * 200; ++i) {
            ASSERT_EQ(PixelAt(decoded.record, f, i % 300, i / 300) & 0xffffff,
                      frames[static_cast<size_t>(f)].pixels[static_cast<size_t>(i)] & 0xffffff)
                << f << " " << i;
        }
    }
    // One colour more is refused, not quantised.
    frames[1].pixels[0] = 0xfffffe;
    EXPECT_FALSE(regional_skin::GifFile(frames, file, error));
    EXPECT_NE(error.find("256"), std::string::npos);
    // Frames of another size are refused.
    frames[1] = Image{2, 2, std::vector<uint32_t>(4, 0)};
    EXPECT_FALSE(regional_skin::GifFile(frames, file, error));
}

// The sounds the client's code plays by name: every "Snd..." literal in the
// sources of the client's layers.
std::set<std::string> SoundsNamedInTheClient() {
    const std::regex literal("\"(Snd[A-Za-z0-9_]*)\"");
    std::set<std::string> names;
    for (const char* layer : {"engine", "frame", "mahjong_client", "game"}) {
        const std::filesystem::path folder = std::filesystem::path(PVBN_SOURCE_DIR) / layer;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
            const std::string extension = entry.path().extension().string();
            if (extension != ".cpp" && extension != ".h") {
                continue;
            }
            std::ifstream in(entry.path(), std::ios::binary);
            const std::string text((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
            for (std::sregex_iterator it(text.begin(), text.end(), literal), end; it != end; ++it) {
                names.insert((*it)[1].str());
            }
        }
    }
    return names;
}

TEST(SkinList, EverySoundTheClientPlaysByNameIsListed) {
    std::set<std::string> listed;
    for (const regional_skin::Sound& sound : ProjectSkin().sounds) {
        listed.insert(sound.fileName);
    }
    const std::set<std::string> named = SoundsNamedInTheClient();
    EXPECT_TRUE(named.count("SndHitButton")) << "the sources were not read";
    for (const std::string& name : named) {
        EXPECT_TRUE(listed.count(name + ".ogg")) << name << " is played but not in the skin";
    }
}

TEST(SkinFiles, SoundsAreShortWavesTheSameEachTime) {
    const std::vector<uint8_t> tone = regional_skin::ToneBytes("male_12");
    ASSERT_GT(tone.size(), 44u);
    EXPECT_EQ(std::string(tone.begin(), tone.begin() + 4), "RIFF");
    EXPECT_EQ(std::string(tone.begin() + 8, tone.begin() + 12), "WAVE");
    EXPECT_EQ(tone, regional_skin::ToneBytes("male_12"));
    EXPECT_LT(tone.size(), 11025u);  // under a second
    EXPECT_GT(regional_skin::ToneBytes("male_chat_x").size(), tone.size());
    // The flat skin's sound names itself.
    EXPECT_EQ(regional_skin::SoundNameOf(regional_skin::SoundBytes("male_12.ogg")), "male_12.ogg");
    EXPECT_EQ(regional_skin::SoundNameOf(tone), "");
}

}  // namespace

namespace {

// Pixels of a frame bright in every channel: the captions' ink.
int BrightPixels(const Image& image) {
    int count = 0;
    for (uint32_t c : image.pixels) {
        count += (c & 0xff) > 0xe0 && ((c >> 8) & 0xff) > 0xe0 && ((c >> 16) & 0xff) > 0xd0;
    }
    return count;
}

const Picture& Listed(const std::string& name) {
    for (const Picture& picture : ProjectSkin().pictures) {
        if (picture.name == name) {
            return picture;
        }
    }
    ADD_FAILURE() << name << " is not listed";
    static const Picture none;
    return none;
}

TEST(SkinArt, ButtonsCarryTheirCaptionsExceptWhenDisabled) {
    for (const char* name :
         {"btn_StartGame", "btn_Hu_big", "btn_Peng_big", "btn_Gang_big", "btn_Guo_big",
          "btn_ResultClose", "Btn_Ting", "系统信息框_确定", "系统信息框_取消"}) {
        SCOPED_TRACE(name);
        const std::vector<Image> frames =
            regional_skin::DrawPicture(Listed(name), regional_skin::Style::Drawn);
        ASSERT_EQ(frames.size(), 4u);
        EXPECT_GT(BrightPixels(frames[0]), 10);
        EXPECT_GT(BrightPixels(frames[2]), 10);
        EXPECT_EQ(BrightPixels(frames[3]), 0);
        // Pointed at, the body is lighter; pressed, darker (a spot beside the
        // caption).
        const size_t spot = static_cast<size_t>(frames[0].width) * (frames[0].height - 3) + 2;
        auto light = [&](size_t f) {
            const uint32_t c = frames[f].pixels[spot];
            return (c & 0xff) + ((c >> 8) & 0xff) + ((c >> 16) & 0xff);
        };
        EXPECT_GT(light(1), light(0));
        EXPECT_LT(light(2), light(0));
    }
}

// A players' list row is as high as its picture; the row draws the user's
// 30-pixel icon one pixel down and the 12-pixel name 12 pixels down, and the
// next row's picture covers whatever reaches past it.
TEST(SkinSizes, APlayersListRowHoldsItsIconAndItsName) {
    const Picture& row = Listed("UserListBlock");
    EXPECT_GE(row.height, 1 + 30 + 1);
    EXPECT_GE(row.height, 12 + 12 + 2);
    EXPECT_EQ(row.frames, 3);
}

TEST(SkinArt, TheFlatStyleIsOneKeyColourAFrame) {
    for (const char* name : {"1366_largecard", "1366_back02", "btn_Hu_big", "TablePatten"}) {
        SCOPED_TRACE(name);
        const Picture& picture = Listed(name);
        const std::vector<Image> frames =
            regional_skin::DrawPicture(picture, regional_skin::Style::Flat);
        ASSERT_EQ(frames.size(), static_cast<size_t>(picture.frames));
        for (int f = 0; f < picture.frames; ++f) {
            const std::set<uint32_t> colours(frames[static_cast<size_t>(f)].pixels.begin(),
                                             frames[static_cast<size_t>(f)].pixels.end());
            EXPECT_EQ(colours, std::set<uint32_t>{regional_skin::FrameColour(picture, f)}) << f;
        }
    }
}

TEST(SkinArt, APictureListedWithMoreFacesThanTheGameHasStillDraws) {
    Skin skin;
    std::string error;
    ASSERT_TRUE(regional_skin::ParseNameList("[p]\nodd 60 20 30 faces\ntiny 4 1 1\n", skin, error))
        << error;
    for (const Picture& picture : skin.pictures) {
        const std::vector<Image> frames =
            regional_skin::DrawPicture(picture, regional_skin::Style::Drawn);
        ASSERT_EQ(frames.size(), static_cast<size_t>(picture.frames));
        std::vector<uint8_t> file;
        EXPECT_TRUE(regional_skin::PictureFile(frames, file, error)) << error;
    }
    // A picture too big for the engine's records is refused in the list.
    EXPECT_FALSE(regional_skin::ParseNameList("[p]\nhuge 1 70000 2\n", skin, error));
}

}  // namespace

namespace {

// A number the client's sources give a colour: the first capture of the
// pattern in the file (decimal or 0x hex).
uint32_t ColourInCode(const std::string& file, const std::string& pattern) {
    std::ifstream in(std::filesystem::path(PVBN_SOURCE_DIR) / file, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::smatch match;
    if (!std::regex_search(text, match, std::regex(pattern))) {
        ADD_FAILURE() << "no " << pattern << " in " << file;
        return 0;
    }
    return static_cast<uint32_t>(std::stoul(match[1].str(), nullptr, 0));
}

uint32_t ConstantInCode(const std::string& file, const std::string& name) {
    return ColourInCode(file, name + R"(\s*=\s*(0x[0-9A-Fa-f]+|\d+))");
}

// WCAG's relative luminance of a COLORREF (0x00BBGGRR).
double Luminance(uint32_t colour) {
    auto linear = [](uint32_t channel) {
        const double c = (channel & 0xff) / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour) + 0.7152 * linear(colour >> 8) + 0.0722 * linear(colour >> 16);
}

double Contrast(double a, double b) {
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

// The best least ratio any flat ground gives a set of text colours.
double BestGround(const std::vector<uint32_t>& colours) {
    double best = 0;
    for (int step = 0; step <= 2000; ++step) {
        double least = 1e9;
        for (uint32_t colour : colours) {
            least = std::min(least, Contrast(Luminance(colour), step / 2000.0));
        }
        best = std::max(best, least);
    }
    return best;
}

// A text the client writes on a picture of the skin, in its colour, within
// a part of the picture (right and bottom -1: to the picture's edge).
struct WrittenText {
    std::string what;
    std::string picture;
    uint32_t colour;
    int left = 0, top = 0, right = -1, bottom = -1;
};

std::vector<WrittenText> TextsTheClientWrites() {
    const std::string swap = "game/table/TableViewSwap.cpp";
    const std::string app = "frame/GameFrameApp.cpp";
    const std::string result = "game/result/GameResultDlg.cpp";
    const std::string skinColour = R"(\s*,\s*(0x[0-9A-Fa-f]+|\d+)\})";
    const std::string resultRows = R"(SetTextColour\(chair == ownChair \? (\d+) : (\d+)\))";
    std::vector<WrittenText> texts;
    // The chat pane: the table's lines and the frame's notices.
    const std::pair<std::string, uint32_t> chat[] = {
        {"the own lines and the round's base value", score_text::kOwnColour},
        {"the other players' score lines", score_text::kOtherColour},
        {"the swap-ready lines", score_text::kSwapReadyColour},
        {"the names in the swap lines", ConstantInCode(swap, "kSwapNameColour")},
        {"the swap lines' text", ConstantInCode(swap, "kChatTextColour")},
        {"the welcome line", static_cast<uint32_t>(chat_lines::kWelcomeColour)},
        {"a looker-on's line", static_cast<uint32_t>(chat_lines::kLookOnColour)},
        {"plain chat text", kRichDefaultTextColor},
    };
    for (const char* slice : {"SystemChatBox1", "SystemChatBox2", "SystemChatBox3"}) {
        for (const auto& [what, colour] : chat) {
            texts.push_back({what, slice, colour});
        }
    }
    // The side panel's headers and rows, and the seat boards.
    texts.push_back({"the score table's header", "bitHistoryTitle",
                     ColourInCode(app, "\"AdvHeader\"" + skinColour)});
    texts.push_back({"the players' list header", "SystemUserListBar",
                     ColourInCode(app, "\"PlayerViewHeader\"" + skinColour)});
    texts.push_back({"the players' names", "UserListBlock",
                     ColourInCode(app, "\"PlayerViewText\"" + skinColour)});
    texts.push_back({"a seat board's name", "PlayerBoardSmall",
                     ConstantInCode("mahjong_client/table/SeatBoard.cpp", "kNameColor")});
    texts.push_back({"the swap panel's names", "frame_HP",
                     ConstantInCode("game/table/TableViewSwapPanel.cpp", "kSwapPanelTextColour"),
                     250, 65, -1, 130});
    texts.push_back({"a chat bubble's text", "聊天泡泡背景",
                     ConstantInCode("game/table/PlayerBoardSmall.cpp", "kBubbleTextColor")});
    // The result dialog: the own row in its colour on a player row's text
    // rows, the other rows and the item rows (a player row drawn at half
    // height) black, the headers, the footer and the seat panel's name
    // black.
    texts.push_back(
        {"the own result row", "list_itemBK", ColourInCode(result, resultRows), 0, 8, -1, 21});
    const uint32_t black =
        ColourInCode(result, R"(SetTextColour\(chair == ownChair \? \d+ : (\d+)\))");
    texts.push_back({"the other result rows and the items", "list_itemBK", black});
    texts.push_back({"the result's column titles", "list_title", black});
    texts.push_back({"the result's total", "list_item01", black});
    texts.push_back({"the selected seat's name", "bit_Result_BK", black, 35, 82, 292, 190});
    return texts;
}

TEST(SkinArt, EveryTextTheClientWritesOnAPictureReadsOnIt) {
    const std::vector<WrittenText> texts = TextsTheClientWrites();
    std::map<std::string, std::vector<uint32_t>> coloursOn;
    for (const WrittenText& text : texts) {
        coloursOn[text.picture].push_back(text.colour);
    }
    double lowest = 1e9;
    std::string lowestText;
    for (const WrittenText& text : texts) {
        SCOPED_TRACE(text.what + " on " + text.picture);
        const Picture& picture = Listed(text.picture);
        const std::vector<Image> frames =
            regional_skin::DrawPicture(picture, regional_skin::Style::Drawn);
        const double textLuminance = Luminance(text.colour);
        double least = 1e9;
        for (const Image& image : frames) {
            const int right = text.right < 0 ? image.width : std::min(text.right, image.width);
            const int bottom = text.bottom < 0 ? image.height : std::min(text.bottom, image.height);
            for (int y = text.top; y < bottom; ++y) {
                for (int x = text.left; x < right; ++x) {
                    const uint32_t ground = image.pixels[static_cast<size_t>(y) * image.width + x];
                    least = std::min(least, Contrast(textLuminance, Luminance(ground)));
                }
            }
        }
        // 4.5:1, or where the colours one picture carries cannot all reach
        // it (pure red beside black), the best any ground gives them.
        const double wanted = std::min(4.5, BestGround(coloursOn[text.picture]));
        EXPECT_GE(least, wanted * 0.99) << "ratio " << least;
        if (least < lowest) {
            lowest = least;
            lowestText = text.what + " on " + text.picture;
        }
    }
    std::printf("lowest contrast: %.2f:1 (%s)\n", lowest, lowestText.c_str());
}

}  // namespace
