#include "util/thread_pool.hpp"

#include <algorithm>

namespace calvane {

unsigned ThreadPool::default_worker_count() {
  unsigned hardware = std::thread::hardware_concurrency();
  return hardware > 1 ? hardware - 1 : 0;
}

// The workers start at the first loop long enough to be split: a run that
// computes one small phase never pays for creating threads.
ThreadPool::ThreadPool(unsigned threads) : wanted_workers_(threads) {}

void ThreadPool::start_workers() {
  workers_.reserve(wanted_workers_);
  for (unsigned i = 0; i < wanted_workers_; ++i) workers_.emplace_back([this] { work(); });
}

ThreadPool::~ThreadPool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (auto& worker : workers_) worker.join();
}

ThreadPool& ThreadPool::shared() {
  static ThreadPool pool;
  return pool;
}

bool ThreadPool::take_chunk(std::size_t& begin, std::size_t& end) {
  if (body_ == nullptr || next_ >= count_) return false;
  begin = next_;
  end = std::min(count_, next_ + chunk_);
  next_ = end;
  return true;
}

void ThreadPool::work() {
  std::size_t seen_generation = 0;
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [&] { return stopping_ || (generation_ != seen_generation && next_ < count_); });
    if (stopping_) return;
    seen_generation = generation_;
    std::size_t begin = 0, end = 0;
    while (take_chunk(begin, end)) {
      ++busy_;
      const auto* body = body_;
      lock.unlock();
      (*body)(begin, end);
      lock.lock();
      --busy_;
    }
    done_.notify_all();
  }
}

void ThreadPool::parallel_for(std::size_t count, std::size_t min_chunk,
                              const std::function<void(std::size_t, std::size_t)>& body) {
  if (count == 0) return;
  min_chunk = std::max<std::size_t>(1, min_chunk);
  const std::size_t threads = std::size_t{wanted_workers_} + 1;
  if (wanted_workers_ == 0 || count <= min_chunk) {
    body(0, count);
    return;
  }
  std::lock_guard run_lock(run_mutex_);
  if (workers_.empty()) start_workers();
  std::unique_lock lock(mutex_);
  // About four chunks per thread balances uneven chunks without much locking.
  chunk_ = std::max(min_chunk, (count + 4 * threads - 1) / (4 * threads));
  body_ = &body;
  next_ = 0;
  count_ = count;
  ++generation_;
  wake_.notify_all();
  std::size_t begin = 0, end = 0;
  while (take_chunk(begin, end)) {
    ++busy_;
    lock.unlock();
    body(begin, end);
    lock.lock();
    --busy_;
  }
  done_.wait(lock, [&] { return busy_ == 0 && next_ >= count_; });
  body_ = nullptr;
  count_ = 0;
}

}  // namespace calvane
