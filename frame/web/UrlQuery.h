#pragma once
// Adding a query to a web address.

#include <string>
#include <string_view>

// The base followed by the query: after '&' when the base already holds a
// '?', else after '?'. An empty query leaves the base as it is.
std::string AppendQuery(std::string_view base, std::string_view query);
