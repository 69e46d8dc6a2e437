#include "frame/panels/ScoreTable.h"

ScoreTableGeometry ScoreTableGeometry::FromSettings(CCorvaneVisual&) {
    return {};
}
ScoreTableModel ScoreTableModel::FromApp(const CGameFrameApp&) {
    return {};
}
int ScoreTableModel::Columns() const {
    return hands == 0 ? 2 : (hands + 1 < 31 ? hands + 1 : 31);
}
ScoreBarWebRect LayoutScoreBar(const ScoreBarParts&, const ScoreTableGeometry&, int, double, double,
                               double, double) {
    return {};
}
void DrawScoreTableOn(CCorvaneCanvas&, CCorvaneScrollBar*, const ScoreTableGeometry&,
                      const ScoreTableModel&, int, CCorvaneVisual&) {}
