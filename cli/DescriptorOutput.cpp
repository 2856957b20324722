#include "cli/DescriptorOutput.h"

#include <unistd.h>

#include <cerrno>

namespace zamo::cli {

bool DescriptorOutput::Drain() {
  const char* next = pbase();
  while (next < pptr()) {
    const ssize_t n = write(fd_, next, static_cast<std::size_t>(pptr() - next));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      if (error_ == 0) error_ = errno;
      break;
    }
    next += n;
  }
  // What could not be written is dropped: the stream has failed and says so.
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  return error_ == 0;
}

DescriptorOutput::int_type DescriptorOutput::overflow(int_type c) {
  if (!Drain()) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

int DescriptorOutput::sync() { return Drain() ? 0 : -1; }

}  // namespace zamo::cli
