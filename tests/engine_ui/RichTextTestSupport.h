#pragma once
// Rich-text boxes on the toolkit's headless engine: a box made, placed and
// shown, its content read back as text, and the frames that let deferred
// refreshes run.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/CorvaneCanvas.h"
#include "engine/ui/RichText.h"
#include "platform/Browser.h"
#include "platform/Clipboard.h"
#include "tests/engine_ui/ToolkitTestSupport.h"

class RichTextTest : public ToolkitTest {
protected:
    ~RichTextTest() override {
        platform::DefaultClipboard().SetUnavailable(false);
        platform::DefaultClipboard().Clear();
        platform::DefaultBrowser().Clear();
    }

    // A box of width x height with the style, its top-left corner at
    // (left, top), shown; one frame has passed.
    CCorvaneRichText* MakeBox(int width, int height, uint32_t style, int left = 100,
                              int top = 100) {
        auto* box = Register<CCorvaneRichText>();
        box->Create(width, height, style, 0);
        box->SetPos(left + width / 2.0, top + height / 2.0);
        box->Show();
        box->Invalidate();
        Frame();
        return box;
    }

    // Lets the deferred refresh and the actions run.
    void Settle() { Frames(3); }

    // The characters of the elements, objects as "[obj]".
    static std::string Text(CCorvaneRichText& box) {
        std::string text;
        for (RichTextElement* e = box.GetFirstElement(); e != nullptr; e = e->next) {
            if (e->IsObject()) {
                text += "[obj]";
                continue;
            }
            char bytes[3];
            text.append(bytes, e->CharBytes(bytes));
        }
        return text;
    }

    // The elements in list order.
    static std::vector<RichTextElement*> Elements(CCorvaneRichText& box) {
        std::vector<RichTextElement*> out;
        for (RichTextElement* e = box.GetFirstElement(); e != nullptr; e = e->next) {
            out.push_back(e);
        }
        return out;
    }

    // n lines "line <i>\n" appended one by one.
    static void AppendLines(CCorvaneRichText& box, int n, int from = 0) {
        for (int i = from; i < from + n; ++i) {
            box.AppendText(("line " + std::to_string(i) + "\n").c_str());
        }
    }

    // Pixels of the text canvas with alpha.
    static int InkOf(CCorvaneRichText& box) {
        CCorvaneCanvas* text = box.GetTextCanvas();
        int count = 0;
        for (int y = 0; y < text->GetCanvasHeight(); ++y) {
            for (int x = 0; x < text->GetCanvasWidth(); ++x) {
                count += text->GetAlpha(x, y) != 0;
            }
        }
        return count;
    }

    // A copy of the text canvas's pixels.
    static std::vector<uint8_t> PixelsOf(CCorvaneRichText& box) {
        CCorvaneCanvas* text = box.GetTextCanvas();
        const uint8_t* p = text->GetPixels();
        return std::vector<uint8_t>(
            p, p + static_cast<size_t>(text->GetCanvasWidth()) * text->GetCanvasHeight() * 4);
    }

    // The scene point of a content point of the box.
    static std::pair<int, int> SceneOf(CCorvaneRichText& box, int x, int y) {
        CCorvaneCanvas* text = box.GetTextCanvas();
        return {static_cast<int>(text->GetLeft()) + x - box.GetScrollX(),
                static_cast<int>(text->GetTop()) + y - box.GetScrollY()};
    }
};
