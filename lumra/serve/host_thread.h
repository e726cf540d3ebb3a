// The host's main thread for a server: every call into the host and the plug-in
// (but shading) runs here, one after the other, as the host application's main
// thread would make them. Other threads post work and wait for its result.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

class HostThread {
public:
    HostThread();
    ~HostThread();  // runs what was posted, then ends the thread
    HostThread(const HostThread&) = delete;
    HostThread& operator=(const HostThread&) = delete;

    // Runs f on the host thread and returns its result; an exception f throws is
    // thrown here. Called on the host thread itself, runs f at once.
    template <typename F>
    auto Call(F f) -> decltype(f()) {
        if (OnHostThread()) return f();
        using R = decltype(f());
        auto task = std::make_shared<std::packaged_task<R()>>(std::move(f));
        std::future<R> result = task->get_future();
        Post([task] { (*task)(); });
        return result.get();
    }
    bool OnHostThread() const { return std::this_thread::get_id() == thread_.get_id(); }

private:
    void Post(std::function<void()> work);
    void Run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> queue_;
    bool stopping_ = false;
    std::thread thread_;
};
