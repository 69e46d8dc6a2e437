#pragma once
// The table's user list in the side panel: the frame's user list bar with
// its own column header, whose titles are bold. The table's side panel adds
// the columns.
//
// Rules:
//  - The header's background is drawn at its own size; a column's divider
//    and title indent start only once the columns before it have a width.
//  - The corner canvas is repainted only when the skin has a corner image.

#include "frame/panels/UserListBar.h"

class CSystemUserListBar : public CUserListBar {
public:
    CSystemUserListBar();
    ~CSystemUserListBar() override;

    void DrawHeader() override;
};
