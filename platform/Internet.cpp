#include "platform/Internet.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <mutex>

#include "platform/Files.h"

namespace platform {

namespace {

// libcurl is set up once, on first use, and never taken down: a worker may
// still be transferring while the program ends.
bool CurlReady() {
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] { ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    return ready;
}

struct EasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;

// Every socket a transfer makes is close-on-exec from the start; the ones
// libcurl makes itself (the accepted data connection of active mode) are
// marked as soon as libcurl hands them over.
curl_socket_t OpenCloseOnExecSocket(void*, curlsocktype, curl_sockaddr* address) {
    return ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
}

int MarkCloseOnExec(void*, curl_socket_t socket, curlsocktype) {
    const int flags = ::fcntl(socket, F_GETFD);
    if (flags < 0 || ::fcntl(socket, F_SETFD, flags | FD_CLOEXEC) != 0) {
        return CURL_SOCKOPT_ERROR;
    }
    return CURL_SOCKOPT_OK;
}

// A handle with what every transfer shares: no signals, close-on-exec
// sockets, the time-outs and an error text.
Easy MakeEasy(uint32_t connectTimeoutMs, uint32_t totalTimeoutMs, char* errorText) {
    if (!CurlReady()) {
        return nullptr;
    }
    Easy easy(curl_easy_init());
    if (!easy) {
        return nullptr;
    }
    CURL* h = easy.get();
    errorText[0] = '\0';
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_OPENSOCKETFUNCTION, OpenCloseOnExecSocket);
    curl_easy_setopt(h, CURLOPT_SOCKOPTFUNCTION, MarkCloseOnExec);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connectTimeoutMs));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(totalTimeoutMs));
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
    return easy;
}

std::string ErrorOf(CURLcode code, const char* errorText) {
    return errorText[0] != '\0' ? std::string(errorText) : std::string(curl_easy_strerror(code));
}

bool IsUnsafeByte(unsigned char c) {
    return c < 0x21 || c == 0x7F;
}

bool HasUnsafeByte(std::string_view text) {
    for (char c : text) {
        if (IsUnsafeByte(static_cast<unsigned char>(c))) {
            return true;
        }
    }
    return false;
}

// --- GET ---

struct GetState {
    CURL* handle = nullptr;
    size_t cap = 0;
    std::string body;
    bool overCap = false;
    bool wrongStatus = false;
};

size_t CollectBody(char* data, size_t size, size_t count, void* context) {
    auto& state = *static_cast<GetState*>(context);
    const size_t bytes = size * count;
    long status = 0;
    curl_easy_getinfo(state.handle, CURLINFO_RESPONSE_CODE, &status);
    if (status != 200) {
        state.wrongStatus = true;
        return 0;  // the body of another answer is not wanted
    }
    if (bytes > state.cap - state.body.size()) {
        state.overCap = true;
        return 0;
    }
    state.body.append(data, bytes);
    return bytes;
}

HttpGetResult GetFailure(HttpOutcome outcome, long status, std::string error) {
    HttpGetResult result;
    result.outcome = outcome;
    result.status = status;
    result.error = std::move(error);
    return result;
}

// --- FTP ---

bool IsUnreservedUrlByte(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

// The remote path as the path of an ftp:// address: '\' becomes '/', a
// leading '/' (the server's root) is written "%2F", every byte other than
// the unreserved ones and the separators is percent-encoded.
std::string FtpUrlPath(std::string_view path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i] == '\\' ? '/' : path[i]);
        if (c == '/' && i != 0) {
            encoded.push_back('/');
        } else if (IsUnreservedUrlByte(c)) {
            encoded.push_back(static_cast<char>(c));
        } else {
            encoded.push_back('%');
            encoded.push_back(kHex[c >> 4]);
            encoded.push_back(kHex[c & 15]);
        }
    }
    return encoded;
}

