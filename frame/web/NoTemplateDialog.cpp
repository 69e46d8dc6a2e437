#include "frame/web/NoTemplateDialog.h"

#include <algorithm>
#include <cstdint>
#include <new>

#include "platform/Dialogs.h"
#include "platform/Font.h"
#include "platform/Screen.h"
#include "platform/TextCodec.h"
#include "zep/ZepLog.h"

namespace {

constexpr uint16_t kTemplatePointSize = 11;
constexpr char16_t kTemplateFace[] = u"ARIAL";
constexpr size_t kFaceBytes = sizeof(kTemplateFace);  // 12, with the NUL
constexpr size_t kCaptionOffset = 22;
constexpr uint32_t kStyleSetFont = 0x40;
constexpr int kScreenDpi = 96;
constexpr int kPointsPerInch = 72;
constexpr char kMemoryFailed[] = "Memory allocation failed!";

void Put16(std::vector<uint8_t>& block, size_t offset, uint16_t value) {
    block[offset] = static_cast<uint8_t>(value);
    block[offset + 1] = static_cast<uint8_t>(value >> 8);
}

void Put32(std::vector<uint8_t>& block, size_t offset, uint32_t value) {
    Put16(block, offset, static_cast<uint16_t>(value));
    Put16(block, offset + 2, static_cast<uint16_t>(value >> 16));
}

// Reads little-endian words within the block; a read past its end fails and
// every later one too.
class TemplateReader {
public:
    explicit TemplateReader(std::span<const uint8_t> block) : block_(block) {}
    bool Ok() const { return ok_; }
    size_t Position() const { return position_; }
    uint16_t Word() {
        if (!ok_ || block_.size() - position_ < 2) {
            ok_ = false;
            return 0;
        }
        const auto value = static_cast<uint16_t>(block_[position_] | block_[position_ + 1] << 8);
        position_ += 2;
        return value;
    }
    uint32_t Dword() {
        const uint32_t low = Word();
        return low | static_cast<uint32_t>(Word()) << 16;
    }
    // UTF-16 units up to their NUL; with a field length, the whole field is
    // read and the text ends at its first NUL.
    std::u16string Text(size_t fieldUnits = SIZE_MAX) {
        std::u16string text;
        bool ended = false;
        for (size_t i = 0; i < fieldUnits && ok_; ++i) {
            const uint16_t unit = Word();
            if (unit == 0) {
                ended = true;
                if (fieldUnits == SIZE_MAX) {
                    break;
                }
            } else if (!ended) {
                text.push_back(static_cast<char16_t>(unit));
            }
        }
        return text;
    }

private:
    std::span<const uint8_t> block_;
    size_t position_ = 0;
    bool ok_ = true;
};

}  // namespace

std::vector<uint8_t> BuildDialogTemplate(const std::string& caption,
                                         const DialogTemplateFields& fields) {
    const size_t units = caption.size() + 1;
    std::u16string wide = platform::GbkToUtf16(caption);
    wide.resize(std::min(wide.size(), units - 1));  // never more units than room, the NUL kept
    std::vector<uint8_t> block((2 * units + 38) & ~size_t{2}, 0);
    Put32(block, 0, fields.style);
    Put32(block, 4, fields.extendedStyle);
    Put16(block, 8, fields.itemCount);
    Put16(block, 10, static_cast<uint16_t>(fields.x));
    Put16(block, 12, static_cast<uint16_t>(fields.y));
    Put16(block, 14, static_cast<uint16_t>(fields.width));
    Put16(block, 16, static_cast<uint16_t>(fields.height));
    // Menu and class at 18 and 20 stay 0.
    for (size_t i = 0; i < wide.size(); ++i) {
        Put16(block, kCaptionOffset + 2 * i, static_cast<uint16_t>(wide[i]));
    }
    const size_t fontOffset = kCaptionOffset + 2 * units;
    Put16(block, fontOffset, kTemplatePointSize);
    for (size_t i = 0; i < kFaceBytes / 2; ++i) {
        Put16(block, fontOffset + 2 + 2 * i, static_cast<uint16_t>(kTemplateFace[i]));
    }
    return block;
}

