#pragma once
#include <functional>
#include <memory>
#include <thread>

#include "orvane/launch/ChildProcess.h"

namespace orvane {

// The thread that waits for a started program to end.
//
// It starts running at construction, sleeps until the process ends, reaps
// it, and then hands the end to the window thread through `send`, blocking
// until the window thread has handled it (a synchronous send): `send` gets a
// `done` function that the window thread calls when it has finished. The
// thread ends after that. Destroying the object cancels a wait still in
// progress (the program is left running) and joins the thread.
class WaitEnd {
public:
    using Send = std::function<void(std::function<void()> done)>;

    WaitEnd(ChildProcess process, Send send);
    ~WaitEnd();
    WaitEnd(const WaitEnd&) = delete;
    WaitEnd& operator=(const WaitEnd&) = delete;

    // True once the thread has nothing left to do.
    bool Finished() const;

private:
    struct Shared;
    void Run();

    std::shared_ptr<Shared> shared_;
    ChildProcess process_;
    Send send_;
    std::thread thread_;
};

}  // namespace orvane
