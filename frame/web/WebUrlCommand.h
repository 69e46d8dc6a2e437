#pragma once
// The private link schemes of the pages shown inside the client: "qelold:"
// reopens its link, signed, in the same browser; "qelnew:" opens it, signed,
// in the desktop's browser; "qelapp:" links become messages to the hall.
// A browser wraps every navigation in a command and asks Handle; the work of
// an old or new link runs later, from kMsgWebUrlCommand, outside the
// browser's callback.
//
// Rules:
//  - A command is freed exactly once: by the window that takes its
//    kMsgWebUrlCommand (TakeWebUrlCommand, then Run), by the browser when it
//    was not posted, at once when a post fails, and here when the window it
//    was posted to is gone before it took it.
//  - kMsgWebUrlCommand carries the command in wParam; a wParam that is no
//    posted command (forged, or taken already) is ignored.
//  - The command holds its browser by window id: a browser that is gone
//    when Run comes is not navigated.
//  - UI thread only.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Messages.h"

inline constexpr uint32_t kMsgWebUrlCommand = platform::kMsgApp + 1465;
// To the hall, wParam the own user id.
inline constexpr uint32_t kMsgHallChangeClothing = platform::kMsgApp + 1775;
inline constexpr uint32_t kMsgHallBecomeMember = platform::kMsgApp + 1776;

class CWebUrlCommand {
public:
    // owner: the browser's window (CFixHtmlView::Id()).
    CWebUrlCommand(platform::WindowId owner, std::string_view url);
    virtual ~CWebUrlCommand();
    CWebUrlCommand(const CWebUrlCommand&) = delete;
    CWebUrlCommand& operator=(const CWebUrlCommand&) = delete;

    virtual bool IsOldLink() const;
    virtual bool IsNewLink() const;
    virtual bool IsBlankPage() const;
    virtual bool IsHttpLink() const;
    virtual bool IsAppLink() const;
    // Starts the command: an old or new link is posted to the owner's
    // window, a hall link posted to the hall. True when the URL is a private
    // link (the navigation must be cancelled).
    virtual bool Handle();
    // Carries out an old or new link; 1.
    virtual int Run();
    // The URL with "http" in place of its scheme.
    virtual std::string ToHttpUrl() const;

    bool IsChangeClothing() const;
    bool IsBecomeMember() const;
    bool IsMemberClose() const;

    const std::string& Url() const { return url_; }
    platform::WindowId Owner() const { return owner_; }
    // Whether Handle posted it: its receiver owns it now.
    bool IsPosted() const { return posted_; }

    // Commands alive in the process (tests).
    static int Alive();

private:
    bool IsAppCommand(std::string_view word) const;

    std::string url_;
    platform::WindowId owner_;
    bool posted_ = false;
};

// Posts the command to the window; false (the command freed) when the post
// fails.
bool PostWebUrlCommand(platform::WindowId window, std::unique_ptr<CWebUrlCommand> command);
// The command a kMsgWebUrlCommand carries, now owned by the caller; null for
// a wParam that is no posted command.
std::unique_ptr<CWebUrlCommand> TakeWebUrlCommand(platform::WParam wParam);
// What a receiver of kMsgWebUrlCommand does: takes the command, runs it and
// frees it.
void RunPostedWebUrlCommand(platform::WParam wParam);
// Frees the posted commands whose window is gone; their count.
int FreeOrphanWebUrlCommands();
