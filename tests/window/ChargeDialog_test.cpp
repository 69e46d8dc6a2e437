// The top-up dialog on the real web helper (WebKitGTK) against this
// executable's X server: it loads its page from a loopback server, whose
// log shows the signed query.

#include "frame/panels/services/ChargeDialog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "../platform/TempFolder.h"
#include "frame/GameFrameApp.h"
#include "frame/LaunchRecordBuilder.h"
#include "platform/Files.h"
#include "platform/Sync.h"
#include "platform/WebView.h"
#include "tests/window/PageServer.h"
#include "tests/window/WebHelperSupport.h"

namespace {

using window_test::OfflineApp;
using window_test::PumpUntil;

TEST(ChargeDialogOnHelperTest, ThePageIsAskedForWithTheSignedQuery) {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver == nullptr || std::string(driver) != "x11" || std::getenv("DISPLAY") == nullptr) {
        GTEST_SKIP() << "no X server for the web helper";
    }
    TempFolder folder;
    std::filesystem::create_symlink(WEB_HELPER_PROGRAM, folder / "pvbn_web_helper");
    platform::SetProgramFolderForTesting(folder.Path());
    OfflineApp app;
    LaunchFields fields;
    fields.gameId = 30;
    fields.userId = 12345;
    app.SetLaunchFields(fields);
    app.SetOfflineMode(true);
    ASSERT_TRUE(app.InitInstance());
    LaunchRecordBuilder builder;
    builder.room.hallId = 7;
    builder.seats = {MakeLaunchUser(12345, 0, "自己")};
    ASSERT_TRUE(app.InitGameData(builder.Build()));
    app.SetSignWaitForTesting(0);

    window_test::PageServer server(
        std::map<std::string, std::string>{{"/charge.aspx", "<html><body>top-up</body></html>"}});
    {
        CChargeDialog dialog;
        dialog.SetClock([] { return int64_t{1700000000}; });
        ASSERT_EQ(dialog.Open(server.Url("/charge.aspx"), 10), 1);
        ASSERT_TRUE(dialog.IsOpen());
        const std::string expected =
            "GET /charge.aspx?hall_id=7&game_id=265&game_code=pvbn&uid=12345&sign="
            "&unix_time=1700000000&v_sign=82cf64598ba04f7776e7c69dbe02708c&init_money=10 "
            "HTTP/1.1";
        EXPECT_TRUE(PumpUntil([&] { return server.Saw(expected); }))
            << "the signed page was not asked for";
        dialog.CloseWindow();
    }
    app.ExitInstance();
    platform::SetProgramFolderForTesting("");
    platform::SetWebBackend(nullptr);
}

}  // namespace
