#pragma once
// An HTTP server on a loopback port for tests: each connection gets the next
// scripted reply; the request lines are recorded.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/Sync.h"

// One scripted answer: the bytes sent after the request, then either the
// connection is closed or held open until the server stops.
struct ScriptedReply {
    std::string bytes;
    bool holdOpen = false;
};

// An HTTP server on a loopback port that answers each connection with the
// next scripted reply and records the request lines.
class LoopbackHttpServer {
public:
    explicit LoopbackHttpServer(std::vector<ScriptedReply> replies)
        : replies_(replies.begin(), replies.end()) {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
            ::listen(listener_, 8) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            ADD_FAILURE() << "the test server cannot listen";
            return;
        }
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }

    ~LoopbackHttpServer() {
        stop_.store(true);
        if (thread_.joinable()) {
            thread_.join();
        }
        ::close(listener_);
    }

    uint16_t Port() const { return port_; }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

    std::vector<std::string> RequestLines() {
        std::lock_guard lock(mutex_);
        return requestLines_;
    }

private:
    // Waits for the socket to be readable while the server runs.
    bool WaitReadable(int socket) {
        while (!stop_.load()) {
            pollfd entry{socket, POLLIN, 0};
            if (::poll(&entry, 1, 20) > 0) {
                return true;
            }
        }
        return false;
    }

    void Serve() {
        while (WaitReadable(listener_)) {
            const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection < 0) {
                continue;
            }
            std::string request;
            char buffer[1024];
            while (request.find("\r\n\r\n") == std::string::npos && WaitReadable(connection)) {
                const ssize_t got = ::recv(connection, buffer, sizeof(buffer), 0);
                if (got <= 0) {
                    break;
                }
                request.append(buffer, static_cast<size_t>(got));
            }
            ScriptedReply reply;
            {
                std::lock_guard lock(mutex_);
                requestLines_.push_back(request.substr(0, request.find("\r\n")));
                if (!replies_.empty()) {
                    reply = replies_.front();
                    replies_.pop_front();
                }
            }
            ::send(connection, reply.bytes.data(), reply.bytes.size(), MSG_NOSIGNAL);
            while (reply.holdOpen && !stop_.load()) {
                platform::SleepMs(10);
            }
            ::close(connection);
        }
    }

    int listener_ = -1;
    uint16_t port_ = 0;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::deque<ScriptedReply> replies_;
    std::vector<std::string> requestLines_;
};

inline std::string HttpAnswer(const std::string& statusLine, const std::string& body) {
    return "HTTP/1.1 " + statusLine + "\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}
