#pragma once
// What an edit box holds, read the way its owner reads it: the text's bytes
// (GBK) copied out of the buffer GetText hands over, which is then freed.

#include <string>

#include "engine/EventRecord.h"
#include "engine/ui/CorvaneEdit.h"

inline std::string EditBoxText(CCorvaneEdit& edit) {
    char* text = edit.GetText();
    std::string copy = text != nullptr ? text : "";
    FreeEventBlock(text);
    return copy;
}
