#include "event_hub.h"

int EventHub::Subscribe() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_ || static_cast<int>(queues_.size()) >= max_) return -1;
    queues_[next_];
    return next_++;
}

void EventHub::Unsubscribe(int id) {
    std::lock_guard<std::mutex> lock(mutex_);
    queues_.erase(id);
}

void EventHub::Publish(const std::string& name, const std::string& data, bool replaceable) {
    std::string text = "event: " + name + "\n";
    // A line break in the data would end the field: each line is a data field.
    std::size_t at = 0;
    for (;;) {
        const std::size_t end = data.find('\n', at);
        text += "data: " + data.substr(at, end - at) + "\n";
        if (end == std::string::npos) break;
        at = end + 1;
    }
    text += "\n";
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (closed_) return;
        for (auto& [id, queue] : queues_) {
            bool replaced = false;
            if (replaceable)
                for (Pending& p : queue)
                    if (p.replaceable && p.name == name) {
                        p.text = text;
                        replaced = true;
                    }
            if (!replaced) queue.push_back({name, text, replaceable});
        }
    }
    wake_.notify_all();
}

EventHub::Next EventHub::Wait(int id, std::string* event, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    auto ready = [&] {
        const auto q = queues_.find(id);
        return closed_ || q == queues_.end() || !q->second.empty();
    };
    if (!wake_.wait_for(lock, timeout, ready)) return Next::Timeout;
    const auto q = queues_.find(id);
    if (closed_ || q == queues_.end()) return Next::Closed;
    *event = std::move(q->second.front().text);
    q->second.pop_front();
    return Next::Event;
}

void EventHub::Close() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
    }
    wake_.notify_all();
}

int EventHub::Subscribers() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(queues_.size());
}
