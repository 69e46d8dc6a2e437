#include "zep/ProxySocket.h"

#include <cstdio>
#include <cstring>

#include "platform/Socket.h"
#include "zep/ZepBase64.h"

namespace {

constexpr uint8_t kSocks4Version = 4;
constexpr uint8_t kSocks4Granted = 90;
constexpr size_t kSocks4ReplySize = 8;

constexpr uint8_t kSocks5Version = 5;
constexpr uint8_t kSocks5NoAuth = 0;
constexpr uint8_t kSocks5UserPassword = 2;
constexpr uint8_t kSocks5NoAcceptableMethod = 255;
constexpr uint8_t kSocks5CredentialsVersion = 1;
constexpr uint8_t kSocks5AddressIPv4 = 1;
constexpr uint8_t kSocks5AddressName = 3;
constexpr uint8_t kSocks5AddressIPv6 = 4;
constexpr size_t kSocks5ReplyHead = 5;  // enough to know the reply's size
constexpr size_t kSocks5FieldLimit = 255;

constexpr uint8_t kCommandConnect = 1;
constexpr uint8_t kCommandBind = 2;

constexpr int kModeNone = 0;
constexpr int kModeConnect = 1;
constexpr int kModeListen = 2;

bool IsKnownProxyType(int type) {
    return type >= kProxyTypeNone && type <= kProxyTypeHttp;
}

void AppendPort(std::vector<uint8_t>& out, uint16_t port) {
    out.push_back(static_cast<uint8_t>(port >> 8));
    out.push_back(static_cast<uint8_t>(port & 0xFF));
}

// The address is in network order: its bytes in memory are the wire bytes.
void AppendAddress(std::vector<uint8_t>& out, uint32_t address) {
    uint8_t bytes[4];
    std::memcpy(bytes, &address, sizeof(bytes));
    out.insert(out.end(), bytes, bytes + sizeof(bytes));
}

uint32_t AddressAt(const std::vector<uint8_t>& bytes, size_t offset) {
    uint32_t address = 0;
    std::memcpy(&address, bytes.data() + offset, sizeof(address));
    return address;
}

uint16_t PortAt(const std::vector<uint8_t>& bytes, size_t offset) {
    return static_cast<uint16_t>((bytes[offset] << 8) | bytes[offset + 1]);
}

void AppendText(std::vector<uint8_t>& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
}

bool EndsWith(const std::string& text, const char* suffix) {
    const size_t n = std::strlen(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

}  // namespace

CProxySocket::CProxySocket() = default;

CProxySocket::~CProxySocket() {
    CProxySocket::Close();
}

void CProxySocket::SetProxyType(int type) {
    proxyType_ = type;
}

void CProxySocket::SetProxy(int type, const char* proxyHost, int proxyPort) {
    proxyType_ = type;
    proxyHost_ = proxyHost != nullptr ? proxyHost : "";
    proxyPort_ = proxyPort;
    user_.clear();
    password_.clear();
    hasCredentials_ = false;
}

void CProxySocket::SetProxy(int type, const char* proxyHost, int proxyPort, const char* user,
                            const char* password) {
    SetProxy(type, proxyHost, proxyPort);
    user_ = user != nullptr ? user : "";
    password_ = password != nullptr ? password : "";
    hasCredentials_ = true;
}

int CProxySocket::Connect(const char* host, uint16_t port) {
    lastError_ = kProxyErrorNone;
    if (host == nullptr || *host == '\0') {
        lastError_ = proxyType_ == kProxyTypeNone ? kProxyErrorNone : kProxyErrorUnresolved;
        platform::SetLastSocketError(platform::kSocketErrorInvalidArgument);
        return 0;
    }
    ZepSocketAddress address;
    if (ZepResolveAddress(host, port, &address)) {
        if (!Connect(address)) {
            return 0;
        }
    } else if (proxyType_ == kProxyTypeNone) {
        return 0;
    } else if (proxyType_ == kProxyTypeSocks4) {
        lastError_ = kProxyErrorUnresolved;
        platform::SetLastSocketError(platform::kSocketErrorInvalidArgument);
        return 0;
    } else {
        // The proxy resolves the name.
        if (!ConnectToProxy()) {
            return 0;
        }
        address.address = 0;
    }
    if (proxyType_ != kProxyTypeNone) {
        targetPort_ = port;
        targetAddress_ = address.address;
        targetHost_ = host;
        mode_ = kModeConnect;
    }
    return 1;
}

int CProxySocket::Connect(const ZepSocketAddress& address) {
    lastError_ = kProxyErrorNone;
    const uint16_t port = ZepPortFromNetworkOrder(address.port);
    if (proxyType_ == kProxyTypeNone) {
        return AsyncSocket::Connect(address.address, port) ? 1 : 0;
    }
    if (!ConnectToProxy()) {
        return 0;
    }
    targetPort_ = port;
    targetAddress_ = address.address;
    targetHost_.clear();
    mode_ = kModeConnect;
    return 1;
}

int CProxySocket::ListenThroughProxy(uint32_t address) {
    lastError_ = kProxyErrorNone;
    if (proxyType_ != kProxyTypeSocks4 && proxyType_ != kProxyTypeSocks4a &&
        proxyType_ != kProxyTypeSocks5) {
        platform::SetLastSocketError(platform::kSocketErrorInvalidArgument);
        return 0;
    }
    if (!ConnectToProxy()) {
        return 0;
    }
    targetPort_ = 0;
    targetAddress_ = address;
    targetHost_.clear();
    mode_ = kModeListen;
    return 1;
}

int CProxySocket::Listen() {
    return AsyncSocket::Listen(5) ? 1 : 0;
}

int CProxySocket::Accept(platform::AsyncSocket& connection) {
    if (proxyType_ == kProxyTypeNone) {
        return AsyncSocket::Accept(connection) ? 1 : 0;
    }
    if (mode_ != kModeNone || Handle() == platform::kNoSocket) {
        platform::SetLastSocketError(platform::kSocketErrorWouldBlock);
        return 0;
    }
    const platform::SocketHandle socket = Detach();
    if (!connection.Attach(socket)) {
        const int error = platform::LastSocketError();
        platform::CloseSocket(socket);
        platform::SetLastSocketError(error);
        return 0;
    }
    return 1;
}

int CProxySocket::Send(const void* data, size_t n) {
    if (mode_ != kModeNone) {
        platform::SetLastSocketError(platform::kSocketErrorWouldBlock);
        return -1;
    }
    return AsyncSocket::Send(data, n);
}

int CProxySocket::Receive(void* out, size_t n) {
    if (mode_ != kModeNone) {
        platform::SetLastSocketError(platform::kSocketErrorWouldBlock);
        return -1;
    }
    return AsyncSocket::Receive(out, n);
}

void CProxySocket::Close() {
    ClearHandshake();
    step_ = 0;
    mode_ = kModeNone;
    AsyncSocket::Close();
}

int CProxySocket::ConnectToProxy() {
    ZepSocketAddress proxy;
    if (!IsKnownProxyType(proxyType_) || proxyHost_.empty() || proxyPort_ <= 0 ||
        proxyPort_ > 0xFFFF ||
        !ZepResolveAddress(proxyHost_.c_str(), static_cast<uint16_t>(proxyPort_), &proxy) ||
        !AsyncSocket::Connect(proxy.address, static_cast<uint16_t>(proxyPort_))) {
        lastError_ = kProxyErrorUnreachable;
        return 0;
    }
    return 1;
}

void CProxySocket::ClearHandshake() {
    buffer_.clear();
    expected_ = 0;
    received_ = 0;
    httpReply_.clear();
}

void CProxySocket::Fail(int error) {
    const int mode = mode_;
    lastError_ = error;
    CProxySocket::Close();
    OnProxyError(mode);
}

// --- requests ---

bool CProxySocket::FieldsFitLengthBytes() const {
    if (proxyType_ != kProxyTypeSocks5) {
        return true;
    }
    if (targetAddress_ == 0 && targetHost_.size() > kSocks5FieldLimit) {
        return false;
    }
    return !hasCredentials_ ||
           (user_.size() <= kSocks5FieldLimit && password_.size() <= kSocks5FieldLimit);
}

std::string CProxySocket::TargetHostText() const {
    if (!targetHost_.empty()) {
        return targetHost_;
    }
    uint8_t bytes[4];
    std::memcpy(bytes, &targetAddress_, sizeof(bytes));
    char text[16];
    std::snprintf(text, sizeof(text), "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
    return text;
}

std::vector<uint8_t> CProxySocket::BuildFirstRequest() const {
    switch (proxyType_) {
        case kProxyTypeSocks4:
        case kProxyTypeSocks4a:
            return BuildSocks4Request();
        case kProxyTypeSocks5:
            if (hasCredentials_) {
                return {kSocks5Version, 2, kSocks5UserPassword, kSocks5NoAuth};
            }
            return {kSocks5Version, 1, kSocks5NoAuth};
        case kProxyTypeHttp: {
            const std::string text = BuildHttpRequest();
            return {text.begin(), text.end()};
        }
        default:
            return {};
    }
}

std::vector<uint8_t> CProxySocket::BuildSocks4Request() const {
    std::vector<uint8_t> out;
    out.push_back(kSocks4Version);
    out.push_back(mode_ == kModeListen ? kCommandBind : kCommandConnect);
    AppendPort(out, targetPort_);
    // SOCKS4a: address 0.0.0.1 and the name after the (empty) user id.
    const bool byName = targetAddress_ == 0 && !targetHost_.empty();
    if (byName) {
        out.insert(out.end(), {0, 0, 0, 1});
    } else {
        AppendAddress(out, targetAddress_);
    }
    out.push_back(0);
    if (byName) {
        AppendText(out, targetHost_);
        out.push_back(0);
    }
    return out;
}

std::vector<uint8_t> CProxySocket::BuildSocks5Request() const {
    std::vector<uint8_t> out = {kSocks5Version,
                                mode_ == kModeListen ? kCommandBind : kCommandConnect, 0};
    if (targetAddress_ != 0 || targetHost_.empty()) {
        out.push_back(kSocks5AddressIPv4);
        AppendAddress(out, targetAddress_);
    } else {
        out.push_back(kSocks5AddressName);
        out.push_back(static_cast<uint8_t>(targetHost_.size()));
        AppendText(out, targetHost_);
    }
    AppendPort(out, targetPort_);
    return out;
}

std::vector<uint8_t> CProxySocket::BuildSocks5Credentials() const {
    std::vector<uint8_t> out = {kSocks5CredentialsVersion, static_cast<uint8_t>(user_.size())};
    AppendText(out, user_);
    out.push_back(static_cast<uint8_t>(password_.size()));
    AppendText(out, password_);
    return out;
}

std::string CProxySocket::BuildHttpRequest() const {
    const std::string target = TargetHostText() + ":" + std::to_string(targetPort_);
    std::string text = "CONNECT " + target + " HTTP/1.1\r\nHost: " + target + "\r\n";
    if (hasCredentials_) {
        const std::string token = CBase64Coder::EncodeToString(user_ + ":" + password_);
        text += "Authorization: Basic " + token + "\r\n";
        text += "Proxy-Authorization: Basic " + token + "\r\n";
    }
    text += "\r\n";
    return text;
}

CProxySocket::SendResult CProxySocket::SendHandshake(const void* data, size_t n) {
    const int sent = AsyncSocket::Send(data, n);
    if (sent >= 0 && static_cast<size_t>(sent) == n) {
        return SendResult::Sent;
    }
    if (sent < 0 && platform::LastSocketError() == platform::kSocketErrorWouldBlock) {
        return SendResult::WouldBlock;
    }
    return SendResult::Failed;
}

bool CProxySocket::SendWhole(const std::vector<uint8_t>& message) {
    if (SendHandshake(message.data(), message.size()) != SendResult::Sent) {
        Fail(kProxyErrorRefused);
        return false;
    }
    return true;
}

// --- notices ---

void CProxySocket::OnConnect(int error) {
    lastError_ = kProxyErrorNone;
    if (error != 0) {
        // The proxy could not be reached: the handshake is over before it began.
        if (mode_ != kModeNone) {
            Fail(kProxyErrorUnreachable);
        }
        return;
    }
    if ((mode_ != kModeConnect && mode_ != kModeListen) || step_ != 0) {
        return;
    }
    ClearHandshake();
    if (!FieldsFitLengthBytes()) {
        Fail(kProxyErrorRefused);
        return;
    }
    const std::vector<uint8_t> request = BuildFirstRequest();
    switch (SendHandshake(request.data(), request.size())) {
        case SendResult::Sent:
            ++step_;
            break;
        case SendResult::WouldBlock:
            break;  // nothing went out; the caller's deadline ends it
        case SendResult::Failed:
            Fail(kProxyErrorRefused);
            break;
    }
}

void CProxySocket::OnClose(int) {
    // The proxy ended the connection before its reply was complete.
    if (mode_ != kModeNone) {
        Fail(kProxyErrorRefused);
    }
}

void CProxySocket::OnReceive(int error) {
    if (mode_ == kModeNone) {
        return;
    }
    if (error != 0 || step_ == 0) {
        Fail(kProxyErrorRefused);
        return;
    }
    switch (proxyType_) {
        case kProxyTypeSocks4:
        case kProxyTypeSocks4a:
            ReceiveSocks4();
            break;
        case kProxyTypeSocks5:
            ReceiveSocks5();
            break;
        case kProxyTypeHttp:
            ReceiveHttp();
            break;
        default:
            Fail(kProxyErrorRefused);
            break;
    }
}

CProxySocket::ReadResult CProxySocket::ReadHandshake(size_t expected) {
    expected_ = expected;
    if (buffer_.size() < expected) {
        buffer_.resize(expected);
    }
    while (received_ < expected_) {
        const int n = AsyncSocket::Receive(buffer_.data() + received_, expected_ - received_);
        if (n > 0) {
            received_ += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && platform::LastSocketError() == platform::kSocketErrorWouldBlock) {
            return ReadResult::Pending;
        }
        return ReadResult::Failed;  // an error, or the end of the stream
    }
    return ReadResult::Complete;
}

void CProxySocket::ReceiveSocks4() {
    const ReadResult read = ReadHandshake(kSocks4ReplySize);
    if (read == ReadResult::Pending) {
        return;
    }
    if (read == ReadResult::Failed || buffer_[0] != 0 || buffer_[1] != kSocks4Granted) {
        Fail(kProxyErrorRefused);
        return;
    }
    if (step_ == 1 && mode_ == kModeConnect) {
        FinishConnect();
    } else if (step_ == 1) {
        uint32_t address = AddressAt(buffer_, 4);
        if (address == 0) {
            GetPeerName(&address, nullptr);  // the proxy bound on its own address
        }
        ReportBound(address, PortAt(buffer_, 2));
    } else {
        FinishAccept();
    }
}

void CProxySocket::ReceiveSocks5() {
    if (step_ >= 3) {
        ReceiveSocks5Reply();
        return;
    }
    const ReadResult read = ReadHandshake(2);
    if (read == ReadResult::Pending) {
        return;
    }
    if (step_ == 1) {
        if (read == ReadResult::Failed) {
            Fail(kProxyErrorRefused);
            return;
        }
        if (buffer_[0] != kSocks5Version || buffer_[1] == kSocks5NoAcceptableMethod) {
            Fail(kProxyErrorNoMethod);
            return;
        }
        const uint8_t method = buffer_[1];
        ClearHandshake();
        if (method == kSocks5NoAuth) {
            if (SendWhole(BuildSocks5Request())) {
                step_ = 3;
            }
        } else if (method == kSocks5UserPassword && hasCredentials_) {
            if (SendWhole(BuildSocks5Credentials())) {
                step_ = 2;
            }
        } else if (method == kSocks5UserPassword) {
            Fail(kProxyErrorNoCredentials);
        } else {
            Fail(kProxyErrorMethodNotOffered);
        }
        return;
    }
    // Step 2: the answer to the credentials.
    if (read == ReadResult::Failed || buffer_[1] != 0) {
        Fail(kProxyErrorAuthFailed);
        return;
    }
    ClearHandshake();
    if (SendWhole(BuildSocks5Request())) {
        step_ = 3;
    }
}

void CProxySocket::ReceiveSocks5Reply() {
    ReadResult read = ReadHandshake(kSocks5ReplyHead);
    if (read == ReadResult::Pending) {
        return;
    }
    if (read == ReadResult::Failed || buffer_[0] != kSocks5Version || buffer_[1] != 0) {
        Fail(kProxyErrorRefused);
        return;
    }
    // Header (4), the bound address, port (2).
    const uint8_t addressType = buffer_[3];
    size_t size = 0;
    if (addressType == kSocks5AddressIPv4) {
        size = 4 + 4 + 2;
    } else if (addressType == kSocks5AddressName) {
        size = 4 + 1 + buffer_[4] + 2;
    } else if (addressType == kSocks5AddressIPv6) {
        size = 4 + 16 + 2;
    } else {
        Fail(kProxyErrorRefused);
        return;
    }
    read = ReadHandshake(size);
    if (read == ReadResult::Pending) {
        return;
    }
    if (read == ReadResult::Failed) {
        Fail(kProxyErrorRefused);
        return;
    }
    if (step_ == 3 && mode_ == kModeConnect) {
        FinishConnect();
    } else if (step_ == 3) {
        // Only an IPv4 reply carries an address this socket can report.
        const uint32_t address = addressType == kSocks5AddressIPv4 ? AddressAt(buffer_, 4) : 0;
        ReportBound(address, PortAt(buffer_, size - 2));
    } else {
        FinishAccept();
    }
}

void CProxySocket::ReceiveHttp() {
    static constexpr char kPrefix[] = "HTTP/";
    static constexpr size_t kPrefixLength = sizeof(kPrefix) - 1;
    for (;;) {
        char c = 0;
        const int n = AsyncSocket::Receive(&c, 1);
        if (n < 0 && platform::LastSocketError() == platform::kSocketErrorWouldBlock) {
            return;
        }
        if (n <= 0) {
            Fail(kProxyErrorRefused);
            return;
        }
        httpReply_.push_back(c);
        const size_t length = httpReply_.size();
        if (length > kProxyHttpReplyLimit ||
            (length <= kPrefixLength && httpReply_[length - 1] != kPrefix[length - 1])) {
            Fail(kProxyErrorRefused);
            return;
        }
        if (EndsWith(httpReply_, "\r\n") && httpReply_.find("\r\n") == length - 2 &&
            !HttpStatusAccepted()) {
            Fail(kProxyErrorRefused);
            return;
        }
        if (EndsWith(httpReply_, "\r\n\r\n")) {
            FinishConnect();
            return;
        }
    }
}

bool CProxySocket::HttpStatusAccepted() const {
    const size_t lineEnd = httpReply_.find("\r\n");
    const size_t space = httpReply_.find(' ');
    return space != std::string::npos && space + 1 < lineEnd && httpReply_[space + 1] == '2';
}

void CProxySocket::ReportBound(uint32_t address, uint16_t port) {
    ClearHandshake();
    step_ += 1;  // the second reply comes when the peer has connected
    OnProxyConnected(address, port);
}

void CProxySocket::FinishConnect() {
    ClearHandshake();
    step_ = 0;
    mode_ = kModeNone;
    OnSend(0);
}

void CProxySocket::FinishAccept() {
    ClearHandshake();
    step_ = 0;
    mode_ = kModeNone;
    OnAccept(0);
}
