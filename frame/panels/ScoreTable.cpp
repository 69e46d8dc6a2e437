#include "frame/panels/ScoreTable.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvaneVisual.h"
#include "engine/ui/CorvaneScrollBar.h"
#include "frame/GameFrameApp.h"
#include "frame/RecordFields.h"

namespace {

constexpr int kNameX = 9;
constexpr int kMaxHandColumns = 30;
constexpr int kFontSize = 12;
constexpr int kTitleWeight = 600;
constexpr int kBodyWeight = 400;
constexpr char kFontFace[] = "宋体";

FrameRecord Frame(CCorvaneVisual& visual, const char* name) {
    return visual.GetSkinFrame(name, 0);
}

}  // namespace

ScoreTableGeometry ScoreTableGeometry::FromSettings(CCorvaneVisual& visual) {
    ScoreTableGeometry g;
    g.tabHeight = visual.GetIntSetting(50007);
    g.headerHeight = visual.GetIntSetting(50008);
    g.rowHeight = visual.GetIntSetting(50009);
    g.columnWidth = visual.GetIntSetting(50010);
    g.advertExtra = visual.GetIntSetting(50011);
    return g;
}

ScoreTableModel ScoreTableModel::FromApp(CGameFrameApp& app) {
    ScoreTableModel model;
    model.seatCount = std::clamp(app.GetPlayerCount(), 0, kSeatCount);
    model.hands = std::max(app.GetHandCounter(), 0);
    model.silverRoom = app.IsSilverRoom();
    model.headerColour = app.GetAdvHeaderColor();
    model.textColour = app.GetAdvTextColor();
    model.backColour = app.GetAdvBkColor();
    model.gridColour = app.GetAdvGridColor();
    const int rows = std::max(model.seatCount, 4);
    for (int chair = 0; chair < rows && chair < kSeatCount; ++chair) {
        const UserRecord& seat = app.GetSeat(chair);
        if (seat.userId == 0) {
            continue;
        }
        Row row;
        row.name = FieldText(seat.name);
        row.total = app.GetHistoryTotal(chair);
        for (int slot = 0; slot < kRing; ++slot) {
            row.ring[static_cast<size_t>(slot)] = app.GetHistory(chair, slot);
        }
        model.rows.push_back(std::move(row));
    }
    return model;
}

int ScoreTableModel::Columns() const {
    return hands <= 0 ? 2 : std::min(hands + 1, kMaxHandColumns + 1);
}

ScoreBarWebRect LayoutScoreBar(const ScoreBarParts& parts, const ScoreTableGeometry& geometry,
                               int seatCount, double left, double top, double right,
                               double bottom) {
    const int tableHeight = geometry.TableHeight(seatCount);
    const double width = right - left;
    const int oddLift = tableHeight % 2 != 0 ? 1 : 0;
    double nextX = left;
    if (parts.advertTab != nullptr) {
        const double w = parts.advertTab->GetWidth();
        const double h = parts.advertTab->GetHeight();
        parts.advertTab->SetPos(left + w / 2 + 1, top + geometry.tabHeight - h / 2 + oddLift);
        parts.advertTab->Invalidate();
        nextX = std::trunc(left + w + 1);
    }
    if (parts.scoreTab != nullptr) {
        const double w = parts.scoreTab->GetWidth();
        const double h = parts.scoreTab->GetHeight();
        parts.scoreTab->SetPos(nextX + w / 2, top + geometry.tabHeight - h / 2 + oddLift);
        parts.scoreTab->Invalidate();
    }
    ScoreBarWebRect web;
    web.left = static_cast<int>(left);
    web.top = static_cast<int>(top) + geometry.tabHeight;
    web.width = static_cast<int>(width);
    web.height = tableHeight + geometry.advertExtra;
    if (parts.canvas != nullptr) {
        CCorvaneCanvas& canvas = *parts.canvas;
        canvas.SetClipRect(static_cast<int>(left), static_cast<int>(top) + geometry.tabHeight,
                           static_cast<int>(right), static_cast<int>(bottom));
        canvas.SetPos(left + canvas.GetWidth() / 2, top + tableHeight / 2 + geometry.tabHeight);
        canvas.Invalidate();
        if (parts.scrollBar != nullptr) {
            CCorvaneScrollBar& bar = *parts.scrollBar;
            const double barHeight = bar.GetHeight();
            bar.Resize(width, barHeight);
            bar.SetPos(left + width / 2, canvas.GetBottom() + barHeight / 2);
            bar.SetScrollInfo(0, width, canvas.GetWidth(), -1.0);
            bar.Refresh();
            bar.Invalidate();
        }
    }
    return web;
}

