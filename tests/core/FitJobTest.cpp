// A fit's thread: the end is told after the result or the error is in place, a stop reaches
// the work, and destroying a running job stops and waits for it.

#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <stdexcept>

#include "optimize/FitJob.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

// The job's end, seen from the thread that tells it: the result must already be there.
TEST(FitJob, EndIsToldAfterTheResultIsInPlace) {
  std::promise<FitJob<int>*> made;
  std::shared_future<FitJob<int>*> job = made.get_future().share();
  std::promise<std::optional<int>> seenAtEnd;
  int ends = 0;
  auto running = std::make_unique<FitJob<int>>(
      [job](const std::atomic<bool>&) {
        (void)job.get();  // the job exists before the work ends
        return 42;
      },
      [&] {
        ++ends;
        seenAtEnd.set_value(job.get()->Result());
      });
  made.set_value(running.get());
  EXPECT_EQ(seenAtEnd.get_future().get(), std::optional<int>(42));
  running->Wait();
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(running->Result(), std::optional<int>(42));
  EXPECT_FALSE(running->Error());
}

TEST(FitJob, ErrorIsKeptAndTheEndStillTold) {
  std::promise<void> ended;
  FitJob<int> job([](const std::atomic<bool>&) -> int { throw std::runtime_error("no fit"); },
                  [&] { ended.set_value(); });
  ended.get_future().get();
  job.Wait();
  EXPECT_FALSE(job.Result().has_value());
  ASSERT_TRUE(job.Error());
  EXPECT_THROW_MSG(std::rethrow_exception(job.Error()), std::runtime_error, "no fit");
}

// The work runs until it is stopped; Stop and the destructor both reach it.
TEST(FitJob, StopReachesTheWork) {
  const auto untilStopped = [](const std::atomic<bool>& stop) {
    int rounds = 0;
    while (!stop.load()) ++rounds;
    return rounds;
  };
  FitJob<int> job(untilStopped, {});
  job.Stop();
  job.Wait();
  EXPECT_TRUE(job.Result().has_value());

  std::promise<void> ended;
  {
    FitJob<int> destroyed(untilStopped, [&] { ended.set_value(); });
  }
  EXPECT_EQ(ended.get_future().wait_for(std::chrono::seconds(0)), std::future_status::ready);
}

}  // namespace
}  // namespace zamo
