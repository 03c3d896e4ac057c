#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <random>
#include <vector>

#include "framework.h"
#include "platform/recordfile_testutil.h"

// The flushes of the record files, counted, made to fail or skipped at will:
// these definitions take the C library's place in the test program.
namespace {
int Flushes = 0;
int FlushError = 0;         // the error every flush fails with; 0: flushes work
bool FlushToDevice = true;  // false: a flush returns at once

int Flush(long call, int fd) {
  ++Flushes;
  if (FlushError != 0) {
    errno = FlushError;
    return -1;
  }
  return FlushToDevice ? static_cast<int>(::syscall(call, fd)) : 0;
}
}  // namespace
extern "C" int fdatasync(int fd) {
  return Flush(SYS_fdatasync, fd);
}
extern "C" int fsync(int fd) {
  return Flush(SYS_fsync, fd);
}

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
  void TearDown() override {
    DatabaseLockWait = lockWait;
    FlushError = 0;
    FlushToDevice = true;
  }
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
  const TRestoreResult empty = RestoreDatabase(backup);
  EXPECT_FALSE(empty.Incomplete);  // an empty backup is whole
  EXPECT_EQ(empty.Records + empty.Loaded, 0);
  EXPECT_TRUE(SameBytes(ReadBytes(DatabaseFileName), Bytes(b)));

  // A, B, A into B appends A once, with KeyExtra 0 and a new Id.
  TResultRecord a2 = a;
  a2.KeyExtra = 5;
  WriteBytes(backup, Bytes({a2, b, a}));
  TRestoreResult result = RestoreDatabase(backup);
  EXPECT_EQ(result.Records, 3);
  EXPECT_EQ(result.Loaded, 1);
  TResultRecord appended = a;
  appended.KeyExtra = 0;
  appended.Id = 22;
  EXPECT_TRUE(SameBytes(ReadBytes(DatabaseFileName), Bytes({b, appended})));
  EXPECT_EQ(RestoreDatabase(backup).Loaded, 0);  // a second time changes nothing
  EXPECT_TRUE(SameBytes(ReadBytes(DatabaseFileName), Bytes({b, appended})));
  BackupDatabase(backup);  // nor does a backup of this same database, nor the database itself
  EXPECT_EQ(RestoreDatabase(backup).Loaded, 0);
  EXPECT_EQ(RestoreDatabase(DatabaseFileName).Loaded, 0);
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
  FlushToDevice = false;  // thousands of appends; what reaches the disk is not compared here
  for (int round = 0; round < 300; ++round) {
    std::string database = Bytes(randomRecords(pick(0, 12)));
    std::string backupBytes = Bytes(randomRecords(pick(0, 12)));
    if (pick(0, 2) == 0) database += std::string(pick(1, RecordSize - 1), 'T');
    if (pick(0, 2) == 0) backupBytes += std::string(pick(1, RecordSize - 1), 'U');
    WriteBytes(backup, backupBytes);
    WriteBytes(fast, database);
    WriteBytes(plain, database);
    DatabaseFileName = fast;
    EXPECT_EQ(RestoreDatabase(backup).Incomplete, backupBytes.size() % RecordSize != 0);  // a record cut short
    DatabaseFileName = plain;
    RestoreRecordByRecord(backup);
    ASSERT_TRUE(SameBytes(ReadBytes(fast), ReadBytes(plain))) << "round " << round;
  }
}

