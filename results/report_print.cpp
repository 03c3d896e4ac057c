#include "report_print.h"

#include <QDir>
#include <QStringList>
#include <cmath>
#include <cstdlib>

#include "chart.h"
#include "filedialog.h"
#include "printer.h"
#include "report_chart.h"
#include "textcodec.h"

namespace {

// The banner's own size sets the height it takes on the page.
constexpr int BannerWidth = 2481, BannerHeight = 415;
constexpr int RulePen = 20;
const QColor Black(0, 0, 0);
const QColor White(255, 255, 255);

enum TSection { scResults, scExplanation, scProfessions, scNotes, scSimplified };

const QString& SectionTitle(TSection section) {
  static const QString titles[] = {QStringLiteral(", výsledky testu"), QStringLiteral(", vysvětlení kódu"),
                                   QStringLiteral(", vhodná povolání"), QStringLiteral(", poznámky"), QString()};
  return titles[section];
}

const QString& KindName(TScoreKind kind) {
  static const QString names[] = {QStringLiteral("Percentil"), QStringLiteral("T-skór"), QStringLiteral("Z-skór")};
  return names[kind];
}

const QString& ScaleRowText(int s) {
  static const QString rows[ScaleCount] = {
      QStringLiteral("R (Realistic, řemeslně a technicky zdatný)"),
      QStringLiteral("I (Investigative, zvídavý a zkoumající)"),
      QStringLiteral("A (Artistic, umělecký a tvořivý)"),
      QStringLiteral("S (Social, vychovávající a pečující)"),
      QStringLiteral("E (Enterprising, vůdčí a prodávající)"),
      QStringLiteral("C (Conventional, uspořádávající a spravující)"),
  };
  return rows[s];
}

const QString ClosingNotes[] = {
    QStringLiteral("Pro zjednodušení jsou názvy profesí uvedeny pouze v obvykle užívaném tvaru mužského nebo "
                   "ženského rodu. Samozřejmě se ale všechny profese týkají stejnou měrou mužů i žen."),
    QStringLiteral("Navržená povolání vycházejí z Vámi uvedených zájmů. Nakolik jsou tyto návrhy vhodné právě pro "
                   "Vás, posoudíte společně při konzultaci s Vaším poradcem."),
};

// The text without the blanks and control characters at its ends.
QString Trim(const QString& text) {
  qsizetype first = 0, last = text.size();
  while (first < last && text[first].unicode() <= 32) ++first;
  while (last > first && text[last - 1].unicode() <= 32) --last;
  return text.mid(first, last - first);
}

// One drawing of the report. The full report's captions need the page count
// before page 1 is drawn, so it is laid out twice: first measuring only (no
// output, no page change), which counts the pages, then drawing.
class TReportLayout {
 public:
  TReportLayout(TCanvas& canvas, int pageWidth, int pageHeight, const std::function<void()>& newPage,
                const TPrintFields& fields, const QImage& banner, int pageCount)
      : canvas_(canvas),
        pw_(pageWidth),
        ph_(pageHeight),
        newPage_(newPage),
        fields_(fields),
        banner_(banner),
        pageCount_(pageCount),
        measuring_(pageCount == 0),
        left_(RoundHalfEven(0.065L * pageWidth)),
        ruleEnd_(RoundHalfEven(0.95L * pageWidth)),
        captionEnd_(RoundHalfEven(0.945L * pageWidth)),
        scoreColumn_(RoundHalfEven(0.62L * pageWidth)),
        consistencyColumn_(RoundHalfEven(0.8L * pageWidth)),
        levelsColumn_(RoundHalfEven(0.67L * pageWidth)),
        wrapWidth_(RoundHalfEven(0.86L * pageWidth)),
        codeLimit_(RoundHalfEven(0.7L * pageWidth)) {
    const int w = banner.isNull() ? BannerWidth : banner.width();
    const int h = banner.isNull() ? BannerHeight : banner.height();
    bannerHeight_ = RoundHalfEven(static_cast<long double>(pageWidth) / w * h);
    textTop_ = RoundHalfEven(static_cast<long double>(pageWidth) / w * h * 0.71L);
  }

  int Full();
  int Simplified();

 private:
  int Lines(long double n) { return RoundHalfEven(n * canvas_.TextHeight(QStringLiteral("A"))); }
  void SetHeight(int pixels) {
    height_ = pixels;
    canvas_.SetFontHeight(pixels);
  }
  void Text(int x, const QString& text) {
    if (!measuring_) canvas_.TextOut(x, y_, text);
  }
  void Rule();
  void Start(bool caption);
  void PageTop(TSection section);
  void PageHead(TSection section);
  void NextPage(TSection section);
  void EnsureRoom();
  void ListLine(const QString& text);
  void PrintWrappedText(const QString& text);
  void PrintWrappedText(const std::string& cp1250) { PrintWrappedText(FromCp1250(cp1250)); }
  void ExplainCode(bool (&marked)[ScaleCount]);
  void ExplainScale(int s);
  void Notes();

