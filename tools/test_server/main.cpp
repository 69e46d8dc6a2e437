// A loopback game server for manual runs of the client: it answers every
// request that waits for a reply with result code 10 and the request's data,
// and prints what it receives.
//
// Usage: pvbn_test_server [port]   (default 21265; Ctrl-C ends it)

#include <cstdio>
#include <cstdlib>

#include "platform/Sync.h"
#include "tools/test_server/TestGameServer.h"

int main(int argc, char** argv) {
    testserver::TestGameServer::Options options;
    options.port = static_cast<uint16_t>(argc > 1 ? std::atoi(argv[1]) : 21265);
    testserver::TestGameServer server(options);
    server.SetHandler([](testserver::TestGameServer& self, const testserver::ServerRequest& r) {
        std::printf("request %u: id %u, %u bytes, %s\n", r.messageSequence, r.message.Code(),
                    r.message.length, r.callerWord != 0 ? "waits" : "no reply");
        std::fflush(stdout);
        if (r.callerWord != 0) {
            ZepMessage reply = testserver::MakeMessage(
                10, std::span<const uint8_t>(r.message.data, r.message.length));
            self.Reply(r.messageSequence, reply);
        }
    });
    if (!server.Start()) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1:%u\n", options.port);
        return 1;
    }
    std::printf("listening on 127.0.0.1:%u\n", server.Port());
    std::fflush(stdout);
    for (;;) {
        platform::SleepMs(1000);
    }
}
