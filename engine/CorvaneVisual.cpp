// The visual object's facade: module lookups, settings, resources, objects,
// sound, input, and the engine's system pop-ups. The timed actions, groups
// and their stopping are in VisualActions.cpp.

#include "engine/CorvaneVisual.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/EngineCursors.h"
#include "engine/EngineLog.h"
#include "engine/GameCore.h"
#include "engine/InputModule.h"
#include "engine/MemPool.h"
#include "engine/MissedResources.h"
#include "engine/MusicModule.h"
#include "engine/ObjectModule.h"
#include "engine/PaintModule.h"
#include "engine/PpsCodec.h"
#include "engine/ResourceModule.h"
#include "engine/VisualActions.h"

namespace {

MessagePanelMaker g_panelMaker = nullptr;

constexpr const char* kPopupFace = "宋体";
constexpr int kPopupFontHeight = 15;
constexpr int kPopupFontWeight = 400;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kDarkGreen = 0x8000;
constexpr double kPopupZ = 100000.0;
constexpr double kFadeInStep = 0.1;

// Message box sizes.
constexpr int kBoxStartWidth = 200;
constexpr int kBoxMaxWidth = 500;
constexpr int kBoxWidthStep = 50;
constexpr int kBoxExtraHeight = 70;
constexpr int kBoxTextTop = 10;
constexpr int kBoxButtonLift = 20;
constexpr int kBoxButtonGap = 10;

constexpr uint32_t kSystemNoteInterval = 1000;

template <class Module>
Module* FindModuleOf(GameCore* core, int id) {
    return core != nullptr ? dynamic_cast<Module*>(core->FindModule(id)) : nullptr;
}

const char* OrEmpty(const char* text) {
    return text != nullptr ? text : "";
}

// The text cut at its line feeds.
std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (true) {
        const size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            return lines;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
}

// Gives a canvas the pop-ups' font and the pen colour (full alpha).
void SetPopupFont(CCorvaneCanvas& canvas, uint32_t penColor) {
    canvas.SetPenColor(penColor, 1.0);
    canvas.SetFont(kPopupFontHeight, kPopupFontWeight, kPopupFace);
}

// Both the pixels and the object take the size.
void ResizeCanvas(CCorvaneCanvas& canvas, int width, int height) {
    canvas.Resize(width, height);
    canvas.Resize(static_cast<double>(width), static_cast<double>(height));
}

// The system note's step: clears the note and writes the statistics; never
// done.
int SystemNoteStep(CCorvaneObject* object, void*, GameCore* core, uint32_t) {
    auto* note = dynamic_cast<CCorvaneCanvas*>(object);
    if (note == nullptr) {
        return 1;
    }
    const auto* objects = FindModuleOf<ObjectModule>(core, kObjectModuleId);
    const auto* paint = FindModuleOf<PaintModule>(core, kPaintModuleId);
    char line[64];
    note->Clear();
    note->BringToTop();
    std::snprintf(line, sizeof line, "实体:%ld",
                  static_cast<long>(objects != nullptr ? objects->GetObjectCount() : 0));
    note->DrawText(0, 0, line);
    std::snprintf(line, sizeof line, "事件:%ld",
                  static_cast<long>(objects != nullptr ? objects->CountLiveActions() : 0));
    note->DrawText(0, 20, line);
    std::snprintf(line, sizeof line, "FPS :%0.1f", paint != nullptr ? paint->GetFrameRate() : 0.0);
    note->DrawText(0, 40, line);
    note->Invalidate();
    return 0;
}

// Each of the four bytes of every pixel becomes the average of the 3 x 3
// cells around it; cells outside the grid count neither in the sum nor in
// the number. Sums come from a summed-area table per byte.
void BoxBlur3x3(std::vector<uint32_t>& pixels, int width, int height) {
    const size_t stride = static_cast<size_t>(width) + 1;
    std::vector<uint32_t> table(stride * (static_cast<size_t>(height) + 1));
    std::vector<uint32_t> blurred(pixels.size(), 0);
    for (int shift = 0; shift < 32; shift += 8) {
        std::fill(table.begin(), table.end(), 0u);
        for (int y = 0; y < height; ++y) {
            uint32_t rowSum = 0;
            for (int x = 0; x < width; ++x) {
                rowSum += (pixels[static_cast<size_t>(y) * width + x] >> shift) & 0xFF;
                table[(y + 1) * stride + x + 1] = table[y * stride + x + 1] + rowSum;
            }
        }
        for (int y = 0; y < height; ++y) {
            const int top = std::max(y - 1, 0);
            const int bottom = std::min(y + 1, height - 1);
            for (int x = 0; x < width; ++x) {
                const int left = std::max(x - 1, 0);
                const int right = std::min(x + 1, width - 1);
                const uint32_t sum =
                    table[(bottom + 1) * stride + right + 1] - table[top * stride + right + 1] -
                    table[(bottom + 1) * stride + left] + table[top * stride + left];
                const auto count = static_cast<uint32_t>((bottom - top + 1) * (right - left + 1));
                blurred[static_cast<size_t>(y) * width + x] |= (sum / count) << shift;
            }
        }
    }
    pixels.swap(blurred);
}

}  // namespace

