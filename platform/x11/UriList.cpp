#include "platform/x11/UriList.h"

#include <climits>
#include <cstdlib>

namespace {
int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The path part of a file URI: file:///p, file://host/p or file:/p.
bool pathOfFileUri(std::string_view uri, std::string_view& path)
{
    constexpr std::string_view scheme = "file:";
    if (uri.size() < scheme.size())
        return false;
    for (size_t i = 0; i < scheme.size(); ++i)
        if (char(uri[i] | 0x20) != scheme[i])
            return false;
    uri.remove_prefix(scheme.size());
    if (uri.starts_with("//")) {
        uri.remove_prefix(2);
        const size_t slash = uri.find('/');
        if (slash == std::string_view::npos)
            return false;
        uri.remove_prefix(slash);  // the host name, if any, is dropped
    }
    if (!uri.starts_with("/"))
        return false;
    path = uri;
    return true;
}
}  // namespace

bool percentDecode(std::string_view encoded, std::string& decoded)
{
    decoded.clear();
    decoded.reserve(encoded.size());
    for (size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] != '%') {
            decoded.push_back(encoded[i]);
            continue;
        }
        if (i + 2 >= encoded.size())
            return false;
        const int high = hexValue(encoded[i + 1]);
        const int low = hexValue(encoded[i + 2]);
        if (high < 0 || low < 0)
            return false;
        const char c = char(high * 16 + low);
        if (c == '\0')
            return false;
        decoded.push_back(c);
        i += 2;
    }
    return true;
}

std::vector<std::string> filePathsFromUriList(std::string_view uriList)
{
    std::vector<std::string> paths;
    while (!uriList.empty()) {
        size_t end = uriList.find('\n');
        std::string_view line = uriList.substr(0, end);
        uriList.remove_prefix(end == std::string_view::npos ? uriList.size() : end + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == '\0'))
            line.remove_suffix(1);
        std::string_view encodedPath;
        if (line.empty() || line.front() == '#' || !pathOfFileUri(line, encodedPath))
            continue;
        std::string path;
        if (!percentDecode(encodedPath, path))
            continue;
        // Links are followed to their target, as a dropped shortcut would be.
        if (char* resolved = realpath(path.c_str(), nullptr)) {
            path = resolved;
            std::free(resolved);
        }
        if (path.size() > kMaxDroppedPathLength)
            continue;
        paths.push_back(std::move(path));
    }
    return paths;
}
