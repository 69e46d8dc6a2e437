#pragma once
// The top-up dialog: a captionless popup with the skin's frame picture, the
// caption "充值", a close button and a browser over (4, 22)-(458, 412) that
// opens the top-up page once per window, with a query signed by the hall id,
// game, user and time. The application owns one and opens it on request.
//
// Rules:
//  - Open with an empty address does nothing (0). Each window signs a new
//    address with the clock's time and navigates once.
//  - The browser is made by the dialog's factory (a game sets its own
//    control); without one, a plain browser with link commands off.
//  - Mouse moves and left presses on the body are swallowed; the top 18
//    pixels drag the dialog and the page moves with it; only the close
//    button (control 100001) closes it: hidden, then its window destroyed.
//  - It takes kMsgWebUrlCommand like every window that can receive one: the
//    command runs, then it is freed.
//  - A missing skin leaves the frame plain or the close button away; the
//    page still opens.
//  - UI thread only.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "frame/web/FixHtmlView.h"
#include "frame/web/SkinnedWebDialog.h"
#include "platform/System.h"

// How the dialog makes its browser control.
using ChargeBrowserFactory = std::function<std::unique_ptr<CHtmlCtrl>()>;

// The fields the signed query is made of.
struct ChargeQuery {
    int32_t hallId = 0;
    int32_t userId = 0;
    std::string sign;  // the hall's sign text; not part of the signature
    int64_t unixTime = 0;
    int32_t initMoney = 0;
};

class CChargeDialog : public CSkinnedWebDialog {
public:
    static constexpr int kGameId = 265;
    static constexpr char kGameCode[] = "pvbn";
    static constexpr char kSigningKey[] = "r4kd81mzq0vw2hy6";
    static constexpr char kCaption[] = "充值";
    static constexpr int kPageWidth = 454;
    static constexpr int kPageHeight = 400;

    CChargeDialog() = default;
    ~CChargeDialog() override;

    void SetBrowserFactory(ChargeBrowserFactory factory) { factory_ = std::move(factory); }
    // Seconds since 1970; tests fix it.
    void SetClock(std::function<int64_t()> now) { now_ = std::move(now); }

    // Stores the page address and the money and opens the window. 0 and
    // nothing shown for an empty address, else 1.
    int Open(std::string_view pageAddress, int32_t initMoney);

    // MD5 of the text's bytes as 32 lowercase hex digits.
    static std::string GetMD5String(std::string_view text);
    static std::string SignQuery(const ChargeQuery& query);
    // The page address with the signed query.
    static std::string BuildPageAddress(std::string_view pageAddress, const ChargeQuery& query);

    // The browser of the open window, or null.
    CHtmlCtrl* Browser() { return browser_.get(); }
    // The address the last window navigated to.
    const std::string& Address() const { return address_; }
    int32_t InitMoney() const { return initMoney_; }

protected:
    bool OnInitDialog() override;
    CHtmlCtrl* PageBrowser() override { return browser_.get(); }
    std::string_view SkinCaption() const override { return kCaption; }
    // The browser goes with its window.
    void OnWindowClosed() override { browser_.reset(); }

private:
    ChargeQuery CurrentQuery() const;

    ChargeBrowserFactory factory_;
    std::function<int64_t()> now_ = platform::UnixTimeNow;
    std::unique_ptr<CHtmlCtrl> browser_;
    std::string pageAddress_;
    std::string address_;
    int32_t initMoney_ = 0;
};
