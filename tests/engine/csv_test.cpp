#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <random>
#include <type_traits>
#include <vector>

#include "cp1250.h"
#include "datetime.h"
#include "framework.h"
#include "framework_sheets.h"
#include "platform/recordfile_testutil.h"
#include "support/csv_reader.h"

namespace {

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + separator.size())
    parts.push_back(text.substr(start, at - start));
  parts.push_back(text.substr(start));
  return parts;
}

// A scored respondent: answers drawn from the generator, raw scores computed from them.
TResultRecord Respondent(const std::string& name, TSex sex, std::uint32_t seed) {
  TResultRecord r;
  std::memset(&r, 0, sizeof r);
  r.Name.assign(Utf8ToCp1250(name));
  r.Sex = sex;
  r.Age = 15 + static_cast<int>(seed % 30);
  r.Education = static_cast<TEducation>(seed % 7);
  r.ExpectedEducation = static_cast<TEducation>((seed + 3) % 7);
  r.ScoreSheet.TestDate = EncodeDateTime(2024, 1 + seed % 12, 1 + seed % 28, 8 + seed % 9, 5, 7);
  std::mt19937 gen(seed);
  for (auto& a : r.ScoreSheet.Answers) a = static_cast<std::int16_t>(1 + gen() % 5);
  ComputeRawScores(r.ScoreSheet);
  return r;
}

TStringArray ExactCodesOf(const TResultRecord& r) {
  TStringArray exact, coarse, permuted;
  DeriveCodes(r.ScoreSheet, Norms[r.Sex], exact, coarse, permuted);
  return exact;
}

std::string Joined(const TStringArray& codes) {
  std::string s;
  for (const auto& c : codes) s += (s.empty() ? "" : "/") + c;
  return s;
}

template <typename E, typename F>
::testing::AssertionResult Throws(F step, int code = 0) {
  try {
    step();
  } catch (const E& e) {
    if constexpr (std::is_same_v<E, EInOutError>)
      if (code && e.ErrorCode != code) return ::testing::AssertionFailure() << "error code " << e.ErrorCode;
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "no exception";
}

class CsvExport : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitEngineTables(); }
  void SetUp() override {
    DatabaseFileName = dir_.File("zovi.db");
    Store({});
  }

  void Store(const std::vector<TResultRecord>& records) {
    std::string bytes;
    for (const auto& r : records) bytes.append(reinterpret_cast<const char*>(&r), sizeof r);
    WriteBytes(DatabaseFileName, bytes);
  }

  // The records of the exported file as a spreadsheet reads them, checking that the file ends with CR LF.
  std::vector<std::vector<std::string>> Export() {
    ExportCsv(target_);
    const std::string text = ReadBytes(target_);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    return ReadCsv(text);
  }

  TTempDir dir_;
  std::string target_ = dir_.File("data_zovi.csv");
};

}  // namespace

TEST_F(CsvExport, EmptyDatabaseGivesTheHeaderAlone) {
  ExportCsv(target_);
  const std::string text = ReadBytes(target_);
  EXPECT_EQ(text, CsvHeaderLine());
  const std::string header = Cp1250ToUtf8(text);
  const std::string start = "Jméno a příjmení;Pohlaví;Věk;Dosažené vzdělání;Očekávané vzdělání;Datum testování;";
  EXPECT_EQ(header.substr(0, start.size()), start);
  const auto fields = Split(header.substr(0, header.size() - 2), ";");
  ASSERT_EQ(fields.size(), 86u);
  EXPECT_EQ(fields[6], "Hrubý skór - R");
  EXPECT_EQ(fields[11], "Hrubý skór - C");
  EXPECT_EQ(fields[13], "Percentil - I");
  EXPECT_EQ(fields[23], "T-skór - C");
  EXPECT_EQ(fields[24], "Kód");
  EXPECT_EQ(fields[25], "Odpověď 1");
  EXPECT_EQ(fields[84], "Odpověď 60");
  EXPECT_EQ(fields[85], "Poznámky");
  EXPECT_EQ(header.substr(header.size() - 2), "\r\n");

  // Bytes short of a whole record are no record.
  WriteBytes(DatabaseFileName, std::string(RecordSize - 1, '\1'));
  ExportCsv(target_);
  EXPECT_EQ(ReadBytes(target_), CsvHeaderLine());
}

