#pragma once
// The result record: one tested respondent, 6424 bytes, the unit of every
// record file of the system. The layout is fixed and stored byte for byte.
#include <algorithm>
#include <bit>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

#include "framework_types.h"
#include "recordfile.h"

static_assert(std::endian::native == std::endian::little, "record files are little-endian images of memory");
static_assert(sizeof(double) == 8);

// A length-prefixed string of capacity N: one length byte, then N character
// bytes (code page 1250) of which the first Length are the string.
template <std::size_t N>
struct TShortString {
  std::uint8_t Length;
  char Chars[N];

  // The string; a damaged length byte above N is read as N.
  std::string_view view() const { return std::string_view(Chars, std::min<std::size_t>(Length, N)); }
  std::string str() const { return std::string(view()); }
  // Stores s, cut to N characters; the bytes after it are left as they were.
  void assign(std::string_view s) {
    const std::size_t n = std::min(s.size(), N);
    std::memcpy(Chars, s.data(), n);
    Length = static_cast<std::uint8_t>(n);
  }
  bool operator==(const TShortString& o) const {
    return Length == o.Length && std::memcmp(Chars, o.Chars, std::min<std::size_t>(Length, N)) == 0;
  }
};
static_assert(sizeof(TShortString<100>) == 101 && alignof(TShortString<100>) == 1);

// The part of the record that the scoring routines take by reference.
struct TScoreSheet {
  double TestDate;            // days since 30 Dec 1899, local time
  std::int16_t Answers[60];   // item order; 0 = not answered, 1..5 = rating
  std::int32_t RawScores[6];  // R I A S E C
  double Scores[6];           // converted scores of the kind last requested
  double ScaleRange;          // converted score of the range of the six Z-scores
  double ScaleSpread;         // converted score of the spread of the six Z-scores
};

// The natural layout of these members already is the stored layout (every
// field falls on its own alignment), so no packing is needed; the asserts
// below pin every offset.
struct TResultRecord {
  TShortString<100> Name;
  TEducation Education;
  std::uint8_t Align1[2];
  std::int32_t Age;  // -1 when left empty or not a number
  TSex Sex;
  TEducation ExpectedEducation;  // 255 when none was chosen
  std::uint8_t Align2[2];
  TScoreSheet ScoreSheet;
  std::uint16_t KeyExtra;
  std::uint8_t Align3[2];
  std::int32_t Id;
  std::int32_t Reserved1;
  std::uint8_t Reserved2[2];
  char Notes[5001];  // NUL-terminated comma text, at most 5000 characters
  TShortString<50> UniqueId;
  std::uint8_t Reserved3[1024];
  std::uint8_t Align4[6];
};

constexpr std::size_t RecordSize = 6424;

static_assert(sizeof(TScoreSheet) == 216);
static_assert(offsetof(TScoreSheet, TestDate) == 0);
static_assert(offsetof(TScoreSheet, Answers) == 8);
static_assert(offsetof(TScoreSheet, RawScores) == 128);
static_assert(offsetof(TScoreSheet, Scores) == 152);
static_assert(offsetof(TScoreSheet, ScaleRange) == 200);
static_assert(offsetof(TScoreSheet, ScaleSpread) == 208);

static_assert(sizeof(TResultRecord) == RecordSize);
static_assert(offsetof(TResultRecord, Name) == 0);
static_assert(offsetof(TResultRecord, Education) == 101);
static_assert(offsetof(TResultRecord, Align1) == 102);
static_assert(offsetof(TResultRecord, Age) == 104);
static_assert(offsetof(TResultRecord, Sex) == 108);
static_assert(offsetof(TResultRecord, ExpectedEducation) == 109);
static_assert(offsetof(TResultRecord, Align2) == 110);
static_assert(offsetof(TResultRecord, ScoreSheet) == 112);
static_assert(offsetof(TResultRecord, KeyExtra) == 328);
static_assert(offsetof(TResultRecord, Align3) == 330);
static_assert(offsetof(TResultRecord, Id) == 332);
static_assert(offsetof(TResultRecord, Reserved1) == 336);
static_assert(offsetof(TResultRecord, Reserved2) == 340);
static_assert(offsetof(TResultRecord, Notes) == 342);
static_assert(offsetof(TResultRecord, UniqueId) == 5343);
static_assert(offsetof(TResultRecord, Reserved3) == 5394);
static_assert(offsetof(TResultRecord, Align4) == 6418);

// The notes up to their terminating NUL (the whole field when a damaged record holds none).
inline std::string_view RecordNotesText(const TResultRecord& r) {
  return std::string_view(r.Notes, strnlen(r.Notes, sizeof r.Notes));
}
inline std::string RecordNotes(const TResultRecord& r) {
  return std::string(RecordNotesText(r));
}

