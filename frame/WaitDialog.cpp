#include "frame/WaitDialog.h"

#include <algorithm>
#include <array>

#include "frame/FrameFunctions.h"
#include "platform/Font.h"
#include "platform/Profile.h"
#include "zep/ZepLog.h"

namespace {

// The dialog's template: its size and its two controls, in dialog units.
constexpr int kDialogUnitsWide = 207;
constexpr int kDialogUnitsHigh = 45;
constexpr std::array<int, 4> kBarUnits = {5, 32, 197, 9};
constexpr std::array<int, 4> kTextUnits = {17, 12, 174, 18};
constexpr char kTemplateFace[] = "宋体";
constexpr int kTemplateFontHeight = 12;  // 9 points at 96 dots an inch
constexpr uint32_t kTextColor = 0x000000;
constexpr uint32_t kProfileText = 260;
// What the dialog answers kMsgWaitSkinPath once it owns the string.
constexpr platform::LResult kSkinPathTaken = 1;

std::shared_ptr<const platform::Font> TemplateFont() {
    return platform::OpenFont({kTemplateFace, kTemplateFontHeight});
}

// The font's base units: the average width of the Latin letters, rounded,
// and the character height.
void BaseUnits(const platform::Font& font, int& width, int& height) {
    int total = 0;
    for (char c = 'A'; c <= 'Z'; ++c) {
        const char pair[2] = {c, static_cast<char>(c - 'A' + 'a')};
        total += font.CellWidth(std::string_view(pair, 1)) +
                 font.CellWidth(std::string_view(pair + 1, 1));
    }
    width = (total + 26) / 52;
    height = font.Height();
}

std::string ReadSkinText(const char* section, const char* key, const std::string& file) {
    char text[kProfileText] = {};
    platform::GetPrivateProfileString(section, key, "", text, sizeof text, file.c_str());
    return text;
}

// The drive and folder of a path, with its last separator.
std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

uint32_t PictureColorAt(const platform::DecodedPicture& picture, int x, int y) {
    const size_t index =
        static_cast<size_t>(y) * static_cast<size_t>(picture.width) + static_cast<size_t>(x);
    const uint8_t* pixels = picture.FramePixels(0);
    if (picture.layout == platform::PictureLayout::Indexed8) {
        const size_t entry = pixels[index];
        if (entry >= static_cast<size_t>(picture.PaletteCount())) {
            return 0;
        }
        const uint8_t* rgb = picture.palette.data() + entry * 3;
        return uint32_t{rgb[0]} | uint32_t{rgb[1]} << 8 | uint32_t{rgb[2]} << 16;
    }
    const uint8_t* bgra = pixels + index * 4;
    return uint32_t{bgra[2]} | uint32_t{bgra[1]} << 8 | uint32_t{bgra[0]} << 16;
}

// The colour over the base where the text covers it by `coverage` of 255.
uint32_t Blend(uint32_t base, uint32_t ink, int coverage) {
    uint32_t out = 0;
    for (int c = 0; c < 3; ++c) {
        const int b = static_cast<int>((base >> (8 * c)) & 0xFF);
        const int i = static_cast<int>((ink >> (8 * c)) & 0xFF);
        out |= static_cast<uint32_t>((b * (255 - coverage) + i * coverage + 127) / 255) << (8 * c);
    }
    return out;
}

size_t GbkCharLength(const std::string& text, size_t at) {
    return static_cast<uint8_t>(text[at]) >= 0x81 && at + 1 < text.size() ? 2 : 1;
}

}  // namespace

CWaitDialog::CWaitDialog(std::string skinIni, platform::ScreenRect workArea)
    : initialSkinIni_(std::move(skinIni)), workArea_(workArea) {
    int baseWidth = 0;
    int baseHeight = 0;
    BaseUnits(*TemplateFont(), baseWidth, baseHeight);
    const Rect size =
        DialogUnitsToPixels(0, 0, kDialogUnitsWide, kDialogUnitsHigh, baseWidth, baseHeight);
    width_ = size.width;
    height_ = size.height;
    barRect_ = DialogUnitsToPixels(kBarUnits[0], kBarUnits[1], kBarUnits[2], kBarUnits[3],
                                   baseWidth, baseHeight);
    textRect_ = DialogUnitsToPixels(kTextUnits[0], kTextUnits[1], kTextUnits[2], kTextUnits[3],
                                    baseWidth, baseHeight);
    bar_.SetColors(kDefaultBarForeground, kDefaultBarBackground);
}

CWaitDialog::~CWaitDialog() {
    panel_.Show(false);
    Destroy();
}

CWaitDialog::Rect CWaitDialog::DialogUnitsToPixels(int x, int y, int cx, int cy, int baseWidth,
                                                   int baseHeight) {
    return {x * baseWidth / 4, y * baseHeight / 8, cx * baseWidth / 4, cy * baseHeight / 8};
}

bool CWaitDialog::Open() {
    if (!CWaitDisplay::Open()) {
        return false;
    }
    const platform::ScreenPoint corner{
        workArea_.left + (workArea_.right - workArea_.left - width_) / 2,
        workArea_.top + (workArea_.bottom - workArea_.top - height_) / 2};
    panel_.MoveTo(corner);
    auto path = std::make_unique<std::string>(initialSkinIni_);
    if (platform::SendMessage(Id(), kMsgWaitSkinPath,
                              reinterpret_cast<platform::WParam>(path.get()),
                              0) == kSkinPathTaken) {
        path.release();
    }
    return true;
}

