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

protected:
    // Skins the dialog: frame 1 of the skin image sized w × h over frame 0.
    void BuildBackground(int width, int height);
    // Delivers {that dialog, event, 0, 0} at once; false when it is missing.
    bool SendToNamed(const char* name, int event);
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
    // Hides the dialog and invalidates it.
    void HideAndInvalidate();

    static CGameFrameApp* App();
    static CGameConnection* Connection();

    template <class T>
    T* Part(int id) {
        return id != 0 ? dynamic_cast<T*>(FindObjectById(id)) : nullptr;
    }
};
