#include "platform/ScreenCapture.h"

namespace platform {
ScreenPicture CaptureScreen(CaptureSource*) {
    return {};
}
}  // namespace platform
