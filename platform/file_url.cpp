#include "platform/file_url.h"

namespace kelvo {

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool IsDriveRoot(std::string_view path) {
    return path.size() == 3 && path[1] == ':' && IsSeparator(path[2]) &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

void AppendEncoded(std::string& url, std::string_view text) {
    for (const char c : text) {
        switch (c) {
            case '%': url += "%25"; break;
            case '#': url += "%23"; break;
            case '?': url += "%3F"; break;
            default: url += c;
        }
    }
}

}  // namespace

std::string FileUrl(std::string_view folder, std::string_view name) {
    // A POSIX path brings its own leading slash: "file://" + "/home/k".
    const bool posix = !folder.empty() && folder.front() == '/';
    if (!IsDriveRoot(folder))
        while (!folder.empty() && IsSeparator(folder.back())) folder.remove_suffix(1);
    std::string url = posix ? "file://" : "file:///";
    AppendEncoded(url, folder);
    url += '/';
    AppendEncoded(url, name);
    return url;
}

}  // namespace kelvo
