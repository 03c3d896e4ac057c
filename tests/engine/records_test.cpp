#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <set>
#include <vector>

#include "framework.h"
#include "platform/recordfile_testutil.h"

namespace {

// A record whose every byte is `fill`, with the given UniqueId and Id.
TResultRecord Record(const std::string& uniqueId, std::int32_t id = 0, unsigned char fill = 0) {
  TResultRecord r;
  std::memset(&r, fill, sizeof r);
  r.UniqueId.assign(uniqueId);
  r.Id = id;
  r.Notes[0] = 0;
  return r;
}

std::string Bytes(const TResultRecord& r) {
  return std::string(reinterpret_cast<const char*>(&r), sizeof r);
}

std::string Bytes(const std::vector<TResultRecord>& records) {
  std::string out;
  for (const auto& r : records) out += Bytes(r);
  return out;
}

TResultRecord StoredRecord(const std::string& file, std::size_t index) {
  const std::string bytes = ReadBytes(file);
  TResultRecord r;
  std::memcpy(&r, bytes.data() + index * RecordSize, RecordSize);
  return r;
}

// Equal byte strings; on a difference, where it starts (not the megabytes themselves).
::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  std::size_t i = 0;
  while (i < actual.size() && i < expected.size() && actual[i] == expected[i]) ++i;
  return ::testing::AssertionFailure() << "sizes " << actual.size() << " and " << expected.size()
                                       << ", first difference at byte " << i << " (record " << i / RecordSize
                                       << ", offset " << i % RecordSize << ")";
}

template <typename F>
int ErrorCodeOf(F step) {
  try {
    step();
  } catch (const EInOutError& e) {
    return e.ErrorCode;
  }
  return -1;
}

// Every test works on its own database file in its own folder.
class Records : public ::testing::Test {
 protected:
  void SetUp() override {
    DatabaseFileName = dir.File("zovi.db");
    WriteBytes(DatabaseFileName, "");
  }
  void TearDown() override { DatabaseLockWait = lockWait; }
  TTempDir dir;
  const std::chrono::milliseconds lockWait = DatabaseLockWait;
};

// The merge as first described: every record of the file, in file order,
// through AppendRecord (which reads the whole database each time).
void RestoreRecordByRecord(const std::string& fileName) {
  TRecordFile backup(fileName, TRecordFileMode::ReadOnly, RecordSize);
  for (std::int64_t i = 0, n = backup.RecordCount(); i < n; ++i) {
    TResultRecord r;
    backup.Seek(i);
    backup.Read(&r);
    AppendRecord(r);
  }
}

}  // namespace

TEST_F(Records, InitDrawsAUniqueIdAndClearsOnlyReserved3) {
  TResultRecord r = Record("old", 42, 0xAB);
  const TResultRecord before = r;
  InitResultRecord(r);
  ASSERT_EQ(r.UniqueId.Length, 50);
  for (char c : r.UniqueId.str()) EXPECT_TRUE(c >= 'a' && c <= 'z') << c;
  for (auto b : r.Reserved3) ASSERT_EQ(b, 0);
  const auto* a = reinterpret_cast<const unsigned char*>(&before);
  const auto* b = reinterpret_cast<const unsigned char*>(&r);
  for (std::size_t i = 0; i < RecordSize; ++i) {
    const bool drawn = i >= offsetof(TResultRecord, UniqueId) && i < offsetof(TResultRecord, Align4);
    if (!drawn) {
      ASSERT_EQ(a[i], b[i]) << "byte " << i;
    }
  }
  TResultRecord other = r;
  InitResultRecord(other);
  EXPECT_FALSE(other.UniqueId == r.UniqueId);
}

