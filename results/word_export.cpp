#include "word_export.h"

#include <QString>
#include <cmath>
#include <cstdio>

#include "framework.h"
#include "textcodec.h"
#include "worddoc.h"

namespace {

const char* const ScoreKindNames[] = {"Percentil", "T-skór", "Z-skór"};

// The table's first column, R I A S E C; each label ends with a blank.
const char* const ScaleLabels[ScaleCount] = {
    "R (Realistic, řemeslně a technicky zdatný) ", "I (Investigative, zvídavý a zkoumající) ",
    "A (Artistic, umělecký a tvořivý) ",           "S (Social, vychovávající a pečující) ",
    "E (Enterprising, vůdčí a prodávající) ",      "C (Conventional, uspořádávající a spravující) ",
};

const char* const GenderNote =
    "Pro zjednodušení jsou názvy profesí uvedeny pouze v obvykle užívaném tvaru mužského nebo ženského rodu. "
    "Samozřejmě se ale všechny profese týkají stejnou měrou mužů i žen.";
const char* const ConsultationNote =
    "Navržená povolání vycházejí z Vámi uvedených zájmů. Nakolik jsou tyto návrhy vhodné právě pro Vás, posoudíte "
    "společně při konzultaci s Vaším poradcem.";

QString Utf8(const char* text) {
  return QString::fromUtf8(text);
}

// A whole number, rounded half to even.
QString WholeNumber(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.0f", std::nearbyint(value) + 0.0);
  return QString::fromLatin1(text);
}

// A score rounded to hundredths (half to even) in the general format:
// at most 15 significant digits, no trailing zeros, the locale's decimal point.
QString ScoreText(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.15g", std::nearbyint(value * 100) / 100 + 0.0);
  return QString::fromLocal8Bit(text);
}

// The report is written at the end of the document only, in three steps.
class TEndWriter {
 public:
  explicit TEndWriter(TWordDocument& document) : doc_(document) {}
  // The text of the last paragraph becomes `text`.
  void Write(const QString& text) { doc_.Paragraphs().Last().Range().SetText(text); }
  // The last paragraph's font size becomes `points`.
  void Size(float points) { doc_.Paragraphs().Last().Range().Font().SetSize(points); }
  // A new empty paragraph after the whole document.
  void Break() { doc_.Range().InsertParagraphAfter(); }

 private:
  TWordDocument& doc_;
};

QString CodeExplanation(int scale) {
  return FromCp1250(CodeTexts[scale][0]) + QStringLiteral("\r\n") + FromCp1250(CodeTexts[scale][1]) +
         QStringLiteral("\r\n") + FromCp1250(CodeTexts[scale][2]);
}

void WriteScoreTable(const TPrintFields& f, TWordDocument& doc) {
  const int n = doc.Characters().Count();
  TWordTable table = doc.Tables().Add(doc.Range(n - 1), 7, 3);
  // A raw-score kind never reaches the report: its scores are Z-scores.
  const QString kindName = Utf8(ScoreKindNames[f.ScoreKind < 2 ? f.ScoreKind : 2]);
  for (int r = 1; r <= 7; ++r) {
    for (int c = 1; c <= 3; ++c) {
      TWordRange cell = table.Cell(r, c).Range();
      cell.Font().SetSize(12);
      cell.Font().SetBold(r == 1 ? 1 : 0);
    }
    QString texts[3];
    if (r == 1) {
      texts[0] = QStringLiteral("Škála");
      texts[1] = kindName;
      texts[2] = QStringLiteral("Konzistence");
    } else {
      const int s = r - 2;
      texts[0] = Utf8(ScaleLabels[s]);
      texts[1] = ScoreText(f.Scores[s]);
      texts[2] = FromCp1250(f.ConsistencyTexts[s]);
    }
    for (int c = 1; c <= 3; ++c) table.Cell(r, c).Range().InsertAfter(texts[c - 1]);
  }
}

}  // namespace

