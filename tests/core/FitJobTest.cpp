// A fit's thread: its end is told once the outcome is in place; Stop and its destructor reach the work.

#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <stdexcept>

#include "optimize/FitJob.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

TEST(FitJob, EndIsToldAfterTheResultIsInPlace) {
  std::promise<FitJob<int>*> made;
  std::shared_future<FitJob<int>*> job = made.get_future().share();
  std::promise<std::optional<int>> seenAtEnd;
  auto running = std::make_unique<FitJob<int>>(
      [job](const std::atomic<bool>&) { return job.get() != nullptr ? 42 : 0; },  // the job exists before the work ends
      [&] { seenAtEnd.set_value(job.get()->Result()); });
  made.set_value(running.get());
  EXPECT_EQ(seenAtEnd.get_future().get(), std::optional<int>(42));
  running->Wait();
  EXPECT_TRUE(running->Result() == std::optional<int>(42) && !running->Error());  // a second end would throw
}

TEST(FitJob, ErrorIsKeptAndTheEndStillTold) {
  bool ended = false;
  FitJob<int> job([](const std::atomic<bool>&) -> int { throw std::runtime_error("no fit"); }, [&] { ended = true; });
  job.Wait();  // the end is told in the job's thread
  EXPECT_TRUE(ended && !job.Result().has_value());
  EXPECT_THROW_MSG(std::rethrow_exception(job.Error()), std::runtime_error, "no fit");
}

TEST(FitJob, StopReachesTheWork) {
  const auto untilStopped = [](const std::atomic<bool>& stop) {
    for (int rounds = 0;; ++rounds) {
      if (stop.load()) return rounds;
    }
  };
  FitJob<int> job(untilStopped, {});
  job.Stop();
  job.Wait();
  EXPECT_TRUE(job.Result().has_value());
  bool ended = false;
  (void)FitJob<int>(untilStopped, [&] { ended = true; });  // destroyed at once
  EXPECT_TRUE(ended);
}

}  // namespace
}  // namespace zamo