TEST_F(Records, AppendNumbersRecordsAndSkipsDuplicates) {
  std::vector<std::int32_t> ids;
  for (const char* u : {"a", "b", "c", "d"}) {
    TResultRecord r = Record(u, -5);
    r.KeyExtra = 77;
    AppendRecord(r);
    EXPECT_EQ(r.KeyExtra, 0);
    ids.push_back(r.Id);
    EXPECT_TRUE(SameBytes(Bytes(StoredRecord(DatabaseFileName, ids.size() - 1)), Bytes(r)));
  }
  EXPECT_EQ(ids, (std::vector<std::int32_t>{1, 3, 5, 7}));

  // A stored UniqueId: nothing is written, yet the caller's record gets a new Id.
  const std::string before = ReadBytes(DatabaseFileName);
  TResultRecord dup = Record("b", 0, 0x11);
  dup.KeyExtra = 9;
  AppendRecord(dup);
  EXPECT_TRUE(SameBytes(ReadBytes(DatabaseFileName), before));
  EXPECT_EQ(dup.Id, 9);
  EXPECT_EQ(dup.KeyExtra, 0);

  // The new Id depends on the order of the stored Ids.
  WriteBytes(DatabaseFileName, Bytes({Record("x", 3), Record("y", 4)}));
  TResultRecord r = Record("z");
  AppendRecord(r);
  EXPECT_EQ(r.Id, 5);
  WriteBytes(DatabaseFileName, Bytes({Record("x", 4), Record("y", 3)}));
  AppendRecord(r = Record("z"));
  EXPECT_EQ(r.Id, 6);
  // Negative Ids never lift the number; the largest Id wraps instead of overflowing.
  WriteBytes(DatabaseFileName, Bytes({Record("x", -7)}));
  AppendRecord(r = Record("z"));
  EXPECT_EQ(r.Id, 1);
  WriteBytes(DatabaseFileName, Bytes({Record("x", INT32_MAX)}));
  AppendRecord(r = Record("z"));
  EXPECT_EQ(r.Id, INT32_MIN + 1);

  // Bytes after the last whole record are ignored and then overwritten.
  WriteBytes(DatabaseFileName, Bytes({Record("x", 2)}) + std::string(100, 'q'));
  AppendRecord(r = Record("z"));
  EXPECT_TRUE(SameBytes(ReadBytes(DatabaseFileName), Bytes({Record("x", 2), r})));
}

TEST_F(Records, UpdateRewritesTheFirstMatchOnly) {
  TResultRecord a = Record("a", 5), b = Record("b", 5), c = Record("c", 5);
  b.KeyExtra = 1;  // same Id, other key
  WriteBytes(DatabaseFileName, Bytes({b, a, c}) + "tail");
  TResultRecord changed = Record("a", 5, 0x5A);
  changed.KeyExtra = 0;
  UpdateRecord(changed);
  EXPECT_TRUE(SameBytes(ReadBytes(DatabaseFileName), Bytes({b, changed, c}) + "tail"));

  // No stored record has the key, or another respondent holds it now: an
  // error, and the file is left as it was.
  const std::string before = ReadBytes(DatabaseFileName);
  TResultRecord other = Record("c", 5, 0x77);
  EXPECT_THROW(UpdateRecord(other), EDatabaseError);
  EXPECT_TRUE(SameBytes(ReadBytes(DatabaseFileName), before));
  changed.Id = 6;
  EXPECT_THROW(UpdateRecord(changed), EDatabaseError);
  EXPECT_TRUE(SameBytes(ReadBytes(DatabaseFileName), before));
  DatabaseFileName = dir.File("missing.db");
  EXPECT_EQ(ErrorCodeOf([&] { UpdateRecord(changed); }), 2);
}

TEST_F(Records, LoadResultFileReadsTheFirstRecordOnly) {
  const TResultRecord first = Record("first", 3, 0x21), second = Record("second", 4, 0x22);
  const TResultRecord untouched = Record("keep", 0, 0x33);
  TResultRecord r;
  WriteBytes(dir.File("exact.zvr"), Bytes(first));
  LoadResultFile(r = untouched, dir.File("exact.zvr"));
  EXPECT_TRUE(SameBytes(Bytes(r), Bytes(first)));
  WriteBytes(dir.File("long.zvr"), Bytes({first, second}) + "x");
  LoadResultFile(r = untouched, dir.File("long.zvr"));
  EXPECT_TRUE(SameBytes(Bytes(r), Bytes(first)));

  for (const std::string& content : {Bytes(first).substr(0, RecordSize - 1), std::string()}) {
    WriteBytes(dir.File("short.zvr"), content);
    EXPECT_EQ(ErrorCodeOf([&] { LoadResultFile(r = untouched, dir.File("short.zvr")); }), 100);
    EXPECT_TRUE(SameBytes(Bytes(r), Bytes(untouched)));
  }
  EXPECT_EQ(ErrorCodeOf([&] { LoadResultFile(r, dir.File("none.zvr")); }), 2);
  // Opened for reading only: a file that cannot be written is read all the same.
  EXPECT_EQ(ErrorCodeOf([&] { LoadResultFile(r, SystemReadOnlyFile); }), 100);
  if (MakeUnwritable(dir.File("exact.zvr"))) {
    LoadResultFile(r = untouched, dir.File("exact.zvr"));
    EXPECT_TRUE(SameBytes(Bytes(r), Bytes(first)));
  }
}

