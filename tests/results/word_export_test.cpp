#include "word_export.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QUrl>
#include <clocale>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "cp1250.h"
#include "framework.h"
#include "gui_driver.h"
#include "outro.h"
#include "platform/recordfile_testutil.h"
#include "print.h"
#include "printer.h"
#include "report_print.h"
#include "resultfile.h"
#include "scored_record.h"
#include "support/export_testutil.h"
#include "support/odt_reader.h"
#include "worddoc.h"

namespace {

std::string Cp(const char* utf8) {
  return Utf8ToCp1250(utf8);
}

// A respondent with a code of several codes, lists of every kind and notes.
TPrintFields FullFields() {
  TPrintFields f;
  const double scores[ScaleCount] = {40, 12.375, 57.125, 50.5, 100, 0.25};
  const char* consistency[ScaleCount] = {"vysoká", "střední", "nízká", "vysoká", "střední", "nízká"};
  for (int s = 0; s < ScaleCount; ++s) {
    f.Scores[s] = scores[s];
    f.ConsistencyTexts[s] = Cp(consistency[s]);
  }
  f.ScoreKind = skPercentile;
  f.PersonLines[0] = Cp("Jana Nováková, žena, 17 let");
  f.PersonLines[1] = Cp("Dosažené vzdělání: Základní škola");
  f.PersonLines[2] = Cp("Předpokládané vzdělání: Gymnázium");
  f.CodeText = "SEC/SEA";
  f.ScaleSpread = 13.5;
  f.ScaleRange = 12.5;
  f.ProfessionLines = {Cp("Učitel/ka MŠ*"), Cp("Sociální pracovník**"), Cp("Knihovník")};
  f.OtherProfessionLines = {Cp("Psycholog**"), Cp("Ošetřovatel")};
  f.OtherProfessionLevels = {Cp("VŠ/VOŠ"), Cp("ZŠ,SŠ")};
  // Blanks that XML would fold, characters it escapes, and a control character it cannot hold.
  f.NoteLines = {Cp("Zájem o obor  zdravotnictví & <techniku>\x01"), Cp(" odsazená poznámka "), ""};
  return f;
}

QString Explanation(int scale) {
  return QString::fromStdString(Cp1250ToUtf8(CodeTexts[scale][0]) + "\n" + Cp1250ToUtf8(CodeTexts[scale][1]) + "\n" +
                                Cp1250ToUtf8(CodeTexts[scale][2]));
}

const char* const GenderNote =
    "Pro zjednodušení jsou názvy profesí uvedeny pouze v obvykle užívaném tvaru mužského nebo ženského rodu. "
    "Samozřejmě se ale všechny profese týkají stejnou měrou mužů i žen.";
const char* const ConsultationNote =
    "Navržená povolání vycházejí z Vámi uvedených zájmů. Nakolik jsou tyto návrhy vhodné právě pro Vás, posoudíte "
    "společně při konzultaci s Vaším poradcem.";

// Body paragraphs as (size, text).
using TSized = std::pair<double, QString>;

TSized P(double size, const char* text = "") {
  return {size, QString::fromUtf8(text)};
}

// The processes whose command line mentions `text`.
std::vector<std::string> ProcessesMentioning(const std::string& text) {
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream in(entry.path() / "cmdline", std::ios::binary);
    const std::string cmdline((std::istreambuf_iterator<char>(in)), {});
    if (cmdline.find(text) != std::string::npos) found.push_back(name);
  }
  return found;
}

// The paragraphs of a text report in the document model: text without its
// mark (line breaks as "\n") and size.
std::vector<TSized> ModelParagraphs(TWordDocument& doc) {
  std::vector<TSized> out;
  for (int i = 1; i <= doc.Paragraphs().Count(); ++i) {
    const TWordRange r = doc.Paragraphs().Item(i).Range();
    out.emplace_back(r.Font().Size(), r.Text().chopped(1).replace(QChar(u'\v'), QChar(u'\n')));
  }
  return out;
}

// The paragraphs of a .doc as LibreOffice reads it back (as OpenDocument XML), with a profile in `dir`.
std::vector<TOdtParagraph> ReadBack(const TTempDir& dir, const std::string& doc) {
  QProcess soffice;
  soffice.start(QStringLiteral("soffice"),
                {QStringLiteral("-env:UserInstallation=") +
                     QUrl::fromLocalFile(QString::fromStdString(dir.File("profile"))).toString(),
                 QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("fodt"),
                 QStringLiteral("--outdir"), QString::fromStdString(dir.File("back")), QString::fromStdString(doc)});
  EXPECT_TRUE(soffice.waitForFinished(120000));
  const std::string fodt = dir.File("back/") + std::filesystem::path(doc).stem().string() + ".fodt";
  return ReadOdtParagraphs(QByteArray::fromStdString(ReadBytes(fodt)));
}

}  // namespace

