#pragma once
// The notice box: a framed dialog on the skin item "系统信息框模板" (frame 0
// the border, frame 1 the centre) with a wrapped text, optionally a picture
// left of it, one or two answer buttons and a countdown shown at the right
// end of the title line. Each answer delivers a record the box copied when
// it was shown.
//
// Rules:
//  - The box is 320 wide. The picture and the text lie in its inner box
//    (the frame's centre), 11 px in from its left edge; the text is wrapped
//    at the inner box's width less 22 (and the picture's) and starts 45 px
//    below the top; the buttons sit centred at the bottom, 24 px apart.
//  - Style bit 0x1 adds the cancel button (otherwise only confirm shows),
//    bit 0x4 makes an expired countdown answer with cancel (else confirm),
//    bit 0x10 shows the picture. Other bits change nothing.
//  - A button image missing from the skin gives a captioned button: "确定"
//    or "取消" for the default images, else the image's name. A box can
//    always be answered.
//  - The countdown ticks once a second (a repeating engine action); the box
//    answers by itself when the count falls below 0, after seconds + 1
//    ticks.
//  - A box answers once. The first answer stops its actions, hides it,
//    delivers one record at once and has the engine destroy the box after
//    the event returns; a second click or a tick in the same frame delivers
//    nothing.
//  - With a link page, the confirm answer first opens the address through
//    the application (signed with the stored number).

#include <cstdint>
#include <string>

#include "engine/EventRecord.h"
#include "frame/view/FramePanelSeams.h"

class CCorvaneRichText;

class CSystemInfoBox : public virtual CInfoBoxSeam {
public:
    // Box-local events: the buttons' and the countdown's.
    static constexpr int kEventConfirm = 80000001;
    static constexpr int kEventCancel = 80000002;
    static constexpr int kEventTick = 80000003;

    static constexpr int kBoxWidth = 320;
    static constexpr int kTextTop = 45;
    static constexpr int kTextMargin = 22;
    static constexpr int kButtonGap = 24;

    static constexpr int kStyleCancelButton = 0x1;
    static constexpr int kStyleExpiryCancels = 0x4;
    static constexpr int kStylePicture = 0x10;

    static constexpr char kSkinItem[] = "系统信息框模板";
    static constexpr char kConfirmImage[] = "系统信息框_确定";
    static constexpr char kCancelImage[] = "系统信息框_取消";

    CSystemInfoBox() = default;
    ~CSystemInfoBox() override = default;

    int OnEvent(const EventRecord& record) override;

    void ShowBox(const char* text, const EventRecord* confirm, const EventRecord* cancel,
                 int seconds, int style, const char* pictureKey, const char* confirmImage,
                 const char* cancelImage) override;
    void SetButtonCaptions(const char* confirm, const char* cancel) override;
    void SetLinkPage(const char* address, int number) override;
    void SetTitle(const char* text) override;
    // The title, and the count at its right end while the countdown runs.
    void DrawTitle() override;

    // The confirm and cancel answers (buttons, countdown).
    virtual void OnConfirm();
    virtual void OnCancel();

    // What the box shows and keeps.
    const std::string& GetText() const { return text_; }
    int GetSecondsLeft() const { return secondsLeft_; }
    int GetStyle() const { return style_; }
    bool HasAnswered() const { return answered_; }
    const std::string& GetLinkAddress() const { return linkAddress_; }
    int GetLinkNumber() const { return linkNumber_; }
    // The buttons, or null (cancel without style bit 0x1).
    CCorvaneObject* GetConfirmButton();
    CCorvaneObject* GetCancelButton();
    CCorvaneObject* GetPicture();
    CCorvaneRichText* GetTextBox();

protected:
    // Height a derived box adds under the text for its own parts, and the
    // place they go once the box is laid out (dialog pixels of their top).
    virtual int GetExtraHeight() { return 0; }
    virtual void PlaceExtraParts(int /*top*/) {}
    // The record the confirm answer delivers; a derived box may attach a
    // heap block to it (param1). Called once, just before delivery.
    virtual EventRecord MakeConfirmRecord(const EventRecord& stored) { return stored; }
    // A record made by MakeConfirmRecord that could not be delivered; the
    // box frees what it attached.
    virtual void DropConfirmRecord(const EventRecord& /*record*/) {}

    // Lays the box out again after a derived box changed its parts.
    void Relayout();

private:
    // Makes the answer's button: the skin image, or a captioned button when
    // the image is missing. Its id.
    int MakeButton(const std::string& image, const char* defaultImage, const char* defaultCaption,
                   int event);
    int MakeCaptionButton(const char* caption, int event);
    // The frame's centre (dialog pixels), where picture and text go.
    IntRect InnerBox();
    // The text's width (less the picture's) and height as laid out.
    int TextWidth();
    int MeasureText();
    void FillText(CCorvaneRichText& textBox);
    void ReplaceWithCaption(int* buttonId, const char* caption, int event);
    // A box shown again drops what it showed before.
    void RemoveParts();
    void DestroyPart(int* id);
    void StartCountdown();
    void OnTick();
    // The one answer: stops, hides, opens the link page on confirm, delivers
    // and leaves the box to be destroyed.
    void Answer(bool confirm);

    std::string text_;
    EventRecord confirm_{};
    EventRecord cancel_{};
    bool hasConfirm_ = false;
    bool hasCancel_ = false;
    int style_ = 0;
    int secondsLeft_ = 0;
    bool answered_ = false;
    uint64_t tickAction_ = 0;
    std::string linkAddress_;
    int linkNumber_ = 0;
    int confirmButtonId_ = 0;
    int cancelButtonId_ = 0;
    int pictureId_ = 0;
    int textBoxId_ = 0;
    int textHeight_ = 0;
};
