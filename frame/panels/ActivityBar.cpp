#include "frame/panels/ActivityBar.h"

#include <algorithm>

#include "engine/ui/CorvaneButton.h"
#include "frame/GameFrameApp.h"
#include "frame/web/WebPageDlg.h"

namespace {

constexpr int kButtonGap = 4;
constexpr int kMargin = 2;

}  // namespace

CActivityBar::CActivityBar() : page_(std::make_unique<CWebPageDlg>()) {}

CActivityBar::~CActivityBar() = default;

void CActivityBar::Create() {
    if (!FirstCreate()) {
        return;
    }
    SetName("ActivityBar");
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr) {
        return;
    }
    const std::vector<std::string>& names = app->GetSidePanelButtons();
    const std::vector<int>& active = app->GetActiveButtons();
    for (size_t i = 0; i < active.size(); ++i) {
        const int link = active[i];
        if (link < 0 || static_cast<size_t>(link) >= names.size()) {
            continue;  // an entry the button list does not name
        }
        FrameRecord face = SkinFrame(names[static_cast<size_t>(link)].c_str());
        auto* button = new CCorvaneButton;
        Register(button);
        const EventRecord notify =
            MakeEventRecord(GetId(), kEventActivityButton, static_cast<intptr_t>(i), 0);
        button->Create(face, &notify, 0, 0);
        button->SetSound(1, "SndTouchButton");
        button->SetSound(2, "SndHitButton");
        button->SetZ(GetZ() + 0.1);
        button->Show();
        AttachChild(button, kBarChildLink);
        buttons_.push_back(button->GetId());
    }
    Relayout();
}

int CActivityBar::OnEvent(const EventRecord& record) {
    if (record.event == kEventActivityButton) {
        OpenActivity(static_cast<int>(record.param1));
        return 1;
    }
    return CSidePanelBar::OnEvent(record);
}

void CActivityBar::Relayout() {
    // Left to right, a new row when the next button would pass the right
    // edge.
    const double left = GetLeft() + kMargin;
    const double right = GetRight() - kMargin;
    double x = left;
    double y = GetTop() + kMargin;
    double rowHeight = 0;
    for (int id : buttons_) {
        CCorvaneObject* button = FindObjectById(id);
        if (button == nullptr) {
            continue;
        }
        const double w = button->GetWidth();
        const double h = button->GetHeight();
        if (x > left && x + w > right) {
            x = left;
            y += rowHeight + kButtonGap;
            rowHeight = 0;
        }
        button->SetPos(x + w / 2, y + h / 2);
        button->Invalidate();
        x += w + kButtonGap;
        rowHeight = std::max(rowHeight, h);
    }
}

void CActivityBar::OpenActivity(int index) {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr || index < 0) {
        return;
    }
    const std::vector<int>& active = app->GetActiveButtons();
    const std::vector<std::string>& names = app->GetSidePanelButtons();
    if (static_cast<size_t>(index) >= active.size()) {
        return;
    }
    const int link = active[static_cast<size_t>(index)];
    if (link < 0 || static_cast<size_t>(link) >= names.size()) {
        return;
    }
    int width = 0;
    int height = 0;
    const std::string url = app->BuildWebLinkUrl(link, width, height);
    if (url.empty()) {
        return;
    }
    page_->SetSize(width, height);
    page_->Navigate(PageTitle(names[static_cast<size_t>(link)]), url, "");
}

int CActivityBar::GetButtonId(int index) const {
    return index >= 0 && static_cast<size_t>(index) < buttons_.size()
               ? buttons_[static_cast<size_t>(index)]
               : 0;
}

std::string CActivityBar::PageTitle(const std::string& image) {
    std::string title = image;
    if (title.starts_with("btn_")) {
        title.erase(0, 4);
    }
    if (title.ends_with('2')) {
        title.pop_back();
    }
    return title;
}
