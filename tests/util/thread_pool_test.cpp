#include "util/thread_pool.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace calvane {
namespace {

TEST(ThreadPool, CoversEveryIndexExactlyOnceAcrossRepeatedLoops) {
  ThreadPool pool(3);
  for (std::size_t count : {1u, 7u, 1000u, 12345u}) {
    std::vector<std::atomic<int>> hits(count);
    pool.parallel_for(count, 16, [&](std::size_t begin, std::size_t end) {
      for (std::size_t i = begin; i < end; ++i) hits[i].fetch_add(1);
    });
    for (std::size_t i = 0; i < count; ++i) ASSERT_EQ(hits[i].load(), 1) << "count " << count << " index " << i;
  }
}

TEST(ThreadPool, WorksWithoutWorkersAndForEmptyRanges) {
  ThreadPool pool(0);
  long sum = 0;
  pool.parallel_for(100, 1, [&](std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) sum += static_cast<long>(i);
  });
  EXPECT_EQ(sum, 4950);
  pool.parallel_for(0, 1, [&](std::size_t, std::size_t) { FAIL() << "called for an empty range"; });
}

}  // namespace
}  // namespace calvane
