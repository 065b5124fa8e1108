#pragma once
// The bounds of the server's work: a fixed number of workers with a bounded queue of waiting
// connections, and a time limit per request.

#include <httplib.h>

#include <QString>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace ravlek::server {

// Connections are served by `workers` threads; at most `queued` wait for one. A connection beyond
// that is handed to a small thread of its own that only answers that the server is busy
// (ServingOverflow() is true there), so that no client waits without a word.
class BoundedTaskQueue : public httplib::TaskQueue {
 public:
  BoundedTaskQueue(size_t workers, size_t queued);
  ~BoundedTaskQueue() override;
  void enqueue(std::function<void()> fn) override;
  void shutdown() override;

  static bool ServingOverflow();

 private:
  void Work(bool overflow);

  size_t queued_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::function<void()>> jobs_;
  std::deque<std::function<void()>> overflow_;
  std::vector<std::thread> threads_;
  bool stop_ = false;
};

// The end of a request's time.
struct TimeLimitExceeded {};

class Deadline {
 public:
  explicit Deadline(std::chrono::milliseconds limit)
      : end_(std::chrono::steady_clock::now() + limit) {}
  bool Passed() const { return std::chrono::steady_clock::now() >= end_; }
  std::chrono::steady_clock::time_point End() const { return end_; }
  // Raises TimeLimitExceeded when the time is up.
  void Check() const {
    if (Passed()) throw TimeLimitExceeded{};
  }

 private:
  std::chrono::steady_clock::time_point end_;
};

// A fixed number of places for the conversions that hold a dictionary index each: at most that
// many run at once, and the memory of the indexes stays bounded whatever the number of clients.
template <typename Place>
class PlacePool {
 public:
  explicit PlacePool(size_t count) : places_(count) {
    for (Place& place : places_) free_.push_back(&place);
  }
  // A free place, or nullptr when none became free before the deadline.
  Place* Take(const Deadline& deadline) {
    std::unique_lock lock(mutex_);
    if (!ready_.wait_until(lock, deadline.End(), [this] { return !free_.empty(); })) return nullptr;
    Place* place = free_.back();
    free_.pop_back();
    return place;
  }
  void Give(Place* place) {
    {
      std::lock_guard lock(mutex_);
      free_.push_back(place);
    }
    ready_.notify_one();
  }

 private:
  std::vector<Place> places_;
  std::vector<Place*> free_;
  std::mutex mutex_;
  std::condition_variable ready_;
};

}  // namespace ravlek::server
