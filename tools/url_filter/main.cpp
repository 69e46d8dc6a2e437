// Writes an allowed-domain file for the client's embedded browsers:
//
//   pvbn_url_filter OUTPUT DOMAIN...     the domains, one record each
//   pvbn_url_filter --list FILE          prints a file's domains
//
// A domain of more than 63 bytes, or an empty one, is refused and nothing
// is written.

#include <cstdio>
#include <string>
#include <vector>

#include "frame/web/UrlFilter.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: pvbn_url_filter OUTPUT DOMAIN...\n"
                 "       pvbn_url_filter --list FILE\n");
    return 2;
}

int List(const char* path) {
    std::vector<std::string> domains;
    if (ReadUrlFilterFile(path, domains) == 0) {
        std::fprintf(stderr, "pvbn_url_filter: no whole record in %s\n", path);
        return 1;
    }
    for (const std::string& domain : domains) {
        std::printf("%s\n", domain.c_str());
    }
    return 0;
}

int Write(const char* path, const std::vector<std::string>& domains) {
    std::string bad;
    const auto bytes = BuildUrlFilterFile(domains, &bad);
    if (!bytes) {
        std::fprintf(stderr, "pvbn_url_filter: \"%s\" is not 1 to %zu bytes\n", bad.c_str(),
                     kUrlFilterDomainMax);
        return 1;
    }
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "pvbn_url_filter: cannot write %s\n", path);
        return 1;
    }
    const bool written = std::fwrite(bytes->data(), 1, bytes->size(), file) == bytes->size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        std::fprintf(stderr, "pvbn_url_filter: cannot write %s\n", path);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--list") {
        return List(argv[2]);
    }
    if (argc < 3) {
        return Usage();
    }
    return Write(argv[1], std::vector<std::string>(argv + 2, argv + argc));
}
