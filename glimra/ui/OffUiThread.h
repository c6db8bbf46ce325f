#pragma once
#include <functional>

namespace glimra {

// Runs `work` on a worker thread while the calling (UI) thread keeps
// processing events in a local event loop, and returns when the work is
// done. The caller disables what must not be used meanwhile.
void RunOffUiThread(const std::function<void()>& work);

}  // namespace glimra
