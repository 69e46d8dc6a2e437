#include "frame/web/UrlQuery.h"

std::string AppendQuery(std::string_view base, std::string_view query) {
    std::string url(base);
    if (query.empty()) {
        return url;
    }
    url += base.find('?') != std::string_view::npos ? '&' : '?';
    url += query;
    return url;
}
