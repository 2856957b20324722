#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "document/TextFile.h"
#include "model/ZamoError.h"
#include "tests/core/ChildProcess.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

namespace fs = std::filesystem;

std::string Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Put(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

class TextFileTest : public testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTestFolder("textfile"); }
  void TearDown() override { test::RemoveTestFolder(dir_); }

  std::string Refusal(const fs::path& path, const std::string& reason) const {
    return "Datei " + path.string() + " kann nicht geöffnet werden: " + reason;
  }

  fs::path dir_;
};

TEST_F(TextFileTest, WritesCrLfAfterEveryLineAndReadsItBack) {
  const fs::path file = dir_ / "project.zam";
  const TextLines lines = {"Titel:", "", " ", "M\xE4rz"};
  WriteTextFileAtomically(file, lines);
  EXPECT_EQ(Bytes(file), "Titel:\r\n\r\n \r\nM\xE4rz\r\n");
  EXPECT_EQ(ReadTextFile(file), lines);
}

TEST_F(TextFileTest, MissingFileFolderAndFifoCannotBeOpened) {
  ASSERT_EQ(mkfifo((dir_ / "pipe.zam").c_str(), 0644), 0);
  const struct {
    fs::path path;
    std::string reason;
  } rows[] = {{dir_ / "missing.zam", "No such file or directory"},
              {dir_, "Is a directory"},
              {dir_ / "pipe.zam", "not a regular file"},
              {"", "No such file or directory"}};
  for (const auto& row : rows) {
    EXPECT_THROW_MSG(ReadTextFile(row.path), FileError, Refusal(row.path, row.reason));
  }
}

TEST_F(TextFileTest, UnreadableFileNamesTheSystemsReason) {
  const fs::path file = dir_ / "secret.zam";
  Put(file, "Titel:\r\n");
  fs::permissions(file, fs::perms::owner_write);
  test::GiveToTestUser(file);
  const test::ChildResult child = test::RunInChild(dir_, true, [&]() -> std::string {
    try {
      ReadTextFile(file);
      return "read";
    } catch (const FileError& error) {
      return error.what();
    }
  });
  EXPECT_EQ(child.Report, Refusal(file, "Permission denied"));
}

// The limit is exact: 16 MiB are read, one byte more is refused before it is read.
TEST_F(TextFileTest, FileAtTheLimitIsReadOneByteMoreIsRefused) {
  const fs::path file = dir_ / "huge.zam";
  std::string lines;
  while (lines.size() < kMaxInputFileBytes) lines += std::string(1023, 'x') + "\n";
  lines.resize(kMaxInputFileBytes);
  Put(file, lines);
  EXPECT_EQ(ReadTextFile(file).size(), kMaxInputFileBytes / 1024);

  fs::resize_file(file, kMaxInputFileBytes + 1);
  EXPECT_THROW_MSG(ReadTextFile(file), FileError, Refusal(file, "larger than the limit of 16 MiB"));
}

TEST_F(TextFileTest, LineLongerThanTheLimitIsRefusedWithItsNumber) {
  const fs::path file = dir_ / "long-line.zam";
  Put(file, "a\r\nb\r\n" + std::string(kMaxLineBytes, 'x') + "\r\n" + std::string(kMaxLineBytes + 1, 'y') + "\r\n");
  EXPECT_THROW_DESCRIBED(ReadTextFile(file), FormatError,
                         file.string() + ":4: the line is longer than the limit of 64 KiB (65536 bytes)");
}

// Lines cost their bytes and a string each; reading them all must fit a modest limit of
// memory, and a limit too small for them ends in a message, never in an abort.
TEST_F(TextFileTest, OutOfMemoryWhileReadingNamesTheFile) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves more address space than any limit allows";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  GTEST_SKIP() << "AddressSanitizer reserves more address space than any limit allows";
#endif
#endif
  const fs::path file = dir_ / "line-feeds.zam";
  Put(file, std::string(kMaxInputFileBytes, '\n'));
  const test::ChildResult child = test::RunInChild(dir_, false, [&]() -> std::string {
    rlimit limit{};
    getrlimit(RLIMIT_AS, &limit);
    // What the process holds now and a little more; not enough for 16 million lines.
    std::ifstream status("/proc/self/statm");
    std::size_t pages = 0;
    status >> pages;
    limit.rlim_cur = pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE)) + (64u << 20);
    setrlimit(RLIMIT_AS, &limit);
    try {
      return std::to_string(ReadTextFile(file).size()) + " lines";
    } catch (const FileError& error) {
      return error.what();
    }
  });
  EXPECT_EQ(child.Report, "out of memory while reading " + file.string());
}

}  // namespace
}  // namespace zamo
