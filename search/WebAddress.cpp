#include "search/WebAddress.h"

#include "framework/TextUtil.h"

namespace {

struct UrlParts {
    std::string scheme;
    std::string authority;
    std::string path;
    std::string query;
    std::string fragment;
    bool hasScheme = false;
    bool hasAuthority = false;
    bool hasQuery = false;
    bool hasFragment = false;
};

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsSchemeChar(char c) {
    return IsAsciiLetter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

// The length of the scheme in front of a ':', 0 when there is none.
size_t SchemeLength(const std::string& url) {
    if (url.empty() || !IsAsciiLetter(url[0])) return 0;
    size_t i = 1;
    while (i < url.size() && IsSchemeChar(url[i])) ++i;
    return i < url.size() && url[i] == ':' ? i : 0;
}

UrlParts Split(const std::string& url) {
    UrlParts parts;
    size_t at = 0;
    if (const size_t scheme = SchemeLength(url)) {
        parts.scheme = fw::LowerAscii(url.substr(0, scheme));
        parts.hasScheme = true;
        at = scheme + 1;
    }
    if (url.compare(at, 2, "//") == 0) {
        const size_t end = url.find_first_of("/?#", at + 2);
        parts.authority = url.substr(at + 2, end == std::string::npos ? std::string::npos : end - at - 2);
        parts.hasAuthority = true;
        at = end == std::string::npos ? url.size() : end;
    }
    const size_t pathEnd = url.find_first_of("?#", at);
    parts.path = url.substr(at, pathEnd == std::string::npos ? std::string::npos : pathEnd - at);
    at = pathEnd == std::string::npos ? url.size() : pathEnd;
    if (at < url.size() && url[at] == '?') {
        const size_t queryEnd = url.find('#', at);
        parts.query = url.substr(at + 1, queryEnd == std::string::npos ? std::string::npos : queryEnd - at - 1);
        parts.hasQuery = true;
        at = queryEnd == std::string::npos ? url.size() : queryEnd;
    }
    if (at < url.size()) {
        parts.fragment = url.substr(at + 1);
        parts.hasFragment = true;
    }
    return parts;
}

std::string Join(const UrlParts& parts) {
    std::string url;
    if (parts.hasScheme) url += parts.scheme + ":";
    if (parts.hasAuthority) url += "//" + parts.authority;
    // A path that begins with "//" and has no host before it would be read
    // back as a host: "/." keeps it a path ("http:.///x" gives "http:/.//x").
    else if (parts.path.compare(0, 2, "//") == 0) url += "/.";
    url += parts.path;
    if (parts.hasQuery) url += "?" + parts.query;
    if (parts.hasFragment) url += "#" + parts.fragment;
    return url;
}

bool StartsWith(const std::string& text, size_t at, const char* prefix) {
    return text.compare(at, std::char_traits<char>::length(prefix), prefix) == 0;
}

// Drops the output's last segment and the "/" in front of it.
void DropLastSegment(std::string& out) {
    const size_t slash = out.rfind('/');
    out.erase(slash == std::string::npos ? 0 : slash);
}

// RFC 3986 section 5.2.4.
std::string RemoveDotSegments(const std::string& path) {
    std::string out;
    size_t at = 0;
    const size_t n = path.size();
    while (at < n) {
        if (StartsWith(path, at, "../")) {
            at += 3;
        } else if (StartsWith(path, at, "./")) {
            at += 2;
        } else if (StartsWith(path, at, "/./")) {
            at += 2;  // keeps the "/"
        } else if (n - at == 2 && StartsWith(path, at, "/.")) {
            out += '/';
            at = n;
        } else if (StartsWith(path, at, "/../")) {
            at += 3;
            DropLastSegment(out);
        } else if (n - at == 3 && StartsWith(path, at, "/..")) {
            DropLastSegment(out);
            out += '/';
            at = n;
        } else if ((n - at == 1 && path[at] == '.') || (n - at == 2 && StartsWith(path, at, ".."))) {
            at = n;
        } else {
            const size_t end = path.find('/', at + 1);
            const size_t stop = end == std::string::npos ? n : end;
            out.append(path, at, stop - at);
            at = stop;
        }
    }
    return out;
}

std::string Merge(const UrlParts& base, const std::string& path) {
    if (base.hasAuthority && base.path.empty()) return "/" + path;
    const size_t slash = base.path.rfind('/');
    return slash == std::string::npos ? path : base.path.substr(0, slash + 1) + path;
}

bool IsWebScheme(const std::string& scheme) { return scheme == "http" || scheme == "https"; }

// What browsers drop from an address before reading it.
std::string Tidy(const std::string& url) {
    std::string out;
    out.reserve(url.size());
    for (const char c : url)
        if (c != '\t' && c != '\r' && c != '\n') out += c;
    const size_t first = out.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

std::string Backslashes(std::string url) {
    for (char& c : url)
        if (c == '\\') c = '/';
    return url;
}

}  // namespace

std::string ResolveUrl(const std::string& baseUrl, const std::string& referenceUrl) {
    const UrlParts base = Split(baseUrl);
    std::string text = Tidy(referenceUrl);
    const size_t scheme = SchemeLength(text);
    const std::string ownScheme = scheme ? fw::LowerAscii(text.substr(0, scheme)) : base.scheme;
    if (IsWebScheme(ownScheme)) text = Backslashes(text);
    const UrlParts ref = Split(text);
    UrlParts target;
    if (ref.hasScheme) {
        target = ref;
        target.path = RemoveDotSegments(ref.path);
    } else {
        target.scheme = base.scheme;
        target.hasScheme = base.hasScheme;
        if (ref.hasAuthority) {
            target.authority = ref.authority;
            target.hasAuthority = true;
            target.path = RemoveDotSegments(ref.path);
            target.query = ref.query;
            target.hasQuery = ref.hasQuery;
        } else {
            target.authority = base.authority;
            target.hasAuthority = base.hasAuthority;
            if (ref.path.empty()) {
                target.path = base.path;
                target.query = ref.hasQuery ? ref.query : base.query;
                target.hasQuery = ref.hasQuery || base.hasQuery;
            } else {
                target.path = RemoveDotSegments(ref.path[0] == '/' ? ref.path : Merge(base, ref.path));
                target.query = ref.query;
                target.hasQuery = ref.hasQuery;
            }
        }
        target.fragment = ref.fragment;
        target.hasFragment = ref.hasFragment;
    }
    if (IsWebScheme(target.scheme) && target.hasAuthority && target.path.empty()) target.path = "/";
    return Join(target);
}

std::string WithoutFragment(const std::string& url) {
    const size_t hash = url.find('#');
    return hash == std::string::npos ? url : url.substr(0, hash);
}

std::string HostOfUrl(const std::string& url) {
    const UrlParts parts = Split(url);
    if (!parts.hasAuthority) return std::string();
    std::string host = parts.authority;
    const size_t at = host.rfind('@');
    if (at != std::string::npos) host.erase(0, at + 1);
    if (!host.empty() && host[0] == '[') {
        const size_t close = host.find(']');
        return close == std::string::npos ? std::string() : fw::LowerAscii(host.substr(1, close - 1));
    }
    const size_t colon = host.rfind(':');
    if (colon != std::string::npos) host.erase(colon);
    return fw::LowerAscii(host);
}