TEST(ExportReportToWord, RealDocumentReadsBackParagraphByParagraph) {
  InitFrameworkTables();
  TTempDir dir;
  std::filesystem::create_directory(dir.File("tmp"));
  const std::string target = dir.File("report.doc");
  WriteBytes(target, "an older report");
  {
    TEnvOverride tmp("TMPDIR", dir.File("tmp"));
    ExportReportToWord(FullFields(), target);
  }
  EXPECT_TRUE(ProcessesMentioning(dir.Path()).empty()) << "LibreOffice left running";
  EXPECT_EQ(FilesIn(dir.Path()), (std::vector<std::string>{"report.doc", "tmp"}));
  EXPECT_TRUE(std::filesystem::is_empty(dir.File("tmp")));
  ASSERT_EQ(ReadBytes(target).substr(0, 8), std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) << "a Word 97 file";

  const std::vector<TOdtParagraph> read = ReadBack(dir, target);
  std::vector<TSized> body;
  std::vector<TOdtParagraph> cells;
  int firstCell = -1;
  for (const TOdtParagraph& p : read) {
    EXPECT_EQ(p.Font, QStringLiteral("Arial CE")) << p.Text.toStdString();
    if (p.Row == 0) {
      EXPECT_EQ(p.Bold, 0) << p.Text.toStdString();
      body.emplace_back(p.Size, p.Text);
    } else {
      if (firstCell < 0) firstCell = static_cast<int>(body.size());
      cells.push_back(p);
    }
  }

  // The table row by row: text, bold; every cell at 12 points.
  const char* const table[7][3] = {{"Škála", "Percentil", "Konzistence"},
                                   {"R (Realistic, řemeslně a technicky zdatný) ", "40", "vysoká"},
                                   {"I (Investigative, zvídavý a zkoumající) ", "12.38", "střední"},
                                   {"A (Artistic, umělecký a tvořivý) ", "57.12", "nízká"},
                                   {"S (Social, vychovávající a pečující) ", "50.5", "vysoká"},
                                   {"E (Enterprising, vůdčí a prodávající) ", "100", "střední"},
                                   {"C (Conventional, uspořádávající a spravující) ", "0.25", "nízká"}};
  const QString point = QString::fromLocal8Bit(std::localeconv()->decimal_point);
  ASSERT_EQ(cells.size(), 21u);
  for (int r = 1; r <= 7; ++r) {
    for (int c = 1; c <= 3; ++c) {
      const TOdtParagraph& cell = cells[(r - 1) * 3 + c - 1];
      QString text = QString::fromUtf8(table[r - 1][c - 1]);
      if (c == 2) text.replace(QLatin1Char('.'), point);
      EXPECT_EQ(cell, (TOdtParagraph{text, QStringLiteral("Arial CE"), 12, r == 1 ? 1 : 0, r, c}));
    }
  }

  std::vector<TSized> expected = {
      P(20, "Test Kelvora"), P(10, "orientační metoda pro volbu povolání"), P(12),
      P(12, "Jana Nováková, žena, 17 let\nDosažené vzdělání: Základní škola\nPředpokládané vzdělání: Gymnázium"), P(12),
      P(16, "Kód: SEC/SEA"), P(16),
      // the table
      P(16), P(12), P(12, "Normovaná standardní odchylka: 14"), P(12, "Normované rozpětí škál: 12"), P(16), P(16),
      P(16, "Vysvětlení kódu")};
  for (int s : {3, 4, 5, 2}) expected.insert(expected.end(), {P(12), {12, Explanation(s)}});
  for (int s : {0, 1}) expected.insert(expected.end(), {P(10), {10, Explanation(s)}});
  expected.insert(expected.end(), {P(16),
                                   P(16),
                                   P(16, "Vhodná povolání"),
                                   P(12),
                                   P(12, "Učitel/ka MŠ*"),
                                   P(12, "Sociální pracovník**"),
                                   P(12, "Knihovník"),
                                   P(12),
                                   P(12),
                                   P(14, "Další vhodná povolání s jinými požadavky na vzdělání"),
                                   P(12),
                                   P(12, "Psycholog** (VŠ/VOŠ)"),
                                   P(12, "Ošetřovatel (ZŠ,SŠ)"),
                                   P(12),
                                   P(10, GenderNote),
                                   P(10),
                                   P(10, ConsultationNote),
                                   P(16),
                                   P(16),
                                   P(16, "Poznámky"),
                                   P(12),
                                   P(12, "Zájem o obor  zdravotnictví & <techniku>"),
                                   P(12, " odsazená poznámka "),
                                   P(12)});
  EXPECT_EQ(body, expected);
  EXPECT_EQ(firstCell, 7) << "the table stands after the code line and its empty paragraph";
}