  TCanvas& canvas_;
  const int pw_, ph_;
  const std::function<void()>& newPage_;
  const TPrintFields& fields_;
  const QImage& banner_;
  const int pageCount_;
  const bool measuring_;
  const int left_, ruleEnd_, captionEnd_, scoreColumn_, consistencyColumn_, levelsColumn_, wrapWidth_, codeLimit_;
  int bannerHeight_, textTop_;

  int y_ = 0;
  int height_ = 0;   // the font height in effect
  int page_ = 1;     // the page being drawn
  int headEnd_ = 0;  // where the current page's head ended
  TSection section_ = scResults;
};

void TReportLayout::Rule() {
  if (measuring_) return;
  canvas_.MoveTo(left_, y_);
  canvas_.LineTo(ruleEnd_, y_);
}

// The top of every page: the banner across the page, and at the text's start
// in it the caption "stránka N/M" with the section's title (the full report only).
void TReportLayout::PageTop(TSection section) {
  section_ = section;
  if (!measuring_ && !banner_.isNull()) canvas_.StretchDraw(QRect(0, 0, pw_, bannerHeight_), banner_);
  y_ = textTop_;
  SetHeight(ph_ / 60);
  if (section == scSimplified || measuring_) return;
  const QString caption = QStringLiteral("stránka %1/%2").arg(page_).arg(pageCount_) + SectionTitle(section);
  canvas_.TextOut(captionEnd_ - canvas_.TextWidth(caption), y_, caption);
}

// The head of every page after the first: banner, caption, the respondent's name between two rules.
void TReportLayout::PageHead(TSection section) {
  PageTop(section);
  y_ += Lines(1.5L);
  Rule();
  y_ += Lines(0.5L);
  Text(left_, FromCp1250(fields_.PersonLines[0]));
  y_ += Lines(1.5L);
  Rule();
  y_ += Lines(2.5L);
  headEnd_ = y_;
}

void TReportLayout::NextPage(TSection section) {
  if (!measuring_) newPage_();
  ++page_;
  PageHead(section);
}

// A line that would run below the page's bottom edge goes to a following
// page with the same head, in the font it was to be printed in. A page that
// holds nothing but its head takes the line wherever it ends.
void TReportLayout::EnsureRoom() {
  if (y_ + canvas_.TextHeight(QStringLiteral("A")) <= ph_ || y_ <= headEnd_) return;
  const int height = height_;
  NextPage(section_);
  SetHeight(height);
}

void TReportLayout::ListLine(const QString& text) {
  EnsureRoom();
  Text(left_, text);
  y_ += Lines(1.2L);
}

// Words are split at blanks only. A pending line collects words while it
// fits the wrap width; a word too wide for a line of its own is broken
// inside, at the last character that still fits.
void TReportLayout::PrintWrappedText(const QString& paragraph) {
  const QString text = Trim(paragraph);
  QString pending;
  const auto width = [&](const QString& s) { return canvas_.TextWidth(s); };
  qsizetype at = 0;
  while (at < text.size()) {
    qsizetype blank = text.indexOf(QLatin1Char(' '), at);
    if (blank < 0) blank = text.size();
    const QString word = text.mid(at, blank - at);
    at = blank;
    while (at < text.size() && text[at] == QLatin1Char(' ')) ++at;

    if (!pending.isEmpty() && width(pending) <= wrapWidth_ && width(pending + QLatin1Char(' ') + word) > wrapWidth_) {
      ListLine(pending);
      pending = word;
    } else {
      pending = Trim(pending + QLatin1Char(' ') + word);
    }
    while (width(pending) > wrapWidth_ && pending.size() > 1) {
      qsizetype fits = 1, over = pending.size();  // width(left(fits)) <= wrap < width(left(over))
      while (over - fits > 1) {
        const qsizetype mid = (fits + over) / 2;
        (width(pending.left(mid)) <= wrapWidth_ ? fits : over) = mid;
      }
      if (fits > 1 && pending[fits].isLowSurrogate()) --fits;
      ListLine(pending.left(fits));
      pending = pending.mid(fits);
    }
  }
  if (!pending.isEmpty()) ListLine(pending);
}

void TReportLayout::ExplainScale(int s) {
  for (const std::string& text : CodeTexts[s]) PrintWrappedText(text);
  y_ += Lines(1.2L);
}

// The scales of the code, each once, in the order of their first letter.
void TReportLayout::ExplainCode(bool (&marked)[ScaleCount]) {
  for (const int s : ScalesOfCodeText(fields_.CodeText)) {
    marked[s] = true;
    ExplainScale(s);
  }
}

void TReportLayout::Notes() {
  for (const std::string& line : fields_.NoteLines) PrintWrappedText(line);
}

// Page 1's head, the person, the code line, and the font of what follows.
void TReportLayout::Start(bool caption) {
  canvas_.SetFontName(QStringLiteral("Arial"));
  canvas_.SetFontCharset(238);
  canvas_.SetFontColor(Black);
  canvas_.SetFontStyle(fsBold);
  canvas_.SetPenColor(Black);
  canvas_.SetPenWidth(RulePen);
  canvas_.SetBrushColor(White);
  PageTop(caption ? scResults : scSimplified);
  y_ += Lines(1.5L);
  Rule();
  y_ += Lines(0.5L);
  for (int k = 0; k < 3; ++k) {
    Text(left_, FromCp1250(fields_.PersonLines[k]));
    y_ += Lines(1.5L);
  }
  Rule();
  y_ += Lines(1.5L);
  headEnd_ = y_;

  const QString code = QStringLiteral("Kód: ") + FromCp1250(fields_.CodeText);
  int height = ph_ / 30;
  SetHeight(height);
  while (canvas_.TextWidth(code) > codeLimit_ && height > 2) SetHeight(height -= 2);
  Text(left_, code);
  y_ += Lines(1.2L);

  canvas_.SetFontStyle(fsBold);
  SetHeight(ph_ / 50);
}

int TReportLayout::Full() {
  Start(true);
  const TScoreKind kind = ReportScoreKind(fields_);
  Text(left_, QStringLiteral("Škála"));
  Text(scoreColumn_, KindName(kind));
  Text(consistencyColumn_, QStringLiteral("Konzistence"));
  y_ += Lines(1.5L);
  canvas_.SetFontStyle(fsNone);
  for (int s = 0; s < ScaleCount; ++s) {
    Text(left_, ScaleRowText(s));
    Text(scoreColumn_, FormatReportScore(fields_.Scores[s]));
    Text(consistencyColumn_, FromCp1250(fields_.ConsistencyTexts[s]));
    y_ += Lines(s < ScaleCount - 1 ? 1.2L : 2.0L);
  }
  Text(left_, QStringLiteral("Normovaná standardní odchylka"));
  Text(scoreColumn_, QString::number(RoundHalfEven(fields_.ScaleSpread)));
  y_ += Lines(1.2L);
  Text(left_, QStringLiteral("Normované rozpětí škál"));
  Text(scoreColumn_, QString::number(RoundHalfEven(fields_.ScaleRange)));
  y_ += Lines(1.2L);
  y_ += RoundHalfEven(0.05L * ph_);
  if (!measuring_) DrawReportChart(canvas_, y_, pw_, ph_, fields_);
  // The chart leaves bold letters and the 20-pixel pen, which the rest of the report keeps.
  canvas_.SetFontStyle(fsBold);
  canvas_.SetPenWidth(RulePen);
  canvas_.SetFontColor(Black);
  canvas_.SetPenColor(Black);

  NextPage(scExplanation);
  SetHeight(ph_ / 70);
  bool marked[ScaleCount] = {};
  ExplainCode(marked);
  Rule();
  y_ += Lines(1.5L);
  SetHeight(ph_ / 80);
  for (int s = 0; s < ScaleCount; ++s)
    if (!marked[s]) ExplainScale(s);

  NextPage(scProfessions);
  SetHeight(ph_ / 50);
  Text(left_, QStringLiteral("Vhodná povolání"));
  y_ += Lines(1.5L);
  SetHeight(ph_ / 70);
  for (const std::string& line : fields_.ProfessionLines) ListLine(FromCp1250(line));
  y_ += RoundHalfEven(0.04L * ph_);
  SetHeight(ph_ / 60);
  Text(left_, QStringLiteral("Další vhodná povolání s jinými požadavky na vzdělání"));
  y_ += Lines(1.5L);
  SetHeight(ph_ / 80);
  // This list ends deliberately once 0.9 of the page is filled.
  const auto& others = fields_.OtherProfessionLines;
  for (std::size_t i = 0; i < others.size(); ++i) {
    Text(left_, FromCp1250(others[i]));
    if (i < fields_.OtherProfessionLevels.size()) Text(levelsColumn_, FromCp1250(fields_.OtherProfessionLevels[i]));
    y_ += Lines(1.2L);
    if (y_ >= 0.9L * ph_) break;
  }
  y_ += RoundHalfEven(0.065L * ph_);
  for (const QString& note : ClosingNotes) PrintWrappedText(note);

  if (!fields_.NoteLines.empty()) {
    NextPage(scNotes);
    SetHeight(ph_ / 70);
    Notes();
  }
  return page_;
}

int TReportLayout::Simplified() {
  Start(false);
  const TScoreKind kind = ReportScoreKind(fields_);
  SetHeight(ph_ / 90);
  QStringList scores;
  for (int s = 0; s < ScaleCount; ++s)
    scores << ScaleLetter(s) + QLatin1Char('=') + FormatReportScore(fields_.Scores[s]);
  PrintWrappedText(KindName(kind) + QStringLiteral(": ") + scores.join(QStringLiteral(", ")));
  y_ += Lines(1.2L);
  bool marked[ScaleCount] = {};
  ExplainCode(marked);
  y_ += Lines(0.5L);
  Rule();
  y_ += Lines(1.5L);

  SetHeight(ph_ / 50);
  Text(left_, QStringLiteral("Vhodná povolání:"));
  y_ += Lines(2);
  SetHeight(ph_ / 70);
  for (const std::string& line : fields_.ProfessionLines) ListLine(FromCp1250(line));

  if (!fields_.NoteLines.empty()) {
    y_ += Lines(1.5L);
    Rule();
    y_ += Lines(1.5L);
    SetHeight(ph_ / 50);
    Text(left_, QStringLiteral("Poznámky:"));
    y_ += Lines(2);
    SetHeight(ph_ / 70);
    Notes();
  }
  return page_;
}

}  // namespace

