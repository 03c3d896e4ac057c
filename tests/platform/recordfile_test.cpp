#include "recordfile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cerrno>
#include <vector>

#include "recordfile_testutil.h"

namespace {

// The error code that `step` raises, or -1 when it raises none.
template <typename F>
int ErrorCodeOf(F step) {
  try {
    step();
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.what(), InOutErrorMessage(e.ErrorCode));
    return e.ErrorCode;
  }
  return -1;
}

}  // namespace

TEST(RecordFile, ErrorCodesAndMessages) {
  EXPECT_STREQ(EInOutError(2).what(), "File not found");
  EXPECT_STREQ(EInOutError(3).what(), "Invalid filename");
  EXPECT_STREQ(EInOutError(4).what(), "Too many open files");
  EXPECT_STREQ(EInOutError(5).what(), "File access denied");
  EXPECT_STREQ(EInOutError(100).what(), "Read beyond end of file");
  EXPECT_STREQ(EInOutError(101).what(), "Disk full");
  EXPECT_STREQ(EInOutError(21).what(), "I/O error 21");

  EXPECT_EQ(InOutErrorCode(ENOENT), 2);
  EXPECT_EQ(InOutErrorCode(ENOTDIR), 2);
  EXPECT_EQ(InOutErrorCode(ENAMETOOLONG), 3);
  EXPECT_EQ(InOutErrorCode(EMFILE), 4);
  EXPECT_EQ(InOutErrorCode(EROFS), 5);
  EXPECT_EQ(InOutErrorCode(EDQUOT), 101);
  // Operating-system numbers that equal a fixed code must not take its meaning.
  EXPECT_EQ(InOutErrorCode(EIO), 1000 + EIO);
  EXPECT_EQ(InOutErrorCode(EISDIR), EISDIR);
}

TEST(RecordFile, OpenFailuresOfRealFiles) {
  TTempDir dir;
  WriteBytes(dir.File("plain"), "x");
  auto open = [](const std::string& name, TRecordFileMode mode) {
    return [name, mode] { TRecordFile(name, mode, 10); };
  };
  EXPECT_EQ(ErrorCodeOf(open(dir.File("missing"), TRecordFileMode::ReadWrite)), 2);
  EXPECT_EQ(ErrorCodeOf(open(dir.File("missing"), TRecordFileMode::ReadOnly)), 2);
  EXPECT_EQ(ErrorCodeOf(open(dir.File("plain/below"), TRecordFileMode::ReadOnly)), 2);
  EXPECT_EQ(ErrorCodeOf(open(dir.File("no-folder/new"), TRecordFileMode::Create)), 2);
  EXPECT_EQ(ErrorCodeOf(open("", TRecordFileMode::ReadOnly)), 3);
  EXPECT_EQ(ErrorCodeOf(open(std::string("a\0b", 3), TRecordFileMode::Create)), 3);
  EXPECT_EQ(ErrorCodeOf(open(dir.File(std::string(300, 'n')), TRecordFileMode::Create)), 3);
  EXPECT_EQ(ErrorCodeOf(open(dir.Path(), TRecordFileMode::ReadOnly)), EISDIR);
  EXPECT_EQ(ErrorCodeOf(open(dir.Path(), TRecordFileMode::ReadWrite)), EISDIR);
  // Read-only for everyone, root included: fails only where it must be written.
  EXPECT_EQ(ErrorCodeOf(open(SystemReadOnlyFile, TRecordFileMode::ReadWrite)), 5);
  EXPECT_EQ(ErrorCodeOf(open(SystemReadOnlyFile, TRecordFileMode::ReadOnly)), -1);
  // A pipe or a device is no record file: refused at once, never waited on.
  ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
  for (const std::string& name : {dir.File("pipe"), std::string("/dev/zero")})
    for (auto mode : {TRecordFileMode::ReadOnly, TRecordFileMode::ReadWrite, TRecordFileMode::Create})
      EXPECT_EQ(ErrorCodeOf(open(name, mode)), 5) << name;
  if (MakeUnwritable(dir.File("plain"))) {
    EXPECT_EQ(ErrorCodeOf(open(dir.File("plain"), TRecordFileMode::ReadWrite)), 5);
    EXPECT_EQ(ErrorCodeOf(open(dir.File("plain"), TRecordFileMode::ReadOnly)), -1);
  }
}

