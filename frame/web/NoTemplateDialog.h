#pragma once
// A dialog without a resource: it lays its template out in memory from its
// fields and opens itself from that template as a modeless, shown popup of
// the screen. The web-page dialog and the top-up dialog derive from it, set
// the fields in their constructors and call Create.
//
// Rules:
//  - The template block is the system's dialog template: the 18 bytes of
//    the fields, no menu, the standard class, the caption in UTF-16 (as many
//    units as the caption has bytes, plus its NUL), point size 11 and the
//    face "ARIAL"; its size is 2n + 38 with bit 1 cleared. No items follow:
//    derived dialogs make their parts themselves.
//  - The window is made from the block as read back (the caption's field is
//    as many units as the caption has bytes, plus one): place and size in
//    dialog units become pixels by the template font's base units as the
//    platform font measures them (x * w / 4, y * h / 8). Style bits give the
//    window its frame; a popup alone has no caption or border.
//  - The window has no parent; OnInitDialog centres it on the work area.
//  - Out of memory: the box "Memory allocation failed!" and no window.
//  - UI thread only.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/Messages.h"
#include "platform/SdlWindow.h"

// The fields of the template's head, in its order.
struct DialogTemplateFields {
    static constexpr size_t kSize = 18;
    uint32_t style = 0;
    uint32_t extendedStyle = 0;
    uint16_t itemCount = 0;
    int16_t x = 0;
    int16_t y = 0;
    int16_t width = 0;
    int16_t height = 0;
};

// A template block read back.
struct DialogTemplate {
    DialogTemplateFields fields;
    std::string caption;  // GBK
    uint16_t pointSize = 0;
    std::string face;  // GBK
};

// The template block of a caption (GBK) and fields. Throws std::bad_alloc
// when the memory cannot be had.
std::vector<uint8_t> BuildDialogTemplate(const std::string& caption,
                                         const DialogTemplateFields& fields);
// Reads a block laid out as above, its caption field `captionUnits` long,
// through its bounds; nothing when it is cut short, names a menu or a
// class, or holds items.
std::optional<DialogTemplate> ReadDialogTemplate(std::span<const uint8_t> block,
                                                 size_t captionUnits);

// The base units of a font (its average Latin letter width and its height,
// in pixels) as the platform draws it.
struct DialogBaseUnits {
    int width = 0;
    int height = 0;
};
DialogBaseUnits MeasureDialogBaseUnits(const std::string& face, int pointSize);

class CNoTemplateDialog : public platform::Window {
public:
    static constexpr char kWindowClass[] = "#32770";
    static constexpr char kDefaultCaption[] = "无资源模板的对话框";
    // Popup, visible, caption, system menu, minimise and maximise boxes,
    // modal frame, font in the template.
    static constexpr uint32_t kDefaultStyle = 0x90CB00C0;

    // The parent is ignored: the window is made without one.
    explicit CNoTemplateDialog(platform::WindowId parent = 0);
    ~CNoTemplateDialog() override;

    std::vector<uint8_t> BuildTemplate() const { return BuildDialogTemplate(caption_, fields_); }
    // Builds the template, makes the window from it and shows it. False
    // when no window was made.
    bool Create();
    bool IsOpen() const { return Id() != 0 && topLevel_ != nullptr; }
    platform::TopLevelWindow* GetTopLevel() const { return topLevel_.get(); }
    // Dialog units of the template's font to pixels.
    int DialogToPixelsX(int units) const;
    int DialogToPixelsY(int units) const;

    const DialogTemplateFields& Fields() const { return fields_; }
    const std::string& Caption() const { return caption_; }

    platform::LResult WindowProc(uint32_t id, platform::WParam wParam,
                                 platform::LParam lParam) override;

protected:
    // Centres the window on the work area; true.
    virtual bool OnInitDialog();
    // The dialog's messages; unhandled ones go to the default handling.
    virtual platform::LResult OnMessage(uint32_t id, platform::WParam wParam,
                                        platform::LParam lParam);

    std::string caption_ = kDefaultCaption;
    DialogTemplateFields fields_;

private:
    bool CreateFromTemplate(const DialogTemplate& dialog);

    DialogBaseUnits units_;
    std::unique_ptr<platform::TopLevelWindow> topLevel_;
};
