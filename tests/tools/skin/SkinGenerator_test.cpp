// The skin generator: the program writes every listed name into exactly one
// pack, the same bytes on every run, packs the pack tool reads; the drawn
// pictures decode through the engine with the frames the game reads, and
// keep the tiles' key colours to the tiles.

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <numbers>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <tuple>
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
#include "platform/TextCodec.h"
#include "tools/skin/SkinCaptions.h"
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
        EXPECT_TRUE(
            regional_skin::ReadCaptions(regional_skin::CaptionFileBeside(NameList()), s, error))
            << error;
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
        ASSERT_TRUE(DecodeThroughEngine(file, regional_skin::IsGifFile(file), decoded));
        const ImageRecord& record = decoded.record;
        const bool clearGround = picture.name == "聊天泡泡背景" || Starts(picture.name, "kof");
        ASSERT_EQ(record.frameCount, picture.frames);
        ASSERT_EQ(record.width, picture.width);
        ASSERT_EQ(record.height, picture.height);
        const int w = picture.width;
        const int h = picture.height;
        for (int f = 0; f < picture.frames; ++f) {
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    const uint32_t c = PixelAt(record, f, x, y);
                    // The colour key only as a GIF's transparent index, round
                    // the pictures that show their shape: bubbles, emoticons.
                    ASSERT_TRUE(c != kDefaultColorKey ||
                                (clearGround && (record.flags & kImageHasKey) != 0))
                        << f << " " << x << "," << y;
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

// Calls fn(text) for each source file of the client's layers.
template <typename Fn>
void ForEachClientSource(Fn fn) {
    for (const char* layer : {"engine", "frame", "mahjong_client", "game"}) {
        const std::filesystem::path folder = std::filesystem::path(PVBN_SOURCE_DIR) / layer;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
            const std::string extension = entry.path().extension().string();
            if (extension != ".cpp" && extension != ".h") {
                continue;
            }
            std::ifstream in(entry.path(), std::ios::binary);
            fn(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
        }
    }
}

// The sounds the client's code plays by name: every "Snd..." literal in the
// sources of the client's layers.
std::set<std::string> SoundsNamedInTheClient() {
    const std::regex literal("\"(Snd[A-Za-z0-9_]*)\"");
    std::set<std::string> names;
    ForEachClientSource([&](const std::string& text) {
        for (std::sregex_iterator it(text.begin(), text.end(), literal), end; it != end; ++it) {
            names.insert((*it)[1].str());
        }
    });
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

// --- the names the client's look-ups ask for ---

// The text without its comments (string literals kept whole).
std::string WithoutComments(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"' || text[i] == '\'') {
            const char quote = text[i];
            const size_t start = i++;
            while (i < text.size() && text[i] != quote && text[i] != '\n') {
                i += text[i] == '\\' ? 2 : 1;
            }
            out.append(text, start, std::min(i, text.size() - 1) - start + 1);
        } else if (text.compare(i, 2, "//") == 0) {
            i = text.find('\n', i);
            if (i == std::string::npos) {
                break;
            }
            out.push_back('\n');
        } else if (text.compare(i, 2, "/*") == 0) {
            i = text.find("*/", i);
            if (i == std::string::npos) {
                break;
            }
            ++i;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

// The literals of a piece of code, in order.
std::vector<std::string> Literals(std::string_view code) {
    std::vector<std::string> literals;
    for (size_t i = code.find('"'); i != std::string_view::npos; i = code.find('"', i + 1)) {
        const size_t start = ++i;
        while (i < code.size() && code[i] != '"') {
            i += code[i] == '\\' ? 2 : 1;
        }
        literals.emplace_back(code.substr(start, std::min(i, code.size()) - start));
    }
    return literals;
}

bool IsIdentifierChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// The constants "kName = "..."" and "kName[] = {"...", ...}" of a source
// file, with their literals.
std::map<std::string, std::vector<std::string>> ConstantsOfLiterals(const std::string& text) {
    std::map<std::string, std::vector<std::string>> constants;
    for (size_t at = text.find('k'); at != std::string::npos; at = text.find('k', at + 1)) {
        if (at > 0 && IsIdentifierChar(text[at - 1])) {
            continue;
        }
        size_t i = at;
        while (i < text.size() && IsIdentifierChar(text[i])) {
            ++i;
        }
        const std::string identifier = text.substr(at, i - at);
        auto skipBlanks = [&] {
            while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
                ++i;
            }
        };
        skipBlanks();
        if (text.compare(i, 2, "[]") == 0) {
            i += 2;
            skipBlanks();
        }
        if (i >= text.size() || text[i] != '=' || text.compare(i, 2, "==") == 0) {
            continue;
        }
        ++i;
        skipBlanks();
        if (i >= text.size() || (text[i] != '"' && text[i] != '{')) {
            continue;
        }
        const size_t end = text.find(';', i);
        const std::string_view value(text.data() + i,
                                     (end == std::string::npos ? text.size() : end) - i);
        // A braced list of literals, or one literal.
        if (value.front() == '{' ||
            value.find_first_not_of(" \t\r\n", value.rfind('"') + 1) == std::string_view::npos) {
            for (std::string& literal : Literals(value)) {
                constants[identifier].push_back(std::move(literal));
            }
        }
    }
    return constants;
}

// The top-level arguments of the call whose '(' is at `open`, trimmed.
std::vector<std::string> CallArguments(const std::string& text, size_t open) {
    std::vector<std::string> arguments(1);
    int depth = 0;
    for (size_t i = open; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            const size_t start = i++;
            while (i < text.size() && text[i] != '"') {
                i += text[i] == '\\' ? 2 : 1;
            }
            arguments.back().append(text, start, i - start + 1);
            continue;
        }
        if (c == '(' || c == '[' || c == '{') {
            if (++depth == 1) {
                continue;
            }
        } else if (c == ')' || c == ']' || c == '}') {
            if (--depth == 0) {
                break;
            }
        } else if (c == ',' && depth == 1) {
            arguments.emplace_back();
            continue;
        }
        arguments.back().push_back(c);
    }
    for (std::string& argument : arguments) {
        const size_t first = argument.find_first_not_of(" \t\r\n");
        const size_t last = argument.find_last_not_of(" \t\r\n");
        argument = first == std::string::npos ? "" : argument.substr(first, last - first + 1);
    }
    return arguments;
}

// The picture and sound names (UTF-8) the client's code asks the skin for by
// name: the name argument of each look-up call when it is a literal or a
// constant of literals ("k..." in any of the layers); the glyph look-ups'
// first text is their characters, not a name. Constants named for a picture
// or sound ("...Image", "...Sound", ...) count wherever they are used, since
// some reach their look-up through a variable.
std::set<std::string> NamesAskedForByTheClient() {
    static const std::set<std::string> kLookUps = {"GetSkinFrame",
                                                   "SkinFrame",
                                                   "Skin",
                                                   "ImageFrame",
                                                   "GetResourceFrame",
                                                   "SkinHeight",
                                                   "BorderWidth",
                                                   "MakeImageButton",
                                                   "MakeTableButton",
                                                   "MakeRegionalButton",
                                                   "MakeButton",
                                                   "MakeDigits",
                                                   "MakePicture",
                                                   "LoadDigitImages",
                                                   "PlaySound",
                                                   "SetSound",
                                                   "AddGlyphStrip",
                                                   "MakeGlyphText",
                                                   "ShowStatusAnimation",
                                                   "ShowMarkAnimation",
                                                   "ShowFinalMatchState",
                                                   "OfferSignUp",
                                                   "ShowMatchNotice",
                                                   "ReplaceResultButton",
                                                   "Create",
                                                   "CreateWithImage"};
    static const std::set<std::string> kGlyphLookUps = {"AddGlyphStrip", "MakeGlyphText"};
    const std::regex literal(R"re("([^"\\]*)")re");
    const std::regex namedConstant(R"re((k\w+)(\[\w+\])?(\.c_str\(\))?)re");
    const std::regex notAName(R"re(.*(Caption|Class|Name|Face|Font|Text))re");
    const std::regex pictureOrSound(
        R"re(k\w*(Image|Images|Skin|SkinItem|Sound|Sounds|Slice|Picture|Animation|Strip|Music|TileSheet|BackSide\d\d))re");
    std::vector<std::string> sources;
    ForEachClientSource([&](const std::string& text) { sources.push_back(WithoutComments(text)); });
    std::map<std::string, std::vector<std::string>> constants;
    for (const std::string& text : sources) {
        for (auto& [identifier, values] : ConstantsOfLiterals(text)) {
            auto& all = constants[identifier];
            all.insert(all.end(), values.begin(), values.end());
        }
    }
    std::set<std::string> names;
    for (const auto& [identifier, values] : constants) {
        if (std::regex_match(identifier, pictureOrSound)) {
            for (const std::string& value : values) {
                if (!value.empty() && value.find_first_of("<>=%: ") == std::string::npos) {
                    names.insert(value);
                }
            }
        }
    }
    for (const std::string& text : sources) {
        for (size_t at = 0; at < text.size();) {
            const size_t open = text.find('(', at);
            if (open == std::string::npos) {
                break;
            }
            at = open + 1;
            size_t start = open;
            while (start > 0 && (std::isalnum(static_cast<unsigned char>(text[start - 1])) ||
                                 text[start - 1] == '_')) {
                --start;
            }
            const std::string call = text.substr(start, open - start);
            if (!kLookUps.contains(call)) {
                continue;
            }
            // The texts among the arguments, in order: literals and constants.
            std::vector<std::vector<std::string>> texts;
            for (const std::string& argument : CallArguments(text, open)) {
                std::smatch match;
                if (std::regex_match(argument, match, literal)) {
                    texts.push_back({match[1].str()});
                } else if (call != "Create" && std::regex_match(argument, match, namedConstant) &&
                           constants.contains(match[1].str()) &&
                           !std::regex_match(match[1].str(), notAName)) {
                    texts.push_back(constants[match[1].str()]);
                }
            }
            const size_t from = kGlyphLookUps.contains(call) ? 1 : 0;
            const size_t to =
                kGlyphLookUps.contains(call) ? texts.size() : std::min<size_t>(1, texts.size());
            for (size_t i = from; i < to; ++i) {
                for (const std::string& name : texts[i]) {
                    if (!name.empty()) {
                        names.insert(name);
                    }
                }
            }
        }
    }
    return names;
}

TEST(SkinList, EveryPictureAndSoundTheClientAsksForByNameIsListed) {
    std::set<std::string> listed;
    for (const Picture& picture : ProjectSkin().pictures) {
        listed.insert(picture.name);
    }
    for (const regional_skin::Sound& sound : ProjectSkin().sounds) {
        listed.insert(sound.fileName.substr(0, sound.fileName.rfind('.')));
    }
    // Names the client only tries, doing without them when the skin lacks them.
    const std::set<std::string> optional = {"保险箱广告"};
    std::set<std::string> named;
    for (const std::string& name : NamesAskedForByTheClient()) {
        named.insert(platform::Utf8ToGbk(name));
    }
    for (const char* sample : {"clock_hand_big", "SndHitButton", "btn_我要领取", "Frame_Top"}) {
        EXPECT_TRUE(named.contains(sample)) << sample << ": the look-ups were not read";
    }
    for (const std::string& name : named) {
        EXPECT_TRUE(listed.contains(name) || optional.contains(name))
            << platform::GbkToUtf8(name) << " is asked for but not in the skin";
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

// The frames the skin draws for a listed picture.
std::vector<Image> Drawn(const std::string& name) {
    return regional_skin::DrawPicture(Listed(name), regional_skin::Style::Drawn);
}

TEST(SkinArt, ButtonsCarryTheirCaptionsExceptWhenDisabled) {
    for (const char* name :
         {"btn_StartGame", "btn_Hu_big", "btn_Peng_big", "btn_Gang_big", "btn_Guo_big",
          "btn_ResultClose", "Btn_Ting", "系统信息框_确定", "系统信息框_取消"}) {
        SCOPED_TRACE(name);
        const std::vector<Image> frames = Drawn(name);
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

// The words on the pictures are the table's, in the player's language: every
// button but those the code captions itself or that show a sign carries one,
// and so do the labels beside the table's numbers and the big signs; the
// words are drawn (the picture differs from its wordless self).
TEST(SkinArt, WordedPicturesCarryTheirCaptionsInThePlayersLanguage) {
    const std::set<std::string> signs = {"btn_Volume", "bit_arrow", "系统通知框_按钮",
                                         "保险箱按钮"};
    std::set<std::string> worded;
    for (const Picture& picture : ProjectSkin().pictures) {
        const bool button = picture.frames == 4 && picture.look == Look::Plain &&
                            !Starts(picture.name, "dice") && !Starts(picture.name, "ScrollBar_") &&
                            !signs.contains(picture.name);
        if (button) {
            worded.insert(picture.name);
        }
        if (picture.caption.empty()) {
            continue;
        }
        SCOPED_TRACE(picture.name);
        for (char c : picture.caption) {
            EXPECT_FALSE(std::isalpha(static_cast<unsigned char>(c))) << "a Latin stand-in";
        }
        Picture wordless = picture;
        wordless.caption.clear();
        const auto drawn = regional_skin::DrawPicture(picture, regional_skin::Style::Drawn);
        const auto bare = regional_skin::DrawPicture(wordless, regional_skin::Style::Drawn);
        EXPECT_NE(drawn[0].pixels, bare[0].pixels) << "the caption is not drawn";
    }
    for (const char* label :
         {"info_deposite_big", "info_deposite_small", "info_joker_big", "nextbout_deposit",
          "icon_hu", "icon_standoff", "bit_hu", "碰牌动画", "杠牌动画"}) {
        worded.insert(label);
    }
    for (const std::string& name : worded) {
        EXPECT_FALSE(Listed(name).caption.empty()) << platform::GbkToUtf8(name);
    }
    // The table refuses what it cannot draw.
    Skin skin;
    std::string error;
    ASSERT_TRUE(regional_skin::ParseNameList("[p]\na 4 60 40\n", skin, error));
    // The table is UTF-8 (碰 E7 A2 B0, 杠 E6 9D A0); this source's literals are GBK.
    EXPECT_TRUE(regional_skin::ParseCaptions("# c\na \xe7\xa2\xb0\n", skin, error)) << error;
    EXPECT_EQ(skin.pictures[0].caption, "碰");
    EXPECT_FALSE(regional_skin::ParseCaptions("b \xe7\xa2\xb0\n", skin, error));
    EXPECT_FALSE(regional_skin::ParseCaptions("a \xe7\xa2\xb0\na \xe6\x9d\xa0\n", skin, error));
    EXPECT_FALSE(regional_skin::ParseCaptions("a \xf0\x9f\x80\x84\n", skin, error));
}

// The turn pointer: the table view shows frame 2 x the screen position of
// the seat to play (0 the left seat, 1 across, 2 the right seat, 3 the own
// seat at the bottom), the odd frames while it turns. The lit part of frame
// f lies f eighths of a turn clockwise from the left of the dial, wholly on
// that side of the hub, and points there: it reaches the rim and narrows
// towards it.
TEST(SkinArt, TheTurnPointerLightsTheSideWhoseTurnItIs) {
    const Picture& hand = Listed("clock_hand_big");
    const std::vector<Image> frames = regional_skin::DrawPicture(hand, regional_skin::Style::Drawn);
    ASSERT_EQ(frames.size(), 8u);
    auto luminance = [](uint32_t c) {
        return 0.299 * (c & 0xff) + 0.587 * ((c >> 8) & 0xff) + 0.114 * ((c >> 16) & 0xff);
    };
    for (int f = 0; f < 8; ++f) {
        SCOPED_TRACE(f);
        const Image& image = frames[static_cast<size_t>(f)];
        double brightest = 0;
        for (uint32_t c : image.pixels) {
            brightest = std::max(brightest, luminance(c));
        }
        double sx = 0;
        double sy = 0;
        int lit = 0;
        const double way = std::numbers::pi - f * std::numbers::pi / 4;
        std::vector<std::pair<double, double>> litAlongAcross;
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                if (luminance(image.pixels[static_cast<size_t>(y) * image.width + x]) >=
                    0.85 * brightest) {
                    const double px = x + 0.5 - image.width / 2.0;
                    const double py = image.height / 2.0 - (y + 0.5);
                    sx += px;
                    sy += py;
                    ++lit;
                    litAlongAcross.emplace_back(px * std::cos(way) + py * std::sin(way),
                                                std::abs(py * std::cos(way) - px * std::sin(way)));
                }
            }
        }
        ASSERT_GT(lit, 0);
        double reach = 0;
        double widest = 0;
        for (const auto& [along, across] : litAlongAcross) {
            EXPECT_GT(along, 0) << "lit on the far side of the hub";
            reach = std::max(reach, along);
            widest = std::max(widest, across);
        }
        double tipWidth = 0;
        for (const auto& [along, across] : litAlongAcross) {
            tipWidth = along > 0.8 * reach ? std::max(tipWidth, across) : tipWidth;
        }
        EXPECT_GT(reach, image.width / 2.0 - 4) << "the tip is not at the rim";
        EXPECT_LT(tipWidth, widest / 2) << "the lit part widens towards the rim";
        sx /= lit;
        sy /= lit;
        EXPECT_GT(std::hypot(sx, sy), image.width / 8.0) << "the lit part is not to one side";
        const double off = std::remainder(std::atan2(sy, sx) - way, 2 * std::numbers::pi);
        EXPECT_LT(std::abs(off), std::numbers::pi / 8)
            << "the lit part points " << std::atan2(sy, sx);
    }
}

// A dots face shows its value as that many separate dots, so no dot reads as
// the "0" of a numeral beside it ("4◎" as "40") on the small tiles of melds
// and discards, nor on the own row's.
TEST(SkinArt, ADotsFaceShowsItsValueAsThatManyDots) {
    for (const Picture& picture : ProjectSkin().pictures) {
        if (picture.look != Look::Faces) {
            continue;
        }
        SCOPED_TRACE(picture.name);
        const std::vector<Image> frames =
            regional_skin::DrawPicture(picture, regional_skin::Style::Drawn);
        for (int value = 1; value <= 9; ++value) {
            const Image& face = frames[static_cast<size_t>(8 + value)];
            const int w = face.width;
            // Inside the key frame and above the lower edge's shade.
            const int bottom = face.height - (face.height >= 24 ? 4 : 1);
            const uint32_t ground = face.pixels[static_cast<size_t>(w) + 1];
            std::vector<bool> seen(face.pixels.size(), false);
            int dots = 0;
            for (int y = 1; y < bottom; ++y) {
                for (int x = 1; x < w - 1; ++x) {
                    const size_t at = static_cast<size_t>(y) * w + x;
                    if (seen[at] || face.pixels[at] == ground) {
                        continue;
                    }
                    ++dots;
                    std::vector<std::pair<int, int>> stack = {{x, y}};
                    seen[at] = true;
                    while (!stack.empty()) {
                        const auto [px, py] = stack.back();
                        stack.pop_back();
                        for (int dy = -1; dy <= 1; ++dy) {
                            for (int dx = -1; dx <= 1; ++dx) {
                                const int nx = px + dx;
                                const int ny = py + dy;
                                const size_t n = static_cast<size_t>(ny) * w + nx;
                                if (nx >= 1 && ny >= 1 && nx < w - 1 && ny < bottom && !seen[n] &&
                                    face.pixels[n] != ground) {
                                    seen[n] = true;
                                    stack.emplace_back(nx, ny);
                                }
                            }
                        }
                    }
                }
            }
            EXPECT_EQ(dots, value) << picture.width << "x" << picture.height;
        }
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
    texts.push_back({"the typed chat line", "InputBarBoxBK",
                     ConstantInCode("frame/panels/InputBar.cpp", "kEditTextColour")});
    // The settings and top-up dialogs' labels, inside the border.
    const uint32_t labels = ConstantInCode("game/dialogs/DialogParts.cpp", "kTextColour");
    texts.push_back({"the settings labels", "bit_gamesetboard", labels, 6, 6, 440, 234});
    texts.push_back({"the top-up dialog's texts", "自动补银框", labels, 6, 6, 294, 214});
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
                    if (ground != regional_skin::kClear) {  // no text over a transparent ground
                        least = std::min(least, Contrast(textLuminance, Luminance(ground)));
                    }
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

// A ticked check box shows a tick: a stroke of pixels that stand out from
// the unticked box at the same places (3:1 at least), not a shade lighter.
TEST(SkinArt, ATickedCheckBoxShowsATickTheUntickedOneLacks) {
    const std::vector<Image> frames = Drawn("复选框");
    ASSERT_EQ(frames.size(), 2u);
    int tick = 0;
    for (size_t i = 0; i < frames[0].pixels.size(); ++i) {
        tick += Contrast(Luminance(frames[0].pixels[i]), Luminance(frames[1].pixels[i])) >= 3.0;
    }
    // Two strokes across a 16-pixel box, two pixels wide.
    EXPECT_GE(tick, 24) << "pixels of the tick";
}

// The signs a player meets every hand are drawn as what they mean, not one
// flat colour: the ready mark and the auto-play sign carry their words, the
// chat's notice and member icons are pictures of several colours. The
// volume panel labels its tracks above them, clear of their thumbs (music
// left, sounds right) and of its border; a chat emoticon has no ground of
// its own; the result dialog carries its title in the band above its
// panels; a chat bubble's tail points at the seat that draws its frame, on a
// transparent ground; a meld sheet's numerals keep a tenth of the tile's
// width clear of its sides, and every stroke, as a claimed meld squeezes
// lying faces into standing places and standing ones into lying places.
TEST(SkinArt, TheSignsIconsAndTitleBarAPlayerSeesAreDrawnNotFlat) {
    for (const char* name :
         {"animation_Ready", "animation_autoplaying", "qe系统通知", "qe蓝钻", "btn_Volume"}) {
        SCOPED_TRACE(platform::GbkToUtf8(name));
        const Image frame = Drawn(name)[0];
        EXPECT_GE(std::set<uint32_t>(frame.pixels.begin(), frame.pixels.end()).size(), 4u);
        EXPECT_EQ(Listed(name).caption.empty(), Starts(name, "qe"));
    }
    for (const char* name : {"GameIcon", "FramePatternMiddle", "deposit_liang_big"}) {
        const Image frame = Drawn(name)[0];
        EXPECT_GE(std::set<uint32_t>(frame.pixels.begin(), frame.pixels.end()).size(), 4u) << name;
    }
    // The title bar, tiled across the window, shows no seam between tiles.
    const Image top = Drawn("Frame_Top")[0];
    for (int y = 0; y < top.height; ++y) {
        EXPECT_EQ(top.pixels[size_t(y * top.width)],
                  top.pixels[size_t(y * top.width + top.width - 1)]);
    }
    // Pixels in [x0, x1) x [y0, y1) other than the colour at (cx, cy).
    auto inked = [](const Image& image, int x0, int x1, int y0, int y1, int cx, int cy) {
        int count = 0;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                count += image.pixels[size_t(y * image.width + x)] !=
                         image.pixels[size_t(cy * image.width + cx)];
            }
        }
        return count;
    };
    const Image volume = Drawn("bit_volumebk")[0];
    const int w = volume.width;
    const int labels =
        (volume.height - Listed("slider_bk").height) / 2 - Listed("slider_bar").height / 2;
    EXPECT_GT(inked(volume, 2, w / 2, 2, labels, w / 2, volume.height / 2), 20) << "音乐";
    EXPECT_GT(inked(volume, w / 2, w - 2, 2, labels, w / 2, volume.height / 2), 20) << "音效";
    EXPECT_EQ(inked(volume, 2, w - 2, labels, volume.height - 2, w / 2, volume.height / 2), 0);
    EXPECT_EQ(inked(volume, 1, 3, 1, labels, w / 2, volume.height / 2) +
                  inked(volume, w - 3, w - 1, 1, labels, w / 2, volume.height / 2),
              0)
        << "a label meets the border";
    for (const Picture& emoticon : ProjectSkin().pictures) {
        if (Starts(emoticon.name, "kof")) {  // round the face, its ground is transparent
            const Image e = Drawn(emoticon.name)[0];
            EXPECT_EQ(std::set({e.pixels[0], e.pixels[size_t(e.width - 1)], e.pixels.back()}),
                      std::set{regional_skin::kClear});
        }
    }
    const Image result = Drawn("bit_Result_BK")[0];
    EXPECT_GT(inked(result, 6, result.width - 6, 6, 82, 320, 200), 100) << "no title";
    EXPECT_EQ(inked(result, 6, result.width - 6, 82, result.height - 6, 320, 200), 0);
    // Position 0 (left) draws frame 3, 1 (across) frame 1, 2 (right) frame 4,
    // 3 (own) frame 0: the tail's tip lies on the frame's edge on that side,
    // and the opposite edge is clear.
    const std::vector<Image> bubbles = Drawn("聊天泡泡背景");
    for (const auto& [frame, dx, dy] :
         std::vector<std::tuple<int, int, int>>{{3, -1, 0}, {1, 0, -1}, {4, 1, 0}, {0, 0, 1}}) {
        const Image& b = bubbles[size_t(frame)];
        auto edge = [&](int sx, int sy) {
            const int x0 = sx > 0 ? b.width - 1 : 0;
            const int y0 = sy > 0 ? b.height - 1 : 0;
            return inked(b, x0, sx != 0 ? x0 + 1 : b.width, y0, sy != 0 ? y0 + 1 : b.height, 0, 0);
        };
        EXPECT_GT(edge(dx, dy), 0) << frame;
        EXPECT_EQ(edge(-dx, -dy), 0) << frame;
        EXPECT_EQ(b.pixels[0], regional_skin::kClear) << frame;
    }
    // The first size from 16 pixels at which the engine's nearest-neighbour
    // map of an indexed picture squeezes a face so that no line is left of a
    // run of like rows (or columns) inside its frame and above its shade;
    // 0 for none.
    auto lost = [](const Image& face, bool rows) {
        const int length = rows ? face.height : face.width;
        const int end = rows ? face.height - 3 : face.width - 1;
        auto at = [&](int i, int j) {
            return face.pixels[size_t(rows ? i * face.width + j : j * face.width + i)];
        };
        std::vector<int> run(size_t(end), 0);
        for (int i = 2; i < end; ++i) {
            bool same = true;
            for (int j = 1; j < (rows ? face.width - 1 : face.height - 3); ++j) {
                same = same && at(i, j) == at(i - 1, j);
            }
            run[size_t(i)] = run[size_t(i - 1)] + (same ? 0 : 1);
        }
        for (int to = 16; to < length; ++to) {
            std::set<int> kept;
            for (int v = 0, i = 0; v < to; ++v) {
                i = (v * ((length << 10) / to)) >> 10;
                kept.insert(i >= 1 && i < end ? run[size_t(i)] : -1);
            }
            if (kept.size() < size_t(run.back() + 2)) {
                return to;
            }
        }
        return 0;
    };
    for (const Picture& sheet : ProjectSkin().pictures) {
        if (sheet.look != Look::Faces || sheet.name.find("_middle") == std::string::npos) {
            continue;
        }
        const std::vector<Image> faces =
            regional_skin::DrawPicture(sheet, regional_skin::Style::Drawn);
        for (int f = 0; f < 27; f += f == 8 ? 10 : 1) {  // bamboo and characters
            const Image& face = faces[size_t(f)];
            const int margin = face.width / 10;
            EXPECT_EQ(
                inked(face, 1, margin, 1, face.height - 3, 1, 1) +
                    inked(face, face.width - margin, face.width - 1, 1, face.height - 3, 1, 1),
                0)
                << sheet.name << " " << f;
            // The sheets of 1024 x 768 and 1366 x 768, drawn as the side
            // seats' meld tiles (16 high) and the top seat's (16 wide).
            EXPECT_EQ(Starts(sheet.name, "1600") ? 0 : lost(face, true) + lost(face, false), 0)
                << sheet.name << " " << f;
        }
    }
}

}  // namespace
