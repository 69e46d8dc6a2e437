#pragma once
// A small HTTP server on a loopback port for the web tests: it serves the
// pages it was given by path (the query is ignored, 404 for the rest), one
// request per connection, and records every request line.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace window_test {

class PageServer {
public:
    explicit PageServer(std::map<std::string, std::string> pages) : pages_(std::move(pages)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        if (listener_ < 0 ||
            ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
            ::listen(listener_, 16) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            return;
        }
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~PageServer() {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
        if (listener_ >= 0) {
            ::close(listener_);
        }
    }
    PageServer(const PageServer&) = delete;
    PageServer& operator=(const PageServer&) = delete;

    uint16_t Port() const { return port_; }
    std::string Url(const std::string& path, const std::string& host = "127.0.0.1") const {
        return "http://" + host + ":" + std::to_string(port_) + path;
    }
    std::vector<std::string> RequestLines() const {
        std::lock_guard<std::mutex> guard(lock_);
        return requests_;
    }
    bool Saw(const std::string& line) const {
        for (const std::string& request : RequestLines()) {
            if (request == line) {
                return true;
            }
        }
        return false;
    }

private:
    void Serve() {
        while (!stop_) {
            pollfd entry{listener_, POLLIN, 0};
            if (::poll(&entry, 1, 50) != 1) {
                continue;
            }
            const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0) {
                Answer(client);
                ::close(client);
            }
        }
    }
    void Answer(int client) {
        std::string request;
        char buffer[2048];
        while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
            pollfd entry{client, POLLIN, 0};
            if (::poll(&entry, 1, 2000) != 1) {
                return;
            }
            const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
            if (got <= 0) {
                return;
            }
            request.append(buffer, static_cast<size_t>(got));
        }
        const std::string line = request.substr(0, request.find("\r\n"));
        {
            std::lock_guard<std::mutex> guard(lock_);
            requests_.push_back(line);
        }
        const size_t start = line.find(' ') + 1;
        const std::string target = line.substr(start, line.find(' ', start) - start);
        const auto page = pages_.find(target.substr(0, target.find('?')));
        const std::string body = page != pages_.end() ? page->second : "<html>missing</html>";
        const std::string reply =
            std::string("HTTP/1.1 ") + (page != pages_.end() ? "200 OK" : "404 Not Found") +
            "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
            std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
        ::send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
    }

    const std::map<std::string, std::string> pages_;
    int listener_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    mutable std::mutex lock_;
    std::vector<std::string> requests_;
};

}  // namespace window_test
