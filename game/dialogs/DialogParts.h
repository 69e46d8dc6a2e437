#pragma once
// The parts the in-table dialogs are built of: a skin picture as the
// dialog's body, text canvases, check boxes and the OK / cancel / close
// buttons, every part hanging from the body so that it moves, shows and
// hides with it.
//
// Rules:
//  - Parts are registered with the dialog and known to it by id; a picture
//    the skin lacks gives an empty part, never a crash.
//  - A label press reaches the dialog alone (bound to the dialog's id).

#include <cstdint>

class CCorvaneCanvas;
class CCorvaneControl;
class CCorvaneObject;

namespace dialog_parts {

inline constexpr uint32_t kPartLink = 0x1BC0EB;
inline constexpr int kEventOk = 19840378;
inline constexpr int kEventCancel = 19840379;
inline constexpr double kDialogDepth = 80000.0;
inline constexpr double kBoxStep = 0.01;
inline constexpr double kButtonStep = 0.1;
inline constexpr char kCheckBoxImage[] = "复选框";
inline constexpr char kOkImage[] = "系统信息框_确定";
inline constexpr char kCancelImage[] = "系统信息框_取消";
inline constexpr char kCloseImage[] = "系统信息框_关闭";

// The body: frame 0 of `image`, topmost, draggable, the dialog's peer. Its
// id, or 0.
int MakeBody(CCorvaneControl& dialog, const char* image);
// Height of frame 0 of the check box picture (0 when the skin lacks it).
int CheckBoxHeight(CCorvaneControl& dialog);
// A black "宋体" 12 text on a width x height canvas centred at (x, y), the
// text drawn at (textX, textY). With `pressEvent` >= 0 a left press on it
// sends that event to the dialog. Its id, or 0.
int MakeLabel(CCorvaneControl& dialog, CCorvaneObject& body, int width, int height, double x,
              double y, const char* text, int textX, int textY, int pressEvent = -1);
// The field an edit box of width x height centred at (x, y) is typed in: a
// light ground with a dark one-pixel rim around it, just below the parts at
// the body's depth + kBoxStep. Its id, or 0.
int MakeEditField(CCorvaneControl& dialog, CCorvaneObject& body, int width, int height, double x,
                  double y);
// A check box in `state` centred at (x, y). Its id, or 0.
int MakeCheckBox(CCorvaneControl& dialog, CCorvaneObject& body, int state, double x, double y);
// A button of `image` notifying the dialog with `event`; the caller places
// it. Its id, or 0.
int MakeButton(CCorvaneControl& dialog, CCorvaneObject& body, const char* image, int event);
// Places a part's centre.
void Place(CCorvaneControl& dialog, int id, double x, double y);
// The part's width (0 when gone).
double PartWidth(CCorvaneControl& dialog, int id);
double PartHeight(CCorvaneControl& dialog, int id);
// Hides the dialog and redraws.
void Close(CCorvaneControl& dialog);

}  // namespace dialog_parts