void CCorvaneVisual::SetMessagePanelMaker(MessagePanelMaker maker) {
    g_panelMaker = maker;
}

MessagePanelMaker CCorvaneVisual::GetMessagePanelMaker() {
    return g_panelMaker;
}

// --- Modules ---

ObjectModule* CCorvaneVisual::GetObjectModule() {
    return FindModuleOf<ObjectModule>(GetCore(), kObjectModuleId);
}

PaintModule* CCorvaneVisual::GetPaintModule() {
    return FindModuleOf<PaintModule>(GetCore(), kPaintModuleId);
}

ResourceModule* CCorvaneVisual::GetResourceModule() {
    return FindModuleOf<ResourceModule>(GetCore(), kResourceModuleId);
}

MusicModule* CCorvaneVisual::GetMusicModule() {
    return FindModuleOf<MusicModule>(GetCore(), kMusicModuleId);
}

InputModule* CCorvaneVisual::GetInputModule() {
    return FindModuleOf<InputModule>(GetCore(), kInputModuleId);
}

// --- System pop-ups ---

void CCorvaneVisual::ShowMessageBox(const char* text, const EventRecord* okNotify,
                                    const EventRecord* cancelNotify, int seconds) {
    const std::string_view body = OrEmpty(text);
    MessagePanelParts parts;
    if (g_panelMaker == nullptr || GetObjectModule() == nullptr ||
        !g_panelMaker(*this, 10, 10, okNotify, cancelNotify, seconds, parts) ||
        parts.panel == nullptr || parts.canvas == nullptr) {
        EngineLog("message box not shown: %.*s", static_cast<int>(body.size()), body.data());
        return;
    }
    CCorvaneObject& panel = *parts.panel;
    CCorvaneCanvas& canvas = *parts.canvas;
    SetPopupFont(canvas, static_cast<uint32_t>(GetIntSetting(kSettingPanelTextColor)));
    canvas.SetMargins(10, 10);

    // Widen a box that is taller than wide, while it may grow.
    const std::vector<std::string> lines = SplitLines(body);
    int width = kBoxStartWidth;
    const auto measureHeight = [&] {
        int height = kBoxExtraHeight;
        for (const std::string& line : lines) {
            height += std::max(canvas.MeasureTextHeight(line.c_str(), width), 0);
        }
        return height;
    };
    int height = measureHeight();
    while (width / height == 0 && width < kBoxMaxWidth) {
        width += kBoxWidthStep;
        height = measureHeight();
    }
    // The panel first: its resize may scale the canvas it links.
    panel.Resize(width, height);
    ResizeCanvas(canvas, width, height);

    canvas.SetColorKey(static_cast<uint32_t>(GetIntSetting(kSettingPanelBackground)));
    canvas.Clear();
    canvas.DrawBorder(2, kBlack);
    canvas.DrawBorder(1, static_cast<uint32_t>(GetIntSetting(kSettingPanelBorder)));
    int top = kBoxTextTop;
    for (const std::string& line : lines) {
        canvas.DrawTextCenteredLines(line.c_str(), top);
        top += canvas.MeasureTextHeight(line.c_str(), width);
    }

    // Buttons on a line 20 pixels above the lower edge.
    const double centreX = panel.GetX();
    const double buttonY = panel.GetY() + height / 2 - kBoxButtonLift;
    CCorvaneObject* ok = parts.okButton;
    CCorvaneObject* cancel = parts.cancelButton;
    if (ok != nullptr && cancel != nullptr) {
        ok->SetPos(centreX - static_cast<int>(ok->GetWidth()) / 2 - kBoxButtonGap, buttonY);
        cancel->SetPos(centreX + static_cast<int>(cancel->GetWidth()) / 2 + kBoxButtonGap, buttonY);
    } else if (ok != nullptr || cancel != nullptr) {
        (ok != nullptr ? ok : cancel)->SetPos(centreX, buttonY);
    }
    if (CCorvaneObject* countdown = parts.countdown) {
        const double y = cancel == nullptr
                             ? buttonY
                             : cancel->GetTop() - static_cast<int>(countdown->GetHeight()) / 2;
        countdown->SetPos(panel.GetRight() - 10, y);
    }

    panel.SetZ(kPopupZ);
    panel.SetPos(GetBufferWidth() / 2, GetBufferHeight() / 2);
    panel.SetAlpha(0.0);
    panel.Show();
    panel.Invalidate();
    AlphaAction(&panel, kFadeInStep, 1.0, 0, nullptr);
}