TEST(WriteReportDocument, CodesListsNotesAndScoreKind) {
  InitFrameworkTables();
  auto report = [](const TPrintFields& f) {
    TWordDocument doc;
    WriteReportDocument(f, doc);
    return ModelParagraphs(doc);
  };
  auto indexOf = [](const std::vector<TSized>& ps, const char* text) {
    for (std::size_t i = 0; i < ps.size(); ++i)
      if (ps[i].second == QString::fromUtf8(text)) return static_cast<int>(i);
    return -1;
  };

  // An empty code: "Kód: " alone and every scale explained at 10 points, R to C.
  TPrintFields f = FullFields();
  f.CodeText.clear();
  f.ProfessionLines.clear();
  f.OtherProfessionLines.clear();
  f.OtherProfessionLevels.clear();
  f.NoteLines.clear();
  std::vector<TSized> ps = report(f);
  ASSERT_GE(indexOf(ps, "Kód: "), 0);
  const int explained = indexOf(ps, "Vysvětlení kódu");
  ASSERT_GE(explained, 0);
  for (int s = 0; s < ScaleCount; ++s) {
    EXPECT_EQ(ps[explained + 1 + 2 * s], P(10));
    EXPECT_EQ(ps[explained + 2 + 2 * s], TSized(10, Explanation(s)));
  }
  // Empty profession lists keep their headings and the paragraphs around them;
  // without notes the document ends with the second fixed note.
  const int suitable = indexOf(ps, "Vhodná povolání");
  ASSERT_GE(suitable, 0);
  const std::vector<TSized> tail(ps.begin() + suitable, ps.end());
  const std::vector<TSized> expectedTail = {P(16, "Vhodná povolání"),
                                            P(12),
                                            P(12),
                                            P(12),
                                            P(14, "Další vhodná povolání s jinými požadavky na vzdělání"),
                                            P(12),
                                            P(12),
                                            P(10, GenderNote),
                                            P(10),
                                            P(10, ConsultationNote)};
  EXPECT_EQ(tail, expectedTail);

  // The score column is named after the kind; a raw-score kind reports Z-scores.
  for (const auto& [kind, name] : {std::pair{1, "T-skór"}, {2, "Z-skór"}, {3, "Z-skór"}}) {
    TPrintFields k = FullFields();
    k.ScoreKind = static_cast<std::uint8_t>(kind);
    TWordDocument doc;
    WriteReportDocument(k, doc);
    EXPECT_EQ(doc.Tables().Item(1).Cell(1, 2).Range().Text(), QString::fromUtf8(name) + QChar(u'\a'));
  }

  // Lower-case letters and other characters of a code are passed over; each scale is explained once.
  f.CodeText = "e/ES/SE";
  ps = report(f);
  const int start = indexOf(ps, "Vysvětlení kódu");
  const int order[ScaleCount] = {4, 3, 0, 1, 2, 5};
  for (int i = 0; i < ScaleCount; ++i) EXPECT_EQ(ps[start + 2 + 2 * i], TSized(i < 2 ? 12 : 10, Explanation(order[i])));
  EXPECT_EQ(ps[start + 2 * ScaleCount + 1], P(16)) << "exactly six explanations";
}

