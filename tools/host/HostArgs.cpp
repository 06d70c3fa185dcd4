#include "tools/host/HostArgs.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace host {

const char kHostUsage[] =
    "usage: winamp_host --plugin <dll> --playlist <file> [--skin classic|modern] [--older-host]\n"
    "                   [--pos N] [--play] [--position-ms N] [--screenshot out.bmp] [--after-ms N]\n"
    "                   [--exit-after-ms N]\n";

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
