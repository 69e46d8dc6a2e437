#pragma once
// Platform-internal: what Messages.cpp and ExportedWindows.cpp tell each
// other. Not for use outside platform/.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Messages.h"

namespace platform::detail {

// --- asked of the link by the message calls, for windows not in this process ---

bool IsExportedElsewhere(WindowId window);
WindowId FindExportedByClass(std::string_view className);
bool PostToExported(WindowId window, uint32_t id, WParam wParam, LParam lParam);
bool SendCopyDataToExported(WindowId window, WParam wParam, const CopyDataRecord* record,
                            uint32_t timeoutMs, LResult* result);
// The window left the process's table. Called with the message registry
// locked: the link never calls the message functions under its own lock.
void ForgetExport(WindowId window);

// --- asked of the message calls by the link ---

// PostMessage to a window of this process only.
bool PostToLocalWindow(WindowId window, uint32_t id, WParam wParam, LParam lParam);
// The class name the window was created with; nullopt when not in this process.
std::optional<std::string> LocalWindowClass(WindowId window);

// An answer the calling thread waits for while it handles the messages sent
// to it; another thread delivers it.
struct ReplyWait;
std::shared_ptr<ReplyWait> NewReplyWait();
// Any thread; only the first answer counts.
void CompleteReplyWait(ReplyWait& wait, LResult result);
// On the thread that made it: the answer, or nullopt at the time-out.
std::optional<LResult> AwaitReplyWait(ReplyWait& wait, uint32_t timeoutMs);

}  // namespace platform::detail
