#include "frame/panels/services/SaveScreenJpeg.h"

int SaveScreenJpeg(const char*, int) {
    return 0;
}
std::string ScreenshotFileName(const char*, int32_t, const platform::LocalDateTime&) {
    return {};
}
