#include "tools/host/HostArgs.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace host {

const char kHostUsage[] =
    "usage: winamp_host --plugin <dll> --playlist <file> [--skin classic|modern] [--older-host]\n"
    "                   [--version 0x50yx|5.yx] [--pos N] [--play] [--position-ms N]\n"
    "                   [--screenshot out.bmp] [--after-ms N] [--exit-after-ms N]\n"
    "The playlist file is UTF-8: one \"file|title|Field=Value|...\" line per entry.\n";

namespace {

bool ParseInt(const std::string& text, int minimum, int* value) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < minimum || parsed > INT_MAX) return false;
    *value = static_cast<int>(parsed);
    return true;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "0x5012" as IPC_GETVERSION answers it (one to four hex digits), or the
// player's own "5.12" (one digit before the point, one or two after: 5.9 is
// 5.90).
bool ParseVersion(const std::string& text, LRESULT* version) {
    const bool hex = text.size() > 2 && text.size() <= 6 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (hex) {
        long parsed = 0;
        for (std::size_t i = 2; i < text.size(); ++i) {
            const int digit = HexValue(text[i]);
            if (digit < 0) return false;
            parsed = parsed * 16 + digit;
        }
        if (parsed == 0) return false;
        *version = static_cast<LRESULT>(parsed);
        return true;
    }
    const bool dotted = (text.size() == 3 || text.size() == 4) && IsDigit(text[0]) && text[0] != '0' &&
                        text[1] == '.' && IsDigit(text[2]) && (text.size() == 3 || IsDigit(text[3]));
    if (!dotted) return false;
    const int minor = text[2] - '0';
    const int patch = text.size() == 4 ? text[3] - '0' : 0;
    *version = static_cast<LRESULT>(((text[0] - '0') << 12) | (minor << 4) | patch);
    return true;
}

bool ParseSkin(const std::string& text, SkinMode* skin) {
    if (text == "classic") *skin = SkinMode::Classic;
    else if (text == "modern") *skin = SkinMode::Modern;
    else return false;
    return true;
}

}  // namespace

bool ParseHostArgs(const std::vector<std::string>& args, HostArgs* out, std::string* error) {
    HostArgs parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--play") { parsed.play = true; continue; }
        if (option == "--older-host") { parsed.olderHost = true; continue; }
        if (i + 1 >= args.size()) {
            *error = option + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        bool ok = true;
        if (option == "--plugin") parsed.plugin = value;
        else if (option == "--playlist") parsed.playlist = value;
        else if (option == "--screenshot") parsed.screenshot = value;
        else if (option == "--skin") ok = ParseSkin(value, &parsed.skin);
        else if (option == "--version") ok = ParseVersion(value, &parsed.version);
        else if (option == "--pos") ok = ParseInt(value, INT_MIN, &parsed.pos);
        else if (option == "--position-ms") ok = ParseInt(value, 0, &parsed.positionMs);
        else if (option == "--after-ms") ok = ParseInt(value, 0, &parsed.afterMs);
        else if (option == "--exit-after-ms") ok = ParseInt(value, 0, &parsed.exitAfterMs);
        else {
            *error = "unknown option " + option;
            return false;
        }
        if (!ok) {
            *error = "bad value for " + option + ": " + value;
            return false;
        }
    }
    if (parsed.plugin.empty() || parsed.playlist.empty()) {
        *error = "--plugin and --playlist are required";
        return false;
    }
    *out = parsed;
    return true;
}

}  // namespace host
