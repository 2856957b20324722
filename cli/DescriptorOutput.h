#pragma once

#include <array>
#include <streambuf>

namespace zamo::cli {

// The tool's standard output: a stream buffer that writes to a file descriptor and keeps
// the system's reason (errno) of the first write that failed, so that the message can name
// it (a full disk, an I/O error) however long ago the write was.
class DescriptorOutput : public std::streambuf {
 public:
  explicit DescriptorOutput(int fd) : fd_(fd) { setp(buffer_.data(), buffer_.data() + buffer_.size()); }
  ~DescriptorOutput() override { sync(); }
  DescriptorOutput(const DescriptorOutput&) = delete;
  DescriptorOutput& operator=(const DescriptorOutput&) = delete;

  // errno of the first failed write; 0 while every write succeeded.
  int Error() const { return error_; }

 protected:
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  bool Drain();

  int fd_;
  int error_ = 0;
  std::array<char, 8192> buffer_{};
};

}  // namespace zamo::cli
