#include "wholefile.h"

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/syscall.h>

#include <chrono>
#include <filesystem>

#include "recordfile.h"
#include "recordfile_testutil.h"

// Permission changes that fail at will, as on a file system without
// permission bits: this definition takes the C library's place in the test
// program.
namespace {
int ChmodError = 0;  // 0: fchmod works
}  // namespace
extern "C" int fchmod(int fd, mode_t mode) noexcept {
  if (ChmodError == 0) return static_cast<int>(::syscall(SYS_fchmod, fd, mode));
  errno = ChmodError;
  return -1;
}

namespace {

int ModeOf(const std::string& name) {
  struct stat st {};
  EXPECT_EQ(::stat(name.c_str(), &st), 0) << name;
  return static_cast<int>(st.st_mode & 07777);
}

// The error code that writing `target` with `content` raises, or -1.
int WriteCode(const std::string& target, const std::string& content) {
  try {
    WriteFileWhole(target, content);
  } catch (const EInOutError& e) {
    return e.ErrorCode;
  }
  return -1;
}

}  // namespace

TEST(WholeFile, ReplacesOnlyWhenCompleteAndLeavesNoTemporaryFile) {
  TTempDir dir;
  const std::string target = dir.File("zaloha.dba");
  const mode_t mask = ::umask(0);
  ::umask(mask);
  WriteFileWhole(target, "new");
  EXPECT_EQ(ReadBytes(target), "new");
  EXPECT_EQ(ModeOf(target), static_cast<int>(0666 & ~mask));

  // A replaced file keeps its permissions; the temporary file lies in the target's folder.
  ::chmod(target.c_str(), 0640);
  WriteFileWhole(target, [&](const std::string& temporary) {
    EXPECT_EQ(std::filesystem::path(temporary).parent_path(), std::filesystem::path(dir.Path()));
    EXPECT_EQ(ReadBytes(temporary), "");
    WriteBytes(temporary, "second");
  });
  EXPECT_EQ(ReadBytes(target), "second");
  EXPECT_EQ(ModeOf(target), 0640);

  // A producer that fails part of the way: its error goes on, the old file stays.
  try {
    WriteFileWhole(target, [](const std::string& temporary) {
      WriteBytes(temporary, "partial");
      throw std::runtime_error("producer failed");
    });
    ADD_FAILURE() << "the producer's error was lost";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "producer failed");
  }
  EXPECT_EQ(ReadBytes(target), "second");

  // A disk that fills up: "Disk full", the old file whole, nothing else left behind.
  {
    TFileSizeLimit full(100);
    EXPECT_EQ(WriteCode(target, std::string(1000, 'x')), 101);
  }
  EXPECT_EQ(ReadBytes(target), "second");
  EXPECT_EQ(WriteCode(dir.File("new.dba"), ""), -1);
  EXPECT_EQ(ReadBytes(dir.File("new.dba")), "");
  EXPECT_EQ(FolderNames(dir.Path()), (std::vector<std::string>{"new.dba", "zaloha.dba"}));
}

TEST(WholeFile, LinksReadOnlyFilesAndWhatIsNoFile) {
  TTempDir dir;
  // A symbolic link is written through: the file it names changes, the link stays.
  std::filesystem::create_directory(dir.File("sub"));
  WriteBytes(dir.File("sub/real.ini"), "old");
  std::filesystem::create_symlink("sub/real.ini", dir.File("zovi.ini"));
  WriteFileWhole(dir.File("zovi.ini"), "[ZOVI]\n");
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("zovi.ini")));
  EXPECT_EQ(ReadBytes(dir.File("sub/real.ini")), "[ZOVI]\n");
  std::filesystem::create_symlink("sub/later.ini", dir.File("dangling.ini"));
  WriteFileWhole(dir.File("dangling.ini"), "x");
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("dangling.ini")));
  EXPECT_EQ(ReadBytes(dir.File("sub/later.ini")), "x");

  // A read-only file is refused, for root as well, and stays as it was.
  WriteBytes(dir.File("locked.ini"), "keep");
  ::chmod(dir.File("locked.ini").c_str(), 0444);
  EXPECT_EQ(WriteCode(dir.File("locked.ini"), "new"), 5);
  EXPECT_EQ(ReadBytes(dir.File("locked.ini")), "keep");
  EXPECT_EQ(ModeOf(dir.File("locked.ini")), 0444);

  // A folder or a device is not replaced; a missing folder or no name fails.
  EXPECT_EQ(WriteCode(dir.File("sub"), "x"), 5);
  EXPECT_EQ(WriteCode("/dev/null", "x"), 5);
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
  EXPECT_EQ(WriteCode(dir.File("no-folder/x"), "x"), 2);
  EXPECT_EQ(WriteCode("", "x"), 3);
  // A name as long as a folder takes still gets its temporary file.
  const std::string longest(255, 'n');
  EXPECT_EQ(WriteCode(dir.File(longest), "long"), -1);
  EXPECT_EQ(ReadBytes(dir.File(longest)), "long");
  EXPECT_EQ(FolderNames(dir.Path()),
            (std::vector<std::string>{"dangling.ini", "locked.ini", longest, "sub", "zovi.ini"}));
}

// A FAT stick keeps no permission bits and refuses to change them: the save
// goes on. Temporary files that killed saves of a target left behind go with
// the target's next save once they are an hour old and no save holds them;
// nothing else goes.
TEST(WholeFile, PermissionsWhereKeptAndLeftTemporaryFilesRemoved) {
  TTempDir dir;
  const std::string target = dir.File("data.csv");
  for (const int error : {ENOSYS, EOPNOTSUPP, EPERM}) {
    ChmodError = error;
    EXPECT_EQ(WriteCode(target, "saved"), -1) << error;
  }
  ChmodError = EIO;
  EXPECT_EQ(WriteCode(target, "lost"), 1000 + EIO);
  ChmodError = 0;
  EXPECT_EQ(ReadBytes(target), "saved");

  const auto leave = [&](const std::string& name, std::chrono::minutes age) {
    WriteBytes(dir.File(name), "left");
    std::filesystem::last_write_time(dir.File(name), std::filesystem::file_time_type::clock::now() - age);
  };
  using std::chrono::minutes;
  leave(".data.csv.AbC123", minutes(61));
  leave(".data.csv.young1", minutes(50));
  leave(".data.csv.held01", minutes(600));
  leave(".other.csv.AbC123", minutes(600));
  const int held = ::open(dir.File(".data.csv.held01").c_str(), O_RDONLY);  // a save still writing it
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  WriteFileWhole(target, "again");
  ::close(held);
  EXPECT_EQ(FolderNames(dir.Path()),
            (std::vector<std::string>{".data.csv.held01", ".data.csv.young1", ".other.csv.AbC123", "data.csv"}));
}
