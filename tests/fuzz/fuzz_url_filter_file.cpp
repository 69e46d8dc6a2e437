// The browsers' allowed-domain file as the client reads it: any bytes give
// one domain for each whole 64-byte record (the torn tail ignored), each
// domain at most 64 bytes, without a NUL and without capitals; and a host
// the filter judges against that list is allowed only when the list holds
// it, its parent or its last two labels.
//
// Input: the file's bytes.

#include <algorithm>
#include <string>
#include <vector>

#include "frame/web/UrlFilter.h"
#include "tests/fuzz/FuzzScratchFile.h"
#include "tests/fuzz/FuzzTarget.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzScratchFile::Make("domain.dat");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const FuzzScratchFile& file = FuzzScratchFile::Make("domain.dat");
    file.Write(data, size);
    std::vector<std::string> list;
    const int count = ReadUrlFilterFile(file.Path(), list);
    if (count < 0 || static_cast<size_t>(count) != size / kUrlFilterRecordSize ||
        list.size() != static_cast<size_t>(count)) {
        FuzzFail("a record count that is not the file's whole records");
    }
    for (const std::string& domain : list) {
        if (domain.size() > kUrlFilterRecordSize || domain.find('\0') != std::string::npos ||
            std::any_of(domain.begin(), domain.end(),
                        [](char c) { return c >= 'A' && c <= 'Z'; })) {
            FuzzFail("a domain that is not a lower-cased text of its record");
        }
        FuzzNote("domain length", domain.size());
        if (!domain.empty() && !IsHostListed(domain, list)) {
            FuzzFail("a listed domain is not allowed");
        }
        // A domain the tool can write reads back as written.
        if (!domain.empty() && domain.size() <= kUrlFilterDomainMax) {
            const auto record = EncipherUrlFilterRecord(domain);
            if (!record || DecipherUrlFilterRecord(*record) != domain) {
                FuzzFail("a domain does not survive its record");
            }
        }
    }
    FuzzNote("records", static_cast<uint64_t>(std::min(count, 8)));
    return 0;
}
