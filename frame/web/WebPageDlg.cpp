#include "frame/web/WebPageDlg.h"

#include <algorithm>
#include <memory>

#include "frame/GameFrameApp.h"
#include "frame/web/WebUrlCommand.h"
#include "platform/Display.h"
#include "platform/Files.h"
#include "platform/Font.h"
#include "platform/ImageDecoder.h"
#include "platform/Screen.h"
#include "zep/ZepLog.h"

namespace {

constexpr char kSkinFolder[] = "skins\\reswebcharge\\";
constexpr char kFrameFile[] = "charge_frame.bmp";
constexpr char kCloseFile[] = "btnChargeClose.bmp";
constexpr int kCloseFaces = 4;
constexpr int kCloseRightInset = 26;
constexpr int kCloseTop = -1;
constexpr int kBrowserLeft = 4;
constexpr int kBrowserTop = 22;
constexpr int kBrowserRightInset = 4;    // the browser ends at width + 4
constexpr int kBrowserBottomInset = 12;  // and at height + 12
constexpr int kFrameExtraWidth = 8;
constexpr int kFrameExtraHeight = 16;
constexpr int kTitleX = 10;
constexpr int kTitleY = 6;
constexpr char kTitleFace[] = "宋体";
constexpr int kTitleHeight = 13;
constexpr uint32_t kDialogFace = 0xFFF0F0F0;  // blue, green, red, alpha as one word
constexpr int16_t kTemplateWidth = 187;
constexpr int16_t kTemplateHeight = 97;

// The picture's pixels as 32-bit words; an empty picture for what cannot be
// read.
std::vector<uint32_t> PicturePixels(const platform::DecodedPicture& decoded) {
    const size_t count = static_cast<size_t>(decoded.width) * static_cast<size_t>(decoded.height);
    std::vector<uint32_t> pixels(count, kDialogFace);
    const uint8_t* bytes = decoded.pixels.get();
    for (size_t i = 0; i < count; ++i) {
        uint8_t blue = 0, green = 0, red = 0;
        if (decoded.layout == platform::PictureLayout::Bgra32) {
            blue = bytes[4 * i];
            green = bytes[4 * i + 1];
            red = bytes[4 * i + 2];
        } else if (const size_t entry = bytes[i]; 3 * entry + 2 < decoded.palette.size()) {
            red = decoded.palette[3 * entry];
            green = decoded.palette[3 * entry + 1];
            blue = decoded.palette[3 * entry + 2];
        }
        pixels[i] = 0xFF000000u | static_cast<uint32_t>(red) << 16 |
                    static_cast<uint32_t>(green) << 8 | blue;
    }
    return pixels;
}

bool LoadBitmap(const std::string& path, int& width, int& height, std::vector<uint32_t>& pixels) {
    platform::DecodedPicture decoded;
    std::string error;
    if (!platform::DecodePictureFile(path, decoded, error) || decoded.frameCount < 1) {
        ZepLog("web page: no picture \"%s\" (%s)", path.c_str(), error.c_str());
        return false;
    }
    width = decoded.width;
    height = decoded.height;
    pixels = PicturePixels(decoded);
    return true;
}

// The rectangle the dialog centres itself in: the table area of the frame
// view, the frame view itself without one, else the work area.
platform::ScreenRect MainGameArea() {
    CGameFrameApp* app = CGameFrameApp::Current();
    CGameFrameView* view = app != nullptr ? app->GetFrameView() : nullptr;
    if (view != nullptr) {
        CCorvaneObject* area = view->GetMainGame();
        if (area == nullptr) {
            area = view;
        }
        return {static_cast<int>(area->GetLeft()), static_cast<int>(area->GetTop()),
                static_cast<int>(area->GetRight()), static_cast<int>(area->GetBottom())};
    }
    return platform::WorkArea();
}

// Draws GBK text in one colour (0x00RRGGBB) with its cells' top-left corner
// at (x, y), clipped to the pixels.
void DrawText(std::vector<uint32_t>& pixels, int width, int height, int x, int y,
              std::string_view text, const platform::Font& font, uint32_t color) {
    std::unique_ptr<platform::GlyphBitmap> glyph =
        platform::GlyphBitmap::Create(std::max(font.Height(), 1) * 2, std::max(font.Height(), 1));
    if (glyph == nullptr) {
        return;
    }
    size_t position = 0;
    while (position < text.size()) {
        const auto lead = static_cast<uint8_t>(text[position]);
        const size_t bytes = lead >= 0x81 && position + 1 < text.size() ? 2 : 1;
        const std::string_view character = text.substr(position, bytes);
        glyph->Clear(glyph->Width(), glyph->Height());
        const int cell = font.DrawChar(character, *glyph);
        for (int gy = 0; gy < glyph->Height(); ++gy) {
            for (int gx = 0; gx < cell && gx < glyph->Width(); ++gx) {
                const int px = x + gx;
                const int py = y + gy;
                const uint32_t a = glyph->At(gx, gy);
                if (a == 0 || px < 0 || py < 0 || px >= width || py >= height) {
                    continue;
                }
                uint32_t& to = pixels[static_cast<size_t>(py) * width + px];
                uint32_t mixed = 0xFF000000u;
                for (int shift = 0; shift < 24; shift += 8) {
                    const uint32_t from = (color >> shift) & 0xFF;
                    const uint32_t under = (to >> shift) & 0xFF;
                    mixed |= ((from * a + under * (255 - a)) / 255) << shift;
                }
                to = mixed;
            }
        }
        x += cell;
        position += bytes;
    }
}

}  // namespace

