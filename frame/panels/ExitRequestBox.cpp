#include "frame/panels/ExitRequestBox.h"

void CExitRequestBox::ShowExitRequest(const char*, const char*, const char*, const EventRecord&,
                                      const EventRecord&, int) {}