QString FormatReportScore(double score) {
  const long double hundredths = static_cast<long double>(score) * 100;
  if (!(std::fabs(hundredths) < 1e15L)) return QString::number(score, 'g', 15);  // no score comes near
  const long long whole = std::llrint(hundredths);  // the default rounding mode: halves to even
  QString text = QString::number(std::llabs(whole) / 100);
  if (const long long cents = std::llabs(whole) % 100; cents != 0) {
    text += QLatin1Char(',') + QString::number(cents / 10);
    if (cents % 10 != 0) text += QString::number(cents % 10);
  }
  return whole < 0 ? QLatin1Char('-') + text : text;
}

int DrawReport(TCanvas& canvas, int pageWidth, int pageHeight, const std::function<void()>& newPage,
               const TPrintFields& fields, const QImage& banner, bool simplified) {
  if (simplified) return TReportLayout(canvas, pageWidth, pageHeight, newPage, fields, banner, 1).Simplified();
  const int pages = TReportLayout(canvas, pageWidth, pageHeight, newPage, fields, banner, 0).Full();
  return TReportLayout(canvas, pageWidth, pageHeight, newPage, fields, banner, pages).Full();
}

void PrintReportJob(const TPrintFields& fields, const QImage& banner, bool simplified, const QString& pdfFileName) {
  TPrinter& printer = Printer();
  printer.BeginDoc(pdfFileName);
  const TPrintJobGuard guard(printer);
  DrawReport(
      printer.Canvas(), printer.PageWidth(), printer.PageHeight(), [&] { printer.NewPage(); }, fields, banner,
      simplified);
  printer.EndDoc();
}