CWebPageDlg::CWebPageDlg() {
    fields_.style = platform::kStylePopup;
    fields_.extendedStyle = 0;
    fields_.itemCount = 0;
    fields_.x = 0;
    fields_.y = 0;
    fields_.width = kTemplateWidth;
    fields_.height = kTemplateHeight;
}

CWebPageDlg::~CWebPageDlg() {
    CloseWindow();
}

void CWebPageDlg::SetSize(int width, int height) {
    if (width > 0) {
        width_ = width;
    }
    if (height > 0) {
        height_ = height;
    }
}

std::string CWebPageDlg::Address() const {
    return query_.empty() ? url_ : url_ + "?" + query_;
}

int CWebPageDlg::Navigate(std::string_view title, std::string_view url, std::string_view query) {
    if (url.empty()) {
        return 0;
    }
    CloseWindow();
    title_ = std::string(title);
    url_ = std::string(url);
    query_ = std::string(query);
    if (!Create()) {
        ZepLog("web page: no window for \"%s\"", url_.c_str());
    }
    return 1;
}

void CWebPageDlg::CloseWindow() {
    if (Id() == 0) {
        return;
    }
    if (platform::TopLevelWindow* top = GetTopLevel()) {
        top->Show(false);
    }
    browser_.DestroyView();
    Destroy();
    FreeOrphanWebUrlCommands();
    closePressed_ = false;
}

platform::PixelRect CWebPageDlg::CloseButtonRect() const {
    if (closeFaces_.empty()) {
        return {};
    }
    const int left = width_ - kCloseRightInset;
    return {left, kCloseTop, left + closeFaces_[0].width, kCloseTop + closeFaces_[0].height};
}

void CWebPageDlg::LoadCloseButton(const std::string& path) {
    closeFaces_.clear();
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    if (!LoadBitmap(path, width, height, pixels) || width < kCloseFaces) {
        return;
    }
    const int faceWidth = width / kCloseFaces;
    for (int face = 0; face < kCloseFaces; ++face) {
        Picture picture{faceWidth, height, {}};
        picture.pixels.reserve(static_cast<size_t>(faceWidth) * height);
        for (int y = 0; y < height; ++y) {
            const auto row = pixels.begin() + static_cast<ptrdiff_t>(y) * width + face * faceWidth;
            picture.pixels.insert(picture.pixels.end(), row, row + faceWidth);
        }
        closeFaces_.push_back(std::move(picture));
    }
}

