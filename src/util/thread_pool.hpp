// A small pool of worker threads for data-parallel loops (structure factors,
// profile synthesis): `parallel_for` splits an index range into chunks.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace calvane {

class ThreadPool {
public:
  /// `threads` workers besides the calling thread; by default one fewer than
  /// the hardware threads, so that the caller works too.
  explicit ThreadPool(unsigned threads = default_worker_count());
  ~ThreadPool();
  ThreadPool(const ThreadPool&) = delete;
  ThreadPool& operator=(const ThreadPool&) = delete;

  /// Calls body(begin, end) on disjoint chunks covering [0, count), on the
  /// workers and the calling thread, and returns when all are done. Chunks
  /// are at least `min_chunk` long, so small loops stay on one thread.
  void parallel_for(std::size_t count, std::size_t min_chunk,
                    const std::function<void(std::size_t begin, std::size_t end)>& body);

  unsigned worker_count() const { return wanted_workers_; }

  /// The pool shared by the program's computations.
  static ThreadPool& shared();
  static unsigned default_worker_count();

private:
  void start_workers();
  void work();
  bool take_chunk(std::size_t& begin, std::size_t& end);

  const unsigned wanted_workers_;
  std::vector<std::thread> workers_;
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  const std::function<void(std::size_t, std::size_t)>* body_ = nullptr;
  std::size_t next_ = 0, count_ = 0, chunk_ = 1;
  std::size_t busy_ = 0;
  std::size_t generation_ = 0;
  bool stopping_ = false;
  std::mutex run_mutex_;  // one parallel_for at a time
};

}  // namespace calvane
