#include "engine/CorvaneCanvas.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/ObjectModule.h"
#include "tests/engine/ImageRecordFactory.h"
#include "tests/engine/PaintTestSupport.h"

namespace {

constexpr uint32_t kKey = 0xFF00FF;
constexpr uint32_t kRed = 0x0000FF;  // 0x00BBGGRR
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0xFF0000;

// A canvas made outside any engine: it frees its own record.
std::unique_ptr<CCorvaneCanvas> MakeCanvas(int w, int h, uint32_t key = kKey,
                                           CCorvaneFont* font = nullptr) {
    auto canvas = std::make_unique<CCorvaneCanvas>();
    canvas->Create(w, h, key, font);
    return canvas;
}

// The canvas's pixels as 0x00BBGGRR (transparent pixels as 0xTT000000 + colour
// is not needed: alpha is checked apart).
std::vector<uint32_t> Row(const CCorvaneCanvas& canvas, int y) {
    std::vector<uint32_t> row;
    for (int x = 0; x < canvas.GetCanvasWidth(); ++x) {
        row.push_back(canvas.GetPixel(x, y));
    }
    return row;
}
std::vector<uint32_t> Column(const CCorvaneCanvas& canvas, int x) {
    std::vector<uint32_t> column;
    for (int y = 0; y < canvas.GetCanvasHeight(); ++y) {
        column.push_back(canvas.GetPixel(x, y));
    }
    return column;
}
// Pixels with alpha as '#', without as '.', one string per row.
std::vector<std::string> Ink(const CCorvaneCanvas& canvas) {
    std::vector<std::string> rows;
    for (int y = 0; y < canvas.GetCanvasHeight(); ++y) {
        std::string row;
        for (int x = 0; x < canvas.GetCanvasWidth(); ++x) {
            row += canvas.GetAlpha(x, y) != 0 ? '#' : '.';
        }
        rows.push_back(row);
    }
    return rows;
}
bool SamePixels(CCorvaneCanvas& a, CCorvaneCanvas& b) {
    const size_t bytes = static_cast<size_t>(a.GetCanvasWidth()) * a.GetCanvasHeight() * 4;
    return a.GetCanvasWidth() == b.GetCanvasWidth() && a.GetCanvasHeight() == b.GetCanvasHeight() &&
           std::memcmp(a.GetPixels(), b.GetPixels(), bytes) == 0;
}

// A 32-bit picture one pixel wide whose row y has colour rows[y] (0x00BBGGRR,
// opaque).
void MakeColumnPicture(ImageRecord& r, const std::vector<uint32_t>& rows, bool alongX = false) {
    const int n = static_cast<int>(rows.size());
    auto word = [&](int i) {
        const uint32_t c = rows[i];
        return 0xFF000000u | (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
    };
    if (alongX) {
        Make32(r, n, 1, 1, 0, [&](int x, int) { return word(x); });
    } else {
        Make32(r, 1, n, 1, 0, [&](int, int y) { return word(y); });
    }
}

FontDesc SongDesc(int height) {
    FontDesc desc;
    SetFontDescFace(desc, "宋体");
    desc.height = height;
    desc.weight = 400;
    desc.wrap = 1;
    desc.alpha = 255;
    desc.color = 0x123456;
    return desc;
}

}  // namespace

// ---- Record, colours and clearing ----

TEST(CorvaneCanvas, CreateMakesAKeyedThirtyTwoBitRecordOfTheCanvasSize) {
    auto canvas = MakeCanvas(6, 4, 0x8000);
    const FrameRecord state = canvas->GetFrameInfo();
    ASSERT_NE(state.record, nullptr);
    const ImageRecord& r = *state.record;
    EXPECT_EQ(canvas->GetDrawable()->IsCurrent(), 1);  // record and state both serial 1
    EXPECT_EQ(r.width * r.height * 4, static_cast<int>(r.byteSize));
    EXPECT_EQ(r.colorKey, kKey);  // the record's key, not the canvas's
    EXPECT_EQ(r.flags & ~kImageChanged, 0x9u);
    EXPECT_EQ(canvas->GetWidth(), 6.0);
    EXPECT_EQ(canvas->GetFontDesc().height, 2);  // half the canvas height
    EXPECT_EQ(Ink(*canvas), (std::vector<std::string>(4, "......")));
}

TEST(CorvaneCanvas, SizesOutOfRangeGiveAnEmptyCanvasThatIgnoresEverything) {
    for (auto [w, h] : {std::pair{-1, 5}, {70000, 2}, {65535, 65535}}) {
        auto canvas = std::make_unique<CCorvaneCanvas>();
        EXPECT_EQ(canvas->Create(w, h, kKey, nullptr), 0) << w << "x" << h;
        EXPECT_EQ(canvas->GetCanvasWidth(), 0);
        EXPECT_EQ(canvas->GetPixels(), nullptr);
        canvas->Clear();
        canvas->SetPixel(0, 0, kRed);
        canvas->DrawLine(0, 0, 10, 10);
        canvas->DrawRect(0, 0, 5, 5, 1);
        canvas->BlendColor(kRed, 0.5);
        canvas->DrawBorder(3, kRed);
        canvas->DrawTextCenteredLines("abc", 0);
        EXPECT_EQ(canvas->GetPixel(0, 0), 0u);
    }
    // An empty canvas grows transparent when resized.
    auto canvas = MakeCanvas(0, 0);
    EXPECT_EQ(canvas->Resize(3, 2), 1);
    EXPECT_EQ(Ink(*canvas), (std::vector<std::string>{"...", "..."}));
}

TEST(CorvaneCanvas, TheRecordKeyColourIsTransparentAndEveryOtherColourOpaque) {
    EXPECT_EQ(CCorvaneCanvas::ColorToPixel(kKey, kKey), 0x00FF00FFu);
    EXPECT_EQ(CCorvaneCanvas::ColorToPixel(0x112233, kKey), 0xFF332211u);

    auto canvas = MakeCanvas(3, 1);
    canvas->SetPixel(0, 0, kKey);
    canvas->SetPixel(1, 0, 0x112233);
    canvas->SetPixel(3, 0, kRed);  // outside: ignored
    canvas->SetPixel(-1, 0, kRed);
    EXPECT_EQ(canvas->GetPixel(0, 0), kKey);
    EXPECT_EQ(canvas->GetAlpha(0, 0), 0);
    EXPECT_EQ(canvas->GetPixel(1, 0), 0x112233u);
    EXPECT_EQ(canvas->GetAlpha(1, 0), 255);
    EXPECT_EQ(canvas->GetPixel(5, 5), 0u);
    EXPECT_EQ(canvas->GetAlpha(-1, 0), 0);

    canvas->SetAlpha(1, 0, 0.5);
    EXPECT_EQ(canvas->GetAlpha(1, 0), 127);
    canvas->SetAlpha(1, 0, 7.0);
    EXPECT_EQ(canvas->GetAlpha(1, 0), 255);

    // A new record key makes pixels of that colour transparent at once.
    canvas->SetRecordColorKey(0x112233);
    EXPECT_EQ(canvas->GetColorKey(), 0x112233u);
    EXPECT_EQ(canvas->GetAlpha(1, 0), 0);
}

TEST(CorvaneCanvas, ClearPaintsTheCanvasKeyWhichIsTransparentOnlyWhenItIsTheRecordKey) {
    auto canvas = MakeCanvas(4, 3);
    canvas->SetPixel(0, 0, kRed);
    canvas->Clear();
    EXPECT_EQ(canvas->GetPixel(0, 0), 0u);
    EXPECT_EQ(canvas->GetAlpha(0, 0), 0);

    canvas->SetBackgroundColor(0x8000);
    canvas->Clear();
    EXPECT_EQ(canvas->GetPixel(3, 2), 0x8000u);
    EXPECT_EQ(canvas->GetAlpha(3, 2), 255);

    // ClearRect takes rows y1..y2-1 and columns x1..x2-1, held to the canvas.
    canvas->SetColorKey(kKey);
    canvas->ClearRect(1, -5, 100, 2);
    EXPECT_EQ(Ink(*canvas), (std::vector<std::string>{"#...", "#...", "####"}));
    EXPECT_EQ(canvas->GetPixel(2, 0), kKey);
}

// ---- Lines and rectangles ----

TEST(CorvaneCanvas, LinesStepAlongTheLongerAxisAndTruncateTheOther) {
    auto canvas = MakeCanvas(5, 5);
    canvas->SetPenColor(kGreen, 1.0);
    canvas->DrawLine(0, 0, 4, 2);
    EXPECT_EQ(Ink(*canvas),
              (std::vector<std::string>{"##...", "..##.", "....#", ".....", "....."}));
    EXPECT_EQ(canvas->GetPixel(4, 2), kGreen);

    canvas->Clear();
    canvas->DrawLine(1, 4, 0, 0);  // steep, drawn from either end
    canvas->DrawLine(4, 0, 4, 4);  // vertical
    canvas->DrawLine(3, 3, 0, 3);  // horizontal, end points included
    EXPECT_EQ(Ink(*canvas),
              (std::vector<std::string>{"#...#", ".#..#", ".#..#", "#####", ".#..#"}));

    // End points far outside cost nothing and touch only the canvas.
    canvas->Clear();
    canvas->DrawLine(INT_MIN, 2, INT_MAX, 2);
    canvas->DrawLine(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    EXPECT_EQ(Ink(*canvas)[2], "#####");
}

TEST(CorvaneCanvas, RectanglesAreOrderedClampedAndEmptyWhenFlat) {
    auto canvas = MakeCanvas(5, 4);
    canvas->SetPenColor(kRed, 1.0);
    canvas->DrawRect(2, 0, 2, 3, 1);  // x1 == x2: nothing
    canvas->DrawRect(0, 1, 4, 1, 0);  // y1 == y2: nothing
    EXPECT_EQ(Ink(*canvas), (std::vector<std::string>(4, ".....")));

    canvas->DrawRect(3, 2, 0, 0, 0);  // corners in any order; outline only
    EXPECT_EQ(Ink(*canvas), (std::vector<std::string>{"####.", "#..#.", "####.", "....."}));

    canvas->Clear();
    canvas->DrawRect(-10, 1, 100, 100, 1);  // held to the canvas
    EXPECT_EQ(Ink(*canvas), (std::vector<std::string>{".....", "#####", "#####", "#####"}));

    canvas->Clear();
    canvas->DrawRect(10, 10, 20, 20, 1);  // wholly outside
    canvas->DrawDottedRect(0, 0, 4, 3);
    EXPECT_EQ(Ink(*canvas), (std::vector<std::string>{"#.#.#", ".....", "#...#", "#.#.#"}));
}

TEST(CorvaneCanvas, BordersCoverTheOutermostRowsAndColumns) {
    auto canvas = MakeCanvas(6, 5);
    canvas->DrawBorder(2, kBlue);
    EXPECT_EQ(Ink(*canvas),
              (std::vector<std::string>{"######", "######", "##..##", "######", "######"}));
    EXPECT_EQ(canvas->GetPixel(0, 4), kBlue);
    canvas->Border(kRed, 99);  // thicker than the canvas: all of it
    EXPECT_EQ(Ink(*canvas), (std::vector<std::string>(5, "######")));

    canvas->Clear();
    canvas->DrawDottedBorder(kRed);
    EXPECT_EQ(Ink(*canvas),
              (std::vector<std::string>{"#.#.##", "......", "#....#", "......", "#.#.##"}));
}

// ---- Colour effects ----

TEST(CorvaneCanvas, BlendDarkenAndInvertChangeOnlyPixelsWithAlpha) {
    auto canvas = MakeCanvas(2, 1);
    canvas->SetPixel(0, 0, 0x804020);

    canvas->BlendColor(0xFFFFFF, 0.0);
    EXPECT_EQ(canvas->GetPixel(0, 0), 0x804020u);  // strength 0 changes nothing
    canvas->Tint(0x0A6496, 1.0);
    EXPECT_EQ(canvas->GetPixel(0, 0), 0x096395u);  // (c * 255) >> 8 per channel
    canvas->SetPixel(0, 0, 0x000000);
    canvas->BlendColor(0xFFFFFF, 0.5);  // a = 127: (255 * 127) >> 8 = 126
    EXPECT_EQ(canvas->GetPixel(0, 0), 0x7E7E7Eu);
    canvas->Darken();
    EXPECT_EQ(canvas->GetPixel(0, 0), 0x3F3F3Fu);
    EXPECT_EQ(canvas->GetPixel(1, 0), 0u);  // transparent: untouched throughout
    EXPECT_EQ(canvas->GetAlpha(1, 0), 0);

    // Green inverts to the key colour and becomes transparent.
    canvas->SetPixel(0, 0, kGreen);
    canvas->InvertRect(0, 0, 100, 100);
    EXPECT_EQ(canvas->GetPixel(0, 0), kKey);
    EXPECT_EQ(canvas->GetAlpha(0, 0), 0);
    EXPECT_EQ(canvas->GetPixel(1, 0), 0u);
}

TEST(CorvaneCanvas, MaskAlphaUsesTheAlphaOfAPictureOfTheSameSize) {
    auto canvas = MakeCanvas(2, 2);
    canvas->SetBackgroundColor(kRed);
    canvas->Clear();

    OwnedRecord wrongSize;
    Make32(*wrongSize, 3, 2, 1, 0, [](int, int) { return 0u; });
    CImageFrameView view;
    view.SetFrameInfo(WholeFrame(*wrongSize));
    canvas->MaskAlpha(view);
    EXPECT_EQ(Ink(*canvas), (std::vector<std::string>{"##", "##"}));

    OwnedRecord indexed;  // one byte a pixel: no alpha to take
    MakeIndexed(*indexed, 2, 2, 1, false, 0, 4, [](int, int) { return 0u; });
    view.SetFrameInfo(WholeFrame(*indexed));
    canvas->MaskAlpha(view);
    EXPECT_EQ(Ink(*canvas), (std::vector<std::string>{"##", "##"}));

    OwnedRecord shape;
    Make32(*shape, 2, 2, 1, 0, [](int x, int y) { return x == y ? 0xFF000000u : 0u; });
    view.SetFrameInfo(WholeFrame(*shape));
    canvas->MaskAlpha(view);
    EXPECT_EQ(Ink(*canvas), (std::vector<std::string>{"#.", ".#"}));

    OwnedRecord twoByte;
    MakeIndexed(*twoByte, 2, 2, 1, true, 256, 4,
                [](int x, int) { return x == 0 ? 0x0000u : 0xFF00u; });
    view.SetFrameInfo(WholeFrame(*twoByte));
    canvas->MaskAlpha(view);
    EXPECT_EQ(Ink(*canvas), (std::vector<std::string>{"..", ".#"}));
}

// ---- Pictures ----

TEST(CorvaneCanvas, DrawImageTakesZeroAsTheCanvasSizeAndNegativeAsThePicturesOwn) {
    OwnedRecord picture;
    MakeColumnPicture(*picture, {kRed, kBlue}, true);  // 2 x 1: red, blue
    const FrameRecord state = WholeFrame(*picture);

    auto canvas = MakeCanvas(4, 3);
    canvas->DrawImage(state, 0, 0, 0, -1, 0.0, 1.0);  // canvas width, own height
    EXPECT_EQ(Row(*canvas, 0), (std::vector<uint32_t>{kRed, kRed, kBlue, kBlue}));
    EXPECT_EQ(Ink(*canvas)[1], "....");

    canvas->Clear();
    canvas->DrawFrame(state, 1, 1, -1, 0, 0.0, 1.0);  // own width, canvas height
    EXPECT_EQ(Ink(*canvas), (std::vector<std::string>{"....", ".##.", ".##."}));
    EXPECT_EQ(canvas->GetPixel(2, 2), kBlue);

    // A frame state whose record was released or is not the one it was made
    // for draws nothing; so does one without a record.
    canvas->Clear();
    FrameRecord stale = state;
    stale.serial = 99;
    canvas->DrawImage(stale, 0, 0, 0, 0, 0.0, 1.0);
    canvas->DrawImage(FrameRecord{}, 0, 0, 0, 0, 0.0, 1.0);
    EXPECT_EQ(Ink(*canvas), (std::vector<std::string>(3, "....")));

    // Half alpha blends into what is there with the >> 8 rule.
    canvas->SetBackgroundColor(0x000000);
    canvas->Clear();
    canvas->DrawImage(state, 0, 0, -1, -1, 0.0, 0.5);
    EXPECT_EQ(canvas->GetPixel(0, 0), 0x00007Eu);
}

TEST(CorvaneCanvas, FramesComeFromGridsAndFromOtherCanvases) {
    OwnedRecord grid;  // 2 x 1 frames, two columns: frame 1 is the right one
    MakeGrid(*grid, 1, 1, 2, 2, [](int x, int) { return x == 0 ? 0xFF0000FFu : 0xFF00FF00u; });
    FrameRecord state = WholeFrame(*grid);
    state.frame = 1;
    auto canvas = MakeCanvas(2, 1);
    canvas->DrawImage(state, 1, 0, -1, -1, 0.0, 1.0);
    EXPECT_EQ(Row(*canvas, 0), (std::vector<uint32_t>{0, kGreen}));

    // A canvas's own frame state draws it like any picture.
    auto target = MakeCanvas(3, 1);
    target->DrawImage(canvas->GetFrameInfo(), 0, 0, -1, -1, 0.0, 1.0);
    EXPECT_EQ(Row(*target, 0), (std::vector<uint32_t>{0, kGreen, 0}));
}

TEST(CorvaneCanvas, ThreePartPicturesFillTheCanvasHeight) {
    OwnedRecord top, middle, bottom;
    MakeColumnPicture(*top, {kRed, kRed});
    MakeColumnPicture(*middle, {kGreen});
    MakeColumnPicture(*bottom, {kBlue, kBlue, kBlue});

    auto tall = MakeCanvas(1, 10);
    tall->DrawImageThreePart(WholeFrame(*top), WholeFrame(*middle), WholeFrame(*bottom));
    EXPECT_EQ(Column(*tall, 0), (std::vector<uint32_t>{kRed, kRed, kGreen, kGreen, kGreen, kGreen,
                                                       kGreen, kBlue, kBlue, kBlue}));

    // Not taller than both ends: each end takes half.
    auto low = MakeCanvas(1, 5);
    low->DrawThreeFrames(WholeFrame(*top), WholeFrame(*middle), WholeFrame(*bottom));
    EXPECT_EQ(Column(*low, 0), (std::vector<uint32_t>{kRed, kRed, 0, kBlue, kBlue}));
}

TEST(CorvaneCanvas, SlicedPicturesKeepTheirEndsAndStretchTheMiddle) {
    const uint32_t a = 0x000001, b = 0x000002, c = 0x000003, d = 0x000004, e = 0x000005,
                   f = 0x000006;
    OwnedRecord picture;
    MakeColumnPicture(*picture, {a, b, c, d, e, f});
    picture->sliceY = -1;  // end pieces of (6 + 1) / 2 - 1 = 2 rows
    auto canvas = MakeCanvas(1, 12);
    canvas->DrawImageSlicedVertical(WholeFrame(*picture));
    EXPECT_EQ(Column(*canvas, 0), (std::vector<uint32_t>{a, b, c, c, c, c, d, d, d, d, e, f}));

    // Too short for both ends: the first half and the last rows.
    auto low = MakeCanvas(1, 3);
    low->DrawImageSlicedVertical(WholeFrame(*picture));
    EXPECT_EQ(Column(*low, 0), (std::vector<uint32_t>{a, b, f}));

    // A slice value below the picture's half leaves no end pieces, never
    // pieces of negative size.
    picture->sliceY = -100;
    canvas->Clear();
    canvas->DrawImageSlicedVertical(WholeFrame(*picture));
    EXPECT_EQ(Column(*canvas, 0), (std::vector<uint32_t>{a, a, b, b, c, c, d, d, e, e, f, f}));

    OwnedRecord wide;
    MakeColumnPicture(*wide, {a, b, c, d}, true);  // ends of 2 columns
    auto row = MakeCanvas(6, 2);
    row->DrawImageSlicedHorizontal(WholeFrame(*wide));
    EXPECT_EQ(Row(*row, 1), (std::vector<uint32_t>{a, b, 0, 0, c, d}));  // no middle columns
}

// ---- Size ----

TEST(CorvaneCanvas, ResizeScalesThePixelsAndKeepsTheObjectsSize) {
    auto canvas = MakeCanvas(2, 1);
    canvas->SetPixel(0, 0, kRed);
    canvas->SetPixel(1, 0, kBlue);
    canvas->SetRecordColorKey(0x010101);
    const ImageRecord* record = canvas->GetFrameInfo().record;

    EXPECT_EQ(canvas->Resize(4, 2), 1);
    EXPECT_EQ(Row(*canvas, 1), (std::vector<uint32_t>{kRed, kRed, kBlue, kBlue}));
    EXPECT_EQ(canvas->GetCanvasWidth(), 4);
    EXPECT_EQ(canvas->GetWidth(), 2.0);  // the object keeps its size
    const FrameRecord state = canvas->GetFrameInfo();
    EXPECT_EQ(state.record, record);  // the same record, rewritten
    EXPECT_EQ(record->width, 4);
    EXPECT_EQ(record->byteSize, 4u * 2 * 4);
    EXPECT_EQ(record->colorKey, 0x010101u);
    EXPECT_NE(record->flags & kImageChanged, 0u);

    EXPECT_EQ(canvas->Resize(0, 5), 0);
    EXPECT_EQ(canvas->Resize(5, -1), 0);
    EXPECT_EQ(canvas->SetBufferSize(70000, 1), 0);
    EXPECT_EQ(canvas->GetCanvasWidth(), 4);

    // The object's own resize is still there for callers that mean it.
    CCorvaneObject* object = canvas.get();
    object->Resize(10.0, 10.0);
    EXPECT_EQ(canvas->GetWidth(), 10.0);
    EXPECT_EQ(canvas->GetCanvasWidth(), 4);
}

// ---- Text ----

class CanvasTextTest : public testing::Test {
protected:
    std::unique_ptr<CCorvaneCanvas> Make(int w, int h, int fontHeight) {
        auto canvas = MakeCanvas(w, h, kKey, &font);
        canvas->SetFont(fontHeight, 400, "宋体");
        canvas->SetPenColor(0xFFFFFF, 1.0);
        return canvas;
    }

    CCorvaneFont font;
};

TEST_F(CanvasTextTest, TextUsesTheCanvasDescriptionAndLeavesTheFontsOwn) {
    font.SetFontDesc(SongDesc(30));
    auto canvas = Make(60, 20, 12);
    canvas->SetSpacing(3, 2);
    canvas->SetSpacing(-1, 5);  // a negative value keeps the old one
    EXPECT_EQ(canvas->GetFontDesc().pitch, 3);
    EXPECT_EQ(canvas->GetFontDesc().rowSpace, 5);

    canvas->DrawText(0, 0, "Ag");
    EXPECT_NE(Ink(*canvas), (std::vector<std::string>(20, std::string(60, '.'))));
    EXPECT_EQ(font.GetFontDesc().height, 30);
    EXPECT_EQ(font.GetFontDesc().color, 0x123456u);

    // Measuring matches the font given the canvas's description.
    const char* text = "一二三四五六七八";
    const int canvasHeight = canvas->MeasureTextHeight(text, 40);
    FontDesc desc;
    canvas->GetFontDesc(&desc);
    font.SetFontDesc(desc);
    EXPECT_EQ(canvasHeight, font.MeasureHeight(40, text));
    EXPECT_GT(canvasHeight, 12);  // wrapped over several lines

    EXPECT_EQ(canvas->FitHeightToText(text, 40), canvasHeight);
    EXPECT_EQ(canvas->GetCanvasHeight(), canvasHeight);
    EXPECT_EQ(canvas->GetHeight(), static_cast<double>(canvasHeight));
    EXPECT_EQ(canvas->GetCanvasWidth(), 40);
}

TEST_F(CanvasTextTest, CentredTextIsPlacedByTheEstimatedWidth) {
    auto canvas = Make(40, 20, 10);
    canvas->DrawTextCentered(20, 10, "abcd");  // 4 * 5 wide: drawn from (10, 5)
    auto reference = Make(40, 20, 10);
    reference->DrawText(10, 5, "abcd");
    EXPECT_TRUE(SamePixels(*canvas, *reference));

    canvas->Clear();
    canvas->SetSpacing(1, -1);
    canvas->DrawTextCentred(20, 10, "中a");  // (10 + 2) + (1 + 5) = 18 wide
    reference->Clear();
    reference->SetSpacing(1, -1);
    reference->DrawText(11, 5, "中a");
    EXPECT_TRUE(SamePixels(*canvas, *reference));
}

TEST_F(CanvasTextTest, CentredLinesEndInDotsWhenTheNextWouldNotFit) {
    // Width 30 holds six 5-pixel characters; a height of 15 holds one line.
    auto canvas = Make(30, 15, 10);
    EXPECT_EQ(canvas->DrawTextCenteredLines("abcdefghij", 0), 1);
    auto reference = Make(30, 15, 10);
    reference->DrawTextCentered(15, 5, "abc...");
    EXPECT_TRUE(SamePixels(*canvas, *reference));

    // Three double-byte characters fit; the dots never split one.
    canvas->Clear();
    EXPECT_EQ(canvas->DrawTextCenteredLines("中文中文", 0), 1);
    reference->Clear();
    reference->DrawTextCentered(15, 5, "中文..");
    EXPECT_TRUE(SamePixels(*canvas, *reference));

    // A font tag takes no width; room for all lines means no dots.
    auto tall = Make(30, 60, 10);
    EXPECT_EQ(tall->DrawTextCenteredLines("abc<c=255>defghij", 0), 2);
    auto tallReference = Make(30, 60, 10);
    tallReference->DrawTextCentered(15, 5, "abc<c=255>def");
    tallReference->DrawTextCentered(15, 15, "ghij");
    EXPECT_TRUE(SamePixels(*tall, *tallReference));
}

TEST_F(CanvasTextTest, CentredLinesAlwaysMoveOnAndStopAtTheBottom) {
    // Narrower than one character: one character a line, never a hang.
    auto narrow = Make(3, 200, 10);
    EXPECT_EQ(narrow->DrawTextCenteredLines("abcdef", 0), 6);
    // Starting below the canvas draws nothing.
    EXPECT_EQ(narrow->DrawTextCenteredLines("abc", 500), 0);
    // A lone lead byte at the end ends the text.
    EXPECT_EQ(narrow->DrawTextCenteredLines("a\xB0", 0), 1);
}

TEST(CorvaneCanvas, WithoutATextRendererTextDrawsNothingAndMeasuresZero) {
    auto canvas = MakeCanvas(20, 20);
    canvas->DrawText(0, 0, "abc");
    canvas->DrawTextFitted("abc", 0, 0, 0);
    canvas->DrawText(0, 0, nullptr);
    EXPECT_EQ(canvas->MeasureTextHeight("abc", 10), 0);
    int w = -1, h = -1;
    canvas->MeasureText("abc", &w, &h);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(Ink(*canvas), (std::vector<std::string>(20, std::string(20, '.'))));
}

// ---- In a running engine ----

namespace {

constexpr int kSceneWidth = 40;
constexpr int kSceneHeight = 30;
constexpr uint32_t kBackground = 0xFF102030;  // FillBackground(0x00302010)

class CanvasSceneTest : public PaintTest {
protected:
    ~CanvasSceneTest() override { core.reset(); }

    void SetUp() override {
        platform::RegisterWindowClass("CanvasTestWindow");
        ASSERT_TRUE(window.Create("CanvasTestWindow"));
        surface = std::make_unique<platform::WindowSurface>(window.Id());
        surface->Resize(kSceneWidth, kSceneHeight);
        Boot(window.Id());
        objects = new ObjectModule;
        ASSERT_EQ(core->LoadModule(objects, 1, 0), kEngineOk);
        ASSERT_TRUE(paint->SetBufferSize(kSceneWidth, kSceneHeight));
        objects->SetSceneCentre(kSceneWidth / 2, kSceneHeight / 2);
        objects->SetSceneSize(kSceneWidth, kSceneHeight);
        paint->FillBackground(0x00302010);
    }

    CCorvaneCanvas* Place(int w, int h, double x, double y) {
        auto* canvas = new CCorvaneCanvas;
        canvas->Create(w, h, kKey, nullptr);
        objects->RegisterObject(canvas, nullptr);
        canvas->SetPos(x, y);
        canvas->Show();
        canvas->Invalidate();
        return canvas;
    }

    void Frame() {
        time.AdvanceMs(11);
        core->RunFrame();
    }
    uint32_t Output(int x, int y) const {
        return PixelOf(paint->GetOutputPixels(), kSceneWidth, x, y);
    }

    platform::Window window;
    std::unique_ptr<platform::WindowSurface> surface;
    ObjectModule* objects = nullptr;
};

}  // namespace

TEST_F(CanvasSceneTest, TheBackBufferShowsTheCanvasAndEachChangeOfIt) {
    CCorvaneCanvas* canvas = Place(4, 2, 10, 6);  // x 8..11, y 5..6
    canvas->SetPixel(0, 0, kRed);
    canvas->SetPixel(3, 1, 0x00302010 ^ 0x0F0F0F);
    Frame();
    // Canvases carry per-pixel alpha: even alpha 255 blends, each channel
    // becoming (c * 255) >> 8 over the background.
    EXPECT_EQ(Output(8, 5), 0xFFFE0000u);
    EXPECT_EQ(Output(9, 5), kBackground);  // transparent pixels show what is below
    EXPECT_EQ(Output(11, 6), 0xFF1E2E3Eu);

    // A pixel change alone invalidates the canvas.
    canvas->SetPixel(1, 0, kBlue);
    Frame();
    EXPECT_EQ(Output(9, 5), 0xFF0000FEu);

    // Destroyed through the object module: the paint module frees the record
    // (the leak checker would see it otherwise) and the area is redrawn.
    core->SendMessage(kObjectModuleId, kMsgDestroyObject, canvas, 0);
    Frame();
    EXPECT_EQ(Output(8, 5), kBackground);
}
