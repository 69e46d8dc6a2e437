// The URLs a page hands the client's browsers: whatever the text, a URL is at
// most one kind of private link, its http form starts with "http", and the
// host the filter judges ends before every '/', '?', '#' and '\' and holds
// no user part or capital; a "javascript:" URL is never judged by host.
//
// Input: the URL's bytes.

#include <string>
#include <string_view>

#include "frame/web/UrlFilter.h"
#include "frame/web/WebUrlCommand.h"
#include "tests/fuzz/FuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string url(reinterpret_cast<const char*>(data), size);
    const CWebUrlCommand command(0, url);
    const int kinds = int(command.IsOldLink()) + int(command.IsNewLink()) +
                      int(command.IsAppLink()) + int(command.IsHttpLink()) +
                      int(command.IsBlankPage());
    if (kinds > 1) {
        FuzzFail("a URL of two kinds");
    }
    const int appCommands = int(command.IsChangeClothing()) + int(command.IsBecomeMember()) +
                            int(command.IsMemberClose());
    if (appCommands > 1 || (appCommands == 1 && !command.IsAppLink())) {
        FuzzFail("a hall command that is not one app link");
    }
    const std::string http = command.ToHttpUrl();
    if (http.compare(0, 4, "http") != 0 || http.size() > url.size() + 4) {
        FuzzFail("an http form that is not the URL's");
    }
    FuzzNote("kind", static_cast<uint64_t>(command.IsOldLink() + 2 * command.IsNewLink() +
                                           4 * command.IsAppLink() + 8 * command.IsHttpLink() +
                                           16 * appCommands));

    const UrlFilterSubject subject = UrlFilterSubjectOf(url);
    if (subject.script && !subject.host.empty()) {
        FuzzFail("a script URL with a host");
    }
    if (subject.host.find_first_of("/?#\\@") != std::string::npos) {
        FuzzFail("a host with a delimiter or a user part");
    }
    for (const char c : subject.host) {
        if (c >= 'A' && c <= 'Z') {
            FuzzFail("a host with a capital");
        }
    }
    if (!subject.host.empty() &&
        (!IsHostListed(subject.host, {subject.host}) || IsHostListed(subject.host, {}))) {
        FuzzFail("a host's own list does not allow it, or an empty one does");
    }
    FuzzNote("host", subject.script ? 1 : subject.host.empty() ? 2 : 3);
    return 0;
}