// Full path of the database file; every database routine reads it when it runs.
// No file written whole (wholefile.h) replaces it: a save aimed at it, by this
// or another name or through a link, is refused with EDatabaseError.
extern std::string DatabaseFileName;

// How long a step that writes the database waits while another program
// writes it (see the record operations below).
extern std::chrono::milliseconds DatabaseLockWait;

// A database operation refused for a reason other than a failed file step
// (a record that is not stored, a backup onto the database itself, another
// program writing the database).
class EDatabaseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The record operations. Each opens the files it needs and closes them before
// it returns; a failed file step throws EInOutError.
//
// Every operation that writes the database (append, update, replace,
// restore) holds an exclusive lock on it from its first read to its last
// write, so that two programs writing one database (two started by mistake,
// two stations on a shared folder) never scan the same end and write over
// each other's record, and flushes what it wrote to the device before it
// returns. The operations that read the database whole or look a record up
// (backup, CSV export, FindStoredRecord) hold a shared lock, so that they
// never copy a record half rewritten; they do not hold each other up. One
// that finds the lock held waits up to DatabaseLockWait for it, then throws
// EDatabaseError and has done nothing. The database browser's list reads
// without a lock.

// Takes the database's lock for one operation (see above); when another
// program holds it longer than DatabaseLockWait, throws EDatabaseError whose
// message ends with `consequence`.
void LockDatabase(TRecordFile& database, TRecordFile::TLockKind kind = TRecordFile::TLockKind::Exclusive,
                  const std::string& consequence = "Databáze nebyla změněna.");

// Prepares a fresh record: reseeds the generator from the clock, draws a new
// UniqueId of 50 letters "a".."z" and clears Reserved3. Nothing else changes.
void InitResultRecord(TResultRecord& R);

// Gives R KeyExtra 0 and an Id above every stored Id, and appends R to the
// database unless a stored record has R's UniqueId (R's Id changes anyway).
// True when R was appended, false when it was already stored.
bool AppendRecord(TResultRecord& R);

// Reads the first stored record with R's UniqueId into `stored`; false when
// no stored record has it.
bool FindStoredRecord(const TResultRecord& R, TResultRecord& stored);

// What two records of one respondent hold differently. Id and KeyExtra, the
// working scores and the bytes that carry no data are not compared.
struct TRecordDifference {
  bool PersonalData = false;  // name, sex, age, education reached or expected
  bool Answers = false;       // test date, answers, raw scores (a test taken again)
  bool Notes = false;
  bool Any() const { return PersonalData || Answers || Notes; }
};
TRecordDifference CompareRecords(const TResultRecord& a, const TResultRecord& b);

// Overwrites the first stored record with R's UniqueId with R, keeping the
// stored record's Id and KeyExtra. Throws EDatabaseError, changing nothing,
// when no stored record has that UniqueId.
void ReplaceStoredRecord(const TResultRecord& R);

// Overwrites the first stored record whose Id and KeyExtra equal R's with R.
// Throws EDatabaseError, changing nothing, when no stored record has that key
// or when the record found there is another respondent (another UniqueId):
// the database has changed since R was read from it.
void UpdateRecord(const TResultRecord& R);

// Reads the first record of the named file (opened read-only) into R; a file
// shorter than one record raises code 100 and leaves R as it was.
void LoadResultFile(TResultRecord& R, const std::string& fileName);

// True when fileName names the open database file, however spelt (another
// path, a symbolic or hard link): creating a file of that name would empty
// the database. A name that names no file is compared by its path.
bool IsDatabaseFile(const TRecordFile& database, const std::string& fileName);

// Writes a new file holding a copy of every database record, replacing a file
// of that name only when the copy is complete (wholefile.h). A file name that
// names the database file itself is refused with EDatabaseError.
void BackupDatabase(const std::string& fileName);

// What a restore did.
struct TRestoreResult {
  std::int64_t Records = 0;  // whole records in the backup
  std::int64_t Loaded = 0;   // of them appended to the database (the others were stored already)
  bool Incomplete = false;   // the backup ends with a record cut short, which is not loaded
};

// Merges every whole record of the named file (opened read-only) into the
// database, with the result of passing each, in file order, to AppendRecord.
// A restore that fails after it has appended records throws EDatabaseError
// telling how many it loaded and that running it again from the same backup
// loads the rest (the records loaded are then stored, so none comes twice).
TRestoreResult RestoreDatabase(const std::string& fileName);
