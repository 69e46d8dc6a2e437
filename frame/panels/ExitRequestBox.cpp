#include "frame/panels/ExitRequestBox.h"

#include <cstring>
#include <string>

void CExitRequestBox::ShowExitRequest(const char* name, const char* text, const char* pictureFile,
                                      const EventRecord& agree, const EventRecord& refuse,
                                      int seconds) {
    std::string shown = "<c=255>" + std::string(name != nullptr ? name : "") + "<c=0> 请求退出!";
    // The second text adds a line when it says more than the name.
    if (text != nullptr && text[0] != '\0' && (name == nullptr || std::strcmp(text, name) != 0)) {
        shown += "\r\n";
        shown += text;
    }
    ShowBox(shown.c_str(), &agree, &refuse, seconds, kExitRequestStyle, pictureFile, "同意",
            "拒绝");
}
