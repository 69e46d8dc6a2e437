#pragma once
// Web transfers of the client: an HTTP GET of a small text into memory (the
// notice texts) and an FTP upload of one local file.
//
// Rules:
//  - Both calls block their thread until the transfer ends or its time-out
//    passes; callers run them on a worker thread of their own. Any number of
//    threads may transfer at once.
//  - A GET succeeds only with status 200 and a whole body no longer than its
//    cap; anything else (another status, a body over the cap, a body cut
//    short, a time-out, a refused address) is a failure with no body.
//    Redirects are not followed; only http and https are spoken; bodies are
//    taken as they come (binary, no decoding).
//  - An upload is binary, in active mode (the server connects back to the
//    address of the control connection). An empty user name logs in as
//    "anonymous".
//  - Addresses, hosts, paths and names are bytes as they stand; a byte below
//    0x21 or 0x7F in an address or host is refused.
//  - Every socket a transfer opens is close-on-exec; no transfer raises
//    SIGPIPE.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

enum class HttpOutcome {
    Ok,         // status 200, the whole body read
    BadStatus,  // an answer other than 200
    TooLarge,   // the body (or its announced length) is over the cap
    TimedOut,   // the connect or the whole transfer took too long
    Failed,     // no answer, a body cut short, a refused address, ...
};

struct HttpGetOptions {
    size_t maxBodyBytes = 1024 * 1024;
    uint32_t connectTimeoutMs = 10000;
    uint32_t totalTimeoutMs = 30000;
};

struct HttpGetResult {
    HttpOutcome outcome = HttpOutcome::Failed;
    long status = 0;    // the HTTP status, 0 when none arrived
    std::string body;   // only with Ok
    std::string error;  // a short reason for the log when not Ok
};

HttpGetResult HttpGet(std::string_view url, const HttpGetOptions& options = {});

struct FtpUpload {
    std::string host;
    uint16_t port = 21;
    // The remote path is the folder followed directly by the name ('\' counts
    // as '/'); a path that starts with '/' is taken from the server's root,
    // any other from the login folder.
    std::string remoteFolder;
    std::string remoteName;
    std::string localFile;  // named as in Files.h
    std::string user;       // empty: anonymous
    std::string password;
    uint32_t connectTimeoutMs = 10000;
    uint32_t totalTimeoutMs = 120000;
};

struct FtpUploadResult {
    bool ok = false;
    std::string error;  // a short reason for the log when not ok
};

FtpUploadResult UploadByFtp(const FtpUpload& upload);

}  // namespace platform
