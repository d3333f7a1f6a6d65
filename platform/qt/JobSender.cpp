#include "platform/qt/JobSender.h"

#include <utility>

namespace quillet {

JobSender::~JobSender()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void JobSender::Send(Task task)
{
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
        if (!thread_.joinable())
            thread_ = std::thread([this] { Run(); });
    }
    changed_.notify_all();
}

std::string JobSender::Wait()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return tasks_.empty() && !busy_; });
    return std::exchange(failure_, std::string());
}

void JobSender::Run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
        if (tasks_.empty())
            return; // stopping, and nothing is left to send
        Task task = std::move(tasks_.front());
        tasks_.pop_front();
        busy_ = true;
        lock.unlock();
        std::string failure = task();
        lock.lock();
        busy_ = false;
        if (failure_.empty())
            failure_ = std::move(failure);
        changed_.notify_all();
    }
}

} // namespace quillet
