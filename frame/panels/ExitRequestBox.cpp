#include "frame/panels/ExitRequestBox.h"

#include <cstring>
#include <string>

#include "engine/ui/CorvaneEdit.h"

void CExitRequestBox::ShowExitRequest(const char* name, const char* text, const char* pictureFile,
                                      const EventRecord& agree, const EventRecord& refuse,
                                      int seconds) {
    // The box shows rich text: the player's texts go in literally.
    std::string shown =
        "<c=255>" + EditLiteralText(name != nullptr ? name : "", -1) + "<c=0> 请求退出!";
    // The second text adds a line when it says more than the name.
    if (text != nullptr && text[0] != '\0' && (name == nullptr || std::strcmp(text, name) != 0)) {
        shown += "\r\n";
        shown += EditLiteralText(text, -1);
    }
    ShowBox(shown.c_str(), &agree, &refuse, seconds, kExitRequestStyle, pictureFile, "同意",
            "拒绝");
}