TEST_F(Records, BackupCopiesWholeRecordsAndRefusesTheDatabaseItself) {
  const std::string backup = dir.File("copy.dba");
  BackupDatabase(backup);
  EXPECT_TRUE(SameBytes(ReadBytes(backup), ""));

  const std::string records = Bytes({Record("a", 3), Record("b", -2, 0x40)});
  WriteBytes(DatabaseFileName, records + "partial");
  WriteBytes(backup, std::string(3 * RecordSize, 'o'));  // an old file is replaced
  BackupDatabase(backup);
  EXPECT_TRUE(SameBytes(ReadBytes(backup), records));

  std::filesystem::create_symlink(DatabaseFileName, dir.File("link.db"));
  std::filesystem::create_hard_link(DatabaseFileName, dir.File("hard.db"));
  for (const std::string& self :
       {DatabaseFileName, dir.Path() + "/./zovi.db", dir.File("link.db"), dir.File("hard.db")}) {
    EXPECT_THROW(BackupDatabase(self), EDatabaseError) << self;
    EXPECT_TRUE(SameBytes(ReadBytes(DatabaseFileName), records + "partial"));
  }

  EXPECT_EQ(ErrorCodeOf([&] { BackupDatabase("/dev/full"); }), 5);  // a device is not replaced
  EXPECT_EQ(ErrorCodeOf([&] { BackupDatabase(dir.File("no-folder/x.dba")); }), 2);
  // The database is only read: a database that cannot be written is backed up all the same.
  if (MakeUnwritable(DatabaseFileName)) {
    BackupDatabase(backup);
    EXPECT_TRUE(SameBytes(ReadBytes(backup), records));
    TResultRecord r = Record("c");
    EXPECT_EQ(ErrorCodeOf([&] { AppendRecord(r); }), 5);
    EXPECT_EQ(ErrorCodeOf([&] { RestoreDatabase(backup); }), 5);
  }
  DatabaseFileName = dir.File("missing.db");
  EXPECT_EQ(ErrorCodeOf([&] { BackupDatabase(backup); }), 2);
}

TEST_F(Records, RestoreMerges) {
  const std::string backup = dir.File("b.dba");
  const TResultRecord a = Record("A", 10, 0x41), b = Record("B", 20, 0x42);
  WriteBytes(DatabaseFileName, Bytes(b));
  WriteBytes(backup, "");
  RestoreDatabase(backup);
  EXPECT_TRUE(SameBytes(ReadBytes(DatabaseFileName), Bytes(b)));

  // A, B, A into B appends A once, with KeyExtra 0 and a new Id.
  TResultRecord a2 = a;
  a2.KeyExtra = 5;
  WriteBytes(backup, Bytes({a2, b, a}));
  RestoreDatabase(backup);
  TResultRecord appended = a;
  appended.KeyExtra = 0;
  appended.Id = 22;
  EXPECT_TRUE(SameBytes(ReadBytes(DatabaseFileName), Bytes({b, appended})));
  RestoreDatabase(backup);  // a second time changes nothing
  EXPECT_TRUE(SameBytes(ReadBytes(DatabaseFileName), Bytes({b, appended})));
  BackupDatabase(backup);  // nor does a backup of this same database
  RestoreDatabase(backup);
  EXPECT_TRUE(SameBytes(ReadBytes(DatabaseFileName), Bytes({b, appended})));

  EXPECT_EQ(ErrorCodeOf([&] { RestoreDatabase(dir.File("none.dba")); }), 2);
  EXPECT_TRUE(SameBytes(ReadBytes(DatabaseFileName), Bytes({b, appended})));
  // The backup is only read.
  WriteBytes(backup, Bytes(Record("C", 1)));
  if (MakeUnwritable(backup)) {
    RestoreDatabase(backup);
    EXPECT_EQ(ReadBytes(DatabaseFileName).size(), 3 * RecordSize);
  }
}

