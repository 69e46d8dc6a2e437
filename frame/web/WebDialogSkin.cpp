#include "frame/web/WebDialogSkin.h"

#include <algorithm>
#include <memory>

#include "platform/Display.h"
#include "platform/Font.h"
#include "platform/ImageDecoder.h"
#include "zep/ZepLog.h"

namespace {

constexpr int kCloseFaces = 4;
constexpr int kCloseRightInset = 26;
constexpr int kCloseTop = -1;
constexpr int kTitleX = 10;
constexpr int kTitleY = 6;
constexpr char kTitleFace[] = "宋体";
constexpr int kTitleHeight = 13;
constexpr uint32_t kDialogFace = 0xFFF0F0F0;  // blue, green, red, alpha as one word

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

void WebDialogSkin::Load(const std::string& programFolder, int pageWidth) {
    const std::string skins = programFolder + kSkinFolder;
    closePressed_ = false;
    closeLeft_ = pageWidth - kCloseRightInset;
    LoadCloseButton(skins + kCloseFile);
    background_ = {};
    if (!LoadBitmap(skins + kFrameFile, background_.width, background_.height,
                    background_.pixels)) {
        background_ = {};
    }
}

platform::PixelRect WebDialogSkin::CloseButtonRect() const {
    if (closeFaces_.empty()) {
        return {};
    }
    return {closeLeft_, kCloseTop, closeLeft_ + closeFaces_[0].width,
            kCloseTop + closeFaces_[0].height};
}

void WebDialogSkin::LoadCloseButton(const std::string& path) {
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

void WebDialogSkin::OnLeftButton(platform::WindowId window, bool down, int x, int y,
                                 uint32_t command) {
    const platform::PixelRect button = CloseButtonRect();
    const bool inside =
        x >= button.left && x < button.right && y >= button.top && y < button.bottom;
    if (down) {
        if (inside) {
            closePressed_ = true;
            platform::SetCapture(window);
            platform::InvalidateRect(window, nullptr);
        }
        return;
    }
    if (!closePressed_) {
        return;
    }
    closePressed_ = false;
    platform::ReleaseCapture();
    if (inside) {
        platform::PostMessage(window, kMsgCommand, command, 0);
    } else {
        platform::InvalidateRect(window, nullptr);
    }
}

void WebDialogSkin::Paint(platform::WindowId window, platform::TopLevelWindow& top,
                          std::string_view caption) const {
    if (top.ClientWidth() <= 0 || top.ClientHeight() <= 0) {
        return;
    }
    const int width = top.ClientWidth();
    const int height = top.ClientHeight();
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
        DrawText(pixels, width, height, kTitleX, kTitleY, caption, *font, 0x000000);
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
    platform::BlitToWindow(window, bitmap, 0, 0, width, height, 0, 0);
}
