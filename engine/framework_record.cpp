#include "framework_record.h"

#include <sys/stat.h>

#include <array>
#include <filesystem>
#include <optional>
#include <unordered_set>

#include "cp1250.h"
#include "framework_random.h"
#include "wholefile.h"

std::string DatabaseFileName;
std::chrono::milliseconds DatabaseLockWait{5000};

namespace {

struct TFileIdentity {
  std::uint64_t Device, Inode;
};

// Whether fileName names the database file, whose identity is given when it
// exists: by device and inode (links followed) when both are files, else by
// their paths with links resolved.
bool NamesDatabaseFile(const std::string& fileName, const std::optional<TFileIdentity>& database) {
  struct stat st {};
  if (database && ::stat(fileName.c_str(), &st) == 0)
    return st.st_dev == database->Device && st.st_ino == database->Inode;
  std::error_code e1, e2;
  const auto a = std::filesystem::weakly_canonical(fileName, e1);
  const auto b = std::filesystem::weakly_canonical(DatabaseFileName, e2);
  return !e1 && !e2 && a == b;
}

// The guard of every whole write (wholefile.h): a result file, a report, a
// document or a settings file saved onto the database, by its name or through
// a link, would replace every stored respondent.
void RefuseDatabaseAsTarget(const std::string& target) {
  struct stat st {};
  std::optional<TFileIdentity> database;
  if (::stat(DatabaseFileName.c_str(), &st) == 0) database = TFileIdentity{st.st_dev, st.st_ino};
  if (NamesDatabaseFile(target, database))
    throw EDatabaseError("Soubor databáze " + DatabaseFileName + " nelze přepsat. Zvolte pro uložení jiný soubor.");
}

// Set before main() runs, in every program that has a database file: no
// writer can forget it.
const bool DatabaseGuarded = (SetWholeFileTargetGuard(RefuseDatabaseAsTarget), true);

// The fields of a stored record that the database scans look at, read from
// the record's bytes as they lie in the file.
std::int32_t StoredId(const unsigned char* record) {
  std::int32_t id;
  std::memcpy(&id, record + offsetof(TResultRecord, Id), sizeof id);
  return id;
}

std::uint16_t StoredKeyExtra(const unsigned char* record) {
  std::uint16_t key;
  std::memcpy(&key, record + offsetof(TResultRecord, KeyExtra), sizeof key);
  return key;
}

TShortString<50> StoredUniqueId(const unsigned char* record) {
  TShortString<50> id;
  std::memcpy(&id, record + offsetof(TResultRecord, UniqueId), sizeof id);
  return id;
}

void SetStoredKey(unsigned char* record, std::int32_t id, std::uint16_t keyExtra) {
  std::memcpy(record + offsetof(TResultRecord, Id), &id, sizeof id);
  std::memcpy(record + offsetof(TResultRecord, KeyExtra), &keyExtra, sizeof keyExtra);
}

// The length byte and the characters, the rest zero: two UniqueIds are equal
// exactly when their keys are.
using TUniqueIdKey = std::array<char, sizeof(TShortString<50>)>;

TUniqueIdKey UniqueIdKey(const unsigned char* record) {
  const TShortString<50> id = StoredUniqueId(record);
  TUniqueIdKey key{};
  key[0] = static_cast<char>(id.Length);
  std::memcpy(key.data() + 1, id.Chars, std::min<std::size_t>(id.Length, sizeof id.Chars));
  return key;
}

struct TUniqueIdKeyHash {
  std::size_t operator()(const TUniqueIdKey& key) const {
    return std::hash<std::string_view>()(std::string_view(key.data(), key.size()));
  }
};

// Id arithmetic wraps around like the 32-bit integers it stands for.
std::int32_t NextId(std::int32_t id) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(id) + 1u);
}

// One step of the Id scan over the stored records in file order: a stored Id
// above the running value lifts it to that Id plus 1. The new record's Id is
// the final value plus 1.
std::int32_t ScanId(std::int32_t running, std::int32_t storedId) {
  return running < storedId ? NextId(storedId) : running;
}

}  // namespace

void LockDatabase(TRecordFile& database, TRecordFile::TLockKind kind, const std::string& consequence) {
  if (!database.Lock(DatabaseLockWait, kind))
    throw EDatabaseError("Do databáze " + DatabaseFileName + " právě zapisuje jiný program. " + consequence);
}

bool IsDatabaseFile(const TRecordFile& database, const std::string& fileName) {
  TFileIdentity identity;
  database.Identity(identity.Device, identity.Inode);
  return NamesDatabaseFile(fileName, identity);
}

