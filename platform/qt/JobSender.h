#pragma once
// Hands finished print jobs to the printing system on a thread of its own,
// one after the other in the order they were given, so that the next page
// can be drawn while one goes to the queue or into its file.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace quillet {

class JobSender {
public:
    // Sends a job; returns why it failed (UTF-8), empty when it went out.
    // It must own all it uses: it runs after the job object is gone.
    using Task = std::function<std::string()>;

    JobSender() = default;
    // Lets the jobs given go out first: a job handed on is never lost.
    ~JobSender();
    JobSender(const JobSender&) = delete;
    JobSender& operator=(const JobSender&) = delete;

    // Queues task behind those given before.
    void Send(Task task);
    // Waits until every task given has run; the first failure since the
    // last Wait, empty when none failed.
    std::string Wait();

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Task> tasks_;
    bool busy_ = false; // a task is running
    bool stopping_ = false;
    std::string failure_;
    std::thread thread_; // started with the first task
};

} // namespace quillet