void CCorvaneVisual::ShowSystemDetails() {
    MessagePanelParts parts;
    if (g_panelMaker == nullptr || GetObjectModule() == nullptr ||
        !g_panelMaker(*this, 300, 200, nullptr, nullptr, 0, parts) || parts.panel == nullptr ||
        parts.canvas == nullptr) {
        EngineLog("system details not shown");
        return;
    }
    const ObjectModule* objects = GetObjectModule();
    const PaintModule* paint = GetPaintModule();
    CCorvaneCanvas& canvas = *parts.canvas;
    canvas.SetColorKey(kDarkGreen);
    canvas.Clear();
    canvas.DrawBorder(1, kBlack);
    SetPopupFont(canvas, kWhite);

    char line[96];
    canvas.DrawText(100, 0, "<size=20>系统详情");
    std::snprintf(line, sizeof line, "实体:%d", objects->GetObjectCount());
    canvas.DrawText(10, 20, line);
    std::snprintf(line, sizeof line, "事件:%d", objects->CountLiveActions());
    canvas.DrawText(10, 40, line);
    std::snprintf(line, sizeof line, "内存申请:%ld Byte",
                  static_cast<long>(CMemPool::ReservedBytes()));
    canvas.DrawText(10, 60, line);
    std::snprintf(line, sizeof line, "内存使用:%ld Byte",
                  static_cast<long>(CMemPool::InUseBytes()));
    canvas.DrawText(10, 80, line);
    std::snprintf(line, sizeof line, "FPS:%.1f 帧", paint != nullptr ? paint->GetFrameRate() : 0.0);
    canvas.DrawText(10, 100, line);

    CCorvaneObject& panel = *parts.panel;
    panel.SetPos(GetBufferWidth() / 2, GetBufferHeight() / 2);
    panel.SetAlpha(0.0);
    panel.Show();
    panel.Invalidate();
    AlphaAction(&panel, kFadeInStep, 1.0, 0, nullptr);
}

void CCorvaneVisual::ShowSystemNote(int on) {
    CCorvaneObject* found = FindObjectByName(kSystemNoteName);
    auto* note = dynamic_cast<CCorvaneCanvas*>(found);
    if (found == nullptr) {
        note = CreateCanvas(100, 100, kDefaultColorKey);
        if (note == nullptr) {
            return;
        }
        note->SetTopmost();
        note->SetPos(50.0, 50.0);
        note->SetName(kSystemNoteName);
        SetPopupFont(*note, kRed);
        note->Invalidate();
    } else if (note == nullptr) {
        return;  // the name belongs to something else
    }
    StopObjectActions(note->GetId());
    if (on == 0) {
        note->Hide();
        note->Invalidate();
        return;
    }
    note->BringToTop();
    note->Show();
    note->Invalidate();
    if (ActionRecord* record = NewActionRecord()) {
        SetActionTarget(*record, note);
        record->interval = kSystemNoteInterval;
        record->step = SystemNoteStep;
        SubmitAction(record);
    }
}

