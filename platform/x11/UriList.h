// Reading a dropped "text/uri-list": the local file paths it names, percent-decoded and
// with symbolic links resolved.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Longest path handed to the views; longer names are left out rather than cut short.
inline constexpr size_t kMaxDroppedPathLength = 1023;

// The file paths of the list's "file:" URIs in order; other URIs and comments are skipped.
std::vector<std::string> filePathsFromUriList(std::string_view uriList);

// "%20" and friends decoded; false for malformed escapes or an encoded NUL.
bool percentDecode(std::string_view encoded, std::string& decoded);
