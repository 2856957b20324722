#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "document/TextFile.h"
#include "model/ZamoError.h"
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

fs::perms Permissions(const fs::path& path) { return fs::status(path).permissions() & fs::perms::mask; }

// Every test works in a folder of its own, removed afterwards.
class TextFileTest : public testing::Test {
 protected:
  void SetUp() override {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test->name();  // "Case/Param" for parameterised tests
    std::replace(name.begin(), name.end(), '/', '-');
    dir_ = fs::temp_directory_path() / ("zamo-textfile-" + std::to_string(getpid()) + "-" + name);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code error;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(dir_, error);
  }

  // Names in the test folder, to show that no temporary file was left behind.
  std::vector<std::string> Entries(const fs::path& folder) const {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
};

// ---- Writing ----

TEST_F(TextFileTest, WritesCrLfAfterEveryLineAndReadsItBack) {
  const fs::path file = dir_ / "project.zam";
  const TextLines lines = {"Titel:", "", " ", "M\xE4rz"};
  WriteTextFileAtomically(file, lines);
  EXPECT_EQ(Bytes(file), "Titel:\r\n\r\n \r\nM\xE4rz\r\n");
  EXPECT_EQ(ReadTextFile(file), lines);
  EXPECT_EQ(Entries(dir_), std::vector<std::string>{"project.zam"});
}

TEST_F(TextFileTest, ReplacesALongerFileWithoutLeavingItsTail) {
  const fs::path file = dir_ / "project.zam";
  Put(file, std::string(5000, 'x'));
  WriteTextFileAtomically(file, {"short"});
  EXPECT_EQ(Bytes(file), "short\r\n");
  EXPECT_EQ(Entries(dir_), std::vector<std::string>{"project.zam"});
}

TEST_F(TextFileTest, ExistingFileKeepsItsPermissions) {
  for (const fs::perms mode : {fs::perms::owner_read | fs::perms::owner_write,
                               fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read,
                               fs::perms::owner_all | fs::perms::others_read}) {
    const fs::path file = dir_ / "kept.zam";
    Put(file, "old\r\n");
    fs::permissions(file, mode);
    WriteTextFileAtomically(file, {"new"});
    EXPECT_EQ(Permissions(file), mode);
    EXPECT_EQ(Bytes(file), "new\r\n");
  }
}

TEST_F(TextFileTest, NewFileFollowsTheUmask) {
  const mode_t previous = umask(027);
  WriteTextFileAtomically(dir_ / "new.zam", {"a"});
  umask(previous);
  EXPECT_EQ(Permissions(dir_ / "new.zam"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(TextFileTest, WritingThroughASymlinkReplacesItsTargetAndKeepsTheLink) {
  fs::create_directories(dir_ / "sub");
  Put(dir_ / "sub" / "real.zam", "old\r\n");
  fs::permissions(dir_ / "sub" / "real.zam", fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink("sub/real.zam", dir_ / "link.zam");  // relative to the link's folder

  WriteTextFileAtomically(dir_ / "link.zam", {"new"});
  ASSERT_TRUE(fs::is_symlink(dir_ / "link.zam"));
  EXPECT_EQ(fs::read_symlink(dir_ / "link.zam"), "sub/real.zam");
  EXPECT_EQ(Bytes(dir_ / "sub" / "real.zam"), "new\r\n");
  EXPECT_EQ(Permissions(dir_ / "sub" / "real.zam"), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(Entries(dir_), (std::vector<std::string>{"link.zam", "sub"}));
  EXPECT_EQ(Entries(dir_ / "sub"), std::vector<std::string>{"real.zam"});
}

struct UnwritablePlace {
  const char* name;
  const char* path;  // relative to the test folder
};

void PrintTo(const UnwritablePlace& place, std::ostream* out) { *out << place.path; }

class TextFileUnwritableTest : public TextFileTest, public testing::WithParamInterface<UnwritablePlace> {};

TEST_P(TextFileUnwritableTest, RefusesWithTheCannotCreateText) {
  Put(dir_ / "file.zam", "kept\r\n");
  const std::string path = (dir_ / GetParam().path).string();
  EXPECT_THROW_MSG(WriteTextFileAtomically(path, {"new"}), FileError, "Datei " + path + " kann nicht erstellt werden");
  EXPECT_EQ(Bytes(dir_ / "file.zam"), "kept\r\n");
  EXPECT_EQ(Entries(dir_), std::vector<std::string>{"file.zam"});
}

INSTANTIATE_TEST_SUITE_P(Places, TextFileUnwritableTest,
                         testing::Values(UnwritablePlace{"MissingFolder", "missing/new.zam"},
                                         UnwritablePlace{"FolderIsAFile", "file.zam/new.zam"},
                                         UnwritablePlace{"TargetIsAFolder", "."}),
                         [](const testing::TestParamInfo<UnwritablePlace>& row) { return row.param.name; });

TEST_F(TextFileTest, ReadOnlyFolderKeepsTheExistingFile) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  const fs::path file = dir_ / "project.zam";
  Put(file, "old\r\ncontent\r\n");
  fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_THROW(WriteTextFileAtomically(file, {"new"}), FileError);
  fs::permissions(dir_, fs::perms::owner_all);
  EXPECT_EQ(Bytes(file), "old\r\ncontent\r\n");
  EXPECT_EQ(Entries(dir_), std::vector<std::string>{"project.zam"});
}

// A folder no one may create files in, even the superuser.
TEST_F(TextFileTest, FolderOfAReadOnlyFileSystemKeepsTheExistingFile) {
  const fs::path file = "/proc/version";
  if (!fs::exists(file)) GTEST_SKIP() << "no /proc";
  const std::string before = Bytes(file);
  EXPECT_THROW_MSG(WriteTextFileAtomically(file, {"new"}), FileError, "Datei /proc/version kann nicht erstellt werden");
  EXPECT_EQ(Bytes(file), before);
}

// ---- Reading ----

TEST_F(TextFileTest, MissingFileOrFolderCannotBeOpened) {
  for (const fs::path& path : {dir_ / "missing.zam", dir_}) {
    EXPECT_THROW_MSG(ReadTextFile(path), FileError, "Datei " + path.string() + " kann nicht geöffnet werden");
  }
}

TEST_F(TextFileTest, FileLargerThanAnyProjectIsRefusedUnread) {
  const fs::path file = dir_ / "huge.zam";
  Put(file, "");
  fs::resize_file(file, kMaxTextFileBytes + 1);  // sparse, costs no disk space
  EXPECT_THROW(ReadTextFile(file), FileError);
}

}  // namespace
}  // namespace zamo
