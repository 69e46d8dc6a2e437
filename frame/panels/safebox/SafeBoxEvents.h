#pragma once
// The program events, depths and box settings of the safe-box dialogs: the
// safe box, its save and take dialogs, the protection-password keypad and
// the quick-set presets dialog. The dialogs find each other by these engine
// names and talk by these events.

#include <cstdint>

inline constexpr char kSafeBoxDlgName[] = "SafeBoxDlg";
inline constexpr char kSaveDepositDlgName[] = "SaveDepositDlg";
inline constexpr char kTakeDepositDlgName[] = "TakeDepositDlg";
inline constexpr char kNumKeyPadDlgName[] = "NumKeyPadDlg";
inline constexpr char kSetDepositDlgName[] = "SetDepositDlg";
inline constexpr char kInputBarName[] = "InputBar";

// "SafeBoxDlg"
inline constexpr int kEventSafeBoxTake = 80000002;
inline constexpr int kEventSafeBoxSave = 80000003;
inline constexpr int kEventSafeBoxClose = 80000004;
inline constexpr int kEventSafeBoxRefresh = 80000005;
inline constexpr int kEventSafeBoxAdvert = 19840330;
// "SaveDepositDlg" / "TakeDepositDlg"
inline constexpr int kEventDepositDone = 80000006;
inline constexpr int kEventSaveConfirm = 80000007;
inline constexpr int kEventSaveCancel = 80000008;
inline constexpr int kEventSaveRun = 80000009;
inline constexpr int kEventTakeConfirm = 80000010;
inline constexpr int kEventTakeCancel = 80000011;
inline constexpr int kEventTakeRun = 80000012;
// "NumKeyPadDlg"
inline constexpr int kEventKeypadSubmit = 80000015;
inline constexpr int kEventKeypadClose = 80000016;
inline constexpr int kEventKeypadKey = 80000017;
inline constexpr int kEventKeypadBackspace = 80000018;
// "SetDepositDlg"
inline constexpr int kEventSetDepositSave = 80000019;
inline constexpr int kEventSetDepositCancel = 80000020;
// "InputBar": the keypad's password is ready for the bar's own transfer.
inline constexpr int kEventKeypadReadyForInputBar = 80000021;

// Depths in the scene: the safe box lies below its children.
inline constexpr double kSafeBoxDepth = 89950;
inline constexpr double kTakeDepositDepth = 89960;
inline constexpr double kSaveDepositDepth = 89970;
inline constexpr double kKeypadDepth = 89980;
inline constexpr double kSetDepositDepth = 89990;
// Children of a dialog lie one step above it.
inline constexpr double kDialogChildStep = 0.02;

// The message box every safe-box dialog uses: seconds, styles, picture.
inline constexpr int kSafeBoxBoxSeconds = 10;
inline constexpr int kSafeBoxBoxStyle = 0x30;
inline constexpr int kSafeBoxQuestionStyle = 0x35;
inline constexpr char kSafeBoxBoxPicture[] = "ruv打牌";

// Keypad routes: who is told when the password is complete.
inline constexpr int kKeypadRouteTakeDialog = 0;
inline constexpr int kKeypadRouteInputBar = 1;

// Link flags of the dialogs' children.
inline constexpr uint32_t kSafeBoxChildLink = 0x1BC0EB;
inline constexpr uint32_t kSafeBoxDisplayLink = 0x1980A2;
