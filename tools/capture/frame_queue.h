#pragma once
// A first-in first-out queue of at most `capacity` items between one
// producing and one consuming thread: the producer waits while it is full,
// the consumer while it is empty, and either side can close it.
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

template <typename Item>
class BoundedQueue {
public:
    explicit BoundedQueue(std::size_t capacity) : capacity_(capacity < 1 ? 1 : capacity) {}

    // False, with the item dropped, once the queue is closed.
    bool push(Item item) {
        std::unique_lock lock(mutex_);
        notFull_.wait(lock, [&] { return closed_ || items_.size() < capacity_; });
        if (closed_) return false;
        items_.push_back(std::move(item));
        notEmpty_.notify_one();
        return true;
    }

    // The oldest item; nothing once the queue is closed and drained.
    std::optional<Item> pop() {
        std::unique_lock lock(mutex_);
        notEmpty_.wait(lock, [&] { return closed_ || !items_.empty(); });
        if (items_.empty()) return std::nullopt;
        Item item = std::move(items_.front());
        items_.pop_front();
        notFull_.notify_one();
        return item;
    }

    // No more pushes; pop() still hands out what is queued.
    void close() {
        std::lock_guard lock(mutex_);
        closed_ = true;
        notFull_.notify_all();
        notEmpty_.notify_all();
    }

    // No more pushes and what is queued is dropped.
    void closeAndDrop() {
        std::lock_guard lock(mutex_);
        closed_ = true;
        items_.clear();
        notFull_.notify_all();
        notEmpty_.notify_all();
    }

private:
    std::size_t capacity_;
    std::mutex mutex_;
    std::condition_variable notFull_;
    std::condition_variable notEmpty_;
    std::deque<Item> items_;
    bool closed_ = false;
};
