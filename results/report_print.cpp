#include "report_print.h"

#include <QDir>
#include <QStringList>
#include <algorithm>
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
  int LineHeight() { return canvas_.TextHeight(QStringLiteral("A")); }
  void Text(int x, const QString& text) {
    if (trial_) lowest_ = std::max(lowest_, y_ + LineHeight());
    if (!measuring_ && !trial_) canvas_.TextOut(x, y_, text);
  }
  void Rule();
  void PersonLine(const std::string& line);
  void Start(bool caption);
  void PageTop(TSection section);
  void PageHead(TSection section);
  void NextPage(TSection section);
  bool EnsureRoom(int height);
  void KeepWithNext(const std::function<void()>& lead, const std::function<void()>& heading, int nextHeight);
  void SimplifiedHeading(const QString& text, long double before, bool lineFollows);
  void ListLine(const QString& text);
  QStringList WrappedLines(const QString& paragraph);
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
  bool trial_ = false;  // a heading laid out only to see where it ends
  int lowest_ = 0;      // meanwhile: the lowest edge it draws
};

// A rule that would reach below the page's bottom edge is left out: rules
// that lead into text move to the next page with it (KeepWithNext).
void TReportLayout::Rule() {
  if (trial_) lowest_ = std::max(lowest_, y_ + RulePen / 2);
  if (measuring_ || trial_ || y_ + RulePen / 2 > ph_) return;
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
  PersonLine(fields_.PersonLines[0]);
  Rule();
  y_ += Lines(2.5L);
  headEnd_ = y_;
}

// A line about the respondent, and 1.5 lines below it. One wider than the
// wrap width (a long name) is wrapped at blanks like a paragraph, its lines
// 1.2 lines apart.
void TReportLayout::PersonLine(const std::string& line) {
  const QString text = FromCp1250(line);
  const QStringList lines = canvas_.TextWidth(text) <= wrapWidth_ ? QStringList{text} : WrappedLines(text);
  for (qsizetype k = 0; k < lines.size(); ++k) {
    if (k > 0) y_ += Lines(1.2L);
    Text(left_, lines[k]);
  }
  y_ += Lines(1.5L);
}

void TReportLayout::NextPage(TSection section) {
  if (!measuring_) newPage_();
  ++page_;
  PageHead(section);
}

// What reaches `height` pixels below the cursor and would run below the
// page's bottom edge goes to a following page with the same head, in the font
// it was to be printed in. A page that holds nothing but its head takes it
// wherever it ends. Returns whether a page was started.
bool TReportLayout::EnsureRoom(int height) {
  if (y_ + height <= ph_ || y_ <= headEnd_) return false;
  const int font = height_;
  NextPage(section_);
  SetHeight(font);
  return true;
}

// Draws `lead` (the space and any rule that set a section off from what
// precedes it) and `heading` (the section's heading and the space below it)
// on one page with the first line after them, printed in the font height
// `nextHeight` (0 when no line follows). They are first laid out without
// drawing; when that line, or with none the heading, would end below the
// bottom edge, the heading goes to the next page, where the page head's rule
// stands in for the lead.
void TReportLayout::KeepWithNext(const std::function<void()>& lead, const std::function<void()>& heading,
                                 int nextHeight) {
  const int top = y_, font = height_;
  trial_ = true;
  lowest_ = y_;
  lead();
  heading();
  trial_ = false;
  int end = lowest_;
  if (nextHeight > 0) {
    SetHeight(nextHeight);
    end = std::max(end, y_ + LineHeight());
  }
  y_ = top;
  SetHeight(font);
  if (!EnsureRoom(end - top)) lead();
  heading();
}

void TReportLayout::ListLine(const QString& text) {
  EnsureRoom(LineHeight());
  Text(left_, text);
  y_ += Lines(1.2L);
}

// Words are split at blanks only. A pending line collects words while it
// fits the wrap width; a word too wide for a line of its own is broken
// inside, at the last character that still fits.
QStringList TReportLayout::WrappedLines(const QString& paragraph) {
  const QString text = Trim(paragraph);
  QStringList lines;
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
      lines << pending;
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
      lines << pending.left(fits);
      pending = pending.mid(fits);
    }
  }
  if (!pending.isEmpty()) lines << pending;
  return lines;
}

void TReportLayout::PrintWrappedText(const QString& paragraph) {
  for (const QString& line : WrappedLines(paragraph)) ListLine(line);
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
  for (const std::string& line : fields_.PersonLines) PersonLine(line);
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
  // The rule goes with the first of the other scales; with none it ends the page's text.
  const auto rule = [&] {
    Rule();
    y_ += Lines(1.5L);
  };
  if (std::find(std::begin(marked), std::end(marked), false) != std::end(marked))
    KeepWithNext(
        rule, [] {}, ph_ / 80);
  else
    rule();
  SetHeight(ph_ / 80);
  for (int s = 0; s < ScaleCount; ++s)
    if (!marked[s]) ExplainScale(s);

  NextPage(scProfessions);
  SetHeight(ph_ / 50);
  Text(left_, QStringLiteral("Vhodná povolání"));
  y_ += Lines(1.5L);
  SetHeight(ph_ / 70);
  for (const std::string& line : fields_.ProfessionLines) ListLine(FromCp1250(line));
  const auto& others = fields_.OtherProfessionLines;
  KeepWithNext([&] { y_ += RoundHalfEven(0.04L * ph_); },
               [&] {
                 SetHeight(ph_ / 60);
                 Text(left_, QStringLiteral("Další vhodná povolání s jinými požadavky na vzdělání"));
                 y_ += Lines(1.5L);
               },
               others.empty() ? 0 : ph_ / 80);
  SetHeight(ph_ / 80);
  // This list ends deliberately once 0.9 of the page is filled.
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

// A heading of the simplified report with the rule above it, `before` lines
// below what precedes it, kept with the first line after it when one
// follows; then the font of the lines under it.
void TReportLayout::SimplifiedHeading(const QString& text, long double before, bool lineFollows) {
  KeepWithNext(
      [&] {
        y_ += Lines(before);
        Rule();
        y_ += Lines(1.5L);
      },
      [&] {
        SetHeight(ph_ / 50);
        Text(left_, text);
        y_ += Lines(2);
      },
      lineFollows ? ph_ / 70 : 0);
  SetHeight(ph_ / 70);
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
  SimplifiedHeading(QStringLiteral("Vhodná povolání:"), 0.5L, !fields_.ProfessionLines.empty());
  for (const std::string& line : fields_.ProfessionLines) ListLine(FromCp1250(line));

  if (!fields_.NoteLines.empty()) {
    // An empty note line prints nothing, so the heading goes with the first line that prints.
    const bool printed = std::any_of(fields_.NoteLines.begin(), fields_.NoteLines.end(),
                                     [](const std::string& line) { return !Trim(FromCp1250(line)).isEmpty(); });
    SimplifiedHeading(QStringLiteral("Poznámky:"), 1.5L, printed);
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
