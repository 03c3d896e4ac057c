#include "framework_csv.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>

#include "cp1250.h"
#include "datetime.h"
#include "framework_codes.h"
#include "framework_norms.h"
#include "framework_tables.h"
#include "recordfile.h"
#include "wholefile.h"

static_assert(RecordSize % alignof(TResultRecord) == 0);

namespace {

constexpr const char* LineEnd = "\r\n";
// The lines are gathered and written in pieces of about this size.
constexpr std::size_t WriteChunk = 1 << 20;

// The widest number a field holds (an int32 with its sign) and its ";".
constexpr std::size_t MaxNumberField = 12;

// Writes value and ";" at p, returns the end.
char* PutNumber(char* p, long long value) {
  if (value >= 0 && value <= 9) {  // every answer
    *p++ = static_cast<char>('0' + value);
  } else if (value >= 10 && value <= 99) {  // raw scores, percentiles, T-scores, most ages
    *p++ = static_cast<char>('0' + value / 10);
    *p++ = static_cast<char>('0' + value % 10);
  } else {
    p = std::to_chars(p, p + MaxNumberField, value).ptr;
  }
  *p++ = ';';
  return p;
}

// Appends each number of the run, each followed by ";"; convert turns a value into the number written.
template <typename T, std::size_t N, typename Convert>
void AppendNumbers(std::string& out, const T (&values)[N], Convert convert) {
  char buf[N * MaxNumberField];
  char* p = buf;
  for (const T v : values) p = PutNumber(p, convert(v));
  out.append(buf, p);
}

template <typename T, std::size_t N>
void AppendNumbers(std::string& out, const T (&values)[N]) {
  AppendNumbers(out, values, [](T v) { return static_cast<long long>(v); });
}

// Appends a field's text as it is, unless it holds a ";", a double quote, a
// CR or an LF: such a field is enclosed in double quotes with each inner
// double quote doubled, so that a spreadsheet reads it back as one field.
void AppendText(std::string& out, std::string_view text) {
  // One pass with plain comparisons: find_first_of costs a search of the set for every character.
  const bool plain = std::none_of(text.begin(), text.end(), [](char c) {
    return static_cast<unsigned char>(c) <= ';' && (c == ';' || c == '"' || c == '\r' || c == '\n');
  });
  if (plain) {
    out += text;
    return;
  }
  out += '"';
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

void AppendField(std::string& out, std::string_view text) {
  AppendText(out, text);
  out += ';';
}

// The converted scores, each rounded to the nearest integer (a half to the even one).
void AppendScores(std::string& out, const TScoreSheet& sheet) {
  AppendNumbers(out, sheet.Scores, [](double score) { return static_cast<long long>(std::nearbyint(score)); });
}

}  // namespace

std::string CsvHeaderLine() {
  std::string h = "Jméno a příjmení;Pohlaví;Věk;Dosažené vzdělání;Očekávané vzdělání;Datum testování;";
  for (const char* title : {"Hrubý skór - ", "Percentil - ", "T-skór - "})
    for (const char letter : ScaleLetters) (h += title) += std::string{letter, ';'};
  h += "Kód;";
  for (int n = 1; n <= 60; ++n) h += "Odpověď " + std::to_string(n) + ";";
  h += "Poznámky";
  return Utf8ToCp1250(h) + LineEnd;
}

void AppendCsvLine(std::string& out, const TResultRecord& r) {
  // A Sex other than 0 or 1 has no norm block; raw scores outside 10..50 have
  // no rows in it, and then DeriveCodes gives no code at all. Either way the
  // converted fields stay empty instead of being read from outside the tables.
  TScoreSheet sheet = r.ScoreSheet;
  // Kept between lines only so that their storage is reused; DeriveCodes empties them first.
  static thread_local TStringArray exact, coarse, permuted;
  exact.clear();
  const bool hasNorms = r.Sex == sxMale || r.Sex == sxFemale;
  if (hasNorms) DeriveCodes(sheet, Norms[r.Sex], exact, coarse, permuted);
  const bool scored = !exact.empty();

  AppendField(out, r.Name.view());
  AppendField(out, SexText(r.Sex));
  char age[MaxNumberField];
  out.append(age, PutNumber(age, r.Age));
  AppendField(out, EducationText(r.Education));
  AppendField(out, EducationText(r.ExpectedEducation));
  AppendField(out, RegionalDateTime(r.ScoreSheet.TestDate));
  AppendNumbers(out, r.ScoreSheet.RawScores);
  if (scored) {
    ConvertScores(sheet, Norms[r.Sex], skPercentile);
    AppendScores(out, sheet);
    ConvertScores(sheet, Norms[r.Sex], skTScore);
    AppendScores(out, sheet);
    for (std::size_t i = 0; i < exact.size(); ++i) {
      if (i > 0) out += '/';
      out += exact[i];
    }
    out += ';';
  } else {
    out.append(2 * ScaleCount + 1, ';');
  }
  AppendNumbers(out, r.ScoreSheet.Answers);
  AppendText(out, RecordNotesText(r));
  out += LineEnd;
}

namespace {

// The header and a line for each whole record of the open database, into a new text file of that name.
void WriteCsv(TRecordFile& database, const std::string& fileName) {
  TRecordFile csv(fileName, TRecordFileMode::Create, 1);  // a file of one-byte records is a plain byte file
  std::string text = CsvHeaderLine();
  text.reserve(WriteChunk + 16 * 1024);
  database.ScanBlocks([&](const unsigned char* records, std::size_t count, std::int64_t) {
    for (std::size_t i = 0; i < count; ++i) {
      // The records are read where the scan put them (the buffer is aligned for them and RecordSize keeps
      // every image aligned); only a buffer without that alignment costs a copy of each record.
      const unsigned char* image = records + i * RecordSize;
      if (reinterpret_cast<std::uintptr_t>(image) % alignof(TResultRecord) == 0) {
        AppendCsvLine(text, *std::launder(reinterpret_cast<const TResultRecord*>(image)));
      } else {
        TResultRecord r;
        std::memcpy(&r, image, RecordSize);
        AppendCsvLine(text, r);
      }
      if (text.size() >= WriteChunk) {
        csv.Write(text.data(), text.size());
        text.clear();
      }
    }
    return true;
  });
  csv.Write(text.data(), text.size());
  csv.Close();
}

}  // namespace

void ExportCsv(const std::string& fileName) {
  TRecordFile database(DatabaseFileName, TRecordFileMode::ReadOnly, RecordSize);
  // The text file would take the database's place when both are one file.
  if (IsDatabaseFile(database, fileName))
    throw EDatabaseError("Export nelze uložit do souboru databáze " + DatabaseFileName +
                         ". Zvolte pro export jiný soubor.");
  LockDatabase(database, TRecordFile::TLockKind::Shared, "Export nebyl proveden.");
  // Written whole: a failed export leaves a file of that name as it was.
  WriteFileWhole(fileName, [&](const std::string& temporaryName) { WriteCsv(database, temporaryName); });
  database.Close();
}