TEST(ExportReportToWord, FailuresWriteNothing) {
  InitFrameworkTables();
  TTempDir dir;
  const std::string target = dir.File("report.doc");
  WriteBytes(target, "an older report");
  {
    TEnvOverride path("PATH", dir.Path());  // no LibreOffice there
    const QString message = ErrorMessageOf([&] { ExportReportToWord(FullFields(), target); });
    EXPECT_TRUE(message.contains(QStringLiteral("potřebuje kancelářský balík LibreOffice"))) << message.toStdString();
  }
  EXPECT_EQ(ReadBytes(target), "an older report");

  const bool locked = LockFolder(dir.Path());
  const QString message = ErrorMessageOf([&] { ExportReportToWord(FullFields(), target); });
  LockFolder(dir.Path(), false);
  if (!locked) GTEST_SKIP() << "this file system lets the process write into a read-only folder";
  EXPECT_TRUE(message.contains(QStringLiteral("přístup odepřen"))) << message.toStdString();
  EXPECT_EQ(ReadBytes(target), "an older report");
  EXPECT_EQ(FilesIn(dir.Path()), std::vector<std::string>{"report.doc"});
}

TEST(SavesAimedAtTheDatabase, AreRefusedByNameAndThroughALink) {
  InitFrameworkTables();
  TTempDir dir;
  DatabaseFileName = dir.File("zovi.db");
  const std::string stored(2 * sizeof(TResultRecord), 'r');
  WriteBytes(DatabaseFileName, stored);
  std::filesystem::create_symlink(DatabaseFileName, dir.File("odkaz.doc"));
  Printer().SetPrinterIndex(static_cast<int>(Printer().Printers().size()) - 1);  // the PDF file
  for (const std::string& target : {DatabaseFileName, dir.File("odkaz.doc")}) {
    const QString pdf = QString::fromStdString(target);
    for (const QString& message : {ErrorMessageOf([&] { SaveResultFile(TResultRecord{}, target); }),
                                   ErrorMessageOf([&] { ExportReportToWord(FullFields(), target); }),
                                   ErrorMessageOf([&] { PrintReportJob(FullFields(), QImage(), false, pdf); })})
      EXPECT_EQ(message.toStdString(),
                "Soubor databáze " + DatabaseFileName + " nelze přepsat. Zvolte pro uložení jiný soubor.");
  }
  EXPECT_TRUE(ReadBytes(DatabaseFileName) == stored);
}

// Control characters pasted into a name or the notes (BEL, RS, TAB, CR) are
// plain text on the screen, in the report's fields and in a whole document.
class ControlCharacters : public GuiTest {};

TEST_F(ControlCharacters, StayTextOnTheScreenInTheReportAndInTheWholeDocument) {
  InitFrameworkTables();
  InitContentTables();
  if (!PrintForm) CreateForm(PrintForm);
  if (!OutroForm) CreateForm(OutroForm);
  TTempDir dir;
  std::filesystem::create_directory(dir.File("tmp"));
  TEnvOverride tmp("TMPDIR", dir.File("tmp"));
  const std::string target = dir.File("report.doc");
  TResultRecord r = ScoredRecord({4, 2, 3, 5, 4, 1});
  r.Name.assign(Cp("Jana\x07 Nováková\x1e"));
  std::strcpy(r.Notes, Cp("\"první\tpoznámka\x07\",\"druhá\x1e poznámka\",\"tře\rtí\"").c_str());

  TModalAnswers answers(
      {[](QWidget* w) {
         EXPECT_EQ(OutroForm->NoteMemo->toPlainText(), "první poznámka\ndruhá poznámka\ntřetí");
         Click(w, QStringLiteral("printbuttonimage"));
       },
       [&](QWidget* w) {
         EXPECT_EQ(PrintForm->PersonLines[0], Cp("Jana Nováková, žena, 16 let"));
         EXPECT_EQ(PrintForm->NoteLines, TStringArray({Cp("první poznámka"), Cp("druhá poznámka"), Cp("třetí")}));
         PrintForm->ExportToWord(QString::fromStdString(target));
         PlatformClose(w);
       },
       [](QWidget* w) { Click(w, QStringLiteral("closebuttonimage")); }});
  EXPECT_TRUE(ShowRecordResults(r));
  ASSERT_TRUE(answers.Done());

  const std::vector<TOdtParagraph> read = ReadBack(dir, target);
  ASSERT_GT(read.size(), 30u);
  EXPECT_EQ(std::count_if(read.begin(), read.end(), [](const TOdtParagraph& p) { return p.Row > 0; }), 21);
  EXPECT_TRUE(read[3].Text.startsWith("Jana Nováková, žena, 16 let\nDosažené vzdělání: "))
      << read[3].Text.toStdString();
  QStringList tail;
  for (auto p = read.end() - 5; p != read.end(); ++p) tail << p->Text;
  EXPECT_EQ(tail, QStringList({"Poznámky", "", "první poznámka", "druhá poznámka", "třetí"}));
}
