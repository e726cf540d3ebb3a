// Names for files a browser uploads. A browser sends only the file's own name, and
// a hostile page may send any text as that name: the name is cut to its last part,
// its control characters and separators replaced, and shortened to fit.
#pragma once

#include <cstddef>
#include <string>

// A safe file name for an upload (never empty, ".", ".." or with a separator or a
// control character), at most `maxUnits` UTF-16 units long, the extension kept.
// Text that is not UTF-8 is refused by giving "upload" instead.
std::string SafeUploadName(const std::string& name, std::size_t maxUnits);
