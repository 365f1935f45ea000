#include "win/background_job.h"

#include <chrono>
#include <utility>

namespace win {

BackgroundJob::~BackgroundJob() {
    if (!thread_.joinable()) {
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        quit_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void BackgroundJob::Start(Job job) {
    {
        const std::lock_guard lock(mutex_);
        job_ = std::move(job);
        result_.reset();
    }
    started_ = true;
    if (!thread_.joinable()) {
        thread_ = std::thread(&BackgroundJob::Serve, this);
    }
    changed_.notify_all();
}

DWORD BackgroundJob::Wait(const std::function<void()>& meanwhile) {
    std::unique_lock lock(mutex_);
    const auto done = [this] { return result_.has_value(); };
    // Seldom enough that a job of ordinary length (a copy written to the
    // disk) ends before it: letting a window's messages through costs about
    // a millisecond under Wine.
    while (meanwhile && !changed_.wait_for(lock, std::chrono::milliseconds(200), done)) {
        lock.unlock();
        meanwhile();
        lock.lock();
    }
    changed_.wait(lock, done);
    started_ = false;
    return *std::exchange(result_, std::nullopt);
}

void BackgroundJob::Serve() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return quit_ || job_.has_value(); });
        if (!job_) {
            return;  // asked to end, with nothing left to do
        }
        Job job = std::move(*job_);
        job_.reset();
        lock.unlock();
        const DWORD result = job();
        lock.lock();
        result_ = result;
        changed_.notify_all();
    }
}

}  // namespace win
