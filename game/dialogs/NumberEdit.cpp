#include "game/dialogs/NumberEdit.h"

void CNumberEdit::InsertText(const char* text) {
    if (digitsOnly_ != 0 && text != nullptr) {
        for (const char* at = text; *at != '\0'; ++at) {
            if (*at < '0' || *at > '9') {
                return;
            }
        }
    }
    CCorvaneEdit::InsertText(text);
}
