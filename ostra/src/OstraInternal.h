// Internal access to the library's one engine, for the tests that link the
// library's objects statically. Nothing here is exported from libostra.so.
#pragma once

#include "ResizeEngine.h"

namespace ostra {

ResizeEngine& TheEngine();

}  // namespace ostra
