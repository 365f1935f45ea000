// One job at a time on a thread of its own, for work that waits on the disk
// while the user-interface thread goes on with the next: an extraction
// copies a track while the copy before is written to the disk and renamed.
// The next job starts only once the last one's result has been taken, so
// that at most one is ever under way.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace win {

class BackgroundJob {
public:
    // The job: plain calls of the system on its own copies of what it needs,
    // never the windows; its result is the system's error or ERROR_SUCCESS.
    using Job = std::function<DWORD()>;

    BackgroundJob() = default;
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;
    // Waits for the job under way, if any, and ends the thread.
    ~BackgroundJob();

    // Starts `job` on the thread, made when first needed; only while no job
    // is under way or untaken (after Wait).
    void Start(Job job);
    // Whether a job was started and its result not taken yet.
    bool Started() const { return started_; }
    // Waits for the job started last and takes its result; calls
    // `meanwhile`, if given, five times a second until then, so that a
    // window stays alive while a long job ends.
    DWORD Wait(const std::function<void()>& meanwhile = {});

private:
    void Serve();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::optional<Job> job_;       // waiting for the thread
    std::optional<DWORD> result_;  // waiting for Wait
    bool quit_ = false;
    bool started_ = false;  // on the calling thread only
    std::thread thread_;
};

}  // namespace win
