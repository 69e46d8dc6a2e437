#pragma once
// The common base of the safe-box dialogs: an engine dialog skinned from
// "系统信息框模板" with its title in "宋体" 12 at (5, 6), and the steps every
// one of them takes: finding a sibling dialog by name and telling it an
// event, the frame's message box, the wait text, buttons with the dialogs'
// sounds, and placing itself in the middle of the scene.
//
// Rules:
//  - Siblings are found by engine name on every use; a missing one is
//    skipped without a message.
//  - Parts are held by id and looked up with a kind check.
//  - Everything runs on the UI thread.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/EventRecord.h"
#include "engine/ui/CorvaneDialog.h"
#include "frame/panels/safebox/SafeBoxEvents.h"

class CCorvaneButton;
class CCorvaneCanvas;
class CGameConnection;
class CGameFrameApp;

inline constexpr char kSafeBoxSkin[] = "系统信息框模板";
inline constexpr char kSafeBoxFont[] = "宋体";

class CSafeBoxDialog : public CCorvaneDialog {
public:
    using CCorvaneDialog::Create;

    // The title in "宋体" 12, weight 400, at (5, 6) of the title area.
    void DrawTitle() override;

    // Moves the dialog's centre to the middle of the scene and invalidates.
    void CenterInScene();
    // The dialog's first button that tells it the event, or null.
    CCorvaneButton* FindButton(int event);

protected:
    // Skins the dialog: frame 1 of the skin image sized w × h over frame 0.
    void BuildBackground(int width, int height);
    // Delivers {0, event, param1, 0} to the named dialog at once; false when
    // it is missing.
    bool SendToNamed(const char* name, int event, intptr_t param1 = 0);
    // The frame's message box (10 s, the picture "ruv打牌"); with an answer
    // event, confirming it posts {this dialog, answer} to this dialog.
    void ShowBox(const std::string& text, int answerEvent = 0, int style = kSafeBoxBoxStyle);
    // The wait text of the communication thread.
    void ShowWait(const char* text);
    void HideWait();
    // A button with the dialogs' sounds that tells this dialog the event,
    // linked to the dialog one step above it; its id (0 without a picture
    // module).
    int MakeButton(const char* image, int event, uint32_t faceFlags = 0);
    // Draws the caption on the button in "宋体" of the size, weight 400.
    void CaptionButton(int buttonId, const char* caption, uint32_t colour, int size);
    // The close button at the top right: top edge 1 px below the dialog's
    // top, right edge 7 px inside its right edge.
    int MakeCloseButton(int event);
    // Two buttons side by side at the bottom, 24 px apart about the middle.
    void PlaceButtonPair(int leftId, int rightId);
    // Links the part to the dialog in the dialog's layer (the dialog's own
    // parts are topmost, so its children must be too) and shows it when the
    // dialog shows.
    void AttachPart(CCorvaneObject* part, uint32_t linkFlags);
    // The inner panel canvas (colour key 0xFF00FF) inset 15 px from the
    // left and top, 30 px narrower and 40 px lower than the dialog, under
    // the drawing surface; made once (its id kept in id).
    void MakeInnerPanel(int& id);
    // Hides the dialog and invalidates it.
    void HideAndInvalidate();

    static CGameFrameApp* App();
    static CGameConnection* Connection();

    template <class T>
    T* Part(int id) {
        return id != 0 ? dynamic_cast<T*>(FindObjectById(id)) : nullptr;
    }

private:
    std::vector<int> buttonIds_;
};