TEST(RecordFile, NoHandleLeft) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "the sanitizer runtime itself needs file handles while it checks the thrown error";
#endif
  TTempDir dir;
  WriteBytes(dir.File("f"), "x");
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &old), 0);
  std::vector<int> held;
  rlimit low = old;
  low.rlim_cur = 64;
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
  for (int fd; (fd = ::open("/dev/null", O_RDONLY)) >= 0;) held.push_back(fd);
  const int code = ErrorCodeOf([&] { TRecordFile(dir.File("f"), TRecordFileMode::ReadOnly, 1); });
  for (int fd : held) ::close(fd);
  setrlimit(RLIMIT_NOFILE, &old);
  EXPECT_EQ(code, 4);
}

TEST(RecordFile, ReadWriteCountAndShortTransfers) {
  TTempDir dir;
  const std::string name = dir.File("records");
  {
    TRecordFile f(name, TRecordFileMode::Create, 4);
    EXPECT_EQ(f.RecordCount(), 0);
    f.Write("aaaabbbbcccc", 3);
    f.Seek(1);
    f.Write("BBBB");
    EXPECT_EQ(f.Position(), 2);
    f.Close();
  }
  EXPECT_EQ(ReadBytes(name), "aaaaBBBBcccc");
  WriteBytes(name, ReadBytes(name) + "zz");  // trailing bytes are not a record
  TRecordFile f(name, TRecordFileMode::ReadOnly, 4);
  EXPECT_EQ(f.RecordCount(), 3);
  char buf[9] = {};
  f.Seek(1);
  f.Read(buf, 2);
  EXPECT_STREQ(buf, "BBBBcccc");
  EXPECT_EQ(ErrorCodeOf([&] { f.Read(buf); }), 100);  // only "zz" is left
  EXPECT_EQ(ErrorCodeOf([&] { f.Write("xxxx"); }), EBADF);

  // Creating replaces the old content; a full disk refuses the write.
  TRecordFile(name, TRecordFileMode::Create, 4).Close();
  EXPECT_EQ(ReadBytes(name), "");
  {
    TFileSizeLimit full(6);  // the second record does not fit
    TRecordFile file(name, TRecordFileMode::Create, 4);
    EXPECT_EQ(ErrorCodeOf([&] { file.Write("abcdefgh", 2); }), 101);
  }
  EXPECT_EQ(ReadBytes(name), "abcd");  // the piece of the second is cut off, the whole first kept

  EXPECT_TRUE(FileExists(name));
  EXPECT_FALSE(FileExists(dir.File("other")));
  EXPECT_FALSE(FileExists(dir.Path()));
  WriteBytes(dir.File("other"), "old");
  CreateEmptyFile(dir.File("other"));
  EXPECT_EQ(ReadBytes(dir.File("other")), "");
}

TEST(RecordFile, ScanVisitsEveryWholeRecordAcrossBlocks) {
  TTempDir dir;
  const std::string name = dir.File("many");
  constexpr std::size_t size = 1000;  // a scan block holds about 2000 of these
  constexpr int count = 5003;
  std::string bytes;
  for (int i = 0; i < count; ++i) bytes += std::string(size, static_cast<char>(i % 251));
  WriteBytes(name, bytes + "trailing");
  TRecordFile f(name, TRecordFileMode::ReadOnly, size);
  std::int64_t next = 0;
  bool intact = true;
  f.Scan([&](const unsigned char* record, std::int64_t index) {
    intact = intact && index == next++ && record[0] == index % 251 && record[size - 1] == index % 251;
    return true;
  });
  EXPECT_TRUE(intact);
  EXPECT_EQ(next, count);
  EXPECT_EQ(f.Position(), count);

  std::int64_t last = -1;
  f.Scan([&](const unsigned char*, std::int64_t index) {
    last = index;
    return index < 2500;
  });
  EXPECT_EQ(last, 2500);
  EXPECT_EQ(f.Position(), 2501);  // the next record after the one that stopped the scan
}
