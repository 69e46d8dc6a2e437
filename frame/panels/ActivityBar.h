#pragma once
// The side panel's activity bar ("ActivityBar"): one image button per
// active side-panel button, in rows that fit the bar. A click opens the
// button's signed page in the bar's web-page window.
//
// Rules:
//  - A button's page title is its image name without "btn_" and without
//    its final "2".
//  - The window is sized to what the signed link asks for.

#include <memory>
#include <string>
#include <vector>

#include "frame/panels/SidePanelBar.h"

class CWebPageDlg;

// A button's click: param1 is its index in the active list.
inline constexpr int kEventActivityButton = 80000010;

class CActivityBar : public CSidePanelBar {
public:
    CActivityBar();
    ~CActivityBar() override;

    void Create() override;
    int OnEvent(const EventRecord& record) override;
    void Relayout() override;

    // Opens the page of the index-th active button.
    virtual void OpenActivity(int index);

    int GetButtonCount() const { return static_cast<int>(buttons_.size()); }
    int GetButtonId(int index) const;
    CWebPageDlg* GetPageWindow() { return page_.get(); }
    // The page title of a button image name.
    static std::string PageTitle(const std::string& image);

private:
    std::vector<int> buttons_;  // engine ids, one per active entry
    std::unique_ptr<CWebPageDlg> page_;
};
