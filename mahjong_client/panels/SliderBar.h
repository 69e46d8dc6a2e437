#pragma once
// The slider of the table's tool buttons (music and sound volume): the
// frame's labelled slider with the table's looks and a fill picture
// ("slider_fill") that grows from the bottom of the track with the value.
//
// Rules:
//  - The value stays within 0..100; a drag or a track press that changes it
//    redraws once and reports through SendNotify, one that does not change
//    it does neither.
//  - The value label is drawn but never left on screen: every redraw and
//    every thumb event hides it.
//  - The fill takes value % of the track picture's height, from the bottom
//    rows of the fill picture; rows the fill picture does not have are not
//    drawn (a fill picture shorter than the track is never read outside).
//  - While disabled only the thumb click has an effect (it hides the label).
//  - UI thread only.

#include <cstdint>

#include "engine/EventRecord.h"
#include "engine/ImageRecord.h"
#include "frame/panels/LabeledSlider.h"

class CCorvaneCanvas;

class CSliderBar : public CLabeledSlider {
public:
    static constexpr char kFillImage[] = "slider_fill";
    static constexpr uint32_t kTint = 0x9be565;
    static constexpr double kTintAlpha = 0.3;
    static constexpr int kLabelWidth = 25;
    static constexpr int kLabelHeight = 20;

    CSliderBar() = default;
    ~CSliderBar() override;

    int OnEvent(const EventRecord& record) override;

    using CLabeledSlider::Create;
    // The frame slider's canvases and event bindings, the 25 x 20 label and
    // the fill canvas the size of "slider_fill"; then a redraw. notify is
    // the record SendNotify sends (null: none).
    void Create(const FrameRecord& trackFrame, const FrameRecord& thumbFrame, int orientation,
                const EventRecord* notify, int value, int enabled) override;
    // Track, thumb, fill and label for the current value.
    void Redraw() override;
    void Refresh() { Redraw(); }

    // The fill canvas, or null before Create.
    CCorvaneCanvas* GetFill();
    // Rows of the fill for the current value (value % of the track height).
    int GetFillHeight() const;

private:
    void DrawTrackAndThumb();
    void PlaceThumbAndLabel();
    void DrawFill();

    FrameRecord fillFrame_;
    int fillId_ = 0;
};
