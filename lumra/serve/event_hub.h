// Server-sent events to every open page: each page has its own queue, and a new
// picture of the preview takes the place of one the page has not received yet.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <string>

class EventHub {
public:
    explicit EventHub(int maxSubscribers) : max_(maxSubscribers) {}

    // A new subscriber's number, or -1 when there are as many as allowed or the hub
    // is closed.
    int Subscribe();
    void Unsubscribe(int id);
    // An event ("event: NAME\ndata: ...\n\n") for every subscriber. A replaceable
    // event replaces the subscriber's pending one of the same name.
    void Publish(const std::string& name, const std::string& data, bool replaceable = false);

    enum class Next { Event, Timeout, Closed };
    // The subscriber's next event, waiting at most `timeout` for one.
    Next Wait(int id, std::string* event, std::chrono::milliseconds timeout);
    // Wakes every waiter; no more events are delivered.
    void Close();
    int Subscribers() const;

private:
    struct Pending {
        std::string name;
        std::string text;
        bool replaceable;
    };
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::map<int, std::deque<Pending>> queues_;
    int next_ = 0;
    int max_;
    bool closed_ = false;
};