TEST_F(CsvExport, EveryFieldIsWhatTheEngineComputesForTheRecord) {
  std::vector<TResultRecord> records;
  for (std::uint32_t seed = 1; seed <= 12; ++seed)
    records.push_back(Respondent("Respondent číslo " + std::to_string(seed), seed % 2 ? sxFemale : sxMale, seed));
  records[0].Age = -1;
  records[1].ExpectedEducation = edNotChosen;
  records[2].ScoreSheet.TestDate = EncodeDateTime(2023, 9, 1);  // exactly midnight
  records[3].ScoreSheet.Answers[17] = 0;
  ComputeRawScores(records[3].ScoreSheet);
  std::strcpy(records[4].Notes, Utf8ToCp1250("první řádek,\"druhý, s čárkou\"").c_str());
  records[5].Notes[0] = 'x';
  records[5].Notes[1] = 0;
  records[5].Notes[2] = 'y';  // after the NUL: not part of the notes
  // A respondent with two exact codes.
  for (std::uint32_t seed = 100;; ++seed) {
    TResultRecord r = Respondent("Dva kódy", sxMale, seed);
    if (ExactCodesOf(r).size() == 2) {
      records.push_back(r);
      break;
    }
  }
  Store(records);

  const auto rows = Export();
  ASSERT_EQ(rows.size(), records.size() + 1);
  for (std::size_t i = 0; i < records.size(); ++i) {
    SCOPED_TRACE(i);
    const TResultRecord& r = records[i];
    const auto& f = rows[i + 1];
    ASSERT_EQ(f.size(), 86u);
    EXPECT_EQ(f[0], r.Name.str());
    EXPECT_EQ(f[1], SexText(r.Sex));
    EXPECT_EQ(f[2], std::to_string(r.Age));
    EXPECT_EQ(f[3], EducationText(r.Education));
    EXPECT_EQ(f[4], EducationText(r.ExpectedEducation));
    EXPECT_EQ(f[5], RegionalDateTime(r.ScoreSheet.TestDate));
    TScoreSheet percentiles = r.ScoreSheet, tScores = r.ScoreSheet;
    ConvertScores(percentiles, Norms[r.Sex], skPercentile);
    ConvertScores(tScores, Norms[r.Sex], skTScore);
    for (int s = 0; s < ScaleCount; ++s) {
      EXPECT_EQ(f[6 + s], std::to_string(r.ScoreSheet.RawScores[s]));
      EXPECT_EQ(f[12 + s], std::to_string(std::lround(percentiles.Scores[s])));
      EXPECT_EQ(f[18 + s], std::to_string(std::lround(tScores.Scores[s])));
    }
    EXPECT_EQ(f[24], Joined(ExactCodesOf(r)));
    for (int n = 0; n < 60; ++n) EXPECT_EQ(f[25 + n], std::to_string(r.ScoreSheet.Answers[n]));
    EXPECT_EQ(f[85], RecordNotes(r));
  }

  EXPECT_EQ(rows[1][2], "-1");
  EXPECT_EQ(Cp1250ToUtf8(rows[2][4]), "???");
  const std::string midnight = rows[3][5];
  EXPECT_EQ(midnight, RegionalShortDate(records[2].ScoreSheet.TestDate));
  EXPECT_EQ(midnight.find(' '), std::string::npos);
  EXPECT_NE(rows[4][5].find(' '), std::string::npos);  // a date with a time has its blank
  EXPECT_EQ(rows[4][25 + 17], "0");
  EXPECT_EQ(rows[6][85], "x");
  const std::string twoCodes = rows.back()[24];
  EXPECT_EQ(twoCodes.size(), 7u);
  EXPECT_EQ(twoCodes[3], '/');
}

TEST_F(CsvExport, FieldsWithSeparatorsQuotesOrLineBreaksAreQuotedAndOthersAreNot) {
  TResultRecord a = Respondent("Novák; Jan", sxMale, 7), b = Respondent("Nováková", sxFemale, 8),
                c = Respondent("Řádek\rzlomený \"Jiří\"", sxMale, 9), plain = Respondent("Jana Malá", sxFemale, 10);
  std::strcpy(b.Notes, Utf8ToCp1250("\"první řádek\",a;b\r\nc").c_str());
  std::strcpy(plain.Notes, "bez,uvozovek");
  Store({a, b, c, plain});
  ExportCsv(target_);
  const std::string text = ReadBytes(target_);
  const auto lines = Split(text, "\r\n");
  EXPECT_EQ(Cp1250ToUtf8(lines[1].substr(0, 13)), "\"Novák; Jan\";");
  EXPECT_EQ(Cp1250ToUtf8(lines[2].substr(lines[2].find("\"\"\""))), "\"\"\"první řádek\"\",a;b");
  EXPECT_EQ(lines[3], "c\"");  // the notes' CR LF stands inside the quotes

  const auto rows = ReadCsv(text);
  ASSERT_EQ(rows.size(), 5u);
  for (std::size_t i = 1; i < rows.size(); ++i) ASSERT_EQ(rows[i].size(), 86u) << i;
  EXPECT_EQ(rows[1][0], a.Name.str());
  EXPECT_EQ(rows[1][1], SexText(sxMale));
  EXPECT_EQ(rows[2][85], RecordNotes(b));
  EXPECT_EQ(rows[3][0], c.Name.str());
  // An ordinary record is written field by field exactly as it stands.
  std::string joined;
  for (const auto& field : rows[4]) joined += (joined.empty() ? "" : ";") + field;
  EXPECT_EQ(lines.end()[-2], joined);
  EXPECT_EQ(joined.find('"'), std::string::npos);
}