CCorvaneCanvas* CCorvaneVisual::EnsureSystemBoard() {
    if (CCorvaneObject* found = FindObjectByName(kSystemBoardName)) {
        return dynamic_cast<CCorvaneCanvas*>(found);
    }
    CCorvaneCanvas* board = CreateCanvas(10, 10, kDefaultColorKey);
    if (board == nullptr) {
        return nullptr;
    }
    board->SetTopmost();
    board->SetName(kSystemBoardName);
    SetPopupFont(*board, kBlack);
    board->EnableDrag(1);
    return board;
}

void CCorvaneVisual::ShowSystemBoard(const char* text, int seconds) {
    CCorvaneCanvas* board = EnsureSystemBoard();
    if (board == nullptr) {
        return;
    }
    // A timer of an earlier showing must not hide this one.
    StopObjectActions(board->GetId());
    if (text != nullptr) {
        const int64_t textWidth =
            static_cast<int64_t>(board->GetFontDesc().height) * std::strlen(text) / 2;
        const int width =
            static_cast<int>(std::clamp<int64_t>(textWidth, 0, std::max(GetBufferWidth() / 2, 0)));
        const int height = std::max(board->MeasureTextHeight(text, width), 0);
        ResizeCanvas(*board, width + 20, height + 20);
        board->SetColorKey(kDarkGreen);
        board->SetMargins(10, 10);
        board->Clear();
        board->DrawText(0, 10, text);
        board->DrawBorder(2, kBlack);
        board->DrawBorder(1, kWhite);
    }
    board->BringToTop();
    board->Show();
    board->SetPos(GetBufferWidth() / 2, GetBufferHeight() / 2);
    board->SetAlpha(0.0);
    board->Invalidate();
    AlphaAction(board, kFadeInStep, 1.0, 0, nullptr);
    if (seconds >= 1) {
        // The board names the timer as its target, so closing it stops it.
        const uint64_t delay =
            std::min<uint64_t>(static_cast<uint64_t>(seconds) * 1000, UINT32_MAX);
        if (ActionRecord* record = NewActionRecord()) {
            SetActionTarget(*record, board);
            record->interval = static_cast<uint32_t>(delay);
            StoreActionParams(*record, DelayActionParams{static_cast<uint32_t>(delay)});
            record->step = DelayActionStep;
            record->endEvent = MakeEventRecord(board->GetId(), kEventHide, 0, 0);
            SubmitAction(record);
        }
    }
}

void CCorvaneVisual::SendSettingsEvent(intptr_t param1, intptr_t param2) {
    const int target = GetIntSetting(kSettingsEventTarget);
    const int event = GetIntSetting(kSettingsEventId);
    const bool carriesBlock = event == kEventSettings || event == kEventHeapBlock;
    if (target != 0 && event != 0 && FindObjectById(target) != nullptr) {
        SendEvent(MakeEventRecord(target, event, param1, param2));
        return;
    }
    // Nobody receives the block that the receiver was to free.
    if (carriesBlock) {
        FreeEventBlock(EventParamPointer<void>(param1));
    }
}

void CCorvaneVisual::CloseSystemBoard() {
    CCorvaneObject* board = GetSystemBoard();
    if (board == nullptr) {
        return;
    }
    StopObjectActions(board->GetId());
    board->Hide();
    board->Invalidate();
}

CCorvaneObject* CCorvaneVisual::GetSystemBoard() {
    return FindObjectByName(kSystemBoardName);
}

// --- Paint module, scene and clock ---

int CCorvaneVisual::GetBufferWidth() {
    const PaintModule* paint = GetPaintModule();
    return paint != nullptr ? paint->GetBufferWidth() : 0;
}

int CCorvaneVisual::GetBufferHeight() {
    const PaintModule* paint = GetPaintModule();
    return paint != nullptr ? paint->GetBufferHeight() : 0;
}

IntRect* CCorvaneVisual::GetSceneViewRect(IntRect* out) {
    if (out == nullptr) {
        return nullptr;
    }
    const ObjectModule* objects = GetObjectModule();
    *out = objects != nullptr ? objects->GetSceneRect() : IntRect{};
    return out;
}

uint32_t CCorvaneVisual::GetTime() {
    return GetCore() != nullptr ? GetCore()->GetTime() : 0;
}

// --- Settings ---

void CCorvaneVisual::SetIntSetting(int id, int value) {
    if (GetCore() != nullptr) {
        GetCore()->SetIntSetting(id, value);
    }
}