void WriteReportDocument(const TPrintFields& f, TWordDocument& doc) {
  TEndWriter w(doc);
  doc.Range().Font().SetName(QStringLiteral("Arial CE"));

  w.Write(QStringLiteral("Test Kelvora"));
  w.Size(20);
  w.Break();
  w.Write(QStringLiteral("orientační metoda pro volbu povolání"));
  w.Size(10);
  w.Break();
  w.Size(12);
  w.Break();
  w.Write(FromCp1250(f.PersonLines[0]) + QStringLiteral("\r\n") + FromCp1250(f.PersonLines[1]) +
          QStringLiteral("\r\n") + FromCp1250(f.PersonLines[2]));
  w.Size(12);
  w.Break();
  w.Size(12);
  w.Break();
  w.Write(QStringLiteral("Kód: ") + FromCp1250(f.CodeText));
  w.Size(16);
  w.Break();
  w.Break();

  WriteScoreTable(f, doc);

  w.Break();
  w.Size(12);
  w.Break();
  w.Write(QStringLiteral("Normovaná standardní odchylka: ") + WholeNumber(f.ScaleSpread));
  w.Size(12);
  w.Break();
  w.Write(QStringLiteral("Normované rozpětí škál: ") + WholeNumber(f.ScaleRange));
  w.Size(12);
  w.Break();

  w.Size(16);
  w.Break();
  w.Size(16);
  w.Break();
  w.Size(16);
  w.Write(QStringLiteral("Vysvětlení kódu"));
  // The code's letters first, in order of first occurrence; then the other scales.
  bool explained[ScaleCount] = {};
  for (const int s : ScalesOfCodeText(f.CodeText)) {
    explained[s] = true;
    w.Break();
    w.Size(12);
    w.Break();
    w.Write(CodeExplanation(s));
  }
  for (int s = 0; s < ScaleCount; ++s) {
    if (explained[s]) continue;
    explained[s] = true;
    w.Break();
    w.Size(10);
    w.Break();
    w.Write(CodeExplanation(s));
  }

  w.Break();
  w.Size(16);
  w.Break();
  w.Size(16);
  w.Break();
  w.Size(16);
  w.Write(QStringLiteral("Vhodná povolání"));
  w.Break();
  w.Size(12);
  for (const std::string& line : f.ProfessionLines) {
    w.Break();
    w.Size(12);
    w.Write(FromCp1250(line));
  }

  w.Break();
  w.Size(12);
  w.Break();
  w.Size(12);
  w.Break();
  w.Size(14);
  w.Write(QStringLiteral("Další vhodná povolání s jinými požadavky na vzdělání"));
  w.Break();
  w.Size(12);
  for (std::size_t i = 0; i < f.OtherProfessionLines.size(); ++i) {
    // The two lists run in parallel; a missing level reads as none.
    const std::string level = i < f.OtherProfessionLevels.size() ? f.OtherProfessionLevels[i] : std::string();
    w.Break();
    w.Size(12);
    w.Write(FromCp1250(f.OtherProfessionLines[i]) + QStringLiteral(" (") + FromCp1250(level) + QStringLiteral(")"));
  }

  w.Break();
  w.Size(12);
  w.Break();
  w.Size(10);
  w.Write(Utf8(GenderNote));
  w.Break();
  w.Size(10);
  w.Break();
  w.Size(10);
  w.Write(Utf8(ConsultationNote));

  if (!f.NoteLines.empty()) {
    w.Break();
    w.Size(16);
    w.Break();
    w.Size(16);
    w.Break();
    w.Size(16);
    w.Write(QStringLiteral("Poznámky"));
    w.Break();
    w.Size(12);
    for (const std::string& line : f.NoteLines) {
      w.Break();
      w.Write(FromCp1250(line));
      w.Size(12);
    }
  }
}

void ExportReportToWord(const TPrintFields& fields, const std::string& fileName) {
  TWordApplication word;
  TWordDocument& doc = word.Documents.Add();
  WriteReportDocument(fields, doc);
  doc.SaveAs(fileName, wdFormatDocument);
  doc.Close();
}
