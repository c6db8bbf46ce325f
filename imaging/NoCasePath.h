#pragma once
#include <string>

#include "platform/AsciiText.h"

namespace imaging {

using platform::EqualsNoCase;

// Finds an existing file whose name another program may have written in
// another letter case: `path` itself when it exists, else the entry of its
// folder whose name equals the last part of `path` without regard to ASCII
// letter case (the first such entry in byte order when there are several).
// Returns `path` unchanged when nothing matches, so that opening it fails as
// it would have.
std::string FindExistingPath(const std::string& path);

}  // namespace imaging