int CCorvaneVisual::GetIntSetting(int id) {
    return GetCore() != nullptr ? GetCore()->GetIntSetting(id) : -2;
}

void CCorvaneVisual::SetStringSetting(int id, const char* text) {
    if (GetCore() != nullptr) {
        GetCore()->SetStringSetting(id, text);
    }
}

const char* CCorvaneVisual::GetStringSetting(int id) {
    return GetCore() != nullptr ? GetCore()->GetStringSetting(id) : nullptr;
}

// --- Resources and pictures ---

uint32_t CCorvaneVisual::AddResourceFile(const char* path, const char* alias) {
    ResourceModule* resources = GetResourceModule();
    if (resources == nullptr || path == nullptr) {
        return 0;
    }
    return resources->AddFile(path, OrEmpty(alias)).rs;
}

int CCorvaneVisual::AddResourceFolder(const char* path) {
    ResourceModule* resources = GetResourceModule();
    return resources != nullptr && path != nullptr ? resources->AddFolder(path) : 0;
}

int CCorvaneVisual::AddResourcePack(const char* path) {
    ResourceModule* resources = GetResourceModule();
    return resources != nullptr && path != nullptr ? resources->AddPack(path) : 0;
}

int CCorvaneVisual::AddResourcePackFromMemory(const void* block, size_t size) {
    ResourceModule* resources = GetResourceModule();
    return resources != nullptr && block != nullptr ? resources->AddPackFromMemory(block, size) : 0;
}

FrameRecord* CCorvaneVisual::GetResourceFrame(FrameRecord* out, const char* name, int frame) {
    if (out == nullptr) {
        return nullptr;
    }
    *out = FrameRecord{};
    PaintModule* paint = GetPaintModule();
    if (paint == nullptr) {
        return out;
    }
    const char* shown = OrEmpty(name);
    *out = paint->GetImageFrameInfo(shown, frame);
    if (out->record == nullptr) {
        EngineLog("res \"%s\" does not exists!", shown);
        if (*shown != '\0') {
            NoteMissedResource(shown);
        }
    } else if (frame < 0 || frame >= out->record->frameCount) {
        EngineLog("res \"%s\" invalid frame(%d)!", shown, frame);
    }
    return out;
}

FrameRecord CCorvaneVisual::GetSkinFrame(const char* name, int frame) {
    FrameRecord state;
    GetResourceFrame(&state, name, frame);
    if (state.record == nullptr) {
        state.width = 0;
        state.height = 0;
    }
    return state;
}

void CCorvaneVisual::RemoveImage(const char* name, int alsoResource) {
    const std::string_view plain = OrEmpty(name);
    if (alsoResource != 0) {
        if (ResourceModule* resources = GetResourceModule()) {
            resources->RemoveResource(GetImageCacheKey(plain));
        }
    }
    if (PaintModule* paint = GetPaintModule()) {
        paint->RemoveImage(plain);
    }
}

int CCorvaneVisual::SaveFrameAsPps(const char* name, const char* path) {
    FrameRecord state;
    GetResourceFrame(&state, name, 0);
    if (state.record == nullptr || !HasPicture(*state.record) || path == nullptr) {
        return 0;
    }
    const uint8_t block[kPpsBlockSize] = {};
    size_t fileSize = 0;
    std::unique_ptr<uint8_t[]> file = EncodePps(*state.record, block, 6, fileSize);
    if (file == nullptr) {
        return 0;
    }
    return SavePps(file.get(), fileSize, path) ? 1 : 0;
}

const uint8_t* CCorvaneVisual::GetResourceData(const char* name) {
    ResourceModule* resources = GetResourceModule();
    if (resources == nullptr || name == nullptr) {
        return nullptr;
    }
    const ResKey key = GetResourceKey(name);
    return resources->HasResource(key) != 0 ? resources->GetResourceData(key) : nullptr;
}

int CCorvaneVisual::DrawImageToBackground(const FrameRecord& state, int x, int y, int width,
                                          int height, double angle) {
    PaintModule* paint = GetPaintModule();
    if (paint == nullptr) {
        return 0;
    }
    return paint->DrawImageToBackground(state, x, y, width > 0 ? width : paint->GetBufferWidth(),
                                        height > 0 ? height : paint->GetBufferHeight(), angle);
}