void InitResultRecord(TResultRecord& R) {
  SeedFromClock();
  std::memset(R.Reserved3, 0, sizeof R.Reserved3);
  R.UniqueId.Length = 0;
  for (std::size_t i = 0; i < sizeof R.UniqueId.Chars; ++i) {
    R.UniqueId.Chars[i] = static_cast<char>(97 + RandomBelow(26));
    R.UniqueId.Length = static_cast<std::uint8_t>(i + 1);
  }
}

bool AppendRecord(TResultRecord& R) {
  R.KeyExtra = 0;
  R.Id = 0;
  TRecordFile database(DatabaseFileName, TRecordFileMode::ReadWrite, RecordSize);
  LockDatabase(database);
  bool duplicate = false;
  std::int32_t running = 0;
  database.Scan([&](const unsigned char* stored, std::int64_t) {
    if (StoredUniqueId(stored) == R.UniqueId) duplicate = true;
    running = ScanId(running, StoredId(stored));
    return true;
  });
  R.Id = NextId(running);
  // The scan leaves the position after the last whole record: trailing bytes
  // are overwritten. A write that fails cuts the file back to its old length.
  if (!duplicate) {
    database.Write(&R);
    database.Sync();
  }
  database.Close();
  return !duplicate;
}

// The number of the first stored record with this UniqueId, read into
// `stored`; -1 when none has it.
std::int64_t FindUniqueId(TRecordFile& database, const TShortString<50>& uniqueId, TResultRecord& stored) {
  std::int64_t found = -1;
  database.Scan([&](const unsigned char* record, std::int64_t index) {
    if (!(StoredUniqueId(record) == uniqueId)) return true;
    std::memcpy(&stored, record, RecordSize);
    found = index;
    return false;
  });
  return found;
}

bool FindStoredRecord(const TResultRecord& R, TResultRecord& stored) {
  TRecordFile database(DatabaseFileName, TRecordFileMode::ReadOnly, RecordSize);
  LockDatabase(database, TRecordFile::TLockKind::Shared, "Databáze nebyla změněna.");
  const bool found = FindUniqueId(database, R.UniqueId, stored) >= 0;
  database.Close();
  return found;
}

TRecordDifference CompareRecords(const TResultRecord& a, const TResultRecord& b) {
  const TScoreSheet &x = a.ScoreSheet, &y = b.ScoreSheet;
  TRecordDifference d;
  d.PersonalData = !(a.Name == b.Name) || a.Education != b.Education || a.Age != b.Age || a.Sex != b.Sex ||
                   a.ExpectedEducation != b.ExpectedEducation;
  d.Answers = std::memcmp(&x.TestDate, &y.TestDate, sizeof x.TestDate) != 0 ||
              std::memcmp(x.Answers, y.Answers, sizeof x.Answers) != 0 ||
              std::memcmp(x.RawScores, y.RawScores, sizeof x.RawScores) != 0;
  d.Notes = RecordNotesText(a) != RecordNotesText(b);
  return d;
}

void ReplaceStoredRecord(const TResultRecord& R) {
  TResultRecord copy = R;
  TRecordFile database(DatabaseFileName, TRecordFileMode::ReadWrite, RecordSize);
  LockDatabase(database);
  TResultRecord stored;
  const std::int64_t found = FindUniqueId(database, copy.UniqueId, stored);
  if (found < 0)
    throw EDatabaseError("Proband " + Cp1250ToUtf8(copy.Name.view()) +
                         " nebyl v databázi nalezen, databáze se mezitím změnila. Databáze nebyla změněna.");
  copy.Id = stored.Id;
  copy.KeyExtra = stored.KeyExtra;
  database.Seek(found);
  database.Write(&copy);
  database.Sync();
  database.Close();
}

void UpdateRecord(const TResultRecord& R) {
  const TResultRecord copy = R;
  TRecordFile database(DatabaseFileName, TRecordFileMode::ReadWrite, RecordSize);
  LockDatabase(database);
  std::int64_t found = -1;
  TShortString<50> storedUniqueId{};
  database.Scan([&](const unsigned char* stored, std::int64_t index) {
    if (StoredId(stored) != copy.Id || StoredKeyExtra(stored) != copy.KeyExtra) return true;
    found = index;
    storedUniqueId = StoredUniqueId(stored);
    return false;
  });
  if (found < 0)
    throw EDatabaseError("Záznam probanda číslo " + std::to_string(copy.Id) +
                         " nebyl v databázi nalezen. Databáze nebyla změněna.");
  // The database may have been restored, copied over or changed by another
  // program since R was read: the place must still hold R's respondent.
  if (!(storedUniqueId == copy.UniqueId))
    throw EDatabaseError("Pod číslem " + std::to_string(copy.Id) +
                         " je v databázi uložen jiný proband, databáze se mezitím změnila. Databáze nebyla změněna.");
  database.Seek(found);
  database.Write(&copy);
  database.Sync();
  database.Close();
}

