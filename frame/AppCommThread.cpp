// The application's side of the communication thread: starting and stopping
// it, and the wait text it shows.

#include "frame/GameFrameApp.h"
#include "frame/WaitDialog.h"
#include "platform/Screen.h"
#include "zep/ZepLog.h"

bool CGameFrameApp::StartCommThread() {
    if (commThread_) {
        return true;
    }
    CGameCommThread::Options options;
    // The skin file and the work area are read here, on the UI thread.
    options.makeWaitDisplay = waitDisplayFactory_
                                  ? waitDisplayFactory_
                                  : MakeWaitDialogFactory(GetSkinIniFile(), platform::WorkArea());
    // Shared: a thread left to end on its own may outlive this object.
    options.signQueries = signQueries_;
    commThread_ = CGameCommThread::Start(std::move(options));
    if (!commThread_) {
        return false;
    }
    signAnswerWindow_ = commThread_->GetWindow();
    ZepLog("the communication thread started");
    return true;
}

void CGameFrameApp::StopCommThread() {
    if (!commThread_) {
        return;
    }
    if (commThread_->Stop(kCommThreadStopMs)) {
        ZepLog("the communication thread stopped");
    } else {
        ZepLog("the communication thread did not end within %u ms; it is left to end on its own",
               kCommThreadStopMs);
    }
    commThread_.reset();
    signAnswerWindow_ = 0;
}

platform::ThreadId CGameFrameApp::GetCommThreadId() const {
    return commThread_ ? commThread_->GetThreadId() : 0;
}

void CGameFrameApp::ShowWaitText(const std::string& text, int seconds) {
    const platform::ThreadId comm = GetCommThreadId();
    if (comm == 0) {
        return;
    }
    auto copy = std::make_unique<std::string>(text);
    if (platform::PostThreadMessage(comm, kMsgCommWaitText,
                                    reinterpret_cast<platform::WParam>(copy.get()), seconds)) {
        copy.release();  // the thread frees it
    } else {
        ZepLog("ShowWaitText: the communication thread takes no messages");
    }
}

void CGameFrameApp::PostToCommThread(const std::string& text, bool show) {
    if (show) {
        ShowWaitText(text, 0);
        return;
    }
    const platform::ThreadId comm = GetCommThreadId();
    if (comm != 0) {
        platform::PostThreadMessage(comm, kMsgCommWaitText, 0, 0);
    }
}

void CGameFrameApp::HideWaitText() {
    PostToCommThread({}, false);
}