bool PrintReport(const TPrintFields& fields, const QImage& banner, bool simplified, QWidget* parent) {
  QString pdfFileName;
  if (Printer().IsPdf()) {
    TFileDialog saveDialog(TFileDialog::Kind::Save, QStringLiteral("PdfSaveDialog"));
    saveDialog.DefaultExt = QStringLiteral("pdf");
    saveDialog.FileName = QStringLiteral("report.pdf");
    saveDialog.Filter = QStringLiteral("Dokument PDF|*.pdf");
    if (!saveDialog.Execute(parent)) return false;
    pdfFileName = saveDialog.FileName;
  }
  PrintReportJob(fields, banner, simplified, pdfFileName);
  return true;
}

void WriteReportPdfs(const TPrintFields& fields, const QImage& banner, const QString& folder) {
  TPrinter& printer = Printer();
  struct TKeepPrinter {
    TPrinter& printer;
    const int index = printer.PrinterIndex();
    ~TKeepPrinter() {
      try {
        printer.SetPrinterIndex(index);
      } catch (const EPrinterError&) {  // the printer has gone meanwhile: the default one stays
      }
    }
  } keep{printer};
  printer.SetPrinterIndex(static_cast<int>(printer.Printers().size()) - 1);
  const QDir dir(folder);
  PrintReportJob(fields, banner, false, dir.filePath(QStringLiteral("report-full.pdf")));
  PrintReportJob(fields, banner, true, dir.filePath(QStringLiteral("report-simple.pdf")));
}