void LoadResultFile(TResultRecord& R, const std::string& fileName) {
  TRecordFile file(fileName, TRecordFileMode::ReadOnly, RecordSize);
  TResultRecord loaded;
  file.Read(&loaded);
  file.Close();
  R = loaded;
}

void BackupDatabase(const std::string& fileName) {
  TRecordFile database(DatabaseFileName, TRecordFileMode::ReadOnly, RecordSize);
  if (IsDatabaseFile(database, fileName))
    throw EDatabaseError("Zálohu nelze uložit do souboru databáze " + DatabaseFileName +
                         ". Zvolte pro zálohu jiný soubor.");
  LockDatabase(database, TRecordFile::TLockKind::Shared, "Záloha nebyla vytvořena.");
  // Written whole: a backup that fails leaves an older backup of that name as it was.
  WriteFileWhole(fileName, [&](const std::string& temporaryName) {
    TRecordFile backup(temporaryName, TRecordFileMode::Create, RecordSize);
    database.ScanBlocks([&](const unsigned char* records, std::size_t count, std::int64_t) {
      backup.Write(records, count);
      return true;
    });
    backup.Close();
  });
  database.Close();
}

// Passing each record to AppendRecord would read the whole database once per
// record. One scan gives the same result: it collects the stored UniqueIds
// and the running value of the Id scan, and every record appended afterwards
// takes its place in both, just as the next AppendRecord's scan would see it.
// The new records of each block of the backup are gathered at the front of
// the block and written to the database at once.
TRestoreResult RestoreDatabase(const std::string& fileName) {
  TRecordFile backup(fileName, TRecordFileMode::ReadOnly, RecordSize);
  std::optional<TRecordFile> database;  // opened at the first record, as the first append would
  std::int64_t storedBefore = 0;
  std::unordered_set<TUniqueIdKey, TUniqueIdKeyHash> storedIds;
  std::int32_t running = 0;
  TRestoreResult result;
  try {
    backup.ScanBlocks([&](unsigned char* records, std::size_t count, std::int64_t) {
      if (!database) {
        database.emplace(DatabaseFileName, TRecordFileMode::ReadWrite, RecordSize);
        LockDatabase(*database);
        storedBefore = database->RecordCount();
        storedIds.reserve(static_cast<std::size_t>(storedBefore + backup.RecordCount()));
        database->Scan([&](const unsigned char* stored, std::int64_t) {
          storedIds.insert(UniqueIdKey(stored));
          running = ScanId(running, StoredId(stored));
          return true;
        });
      }
      std::size_t fresh = 0;
      for (std::size_t i = 0; i < count; ++i) {
        unsigned char* record = records + i * RecordSize;
        if (!storedIds.insert(UniqueIdKey(record)).second) continue;
        unsigned char* target = records + fresh++ * RecordSize;
        if (target != record) std::memmove(target, record, RecordSize);
        const std::int32_t id = NextId(running);
        SetStoredKey(target, id, 0);
        running = ScanId(running, id);
      }
      // After the scan the database's position is the end of its last whole record.
      if (fresh > 0) database->Write(records, fresh);
      result.Loaded += static_cast<std::int64_t>(fresh);
      result.Records += static_cast<std::int64_t>(count);
      return true;
    });
    if (database) {
      if (result.Loaded > 0) database->Sync();
      database->Close();
    }
  } catch (const std::exception& error) {
    // A block whose write failed half way keeps its whole records (the file
    // is cut back behind the last one): the database itself tells how many.
    if (database) {
      try {
        result.Loaded = database->RecordCount() - storedBefore;
        database->Sync();
      } catch (const std::exception&) {
      }
    }
    if (result.Loaded <= 0) throw;
    throw EDatabaseError(std::string("Obnova ze zálohy byla přerušena chybou: ") + error.what() +
                         ". Do databáze bylo načteno probandů: " + std::to_string(result.Loaded) +
                         ". Spusťte obnovu ze stejné zálohy znovu (například po uvolnění místa na disku): "
                         "načte zbývající probandy a žádného nepřidá podruhé.");
  }
  // The scan ends after the last whole record; a byte after it is a record cut short.
  result.Incomplete = !backup.Eof();
  backup.Close();
  return result;
}