void DrawScoreTableOn(CCorvaneCanvas& canvas, CCorvaneScrollBar* scrollBar,
                      const ScoreTableGeometry& g, const ScoreTableModel& model, int barWidth,
                      CCorvaneVisual& visual) {
    constexpr int kNameColumn = ScoreTableModel::kNameColumn;
    const int columns = model.Columns();
    const int rows = g.Rows(model.seatCount);
    const int tableWidth = std::max(columns * g.columnWidth + kNameColumn, barWidth);
    const int tableHeight = std::max(g.TableHeight(model.seatCount), 1);

    canvas.Resize(std::max(tableWidth, 1), tableHeight);
    canvas.CCorvaneObject::Resize(std::max(tableWidth, 1), tableHeight);
    canvas.Clear();
    canvas.SetPenColor(model.backColour, 1.0);
    canvas.DrawRect(0, 0, std::max(tableWidth, 1) - 1, tableHeight - 1, 1);
    const FrameRecord title = Frame(visual, "bitHistoryTitle");
    if (title.record != nullptr) {
        canvas.DrawImage(title, 0, 0, tableWidth, g.headerHeight, 0, 1.0);
    }

    // The grid.
    canvas.SetPenColor(model.gridColour, 1.0);
    canvas.DrawLine(kNameColumn, g.headerHeight, kNameColumn, tableHeight);
    for (int k = 0; k < columns; ++k) {
        const int x = kNameColumn + k * g.columnWidth;
        canvas.DrawLine(x, g.headerHeight, x, tableHeight);
    }
    canvas.DrawLine(0, g.headerHeight, tableWidth, g.headerHeight);
    for (int r = 1; r <= rows; ++r) {
        const int y = g.headerHeight + r * g.rowHeight;
        canvas.DrawLine(0, y, tableWidth, y);
    }

    // The title row.
    const int firstColumnX = kNameColumn + g.columnWidth / 2;
    const int handColumns = std::min(model.hands, kMaxHandColumns);
    canvas.SetFont(kFontSize, kTitleWeight, kFontFace);
    canvas.SetPenColor(model.headerColour, 1.0);
    canvas.DrawText(kNameX, 5, "用户名");
    const FrameRecord divider = Frame(visual, "jf_line");
    if (divider.record != nullptr) {
        const int y0 = std::max(0, (g.headerHeight - divider.height) / 2 + 1);
        canvas.DrawImage(divider, kNameColumn, y0, -1, -1, 0, 1.0);
        for (int k = 0; k < columns; ++k) {
            canvas.DrawImage(divider, kNameColumn + k * g.columnWidth, y0, -1, -1, 0, 1.0);
        }
    }
    const int titleY = g.rowHeight / 2 - 1;
    canvas.DrawTextCentered(firstColumnX, titleY, model.silverRoom ? "总银子" : "总积分");
    for (int i = 0; i < handColumns; ++i) {
        char text[32];
        std::snprintf(text, sizeof text, "第%d局", model.hands - i);
        canvas.DrawTextCentered(firstColumnX + (i + 1) * g.columnWidth, titleY, text);
    }

    // One row per present seat, packed.
    canvas.SetFont(kFontSize, kBodyWeight, kFontFace);
    canvas.SetPenColor(model.textColour, 1.0);
    for (size_t k = 0; k < model.rows.size() && static_cast<int>(k) < rows; ++k) {
        const ScoreTableModel::Row& row = model.rows[k];
        const int rowTop = g.headerHeight + static_cast<int>(k) * g.rowHeight;
        const int centreY = rowTop + g.rowHeight / 2;
        canvas.DrawText(kNameX, rowTop + 7, row.name.c_str());
        char text[32];
        std::snprintf(text, sizeof text, "%d", row.total);
        canvas.DrawTextCentered(firstColumnX, centreY, text);
        for (int i = 0; i < handColumns; ++i) {
            const int n = model.hands - i;
            const int slot = (n - 1) % ScoreTableModel::kRing;
            std::snprintf(text, sizeof text, "%d", row.ring[static_cast<size_t>(slot)]);
            canvas.DrawTextCentered(firstColumnX + (i + 1) * g.columnWidth, centreY, text);
        }
    }
    canvas.Invalidate();

    if (scrollBar != nullptr) {
        scrollBar->SetScrollInfo(0, barWidth, canvas.GetWidth(), -1.0);
        scrollBar->Refresh();
    }
}
