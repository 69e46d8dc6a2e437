#pragma once
// A canvas that writes down what is drawn on it, for the side panel's bars:
// a bar made as Recording<Bar> makes every canvas of its own as a
// RecordingCanvas, which draws as usual and appends a line per call to the
// log the bar was given ("clear 300,24" with the canvas's size, "text 9,5
// 用户名", "line 110,20,110,92", ...).

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/CorvaneCanvas.h"
#include "engine/ObjectModule.h"

namespace recording_canvas {

using Log = std::vector<std::string>;

class RecordingCanvas : public CCorvaneCanvas {
public:
    explicit RecordingCanvas(Log* log) : log_(log) {}

    void Clear() override {
        Write("clear " + Ints({GetCanvasWidth(), GetCanvasHeight()}));
        CCorvaneCanvas::Clear();
    }
    void DrawLine(int x1, int y1, int x2, int y2) override {
        Write("line " + Ints({x1, y1, x2, y2}));
        CCorvaneCanvas::DrawLine(x1, y1, x2, y2);
    }
    void DrawImage(const FrameRecord& state, int x, int y, int width, int height, double angle,
                   double alpha) override {
        Write("image " + Ints({state.width, state.height}) + " at " + Ints({x, y}) + " size " +
              Ints({width, height}));
        CCorvaneCanvas::DrawImage(state, x, y, width, height, angle, alpha);
    }
    void SetPenColor(uint32_t color, double alpha) override {
        char text[32];
        std::snprintf(text, sizeof text, "pen %06x", color);
        Write(text);
        CCorvaneCanvas::SetPenColor(color, alpha);
    }
    void SetFont(int height, int weight, const char* face) override {
        Write("font " + std::to_string(height) + " " + std::to_string(weight) + " " + face);
        CCorvaneCanvas::SetFont(height, weight, face);
    }
    void DrawText(int x, int y, const char* text) override {
        if (!inCentred_) {
            Write("text " + Ints({x, y}) + " " + text);
        }
        CCorvaneCanvas::DrawText(x, y, text);
    }
    // One line for the centred text, not one more for the text it draws.
    void DrawTextCentered(int cx, int cy, const char* text) override {
        Write("centred " + Ints({cx, cy}) + " " + text);
        inCentred_ = true;
        CCorvaneCanvas::DrawTextCentered(cx, cy, text);
        inCentred_ = false;
    }

private:
    static std::string Ints(std::initializer_list<int> values) {
        std::string text;
        for (int v : values) {
            text += (text.empty() ? "" : ",") + std::to_string(v);
        }
        return text;
    }
    void Write(const std::string& line) { log_->push_back(line); }

    Log* log_;
    bool inCentred_ = false;
};

// The bar with every canvas it makes itself recording into log.
template <class Bar>
class Recording : public Bar {
public:
    explicit Recording(Log* log) : log_(log) {}
    CCorvaneCanvas* CreateCanvas(int width, int height, uint32_t colorKey) override {
        ObjectModule* objects = this->GetObjectModule();
        if (objects == nullptr) {
            return nullptr;
        }
        auto* canvas = new RecordingCanvas(log_);
        canvas->Create(width, height, colorKey, objects->GetTextRenderer());
        objects->RegisterObject(canvas, this);
        return canvas;
    }

private:
    Log* log_;
};

// The lines that start with the prefix.
inline Log Lines(const Log& log, const std::string& prefix) {
    Log found;
    for (const std::string& line : log) {
        if (line.rfind(prefix, 0) == 0) {
            found.push_back(line);
        }
    }
    return found;
}

}  // namespace recording_canvas