platform::LResult CWaitDialog::WindowProc(uint32_t id, platform::WParam wParam,
                                          platform::LParam lParam) {
    if (id == kMsgWaitSkinPath) {
        TakeSkinPath(std::unique_ptr<std::string>(reinterpret_cast<std::string*>(wParam)));
        return kSkinPathTaken;
    }
    if (id == platform::kMsgTimer && wParam == kBarTimer) {
        bar_.Rotate();
        Repaint();
        return 0;
    }
    return CWaitDisplay::WindowProc(id, wParam, lParam);
}

void CWaitDialog::TakeSkinPath(std::unique_ptr<std::string> path) {
    skinIni_ = path ? std::move(*path) : std::string();
    LoadSkin();
    Repaint();
}

void CWaitDialog::LoadSkin() {
    background_.reset();
    const std::string name = ReadSkinText("BitmapResource", "CommDlgBK", skinIni_);
    if (!name.empty()) {
        const std::string file = FolderOf(skinIni_) + name;
        platform::DecodedPicture picture;
        std::string error;
        if (platform::DecodePictureFile(file, picture, error) && picture.width > 0 &&
            picture.height > 0) {
            background_ = std::move(picture);
        } else {
            ZepLog("wait dialog: no background from %s: %s", file.c_str(), error.c_str());
        }
    }
    bar_.SetColors(
        ParseRGB(ReadSkinText("CommColors", "WaitBarfg", skinIni_), kDefaultBarForeground),
        ParseRGB(ReadSkinText("CommColors", "WaitBarbg", skinIni_), kDefaultBarBackground));
}

void CWaitDialog::Show(const std::string& text, int seconds) {
    ZepLog("wait text (%d s): %s", seconds, text.c_str());
    text_ = text;
    Repaint();
    panel_.Show(true);
    if (!shown_) {
        shown_ = true;
        platform::SetTimer(Id(), kBarTimer, kBarIntervalMs);
    }
}

void CWaitDialog::Hide() {
    panel_.Show(false);
    if (shown_) {
        shown_ = false;
        platform::KillTimer(Id(), kBarTimer);
    }
}

void CWaitDialog::Repaint() {
    panel_.Publish(Render());
}

platform::PanelFrame CWaitDialog::Render() const {
    platform::PanelFrame frame = platform::PanelFrame::Filled(width_, height_, kFaceColor);
    DrawBackground(frame);
    DrawText(frame);
    bar_.Paint(frame, barRect_);
    return frame;
}

void CWaitDialog::DrawBackground(platform::PanelFrame& frame) const {
    if (!background_) {
        return;  // the face colour the frame was filled with
    }
    const platform::DecodedPicture& picture = *background_;
    for (int y = 0; y < frame.height; ++y) {
        const int sy = static_cast<int>(int64_t{y} * picture.height / frame.height);
        for (int x = 0; x < frame.width; ++x) {
            const int sx = static_cast<int>(int64_t{x} * picture.width / frame.width);
            frame.SetColorAt(x, y, PictureColorAt(picture, sx, sy));
        }
    }
}

// Left-aligned lines, broken where the next character would pass the
// text's width, as many as its height holds.
void CWaitDialog::DrawText(platform::PanelFrame& frame) const {
    const auto font = TemplateFont();
    auto glyph =
        platform::GlyphBitmap::Create(std::max(font->Height(), 1), std::max(font->Height(), 1));
    if (!glyph) {
        return;
    }
    int x = 0;
    int y = 0;
    for (size_t at = 0; at < text_.size();) {
        const size_t length = GbkCharLength(text_, at);
        const std::string_view character(text_.data() + at, length);
        at += length;
        if (character == "\r") {
            continue;
        }
        const int cell = font->CellWidth(character);
        if (character == "\n" || (x > 0 && x + cell > textRect_.width)) {
            x = 0;
            y += font->Height();
            if (character == "\n") {
                continue;
            }
        }
        if (y + font->Height() > textRect_.height) {
            break;
        }
        glyph->Clear(glyph->Width(), glyph->Height());
        font->DrawChar(character, *glyph);
        for (int gy = 0; gy < font->Height(); ++gy) {
            for (int gx = 0; gx < cell && gx < glyph->Width(); ++gx) {
                const int coverage = glyph->At(gx, gy);
                if (coverage == 0) {
                    continue;
                }
                const int px = textRect_.left + x + gx;
                const int py = textRect_.top + y + gy;
                frame.SetColorAt(px, py, Blend(frame.ColorAt(px, py), kTextColor, coverage));
            }
        }
        x += cell;
    }
}

WaitDisplayFactory MakeWaitDialogFactory(std::string skinIni, platform::ScreenRect workArea) {
    return [skinIni = std::move(skinIni), workArea]() -> std::unique_ptr<CWaitDisplay> {
        return std::make_unique<CWaitDialog>(skinIni, workArea);
    };
}
