#pragma once
// The hand cursor that clickable controls show while the mouse is over them,
// and the arrow that comes back when it leaves. When the scene has a cursor
// object (the object named "object_cursor") it is asked to switch at once;
// otherwise the system cursor becomes the input module's cursor.

class CCorvaneVisual;

void ShowHandCursor(CCorvaneVisual& owner);
void ShowArrowCursor(CCorvaneVisual& owner);