TEST_F(CsvExport, RecordsWithoutNormsKeepTheirStoredFieldsAndLeaveTheConvertedOnesEmpty) {
  TResultRecord noSex = Respondent("Bez pohlaví", 7, 3);
  TResultRecord lowRaw = Respondent("Mimo normy", sxFemale, 4);
  lowRaw.ScoreSheet.RawScores[2] = 0;
  TResultRecord highRaw = Respondent("Nad normami", sxMale, 5);
  highRaw.ScoreSheet.RawScores[5] = 51;
  const TResultRecord fine = Respondent("V pořádku", sxMale, 6);
  Store({noSex, lowRaw, highRaw, fine});

  const auto rows = Export();
  ASSERT_EQ(rows.size(), 5u);
  for (int i = 0; i < 3; ++i) {
    const TResultRecord& r = i == 0 ? noSex : i == 1 ? lowRaw : highRaw;
    const auto& f = rows[i + 1];
    ASSERT_EQ(f.size(), 86u) << i;
    EXPECT_EQ(f[0], r.Name.str());
    EXPECT_EQ(f[1], SexText(r.Sex));
    for (int s = 0; s < ScaleCount; ++s) EXPECT_EQ(f[6 + s], std::to_string(r.ScoreSheet.RawScores[s]));
    for (int k = 12; k <= 24; ++k) EXPECT_EQ(f[k], "") << i << " column " << k;
    EXPECT_EQ(f[25], std::to_string(r.ScoreSheet.Answers[0]));
  }
  EXPECT_EQ(Cp1250ToUtf8(rows[1][1]), "???");
  EXPECT_EQ(rows[4][24], Joined(ExactCodesOf(fine)));
}

TEST_F(CsvExport, ReplacesTheTargetAndGivesTheSameFileTwice) {
  Store({Respondent("Jana", sxFemale, 1), Respondent("Petr", sxMale, 2)});
  WriteBytes(target_, std::string(100000, '#'));
  ExportCsv(target_);
  const std::string first = ReadBytes(target_);
  EXPECT_EQ(first.find('#'), std::string::npos);
  ExportCsv(target_);
  EXPECT_EQ(ReadBytes(target_), first);
}

TEST_F(CsvExport, FailuresTouchNeitherTheTargetNorTheDatabase) {
  Store({Respondent("Jana", sxFemale, 1)});
  const std::string database = ReadBytes(DatabaseFileName);

  // The database itself, under its own name and under another spelling of it, is refused.
  EXPECT_TRUE(Throws<EDatabaseError>([&] { ExportCsv(DatabaseFileName); }));
  EXPECT_TRUE(Throws<EDatabaseError>([&] { ExportCsv(dir_.Path() + "/./zovi.db"); }));
  std::filesystem::create_symlink(DatabaseFileName, dir_.File("link.csv"));
  EXPECT_TRUE(Throws<EDatabaseError>([&] { ExportCsv(dir_.File("link.csv")); }));
  EXPECT_EQ(ReadBytes(DatabaseFileName), database);

  // A missing database fails with code 2 before the target is created or replaced.
  WriteBytes(target_, "keep");
  const std::string saved = DatabaseFileName;
  DatabaseFileName = dir_.File("missing.db");
  EXPECT_TRUE(Throws<EInOutError>([&] { ExportCsv(target_); }, 2));
  EXPECT_TRUE(Throws<EInOutError>([&] { ExportCsv(dir_.File("new.csv")); }, 2));
  EXPECT_EQ(ReadBytes(target_), "keep");
  EXPECT_FALSE(std::filesystem::exists(dir_.File("new.csv")));
  DatabaseFileName = saved;

  // A target that cannot be created fails with an I/O error.
  EXPECT_TRUE(Throws<EInOutError>([&] { ExportCsv(dir_.Path()); }));
  EXPECT_TRUE(Throws<EInOutError>([&] { ExportCsv(dir_.File("no/such/folder.csv")); }));
  EXPECT_EQ(ReadBytes(DatabaseFileName), database);
}
