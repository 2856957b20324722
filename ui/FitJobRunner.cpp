#include "ui/FitJobRunner.h"

namespace zamo {

FitJobRunner::~FitJobRunner() {
  // The job's destructor stops the work and joins its thread.
  job_.reset();
}

void FitJobRunner::Stop() {
  if (job_) job_->Stop();
}

void FitJobRunner::StopAndWait() {
  if (!job_) return;
  job_->Stop();
  job_->Wait();
}

void FitJobRunner::Post(std::function<void()> show) {
  QMetaObject::invokeMethod(
      this,
      [this, show = std::move(show)] {
        if (Running()) show();
      },
      Qt::QueuedConnection);
}

void FitJobRunner::PostEnd(const Job* job) {
  QMetaObject::invokeMethod(
      this, [this, job] { End(job); }, Qt::QueuedConnection);
}

// The end of a job that is no longer the runner's (told already) is not told again.
void FitJobRunner::End(const Job* job) {
  if (job_.get() != job) return;
  job_->Wait();
  // Running() is false while the end is told, so that `ended` may start the next job.
  const std::unique_ptr<Job> ended = std::move(job_);
  ended->Tell();
}

}  // namespace zamo