bool IsPlainHost(std::string_view host) {
    if (host.empty() || HasUnsafeByte(host)) {
        return false;
    }
    return host.find_first_of("/\\?#@[]:%") == std::string_view::npos;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

size_t ReadUpload(char* buffer, size_t size, size_t count, void* context) {
    auto* file = static_cast<std::FILE*>(context);
    const size_t got = std::fread(buffer, 1, size * count, file);
    if (got == 0 && std::ferror(file)) {
        return CURL_READFUNC_ABORT;
    }
    return got;
}

}  // namespace

HttpGetResult HttpGet(std::string_view url, const HttpGetOptions& options) {
    if (url.empty() || HasUnsafeByte(url)) {
        return GetFailure(HttpOutcome::Failed, 0, "address refused");
    }
    char errorText[CURL_ERROR_SIZE];
    Easy easy = MakeEasy(options.connectTimeoutMs, options.totalTimeoutMs, errorText);
    if (!easy) {
        return GetFailure(HttpOutcome::Failed, 0, "libcurl could not start");
    }
    CURL* h = easy.get();
    const std::string address(url);
    GetState state;
    state.handle = h;
    state.cap = options.maxBodyBytes;
    curl_easy_setopt(h, CURLOPT_URL, address.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options.maxBodyBytes));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, CollectBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &state);
    const CURLcode code = curl_easy_perform(h);
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);

    if (state.wrongStatus || (status != 0 && status != 200)) {
        return GetFailure(HttpOutcome::BadStatus, status, "status " + std::to_string(status));
    }
    if (state.overCap || code == CURLE_FILESIZE_EXCEEDED) {
        return GetFailure(HttpOutcome::TooLarge, status, "body over the cap");
    }
    if (code == CURLE_OPERATION_TIMEDOUT) {
        return GetFailure(HttpOutcome::TimedOut, status, ErrorOf(code, errorText));
    }
    if (code != CURLE_OK) {
        return GetFailure(HttpOutcome::Failed, status, ErrorOf(code, errorText));
    }
    if (status != 200) {
        return GetFailure(HttpOutcome::BadStatus, status, "no status");
    }
    HttpGetResult result;
    result.outcome = HttpOutcome::Ok;
    result.status = status;
    result.body = std::move(state.body);
    return result;
}

FtpUploadResult UploadByFtp(const FtpUpload& upload) {
    FtpUploadResult result;
    if (!IsPlainHost(upload.host)) {
        result.error = "host refused";
        return result;
    }
    if (upload.remoteName.empty() || upload.port == 0) {
        result.error = "no remote name or port";
        return result;
    }
    const int fd = ::open(ResolvePath(upload.localFile).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        result.error = "local file cannot be opened";
        return result;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        result.error = "local file is not a file";
        return result;
    }
    File file(::fdopen(fd, "rb"));
    if (!file) {
        ::close(fd);
        result.error = "local file cannot be read";
        return result;
    }
    char errorText[CURL_ERROR_SIZE];
    Easy easy = MakeEasy(upload.connectTimeoutMs, upload.totalTimeoutMs, errorText);
    if (!easy) {
        result.error = "libcurl could not start";
        return result;
    }
    CURL* h = easy.get();
    const std::string url = "ftp://" + upload.host + ":" + std::to_string(upload.port) + "/" +
                            FtpUrlPath(upload.remoteFolder + upload.remoteName);
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(h, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(h, CURLOPT_TRANSFERTEXT, 0L);
    curl_easy_setopt(h, CURLOPT_FTPPORT, "-");
    curl_easy_setopt(h, CURLOPT_READFUNCTION, ReadUpload);
    curl_easy_setopt(h, CURLOPT_READDATA, file.get());
    curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(info.st_size));
    if (!upload.user.empty()) {
        curl_easy_setopt(h, CURLOPT_USERNAME, upload.user.c_str());
        curl_easy_setopt(h, CURLOPT_PASSWORD, upload.password.c_str());
    }
    const CURLcode code = curl_easy_perform(h);
    if (code != CURLE_OK) {
        result.error = ErrorOf(code, errorText);
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace platform
