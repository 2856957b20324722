#include "document/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

#include "model/PlatformTexts.h"
#include "model/ZamoError.h"

namespace zamo {

namespace {

[[noreturn]] void Refuse(const std::string& path, const std::string& reason) {
  throw FileError(path, texts::CannotOpenFile(path, reason));
}

std::string LimitReason() { return "larger than the limit of " + std::to_string(kMaxInputFileBytes >> 20) + " MiB"; }

// Closes the descriptor on every way out.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

// The file's bytes; at most one byte beyond the limit, so that a file growing while it is
// read is refused as well.
std::string ReadBytes(const std::string& path) {
  // Non-blocking, so that a FIFO is refused below instead of waiting for a writer.
  const Descriptor file(open(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK));
  if (file.Get() < 0) Refuse(path, texts::SystemReason(errno));
  struct stat status {};
  if (fstat(file.Get(), &status) != 0) Refuse(path, texts::SystemReason(errno));
  if (S_ISDIR(status.st_mode)) Refuse(path, texts::SystemReason(EISDIR));
  if (!S_ISREG(status.st_mode)) Refuse(path, "not a regular file");
  if (static_cast<std::uintmax_t>(status.st_size) > kMaxInputFileBytes) Refuse(path, LimitReason());

  std::string bytes(static_cast<std::size_t>(status.st_size) + 1, '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = read(file.Get(), bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) Refuse(path, texts::SystemReason(errno));
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
    if (done > kMaxInputFileBytes) Refuse(path, LimitReason());
    if (done == bytes.size()) bytes.resize(std::min(bytes.size() * 2, kMaxInputFileBytes + 1));
  }
  bytes.resize(done);
  return bytes;
}

}  // namespace

void FailOutOfMemoryWhileReading(const std::string& path) {
  throw FileError(path, "out of memory while reading " + path);
}

TextLines ReadTextFile(const std::string& path) {
  return ReadingFile(path, [&] { return SplitLines(ReadBytes(path)); });
}

void WriteTextFileAtomically(const std::string& path, const TextLines& lines) {
  WriteFileAtomically(path, JoinLinesCrLf(lines));
}

}  // namespace zamo