bool CWebPageDlg::OnInitDialog() {
    CNoTemplateDialog::OnInitDialog();
    platform::TopLevelWindow* top = GetTopLevel();
    if (top == nullptr) {
        return true;
    }
    CGameFrameApp* app = CGameFrameApp::Current();
    const std::string skins =
        (app != nullptr ? app->GetExeDir() : platform::ProgramFolder()) + kSkinFolder;
    LoadCloseButton(skins + kCloseFile);
    background_ = {};
    if (!LoadBitmap(skins + kFrameFile, background_.width, background_.height,
                    background_.pixels)) {
        background_ = {};
    }
    const platform::ScreenRect area = MainGameArea();
    const int left = (area.right - area.left) / 2 - width_ / 2;
    const int topEdge = (area.bottom - area.top) / 2 - height_ / 2;
    top->MoveTo(
        {left, topEdge, left + width_ + kFrameExtraWidth, topEdge + height_ + kFrameExtraHeight});
    top->SetCaptionStrip(kCaptionHeight);
    if (browser_.Create(Id(), {kBrowserLeft, kBrowserTop, width_ + kBrowserRightInset,
                               height_ + kBrowserBottomInset})) {
        browser_.Navigate(Address());
        browser_.Page().HideVerticalScrollBar();
        browser_.Page().Show(true);
    }
    platform::InvalidateRect(Id(), nullptr);
    return true;
}

platform::LResult CWebPageDlg::OnMessage(uint32_t id, platform::WParam wParam,
                                         platform::LParam lParam) {
    switch (id) {
        case platform::kMsgPaint:
            Paint();
            break;
        case platform::kMsgMove:
            browser_.FollowParent();
            break;
        case platform::kMsgLButtonDown:
        case platform::kMsgLButtonUp:
            OnLeftButton(id == platform::kMsgLButtonDown, platform::PointX(lParam),
                         platform::PointY(lParam));
            return 0;
        case platform::kMsgMouseMove:
            return 0;
        case kMsgCommand:
            if ((wParam & 0xFFFF) == kCloseCommand) {
                CloseWindow();
                return 0;
            }
            break;
        case kMsgWebUrlCommand:
            RunPostedWebUrlCommand(wParam);
            return 0;
        case platform::kMsgDestroy:
            browser_.DestroyView();
            break;
        default:
            break;
    }
    return CNoTemplateDialog::OnMessage(id, wParam, lParam);
}

void CWebPageDlg::OnLeftButton(bool down, int x, int y) {
    const platform::PixelRect button = CloseButtonRect();
    const bool inside =
        x >= button.left && x < button.right && y >= button.top && y < button.bottom;
    if (down) {
        if (inside) {
            closePressed_ = true;
            platform::SetCapture(Id());
            platform::InvalidateRect(Id(), nullptr);
        }
        return;
    }
    if (!closePressed_) {
        return;
    }
    closePressed_ = false;
    platform::ReleaseCapture();
    if (inside) {
        platform::PostMessage(Id(), kMsgCommand, kCloseCommand, 0);
    } else {
        platform::InvalidateRect(Id(), nullptr);
    }
}

void CWebPageDlg::Paint() {
    platform::TopLevelWindow* top = GetTopLevel();
    if (top == nullptr || top->ClientWidth() <= 0 || top->ClientHeight() <= 0) {
        return;
    }
    const int width = top->ClientWidth();
    const int height = top->ClientHeight();
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, kDialogFace);
    if (background_.width > 0 && background_.height > 0) {
        for (int y = 0; y < height; ++y) {
            const int sy = static_cast<int>(int64_t{y} * background_.height / height);
            for (int x = 0; x < width; ++x) {
                const int sx = static_cast<int>(int64_t{x} * background_.width / width);
                pixels[static_cast<size_t>(y) * width + x] =
                    background_.pixels[static_cast<size_t>(sy) * background_.width + sx];
            }
        }
    }
    if (const auto font = platform::OpenFont({kTitleFace, kTitleHeight})) {
        DrawText(pixels, width, height, kTitleX, kTitleY, title_, *font, 0x000000);
    }
    if (!closeFaces_.empty()) {
        const Picture& face = closeFaces_[closePressed_ ? 1 : 0];
        const platform::PixelRect button = CloseButtonRect();
        for (int y = 0; y < face.height; ++y) {
            for (int x = 0; x < face.width; ++x) {
                const int px = button.left + x;
                const int py = button.top + y;
                if (px >= 0 && py >= 0 && px < width && py < height) {
                    pixels[static_cast<size_t>(py) * width + px] =
                        face.pixels[static_cast<size_t>(y) * face.width + x];
                }
            }
        }
    }
    platform::DisplayBitmap bitmap;
    if (!bitmap.Create(width, height, 32)) {
        return;
    }
    bitmap.SetBits(pixels.data(), pixels.size() * sizeof(uint32_t));
    platform::BlitToWindow(Id(), bitmap, 0, 0, width, height, 0, 0);
}
