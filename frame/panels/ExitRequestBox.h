#pragma once
// Another player's exit request: a notice box with the requester's name
// ("<c=255>%s<c=0> 请求退出!"), his picture and the answers "同意" and
// "拒绝"; an expired countdown refuses.

#include "frame/panels/SystemInfoBox.h"

class CExitRequestBox : public CSystemInfoBox, public CExitRequestBoxSeam {
public:
    // ShowBox's style: cancel button, expiry cancels, picture.
    static constexpr int kExitRequestStyle = 0x15;

    CExitRequestBox() = default;
    ~CExitRequestBox() override = default;

    void ShowExitRequest(const char* name, const char* text, const char* pictureFile,
                         const EventRecord& agree, const EventRecord& refuse, int seconds) override;
};