// Two programs appending at once each have the database to themselves from
// scan to write, so neither writes over the other's record. A writer or a
// backup that waits too long for a writer gives up with nothing written;
// backups do not wait for each other.
TEST_F(Records, WritersTakeTurnsAndReadersWaitOnlyForWriters) {
  std::vector<TResultRecord> records;
  for (int i = 0; i < 3000; ++i) records.push_back(Record("s" + std::to_string(i), 2 * i + 1));
  WriteBytes(DatabaseFileName, Bytes(records));
  std::vector<pid_t> programs;
  for (const char* name : {"a", "b"}) {
    if (const pid_t pid = ::fork(); pid != 0) {
      programs.push_back(pid);
      continue;
    }
    try {
      for (int i = 0; i < 40; ++i) AppendRecord(records.emplace_back(Record(name + std::to_string(i))));
    } catch (...) {
      ::_exit(1);
    }
    ::_exit(0);
  }
  for (const pid_t pid : programs) {
    int status = -1;
    ::waitpid(pid, &status, 0);
    EXPECT_EQ(status, 0);
  }
  const std::string bytes = ReadBytes(DatabaseFileName);
  EXPECT_EQ(bytes.size(), 3080 * RecordSize);

  const std::string copy = dir.File("copy.dba");
  BackupDatabase(copy);
  TRecordFile other(DatabaseFileName, TRecordFileMode::ReadWrite, RecordSize);
  ASSERT_TRUE(other.Lock(std::chrono::milliseconds(0)));
  DatabaseLockWait = std::chrono::milliseconds(100);
  EXPECT_THROW(AppendRecord(records.emplace_back(Record("c"))), EDatabaseError);
  EXPECT_THROW(UpdateRecord(records[0]), EDatabaseError);
  EXPECT_THROW(BackupDatabase(copy), EDatabaseError);
  EXPECT_THROW(RestoreDatabase(copy), EDatabaseError);
  ASSERT_TRUE(other.Lock(std::chrono::milliseconds(0), TRecordFile::TLockKind::Shared));  // now backing up
  EXPECT_THROW(AppendRecord(records.emplace_back(Record("c"))), EDatabaseError);
  BackupDatabase(copy);
  EXPECT_TRUE(SameBytes(ReadBytes(DatabaseFileName), bytes));
}

// Every write of the database reaches the device before it is reported done,
// and a failed flush is the write's failure. A restore that fails part of the
// way tells how many respondents it loaded; running it again loads the rest.
TEST_F(Records, WritesAreFlushedAndAPartialRestoreTellsWhatItLoaded) {
  TResultRecord r = Record("flushed"), again = Record("flushed");
  Flushes = 0;
  EXPECT_TRUE(AppendRecord(r));
  EXPECT_FALSE(AppendRecord(again));  // stored already: nothing written
  UpdateRecord(r);
  ReplaceStoredRecord(r);
  EXPECT_EQ(Flushes, 3);
  FlushError = EIO;
  EXPECT_EQ(ErrorCodeOf([&] { AppendRecord(again = Record("other")); }), 1000 + EIO);
  EXPECT_EQ(ErrorCodeOf([&] { UpdateRecord(r); }), 1000 + EIO);
  FlushError = 0;

  // A disk that fills up after three and a half records of ten.
  const std::string backup = dir.File("b.dba");
  std::vector<TResultRecord> backed;
  for (int i = 0; i < 10; ++i) backed.push_back(Record("b" + std::to_string(i), i, 0x30));
  WriteBytes(backup, Bytes(backed));
  WriteBytes(DatabaseFileName, Bytes({r, Record("c", 7)}));
  try {
    const TFileSizeLimit full(5 * RecordSize + RecordSize / 2);
    RestoreDatabase(backup);
    ADD_FAILURE() << "the restore did not fail";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(),
                 "Obnova ze zálohy byla přerušena chybou: Disk full. Do databáze bylo načteno probandů: 3. Spusťte "
                 "obnovu ze stejné zálohy znovu (například po uvolnění místa na disku): načte zbývající probandy a "
                 "žádného nepřidá podruhé.");
  }
  EXPECT_EQ(RestoreDatabase(backup).Loaded, 7);
  EXPECT_EQ(ReadBytes(DatabaseFileName).size(), 12 * RecordSize);
}

// A backup or export taken while another program rewrites a record's notes
// holds the notes either as they were or as they became, never half of each.
TEST_F(Records, BackupsNeverHoldAHalfRewrittenRecord) {
  TResultRecord notes[2] = {Record("n", 3), Record("n", 3)};
  std::memset(notes[0].Notes, 'x', 5000);
  std::memset(notes[1].Notes, 'y', 5000);
  WriteBytes(DatabaseFileName, Bytes({Record("a", 1), notes[0], Record("b", 5)}));
  FlushToDevice = false;  // more rewrites and backups in the time: more chances to meet
  const pid_t writer = ::fork();
  if (writer == 0)
    for (int i = 0;; ++i) UpdateRecord(notes[i % 2]);
  const std::string backup = dir.File("b.dba");
  int torn = 0;
  for (int i = 0; i < 1500; ++i) {
    BackupDatabase(backup);
    const std::string text = RecordNotes(StoredRecord(backup, 1));
    torn += text != std::string(5000, 'x') && text != std::string(5000, 'y');
  }
  ::kill(writer, SIGKILL);
  ::waitpid(writer, nullptr, 0);
  EXPECT_EQ(torn, 0);
}
