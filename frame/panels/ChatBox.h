#pragma once
// The side panel's chat pane ("ChatBox"): a rich-text view that shows chat
// and notice lines, and the emoticon panel opened from the side panel's
// "系统栏表情按钮" button.
//
// Rules:
//  - The view keeps at most 300 elements and its live links are off: lines
//    other code appends to the view directly never become links. AddLine
//    and AppendLong switch links on for their own append only.
//  - DrawBackground first runs BeforeDrawBackground (a hook a derived box
//    fills), then PaintBackground: "SystemChatBox1" at the top and
//    "SystemChatBox2" repeated below it, across the box's width (a derived
//    box paints its own slices).
//  - The emoticon panel is made once, on first use; the emoticon button
//    opens it, a second press or a lost focus closes it.

#include <string>

#include "frame/panels/SidePanelBar.h"

class CCorvaneRichText;
class CEmoticonPanel;

// Events the chat box answers.
inline constexpr int kEventEmoticonPanelLostFocus = 80001000;

class CChatBox : public CSidePanelBar {
public:
    static constexpr int kViewCapacity = 300;
    static constexpr int kLongTextCapacity = 3000;

    CChatBox() = default;
    ~CChatBox() override = default;

    void Create() override;
    int OnEvent(const EventRecord& record) override;
    void Relayout() override;

    // The box's own operations, in this order.
    // Paints the background into the view and sizes the view to the box.
    virtual void DrawBackground();
    // Appends the text with live links and scrolls to the end.
    virtual void AddLine(const char* text);
    // Appends a long text (up to 3000 elements) with live links, then
    // restores the switch and the capacity of 300.
    virtual void AppendLong(const char* text);
    // Runs first in DrawBackground; empty here.
    virtual void BeforeDrawBackground() {}
    // Empties the view.
    virtual void Clear();
    // Opens the emoticon panel under the emoticon button, or closes it.
    virtual void ShowEmoticonPanel();

    void OnEmoticonButton() { ShowEmoticonPanel(); }

    // The rich-text view, or null before Create.
    CCorvaneRichText* GetView();
    CCorvaneRichText* GetRichText() { return GetView(); }
    // The emoticon panel, or null before its first use.
    CEmoticonPanel* GetEmoticonPanel();

protected:
    // Paints the background slices into the view, sized width × height;
    // DrawBackground sizes and places the view around it.
    virtual void PaintBackground(CCorvaneRichText& view, int width, int height);
    // The picker made on first use; a derived box makes its own kind.
    virtual CEmoticonPanel* NewEmoticonPanel();
    // Centres the picker on the emoticon button, its bottom 2 px above the
    // button's top, kept inside the scene.
    virtual void PlaceEmoticonPanel();
    // Closes the panel, clears the focus it still holds and unpresses the
    // button.
    void CloseEmoticonPanel();
    // Appends with live links on for this append only.
    void AppendWithLinks(const char* text);

    int viewId_ = 0;
    int emoticonPanelId_ = 0;
};
