#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "document/TextFile.h"
#include "tests/core/TestSupport.h"

// Running out of memory while reading is the tool's own run (a process under a limit).
namespace zamo {
namespace {

namespace fs = std::filesystem;

std::string Refusal(const fs::path& path, const std::string& reason) {
  return "Datei " + path.string() + " kann nicht geöffnet werden: " + reason;
}

using TextFileTest = TempFolderTest;

TEST_F(TextFileTest, WritesCrLfAfterEveryLineAndReadsItBack) {
  const TextLines lines = {"Titel:", "", " ", "M\xE4rz"};
  WriteTextFileAtomically(dir_ / "project.zam", lines);
  EXPECT_EQ(FileBytes(dir_ / "project.zam"), "Titel:\r\n\r\n \r\nM\xE4rz\r\n");
  EXPECT_EQ(ReadTextFile(dir_ / "project.zam"), lines);
}

TEST_F(TextFileTest, WhatCannotBeOpenedNamesTheSystemsReason) {
  ASSERT_EQ(mkfifo((dir_ / "pipe.zam").c_str(), 0644), 0);
  const std::pair<fs::path, std::string> rows[] = {{dir_ / "missing.zam", "No such file or directory"},
                                                   {dir_, "Is a directory"},
                                                   {dir_ / "pipe.zam", "not a regular file"},
                                                   {"", "No such file or directory"}};
  for (const auto& [path, reason] : rows) EXPECT_THROW_MSG(ReadTextFile(path), FileError, Refusal(path, reason));

  // Permissions bind only an ordinary user: the read runs as one.
  const fs::path secret = dir_ / "secret.zam";
  PutFile(secret, "Titel:\r\n");
  fs::permissions(secret, fs::perms::owner_write);
  GiveToTestUser(secret);
  const ChildResult child = RunInChild(dir_, true, [&] { return ThrownBy([&] { ReadTextFile(secret); }).Text; });
  EXPECT_EQ(child.Report, Refusal(secret, "Permission denied"));
}

// The limits are exact: 16 MiB are read, one byte more is refused before it is read; a line
// of 64 KiB is read, one byte more is refused with its number.
TEST_F(TextFileTest, FileAndLineAtTheLimitAreReadOneByteMoreIsRefused) {
  const fs::path file = dir_ / "huge.zam";
  std::string lines;
  while (lines.size() < kMaxInputFileBytes) lines += std::string(1023, 'x') + "\n";
  lines.resize(kMaxInputFileBytes);
  PutFile(file, lines);
  EXPECT_EQ(ReadTextFile(file).size(), kMaxInputFileBytes / 1024);
  fs::resize_file(file, kMaxInputFileBytes + 1);
  EXPECT_THROW_MSG(ReadTextFile(file), FileError, Refusal(file, "larger than the limit of 16 MiB"));

  PutFile(file, "a\r\nb\r\n" + std::string(kMaxLineBytes, 'x') + "\r\n" + std::string(kMaxLineBytes + 1, 'y'));
  EXPECT_THROW_DESCRIBED(ReadTextFile(file), FormatError,
                         file.string() + ":4: the line is longer than the limit of 64 KiB (65536 bytes)");
}

}  // namespace
}  // namespace zamo
