#include "SelkNotifier.h"

namespace talvix {

void SelkNotifier::Set(NotifyObserver observer)
{
    std::lock_guard lock(mutex_);
    observer_ = std::move(observer);
}

bool SelkNotifier::HasObserver() const
{
    std::lock_guard lock(mutex_);
    return static_cast<bool>(observer_);
}

void SelkNotifier::Post(uint32_t wParam, int32_t lParam) const
{
    NotifyObserver target;
    {
        std::lock_guard lock(mutex_);
        target = observer_;
    }
    if (!target)
        return;
    auto call = [cb = target.callback, wParam, lParam] { cb(wParam, lParam); };
    if (target.executor)
        target.executor(std::move(call));
    else
        call();
}

std::function<void(std::function<void()>)> NotifyQueue::Executor()
{
    return [this](std::function<void()> task) {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    };
}

int NotifyQueue::RunPending()
{
    std::deque<std::function<void()>> tasks;
    {
        std::lock_guard lock(mutex_);
        tasks.swap(tasks_);
    }
    for (auto& task : tasks)
        task();
    return static_cast<int>(tasks.size());
}

size_t NotifyQueue::Size() const
{
    std::lock_guard lock(mutex_);
    return tasks_.size();
}

}  // namespace talvix
