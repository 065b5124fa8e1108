#include "request_limits.h"

namespace ravlek::server {

namespace {
thread_local bool servingOverflow = false;
// Enough to answer a burst of refused connections while each waits for its request to arrive.
constexpr int kOverflowThreads = 2;
}  // namespace

BoundedTaskQueue::BoundedTaskQueue(size_t workers, size_t queued) : queued_(queued) {
  for (size_t i = 0; i < workers; ++i) threads_.emplace_back([this] { Work(false); });
  for (int i = 0; i < kOverflowThreads; ++i) threads_.emplace_back([this] { Work(true); });
}

BoundedTaskQueue::~BoundedTaskQueue() {
  shutdown();
}

void BoundedTaskQueue::enqueue(std::function<void()> fn) {
  {
    std::lock_guard lock(mutex_);
    (jobs_.size() < queued_ ? jobs_ : overflow_).push_back(std::move(fn));
  }
  ready_.notify_all();
}

void BoundedTaskQueue::shutdown() {
  {
    std::lock_guard lock(mutex_);
    if (stop_) return;
    stop_ = true;
  }
  ready_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

bool BoundedTaskQueue::ServingOverflow() {
  return servingOverflow;
}

void BoundedTaskQueue::Work(bool overflow) {
  servingOverflow = overflow;
  auto& jobs = overflow ? overflow_ : jobs_;
  for (;;) {
    std::function<void()> fn;
    {
      std::unique_lock lock(mutex_);
      ready_.wait(lock, [&] { return stop_ || !jobs.empty(); });
      // Waiting connections are still served at shutdown: each holds a socket to close.
      if (jobs.empty()) return;
      fn = std::move(jobs.front());
      jobs.pop_front();
    }
    fn();
  }
}

}  // namespace ravlek::server