TEST_F(Records, RestoreGivesTheRecordByRecordResult) {
  std::mt19937 random(20261208);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
  // Few distinct UniqueIds, so duplicates occur within and across the files.
  auto randomRecords = [&](int count) {
    std::vector<TResultRecord> out;
    for (int i = 0; i < count; ++i) {
      TResultRecord r = Record(std::string(pick(0, 3), static_cast<char>('a' + pick(0, 5))), 0,
                               static_cast<unsigned char>(pick(0, 255)));
      const int kind = pick(0, 9);
      r.Id = kind == 0 ? INT32_MAX - pick(0, 2) : kind == 1 ? INT32_MIN + pick(0, 2) : pick(-20, 40);
      r.KeyExtra = static_cast<std::uint16_t>(pick(0, 2));
      if (pick(0, 9) == 0) r.UniqueId.Length = static_cast<std::uint8_t>(pick(51, 53));  // a damaged length byte
      out.push_back(r);
    }
    return out;
  };
  const std::string fast = dir.File("fast.db"), plain = dir.File("plain.db"), backup = dir.File("b.dba");
  for (int round = 0; round < 300; ++round) {
    std::string database = Bytes(randomRecords(pick(0, 12)));
    std::string backupBytes = Bytes(randomRecords(pick(0, 12)));
    if (pick(0, 2) == 0) database += std::string(pick(1, RecordSize - 1), 'T');
    if (pick(0, 2) == 0) backupBytes += std::string(pick(1, RecordSize - 1), 'U');
    WriteBytes(backup, backupBytes);
    WriteBytes(fast, database);
    WriteBytes(plain, database);
    DatabaseFileName = fast;
    RestoreDatabase(backup);
    DatabaseFileName = plain;
    RestoreRecordByRecord(backup);
    ASSERT_TRUE(SameBytes(ReadBytes(fast), ReadBytes(plain))) << "round " << round;
  }
}

TEST_F(Records, TwoProgramsAppendingAtOnceStoreEveryRecord) {
  constexpr int stored = 3000, each = 40;
  std::vector<TResultRecord> records;
  for (int i = 0; i < stored; ++i) records.push_back(Record("s" + std::to_string(i), 2 * i + 1));
  WriteBytes(DatabaseFileName, Bytes(records));
  int start[2];
  ASSERT_EQ(::pipe(start), 0);
  std::vector<pid_t> programs;
  for (const char* name : {"a", "b"}) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::close(start[1]);
      char go;
      if (::read(start[0], &go, 1) != 0) ::_exit(2);  // both start when the pipe is closed
      try {
        for (int i = 0; i < each; ++i) {
          TResultRecord r = Record(name + std::to_string(i));
          AppendRecord(r);
        }
      } catch (...) {
        ::_exit(1);
      }
      ::_exit(0);
    }
    programs.push_back(pid);
  }
  ::close(start[0]);
  ::close(start[1]);
  for (const pid_t pid : programs) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  const std::string bytes = ReadBytes(DatabaseFileName);
  ASSERT_EQ(bytes.size(), (stored + 2 * each) * RecordSize);
  std::set<std::string> uniqueIds;
  std::set<std::int32_t> ids;
  for (std::size_t at = 0; at < bytes.size(); at += RecordSize) {
    TResultRecord r;
    std::memcpy(&r, bytes.data() + at, RecordSize);
    uniqueIds.insert(r.UniqueId.str());
    ids.insert(r.Id);
  }
  EXPECT_EQ(uniqueIds.size(), stored + 2 * each);
  EXPECT_EQ(ids.size(), stored + 2 * each);
}

// Another program's write under way: every writer waits for it, then gives up
// with nothing written; readers go on.
TEST_F(Records, WritersGiveUpOnADatabaseHeldByAnotherAndReadersGoOn) {
  const std::string backup = dir.File("b.dba");
  WriteBytes(DatabaseFileName, Bytes(Record("a", 1)));
  WriteBytes(backup, Bytes(Record("b", 1)));
  const std::string before = ReadBytes(DatabaseFileName);
  TRecordFile other(DatabaseFileName, TRecordFileMode::ReadWrite, RecordSize);
  ASSERT_TRUE(other.Lock(std::chrono::milliseconds(0)));
  DatabaseLockWait = std::chrono::milliseconds(200);
  TResultRecord r = Record("c");
  const auto started = std::chrono::steady_clock::now();
  try {
    AppendRecord(r);
    ADD_FAILURE() << "appended";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Do databáze " + DatabaseFileName + " právě zapisuje jiný program. Databáze nebyla změněna.");
  }
  EXPECT_GE(std::chrono::steady_clock::now() - started, DatabaseLockWait);
  EXPECT_THROW(UpdateRecord(Record("a", 1)), EDatabaseError);
  EXPECT_THROW(RestoreDatabase(backup), EDatabaseError);
  EXPECT_TRUE(SameBytes(ReadBytes(DatabaseFileName), before));
  BackupDatabase(dir.File("copy.dba"));
  EXPECT_TRUE(SameBytes(ReadBytes(dir.File("copy.dba")), before));
  LoadResultFile(r, DatabaseFileName);

  other.Close();  // the lock goes with the other program's file
  EXPECT_FALSE(RestoreDatabase(backup));
  EXPECT_EQ(ReadBytes(DatabaseFileName).size(), 2 * RecordSize);
}
