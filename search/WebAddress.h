// Addresses as a browser reads them: a link resolved against the page it
// stands on, the part of an address that is sent, and its host. Pure C++
// (no windows.h).
#pragma once

#include <string>

// The absolute address `reference` names when it stands on the page at
// `base` (RFC 3986 section 5.2, as browsers apply it to http and https:
// "/x.zip" goes to the server's root, "../x.zip" one folder up, "//host/x"
// keeps the scheme, "?q" keeps the path). Tabs and line breaks are dropped
// and spaces trimmed at both ends; in http and https addresses a backslash
// counts as a slash. A reference with a scheme of its own stands alone.
std::string ResolveUrl(const std::string& base, const std::string& reference);

// The address without its fragment ("#..."): the fragment names a place in
// the page and is never sent.
std::string WithoutFragment(const std::string& url);

// The host of an absolute address, lower-cased ASCII, without user
// information, port or the brackets of an IPv6 literal; empty when the
// address has none.
std::string HostOfUrl(const std::string& url);