uint32_t CCorvaneVisual::FillBackground(uint32_t color) {
    PaintModule* paint = GetPaintModule();
    return paint != nullptr ? paint->FillBackground(color) : 0;
}

void CCorvaneVisual::InvalidateAll() {
    if (ObjectModule* objects = GetObjectModule()) {
        objects->RedrawAll();
    }
}

// --- Input ---

void CCorvaneVisual::BindInputTargetEvent(int eventId, const EventRecord& record) {
    if (InputModule* input = GetInputModule()) {
        input->BindInputTargetEvent(eventId, record);
    }
}

void CCorvaneVisual::UnbindInputTargetEvent(int eventId) {
    if (InputModule* input = GetInputModule()) {
        input->UnbindInputTargetEvent(eventId);
    }
}

int CCorvaneVisual::SetInputTarget(int id) {
    InputModule* input = GetInputModule();
    return input != nullptr ? input->SetInputTarget(id) : 0;
}

void CCorvaneVisual::SetModalObject(int id) {
    if (InputModule* input = GetInputModule()) {
        input->SetModalTarget(id);
    }
}

void CCorvaneVisual::RefreshMouse() {
    if (InputModule* input = GetInputModule()) {
        input->RefreshMouseTarget();
    }
}

void CCorvaneVisual::SetInputCursor(platform::CursorHandle cursor) {
    if (InputModule* input = GetInputModule()) {
        input->SetCursorHandle(cursor);
    }
}

platform::CursorHandle CCorvaneVisual::LoadCursorFile(const char* path) {
    const platform::CursorHandle cursor = LoadCursorFileOrLog(path);
    if (cursor != 0) {
        SetInputCursor(cursor);
    }
    return cursor;
}

void CCorvaneVisual::ShowSystemCursor(int on) {
    if (InputModule* input = GetInputModule()) {
        input->ShowSystemCursor(on);
    }
}

int CCorvaneVisual::SetFocus(int id) {
    InputModule* input = GetInputModule();
    return input != nullptr ? input->SetFocusObject(id) : 0;
}

void CCorvaneVisual::LendKeyboard(int id) {
    if (InputModule* input = GetInputModule()) {
        input->LendKeyboard(id);
    }
}

InputState* CCorvaneVisual::GetInputState(InputState* out) {
    if (out == nullptr) {
        return nullptr;
    }
    *out = InputState{};
    if (const InputModule* input = GetInputModule()) {
        input->GetInputState(out);
    }
    return out;
}

// --- Objects ---

CCorvaneObject* CCorvaneVisual::CreateObject() {
    ObjectModule* objects = GetObjectModule();
    return objects != nullptr ? objects->CreateObject(this) : nullptr;
}

CCorvanePicture* CCorvaneVisual::CreatePicture(const FrameRecord& image) {
    ObjectModule* objects = GetObjectModule();
    return objects != nullptr ? objects->CreatePicture(image, this) : nullptr;
}

CCorvaneCanvas* CCorvaneVisual::CreateCanvas(int width, int height, uint32_t colorKey) {
    ObjectModule* objects = GetObjectModule();
    return objects != nullptr ? objects->CreateCanvas(width, height, colorKey, this) : nullptr;
}

