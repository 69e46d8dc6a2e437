#include "frame/panels/services/SaveScreenJpeg.h"

// libjpeg's header needs the standard types declared first.
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/ScreenCapture.h"
#include "zep/ZepLog.h"

namespace {

// libjpeg's default error handler ends the process; this one jumps back to
// the encoder, which then answers failure.
struct JpegFailure {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void OnJpegError(j_common_ptr info) {
    auto* failure = reinterpret_cast<JpegFailure*>(info->err);
    (*info->err->format_message)(info, failure->message);
    std::longjmp(failure->jump, 1);
}

void OnJpegMessage(j_common_ptr) {}

// The picture as a baseline JPEG of three components, in memory. Nothing
// with a destructor lives between the setjmp and a jump back to it.
bool EncodeJpeg(const platform::ScreenPicture& picture, int quality, std::vector<uint8_t>* out) {
    jpeg_compress_struct info{};
    JpegFailure failure{};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = OnJpegError;
    failure.manager.output_message = OnJpegMessage;
    if (setjmp(failure.jump) != 0) {
        ZepLog("SaveScreenJpeg: %s", failure.message);
        jpeg_destroy_compress(&info);
        std::free(buffer);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(picture.width);
    info.image_height = static_cast<JDIMENSION>(picture.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    const size_t rowBytes = static_cast<size_t>(picture.width) * 3;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPLE*>(picture.rgb.data() + info.next_scanline * rowBytes);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    out->assign(buffer, buffer + size);
    std::free(buffer);
    return true;
}

// The path with its folder found on disk whatever its case, the folder made
// when only its last level is missing.
std::string PrepareTarget(const char* path) {
    const platform::PathParts parts = platform::SplitPath(path);
    std::string folder = parts.folder;
    if (!folder.empty()) {
        folder = platform::ResolvePath(folder);
        if (platform::GetPathKind(folder) == platform::PathKind::Missing) {
            platform::MakeDirectory(folder);
        }
        if (folder.back() != '/') {
            folder += '/';
        }
    }
    return folder + parts.title + parts.extension;
}

}  // namespace

int SaveScreenJpeg(const char* path, int quality) {
    if (path == nullptr || path[0] == '\0') {
        return 0;
    }
    const platform::ScreenPicture picture = platform::CaptureScreen();
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.rgb.size() !=
            static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height) * 3) {
        ZepLog("SaveScreenJpeg: no screen picture (%d x %d)", picture.width, picture.height);
        return 0;
    }
    std::vector<uint8_t> jpeg;
    if (!EncodeJpeg(picture, std::clamp(quality, 1, 100), &jpeg)) {
        return 0;
    }
    // Written whole or not at all: a failed write leaves no file behind.
    const std::string target = PrepareTarget(path);
    if (!platform::ReplaceFileAtomically(
            target, std::string_view(reinterpret_cast<const char*>(jpeg.data()), jpeg.size()))) {
        char text[1200];
        std::snprintf(text, sizeof text, "JpegFile :\nCan't open %s\n", path);
        platform::ShowMessageBox(platform::MainWindow(), text, "", platform::kBoxOk);
        return 0;
    }
    return 1;
}

std::string ScreenshotFileName(const char* gameName, int32_t userId,
                               const platform::LocalDateTime& when) {
    char name[160];
    std::snprintf(name, sizeof name, "temp\\%s_%d_%d%d_%d.jpg", gameName != nullptr ? gameName : "",
                  userId, when.year, when.month * 100 + when.day,
                  when.hour * 10000 + when.minute * 100 + when.second);
    return name;
}
