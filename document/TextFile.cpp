#include "document/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "model/PlatformTexts.h"
#include "model/ZamoError.h"

namespace zamo {

namespace fs = std::filesystem;

namespace {

// Closes a descriptor and removes the temporary file unless the write was committed.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::string pattern) : path_(std::move(pattern)) {
    std::vector<char> buffer(path_.begin(), path_.end());
    buffer.push_back('\0');
    fd_ = mkstemp(buffer.data());
    path_ = buffer.data();
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    if (fd_ >= 0) close(fd_);
    if (!committed_) unlink(path_.c_str());
  }

  bool IsOpen() const { return fd_ >= 0; }
  int Descriptor() const { return fd_; }
  const std::string& Path() const { return path_; }

  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }
  void Commit() { committed_ = true; }

 private:
  std::string path_;
  int fd_ = -1;
  bool committed_ = false;
};

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

mode_t NewFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return static_cast<mode_t>(0666 & ~mask);
}

// The file a write replaces: the target of a symbolic link, the path itself otherwise.
fs::path ResolveTarget(const std::string& path) {
  std::error_code error;
  fs::path target = path;
  for (int hops = 0; hops < 40 && fs::is_symlink(target, error); ++hops) {
    const fs::path link = fs::read_symlink(target, error);
    if (error) break;
    target = link.is_absolute() ? link : target.parent_path() / link;
  }
  return target;
}

}  // namespace

TextLines ReadTextFile(const std::string& path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (error || !fs::is_regular_file(status)) throw FileError(texts::CannotOpenFile(path));
  const std::uintmax_t size = fs::file_size(path, error);
  if (error) throw FileError(texts::CannotOpenFile(path));
  if (size > kMaxTextFileBytes) {
    throw FileError("file " + path + " is too large for a project (more than " +
                    std::to_string(kMaxTextFileBytes >> 20) + " MiB)");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) throw FileError(texts::CannotOpenFile(path));
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(size));
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad() || bytes.size() > kMaxTextFileBytes) throw FileError(texts::CannotOpenFile(path));
  return SplitLines(bytes);
}

void WriteTextFileAtomically(const std::string& path, const TextLines& lines) {
  WriteFileAtomically(path, JoinLinesCrLf(lines));
}

void WriteFileAtomically(const std::string& path, const std::string& bytes) {
  const auto fail = [&] { throw FileError(texts::CannotCreateFile(path)); };
  if (path.empty()) fail();
  const fs::path target = ResolveTarget(path);
  std::error_code error;
  if (fs::is_directory(target, error)) fail();

  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  TemporaryFile temporary((folder / ("." + target.filename().string() + ".XXXXXX")).string());
  if (!temporary.IsOpen()) fail();

  struct stat existing {};
  const mode_t mode = stat(target.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : NewFileMode();
  if (fchmod(temporary.Descriptor(), mode) != 0) fail();
  if (!WriteAll(temporary.Descriptor(), bytes)) fail();
  if (fsync(temporary.Descriptor()) != 0) fail();
  if (!temporary.Close()) fail();
  if (rename(temporary.Path().c_str(), target.c_str()) != 0) fail();
  temporary.Commit();

  // Make the rename itself durable; a failure here no longer endangers either version.
  const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
}

}  // namespace zamo