CCorvaneCanvas* CCorvaneVisual::CreateShadow(CCorvaneObject* object) {
    if (object == nullptr) {
        return nullptr;
    }
    const auto* view = dynamic_cast<const CImageFrameView*>(object->GetDrawable());
    if (view == nullptr || view->IsHidden() != 0) {
        return nullptr;
    }
    const int frameWidth = std::max(view->GetWidth(), 0);
    const int frameHeight = std::max(view->GetHeight(), 0);
    const int width = frameWidth + 2;
    const int height = frameHeight + 2;
    CCorvaneCanvas* shadow = CreateCanvas(width, height, kDefaultColorKey);
    if (shadow == nullptr) {
        return nullptr;
    }
    shadow->SetPos(object->GetLeft() + frameWidth / 2 + 2.0,
                   object->GetTop() + frameHeight / 2 + 2.0);
    shadow->SetZ(object->GetZ() - 0.0000001);
    if (object->IsVisible() != 0) {
        shadow->Show();
    }
    object->AttachChild(shadow, kLinkDecoration);

    // Black pixels whose alpha is the picture's, one pixel in from each
    // edge, then blurred.
    std::vector<uint32_t> grid(static_cast<size_t>(width) * height, 0);
    for (int y = 0; y < frameHeight; ++y) {
        for (int x = 0; x < frameWidth; ++x) {
            const auto alpha = static_cast<uint32_t>(view->GetAlphaAt(x, y)) & 0xFF;
            grid[static_cast<size_t>(y + 1) * width + x + 1] = alpha << 24;
        }
    }
    BoxBlur3x3(grid, width, height);
    uint8_t* pixels = shadow->GetPixels();
    if (pixels == nullptr || shadow->GetCanvasWidth() != width ||
        shadow->GetCanvasHeight() != height) {
        return shadow;
    }
    for (size_t i = 0; i < grid.size(); ++i) {
        const uint32_t pixel = grid[i];
        pixels[i * 4 + 0] = static_cast<uint8_t>(pixel);
        pixels[i * 4 + 1] = static_cast<uint8_t>(pixel >> 8);
        pixels[i * 4 + 2] = static_cast<uint8_t>(pixel >> 16);
        pixels[i * 4 + 3] = static_cast<uint8_t>(pixel >> 24);
    }
    // Marks the pixels changed and redraws; black never matches the key.
    shadow->ApplyColorKey();
    shadow->Invalidate();
    return shadow;
}

CCorvaneObject* CCorvaneVisual::FindObjectByName(const char* name) {
    ObjectModule* objects = GetObjectModule();
    return objects != nullptr ? objects->FindObjectByName(name) : nullptr;
}

CCorvaneObject* CCorvaneVisual::FindObjectById(int id) {
    ObjectModule* objects = GetObjectModule();
    return objects != nullptr ? objects->FindObjectById(id) : nullptr;
}

CCorvaneCanvas* CCorvaneVisual::FindCanvasById(int id) {
    CCorvaneObject* object = id != 0 ? FindObjectById(id) : nullptr;
    return object != nullptr && object->GetType() == kKindCanvas
               ? static_cast<CCorvaneCanvas*>(object)
               : nullptr;
}

CCorvanePicture* CCorvaneVisual::FindPictureById(int id) {
    CCorvaneObject* object = id != 0 ? FindObjectById(id) : nullptr;
    return object != nullptr && object->GetType() == kKindPicture
               ? static_cast<CCorvanePicture*>(object)
               : nullptr;
}

void CCorvaneVisual::DestroyObject(CCorvaneObject* object, int deferred) {
    if (object == nullptr || GetCore() == nullptr) {
        return;
    }
    if (deferred != 0) {
        object->Hide();
        object->Invalidate();
        DelayedDestroyAction(object, nullptr);
        return;
    }
    GetCore()->SendMessage(kObjectModuleId, kMsgDestroyObject, object, 0);
}

// --- Sound ---

uint32_t CCorvaneVisual::PlaySound(const char* name, int plays, const EventRecord* notification) {
    MusicModule* music = GetMusicModule();
    return music != nullptr && name != nullptr ? music->PlaySound(name, plays, notification) : 0;
}

int CCorvaneVisual::StopSound(uint32_t handle) {
    MusicModule* music = GetMusicModule();
    return music != nullptr ? music->StopSound(handle) : 0;
}

int CCorvaneVisual::ResumeSound(uint32_t handle, int restart) {
    MusicModule* music = GetMusicModule();
    return music != nullptr ? music->ResumeSound(handle, restart) : 0;
}

int CCorvaneVisual::PauseSound(uint32_t handle) {
    MusicModule* music = GetMusicModule();
    return music != nullptr ? music->PauseSound(handle) : 0;
}

void CCorvaneVisual::UnloadSound(const char* name) {
    MusicModule* music = GetMusicModule();
    if (music != nullptr && name != nullptr) {
        music->UnloadSound(name);
    }
}

void CCorvaneVisual::StopAllSounds() {
    if (MusicModule* music = GetMusicModule()) {
        music->StopAllSounds();
    }
}

void CCorvaneVisual::SetSoundOff(int flag) {
    if (MusicModule* music = GetMusicModule()) {
        music->SetSoundOff(flag);
    }
}