std::optional<DialogTemplate> ReadDialogTemplate(std::span<const uint8_t> block,
                                                 size_t captionUnits) {
    TemplateReader reader(block);
    DialogTemplate dialog;
    DialogTemplateFields& fields = dialog.fields;
    fields.style = reader.Dword();
    fields.extendedStyle = reader.Dword();
    fields.itemCount = reader.Word();
    fields.x = static_cast<int16_t>(reader.Word());
    fields.y = static_cast<int16_t>(reader.Word());
    fields.width = static_cast<int16_t>(reader.Word());
    fields.height = static_cast<int16_t>(reader.Word());
    const uint16_t menu = reader.Word();
    const uint16_t windowClass = reader.Word();
    if (captionUnits > block.size() / 2) {
        return std::nullopt;
    }
    dialog.caption = platform::Utf16ToGbk(reader.Text(captionUnits));
    dialog.pointSize = reader.Word();
    dialog.face = platform::Utf16ToGbk(reader.Text());
    if (!reader.Ok() || menu != 0 || windowClass != 0 || fields.itemCount != 0) {
        return std::nullopt;
    }
    return dialog;
}

DialogBaseUnits MeasureDialogBaseUnits(const std::string& face, int pointSize) {
    platform::FontRequest request;
    request.face = face;
    request.height = (pointSize * kScreenDpi + kPointsPerInch / 2) / kPointsPerInch;
    const std::shared_ptr<const platform::Font> font = platform::OpenFont(request);
    if (font == nullptr) {
        return {};
    }
    // As the system measures a dialog font: the letters' whole width over 26,
    // halved and rounded.
    constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    int total = 0;
    for (size_t i = 0; i < kLetters.size(); ++i) {
        total += font->CellWidth(kLetters.substr(i, 1));
    }
    return {(total / 26 + 1) / 2, font->Height()};
}

CNoTemplateDialog::CNoTemplateDialog(platform::WindowId /*parent*/) {
    fields_.style = kDefaultStyle;
    fields_.width = 200;
    fields_.height = 50;
}

CNoTemplateDialog::~CNoTemplateDialog() {
    Destroy();
}

int CNoTemplateDialog::DialogToPixelsX(int units) const {
    return units * units_.width / 4;
}

int CNoTemplateDialog::DialogToPixelsY(int units) const {
    return units * units_.height / 8;
}

bool CNoTemplateDialog::Create() {
    if (Id() != 0) {
        return false;
    }
    std::optional<DialogTemplate> dialog;
    try {
        const std::vector<uint8_t> block = BuildTemplate();
        dialog = ReadDialogTemplate(block, caption_.size() + 1);
    } catch (const std::bad_alloc&) {
        platform::ShowMessageBox(0, kMemoryFailed, "", platform::kBoxOk);
        return false;
    }
    if (!dialog) {
        ZepLog("CNoTemplateDialog: the template of \"%s\" does not read back", caption_.c_str());
        return false;
    }
    return CreateFromTemplate(*dialog);
}

bool CNoTemplateDialog::CreateFromTemplate(const DialogTemplate& dialog) {
    units_ = MeasureDialogBaseUnits(dialog.face, dialog.pointSize);
    const DialogTemplateFields& fields = dialog.fields;
    const int left = DialogToPixelsX(fields.x);
    const int top = DialogToPixelsY(fields.y);
    const platform::ScreenRect rect{left, top, left + DialogToPixelsX(fields.width),
                                    top + DialogToPixelsY(fields.height)};
    platform::RegisterWindowClass(kWindowClass);
    if (!Window::Create(kWindowClass)) {
        return false;
    }
    platform::TopLevelOptions options =
        platform::TopLevelOptionsFromStyle(dialog.caption, fields.style, rect);
    options.visible = false;  // shown once initialised
    topLevel_ = std::make_unique<platform::TopLevelWindow>(Id(), options);
    OnInitDialog();
    if (topLevel_ != nullptr) {
        topLevel_->Show(true);
    }
    return IsOpen();
}

bool CNoTemplateDialog::OnInitDialog() {
    if (topLevel_ == nullptr) {
        return true;
    }
    const platform::ScreenRect area = platform::WorkArea();
    const platform::ScreenRect client = topLevel_->ClientRect();
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    const int left = area.left + (area.right - area.left - width) / 2;
    const int top = area.top + (area.bottom - area.top - height) / 2;
    topLevel_->MoveTo({left, top, left + width, top + height});
    return true;
}

platform::LResult CNoTemplateDialog::WindowProc(uint32_t id, platform::WParam wParam,
                                                platform::LParam lParam) {
    const platform::LResult result = OnMessage(id, wParam, lParam);
    if (id == platform::kMsgDestroy) {
        topLevel_.reset();
    }
    return result;
}

platform::LResult CNoTemplateDialog::OnMessage(uint32_t id, platform::WParam wParam,
                                               platform::LParam lParam) {
    return platform::DefaultWindowProc(*this, id, wParam, lParam);
}
