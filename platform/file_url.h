#pragma once
// The file:/// URL of a file in a folder, in the form the desktop's browser accepts.
#include <string>
#include <string_view>

namespace kelvo {

// "file:///" + the folder + "/" + the name. The folder is given as the system reports it:
// a POSIX path keeps its own leading '/' as the third slash ("/home/k" gives
// "file:///home/k/help.htm", never "file:////home/..."); a path with a drive letter follows
// "file:///" as it is ("C:\Morse" gives "file:///C:\Morse/help.htm"). A trailing separator
// is dropped except at the root of a drive. '%', '#' and '?' are percent-encoded, since a
// browser would otherwise read them as an escape, a fragment or a query and open another file.
std::string FileUrl(std::string_view folder, std::string_view name);

}  // namespace kelvo
