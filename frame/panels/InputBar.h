#pragma once
// The side panel's input bar ("InputBar"): the row of system-bar buttons,
// the chat edit box with its quick-chat and send buttons, the quick-phrase
// list, the quick-silver menu with its six preset amounts, and the safe-box
// dialog, keypad and preset dialog it opens.
//
// Rules:
//  - Create and Layout take their numbers from InputBarMetrics, so a bar of
//    another skin passes its own; the frame bar uses FrameInputBarMetrics.
//  - The input frame's row lies below the button row: only buttons that
//    reach down into it take room from the frame, and the quick-chat button
//    at the frame's right end stays left of the send button.
//  - Sending, quick chat and quick phrases go to "SubSystem" (80000075 ..
//    80000078); the quick-silver menu's choices (80000079 .. 80000081) and
//    its close event (80010000) come back to the bar itself.
//  - The quick-phrase list is made once; phrases are kept in the bar, so the
//    text a choice delivers never moves.
//  - Amounts typed or read from files are leading digits only; amounts and
//    differences are computed in 64 bits; a negative amount or a difference
//    beyond 32 bits gives "请输入银子数额。" and sends nothing.
//  - The dialogs are engine children held by id and found again with a kind
//    check on every use.
//  - A quick take that needs the password waits only while the bar's own
//    keypad is open on the bar's route: closing or re-routing the keypad
//    ends it, and an answer from any other prompt sends nothing. Showing
//    the open keypad for its own route changes nothing; for the other route
//    it is set up anew.

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "frame/panels/SidePanelBar.h"

class CCorvaneButton;
class CCorvaneCanvas;
class CCorvaneEdit;
class CCorvaneTextList;
class CPopupMenu;
class CSafeBoxDlg;
class CNumKeyPadDlg;
class CSetDepositDlg;

// Events the bar sends to "SubSystem".
inline constexpr int kEventInputBoxCommand = 80000075;
inline constexpr int kEventSendChat = 80000076;
inline constexpr int kEventToggleQuickChat = 80000077;
inline constexpr int kEventQuickPhrase = 80000078;
// Events the bar answers itself.
inline constexpr int kEventOpenSafeBox = 80000079;
inline constexpr int kEventOpenSetDeposit = 80000080;
inline constexpr int kEventQuickSilverAmount = 80000081;
inline constexpr int kEventCloseQuickSilverMenu = 80010000;
inline constexpr int kEventKeypadPassword = 80000021;
inline constexpr int kEventSilverLimit = 80000082;

// The numbers that shape a bar; the frame's values are the defaults.
struct InputBarMetrics {
    int buttonRowTop = 6;            // below the bar's top, plus half a button
    int inputFrameMargin = 28;       // frame width = W - button row end - this
    double inputFrameYFactor = 0.5;  // of the frame height, below top + 31
    int editWidth = 168;             // before the first layout
    int editHeight = -4;             // < 0: the frame image's height plus this
    int phraseListWidth = 200;
    int phraseListGap = 0;  // above the quick-chat button
    uint32_t menuFrameColour = 0x0a503c;
    std::array<uint32_t, 3> menuItemColours{0xbedcd2, 0x55c8e1, 0x006000};
    std::array<uint32_t, 2> menuHoverColours{0xafc8be, 0xc8e6dc};
};

class CInputBar : public CSidePanelBar {
public:
    static constexpr int kMaxButtons = 20;
    static constexpr int kPresetCount = 6;

    explicit CInputBar(const InputBarMetrics& metrics = InputBarMetrics{});
    ~CInputBar() override;

    void Create() override;
    int OnEvent(const EventRecord& record) override;
    void Relayout() override { Layout(); }

    // The bar's own operations, in this order.
    virtual void Layout();
    virtual void AddButton(CCorvaneButton* button);
    // Inserts at the caret and gives the edit box the focus.
    virtual void InsertText(const char* text);
    virtual void ClearInput();
    // The number of elements in the edit box; 0 when empty.
    virtual int HasInputText();
    virtual void AddQuickPhrase(const char* text);
    // Hides the open phrase list, or opens it above the quick-chat button.
    virtual void ToggleQuickChatList();
    // Builds a new, hidden quick-silver menu of items (width + 2) × height.
    virtual void ShowQuickSilverMenu(int width, int height);
    // Runs the edit box's submit: the typed text goes out as 80000076.
    virtual void InputBoxCommand();
    // flag 1: opens the menu above the safe-box button or closes it;
    // flag 0: closes it.
    virtual void HandleSafeBoxButton(int flag);
    virtual void LoadFixDeposit();
    virtual void RefreshAmounts();
    virtual void OpenSafeBox();
    virtual void OpenSetDeposit();
    virtual void ShowKeypad(int show, int32_t calcNumber, int route);
    virtual int32_t GetKeypadResult();
    virtual void QuickTake(int64_t amount, int32_t passwordResult);
    // Makes the silver carried in the game equal to amount.
    virtual void SetCarriedSilver(int64_t amount);

    // Other names callers use.
    void TogglePopupList() { ToggleQuickChatList(); }
    void ShowQuickDepositPopup(int width, int height) { ShowQuickSilverMenu(width, height); }

    const std::array<int32_t, kPresetCount>& GetPresets() const { return presets_; }
    const std::deque<std::string>& GetQuickPhrases() const { return phrases_; }
    CCorvaneEdit* GetEditBox();
    CCorvaneButton* GetQuickChatButton();
    CCorvaneButton* GetSendButton();
    CCorvaneTextList* GetPhraseList();
    // The canvas behind the edit box.
    CCorvaneCanvas* GetInputFrame();
    CPopupMenu* GetQuickSilverMenu();

protected:
    // A part held by id, or null when it is gone or of another kind.
    template <class T>
    T* Part(int id) {
        return id != 0 ? dynamic_cast<T*>(FindObjectById(id)) : nullptr;
    }
    // The edit box's height: fixed, or the input-frame image's plus the metric.
    int EditHeight();
    // Hides the part without room; shows it again once there is room.
    void ShowWhen(CCorvaneObject& part, bool room);
    // Centres an open dialog in the scene.
    void CenterDialog(CCorvaneObject& dialog);
    // Keeps the safe box's own dialogs centred.
    void CenterSafeBoxChildren();
    // The own seat's silver, 0 without a game.
    int64_t OwnSilver();
    // Whether the bar's keypad is open on the bar's own route.
    bool KeypadOpenForBar();
    // The amount the keypad's route-1 answer takes; 0 when none waits.
    int64_t waitingAmount_ = 0;

    InputBarMetrics metrics_;
    std::array<int, kMaxButtons> buttons_{};  // engine ids; 0 empty
    int backgroundId_ = 0;
    int inputFrameId_ = 0;
    int editId_ = 0;
    int quickChatId_ = 0;
    int sendId_ = 0;
    int phraseListId_ = 0;
    // A deque: the strings never move while the list's items point at them.
    std::deque<std::string> phrases_;
    int menuId_ = 0;
    bool safeBoxButtonLatched_ = false;
    std::array<int32_t, kPresetCount> presets_{100, 200, 500, 1000, 10000, 30000};
    int safeBoxId_ = 0;
    int keypadId_ = 0;
    int setDepositId_ = 0;
};
