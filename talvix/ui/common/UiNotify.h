#pragma once
#include <cstdint>
#include <functional>

#include "talvix/serial/SelkNotifier.h"

class QObject;

namespace talvix::ui {

// A link-layer observer (WM_SELK_NOTIFY) whose callback runs on the UI
// thread, queued, like a posted window message: from any thread the call is
// handed to the application's event loop. When `receiver` has been destroyed
// by the time the call runs, it is dropped. Create it on the UI thread once
// the QCoreApplication exists.
NotifyObserver MakeUiObserver(QObject* receiver, std::function<void(uint32_t wParam, int32_t lParam)> callback);

}  // namespace talvix::ui
