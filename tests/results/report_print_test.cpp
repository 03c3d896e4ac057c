// The printed report: layout and chart on a recording canvas of an A4 page at
// 600 dpi, page counts and the flow of long texts, real PDF pages read back
// as text, and the print dialog's button on the PDF entry.
#include "report_print.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>

#include "canvas_recording.h"
#include "cp1250.h"
#include "gui_driver.h"
#include "pdf_pages.h"
#include "print.h"
#include "printer.h"

namespace {

constexpr int PW = 4960, PH = 7016;

std::string Cp(const char* utf8) {
  return Utf8ToCp1250(utf8);
}

TPrintFields Fields() {
  static const bool tables = (InitFrameworkTables(), true);
  (void)tables;
  TPrintFields f;
  const double scores[ScaleCount] = {52.125, 52.375, 50.0, 7.25, 91, 30};
  std::copy(std::begin(scores), std::end(scores), f.Scores);
  for (int s = 0; s < ScaleCount; ++s) f.ConsistencyTexts[s] = Cp(s % 2 ? "střední" : "vysoká");
  f.CodeText = "RIA/RIS";
  f.PersonLines[0] = Cp("Dvořáková Jana, žena, 15 let");
  f.PersonLines[1] = Cp("Dosažené vzdělání: základní škola");
  f.PersonLines[2] = Cp("Předpokládané vzdělání: střední škola");
  f.ProfessionLines = {Cp("Elektrikář"), Cp("Truhlář*")};
  f.OtherProfessionLines = {Cp("Řidič")};
  f.OtherProfessionLevels = {Cp("ZŠ,SŠ")};
  f.ScaleSpread = 48.5;
  f.ScaleRange = 61.5;
  return f;
}

struct TDrawn {
  std::unique_ptr<TRecordingCanvas> Canvas = std::make_unique<TRecordingCanvas>(PW, PH, 600);
  int Pages = 0;
  std::vector<TCanvasText> On(int page) const {
    std::vector<TCanvasText> texts;
    for (const TCanvasText& t : Canvas->Texts())
      if (t.Page == page) texts.push_back(t);
    return texts;
  }
  TCanvasText Find(const QString& text) const {
    for (const TCanvasText& t : Canvas->Texts())
      if (t.Text == text) return t;
    ADD_FAILURE() << "not drawn: " << text.toStdString();
    return {};
  }
  // The first five characters ("Kód R") of the code explanations in this font height.
  QStringList Explained(int page, int height) const {
    QStringList found;
    for (const TCanvasText& t : On(page))
      if (t.Font.Height == height && t.Text.startsWith(QStringLiteral("Kód "))) found << t.Text.left(5);
    return found;
  }
};

TDrawn Draw(const TPrintFields& f, bool simplified = false) {
  TDrawn d;
  TRecordingCanvas& canvas = *d.Canvas;
  d.Pages = DrawReport(
      canvas, PW, PH, [&] { canvas.NewPage(); }, f, QImage(2481, 415, QImage::Format_RGB32), simplified);
  EXPECT_EQ(d.Pages, canvas.Page() + 1);
  return d;
}

int Step(const TCanvasText& t) {
  return static_cast<int>(std::lrint(1.2 * t.Height));
}

}  // namespace

TEST(ReportPrint, ScoresPrintWithACommaRoundedHalfToEven) {
  EXPECT_EQ(FormatReportScore(52.125), QStringLiteral("52,12"));
  EXPECT_EQ(FormatReportScore(52.375), QStringLiteral("52,38"));
  EXPECT_EQ(FormatReportScore(50.0), QStringLiteral("50"));
  EXPECT_EQ(FormatReportScore(7.25), QStringLiteral("7,25"));
  EXPECT_EQ(FormatReportScore(48.37), QStringLiteral("48,37"));
  EXPECT_EQ(FormatReportScore(12.5), QStringLiteral("12,5"));
}

TEST(ReportPrint, FullReportOnA4At600Dpi) {
  const TDrawn d = Draw(Fields());
  EXPECT_EQ(d.Pages, 3);
  const char* captions[] = {"stránka 1/3, výsledky testu", "stránka 2/3, vysvětlení kódu",
                            "stránka 3/3, vhodná povolání"};
  int rules[3] = {};
  for (const TCanvasLine& l : d.Canvas->Lines())
    if (l.From.x() == 322 && l.To == QPoint(4712, l.From.y()) && l.Pen.Width == 20) ++rules[l.Page];
  for (int page = 0; page < 3; ++page) {
    EXPECT_EQ(d.Canvas->Pictures()[page].Rect, QRect(0, 0, PW, 830));
    const TCanvasText caption = d.On(page).front();
    EXPECT_EQ(caption.Text, QString::fromUtf8(captions[page]));
    EXPECT_EQ(caption.At.x() + caption.Width, 4687);
    EXPECT_EQ(caption.At.y(), 589);
    EXPECT_EQ(caption.Font.Height, 116);
    EXPECT_EQ(rules[page], page == 1 ? 3 : 2);  // two in each head, one under page 2's code scales
  }

  EXPECT_EQ(d.Find(QStringLiteral("Dvořáková Jana, žena, 15 let")).At.x(), 322);
  EXPECT_EQ(d.Find(QStringLiteral("Kód: RIA/RIS")).Font.Height, 233);
  const TCanvasText heading = d.Find(QStringLiteral("Škála"));
  EXPECT_EQ(heading.Font.Height, 140);
  EXPECT_EQ(d.Find(QStringLiteral("Percentil")).At, QPoint(3075, heading.At.y()));
  EXPECT_EQ(d.Find(QStringLiteral("Konzistence")).At, QPoint(3968, heading.At.y()));
  const TCanvasText rowR = d.Find(QStringLiteral("R (Realistic, řemeslně a technicky zdatný)"));
  EXPECT_EQ(rowR.Font.Style, fsNone);
  EXPECT_EQ(rowR.At.y(), heading.At.y() + static_cast<int>(std::lrint(1.5 * heading.Height)));
  EXPECT_EQ(d.Find(QStringLiteral("52,12")).At, QPoint(3075, rowR.At.y()));
  EXPECT_EQ(d.Find(QStringLiteral("52,38")).At.y(), rowR.At.y() + Step(rowR));
  EXPECT_EQ(d.Find(QStringLiteral("48")).At.x(), 3075);  // spread and range, halves to even
  EXPECT_EQ(d.Find(QStringLiteral("62")).At.x(), 3075);

  // The code's scales R, I, A, S in the larger font, then E and C below the rule, within the wrap width.
  EXPECT_EQ(d.Explained(1, 100), QStringList({"Kód R", "Kód I", "Kód A", "Kód S"}));
  EXPECT_EQ(d.Explained(1, 87), QStringList({"Kód E", "Kód C"}));
  for (const TCanvasText& t : d.On(1)) EXPECT_TRUE(t.At.x() != 322 || t.Width <= 4266) << t.Text.toStdString();

  EXPECT_EQ(d.Find(QStringLiteral("Truhlář*")).Font.Height, 100);
  EXPECT_EQ(d.Find(QStringLiteral("Další vhodná povolání s jinými požadavky na vzdělání")).Font.Height, 116);
  const TCanvasText other = d.Find(QStringLiteral("Řidič"));
  EXPECT_EQ(other.Font.Height, 87);
  EXPECT_EQ(d.Find(QStringLiteral("ZŠ,SŠ")).At, QPoint(3323, other.At.y()));

  // A code line too wide for 0.7 of the page takes the first height, down in steps of 2, at which it fits.
  TPrintFields wide = Fields();
  wide.CodeText = "RIA/RIS/IRA/SRI/ISR/ASR/RSA/SAR";
  const TCanvasText code = Draw(wide).Find(QStringLiteral("Kód: ") + QString::fromLatin1(wide.CodeText));
  EXPECT_EQ((233 - code.Font.Height) % 2, 0);
  EXPECT_LE(code.Width, 3472);
  TRecordingCanvas probe(PW, PH, 600);
  probe.SetFontStyle(fsBold);
  probe.SetFontHeight(code.Font.Height + 2);
  EXPECT_GT(probe.TextWidth(code.Text), 3472);
}

TEST(ReportPrint, ChartOnPageOne) {
  TPrintFields f = Fields();
  TDrawn d = Draw(f);
  ASSERT_EQ(d.Canvas->Fills().size(), 1u);
  const QRect cleared = d.Canvas->Fills()[0].Rect;
  EXPECT_EQ(cleared, QRect(0, cleared.top(), PW, 2465));
  const TCanvasText range = d.Find(QStringLiteral("62"));
  EXPECT_EQ(cleared.top(), range.At.y() + Step(range) + 351);
  const int cx = 2480, cy = cleared.top() + 1364;

  std::vector<TCanvasLine> thin;
  int band = 0;
  for (const TCanvasLine& l : d.Canvas->Lines()) {
    if (l.Pen.Width == 1) thin.push_back(l);
    band += l.Pen.Color == QColor(192, 192, 192) && l.Pen.Width == 20;
  }
  // The S-R diagonal at radius 1091 (545.5 to even 546, 944.806 to 945), then ten rings: top 130 cut to 100.
  ASSERT_EQ(thin.size(), 3u + 10 * 6);
  EXPECT_EQ(thin[0].From, QPoint(cx + 546, cy + 945));
  EXPECT_EQ(thin[0].To, QPoint(cx - 546, cy - 945));
  EXPECT_EQ(band, 12);
  int labels = 0, letters = 0;
  for (const TCanvasText& t : d.On(0)) {
    labels += t.Font.Height == 65;
    letters += t.Font.Height == 145 && t.Font.Style == fsBold;
  }
  EXPECT_EQ(labels, 10);
  EXPECT_EQ(letters, 6);

  f.ShowHexagon = false;
  d = Draw(f);
  const int offsets[ScaleCount] = {909, 546, 182, -182, -546, -909};
  QList<QPoint> at;
  int ticks = 0;
  for (const TCanvasText& t : d.On(0)) {
    if (t.Font.Height == 87 && t.Font.Color == Qt::black && t.Text.size() == 1) at << t.At;
    ticks += t.Font.Color == QColor(119, 119, 119);
  }
  ASSERT_EQ(at.size(), ScaleCount);
  for (int s = 0; s < ScaleCount; ++s) EXPECT_EQ(at[s], QPoint(cx - 1091, cy - offsets[s]));
  EXPECT_EQ(ticks, 11);  // 0 .. 100
}

TEST(ReportPrint, PageCountsAndTheSimplifiedReport) {
  TPrintFields f = Fields();
  f.NoteLines = {""};  // an empty note line makes the notes page, with nothing on it but its head
  TDrawn d = Draw(f);
  EXPECT_EQ(d.Pages, 4);
  EXPECT_EQ(d.On(0).front().Text, QStringLiteral("stránka 1/4, výsledky testu"));
  ASSERT_EQ(d.On(3).size(), 2u);
  EXPECT_EQ(d.On(3)[0].Text, QStringLiteral("stránka 4/4, poznámky"));

  f.NoteLines.clear();
  d = Draw(f, true);
  EXPECT_EQ(d.Pages, 1);
  EXPECT_TRUE(d.Canvas->Fills().empty());  // no chart
  EXPECT_EQ(d.Find(QStringLiteral("Percentil: R=52,12, I=52,38, A=50, S=7,25, E=91, C=30")).Font.Height, 77);
  EXPECT_EQ(d.Explained(0, 77), QStringList({"Kód R", "Kód I", "Kód A", "Kód S"}));
  for (const TCanvasText& t : d.Canvas->Texts()) {
    EXPECT_EQ(t.Font.Style, fsBold);
    EXPECT_FALSE(t.Text.startsWith(QStringLiteral("stránka")) || t.Text == QStringLiteral("Řidič"));
  }
  f.NoteLines = {Cp("Zájem o techniku.")};
  d = Draw(f, true);
  EXPECT_EQ(d.Find(QStringLiteral("Poznámky:")).Font.Height, 140);
  EXPECT_EQ(d.Find(QStringLiteral("Zájem o techniku.")).Font.Height, 100);
}

TEST(ReportPrint, NoTextIsLost) {
  TPrintFields f = Fields();
  f.OtherProfessionLines.assign(60, "Profese");
  f.OtherProfessionLevels.assign(60, "SS");
  std::string paragraph;
  for (int k = 0; k < 400; ++k) paragraph += Cp("slovo žluťoučké ");
  f.NoteLines = {std::string(300, 'W') + " konec", paragraph, "", Cp("Poslední řádek.")};
  const TDrawn d = Draw(f);

  // The other professions stop at the first entry after which 0.9 of the page is reached; the
  // closing notes follow on that page and go on over the next one.
  std::vector<TCanvasText> listed, closing;
  QString notes;
  for (const TCanvasText& t : d.Canvas->Texts()) {
    EXPECT_LE(t.At.y() + t.Height, PH) << t.Text.toStdString();
    if (t.At.x() != 322 || t.Font.Height == 116) continue;  // not a caption or person line
    EXPECT_LE(t.Width, 4266) << t.Text.toStdString();
    if (t.Text == QStringLiteral("Profese")) listed.push_back(t);
    if (t.Font.Height == 87 && t.Page >= 2 && t.Text != QStringLiteral("Profese")) closing.push_back(t);
    if (t.Font.Height == 100 && t.Page >= 3) notes += t.Text;
  }
  ASSERT_GT(listed.size(), 2u);
  ASSERT_LT(listed.size(), 60u);
  const TCanvasText last = listed.back();
  EXPECT_LT(last.At.y(), 0.9 * PH);
  EXPECT_GE(last.At.y() + Step(last), 0.9 * PH);
  ASSERT_GE(closing.size(), 3u);
  EXPECT_EQ(closing.front().Page, 2);
  EXPECT_EQ(closing.front().At.y(), last.At.y() + Step(last) + 456);
  EXPECT_TRUE(closing.back().Text.endsWith(QStringLiteral("s Vaším poradcem.")));
  EXPECT_EQ(d.On(closing.back().Page).front().Text.section(QLatin1Char(','), 1), QStringLiteral(" vhodná povolání"));

  // Every note, the overlong word broken inside, on pages that repeat the head and are counted.
  QString expected = QString(300, QLatin1Char('W')) + QStringLiteral("konec");
  for (int k = 0; k < 400; ++k) expected += QStringLiteral("slovožluťoučké");
  EXPECT_EQ(notes.remove(QLatin1Char(' ')), expected + QStringLiteral("Poslednířádek."));
  ASSERT_GE(d.Pages, 6);
  EXPECT_EQ(d.On(d.Pages - 1)[0].Text, QStringLiteral("stránka %1/%1, poznámky").arg(d.Pages));
  EXPECT_EQ(d.On(d.Pages - 1)[1].Text, QStringLiteral("Dvořáková Jana, žena, 15 let"));
}

TEST(ReportPrint, HeadingsGoWithTheirFirstLineAndLongNamesWrap) {
  // Six explained letters and 8 to 12 professions bring the notes' heading to the foot of page 1 or past it.
  TPrintFields f = Fields();
  f.CodeText = "RIA/SEC";
  f.NoteLines = {"", Cp("Zájem o techniku."), Cp("Konzultace v červnu.")};
  for (int professions = 8; professions <= 12; ++professions) {
    f.ProfessionLines.assign(professions, Cp("Sociální pracovník**"));
    const TDrawn d = Draw(f, true);
    EXPECT_EQ(d.Pages, 2);
    for (const TCanvasText& t : d.Canvas->Texts()) EXPECT_LE(t.At.y() + t.Height, PH) << t.Text.toStdString();
    EXPECT_EQ(d.Find(QStringLiteral("Poznámky:")).Page, d.Find(QStringLiteral("Zájem o techniku.")).Page)
        << professions;
    EXPECT_EQ(d.On(1).front().Text, QStringLiteral("Dvořáková Jana, žena, 15 let"));  // the short head
    for (const TCanvasLine& l : d.Canvas->Lines()) {  // within the page, and never below the page's last text
      EXPECT_LE(l.From.y() + l.Pen.Width / 2, PH);
      EXPECT_TRUE(std::any_of(d.Canvas->Texts().begin(), d.Canvas->Texts().end(), [&](const TCanvasText& t) {
        return t.Page == l.Page && t.At.y() > l.From.y();
      })) << professions;
    }
  }

  // A name of 100 characters: the person line wraps at blanks on page 1 and in the later heads.
  const QString person = QStringLiteral("Žofie Kateřina ").repeated(7).left(99) + QStringLiteral("X, žena, 17 let");
  f.PersonLines[0] = Cp(person.toUtf8().constData());
  const TDrawn d = Draw(f);
  for (int page = 0; page < d.Pages; ++page) {
    QStringList parts;
    for (const TCanvasText& t : d.On(page)) {
      if (t.Font.Height != 116 || t.At.x() != 322 || !person.contains(t.Text)) continue;
      EXPECT_LE(t.Width, 4266);
      parts << t.Text;
    }
    ASSERT_EQ(parts.size(), 2) << page;
    EXPECT_EQ(parts.join(QLatin1Char(' ')), person);
  }
}

namespace {

// Whether the texts stand on the page in this order.
::testing::AssertionResult InOrder(const QString& page, const QStringList& texts) {
  qsizetype from = 0;
  for (const QString& text : texts) {
    from = page.indexOf(text, from);
    if (from < 0)
      return ::testing::AssertionFailure() << text.toStdString() << " not in order in: " << page.toStdString();
    from += text.size();
  }
  return ::testing::AssertionSuccess();
}

class ReportPdf : public GuiTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    saved_ = QDir::currentPath();
    QDir::setCurrent(dir_.path());
    if (!PrintForm) CreateForm(PrintForm);
  }
  void TearDown() override {
    QDir::setCurrent(saved_);
    GuiTest::TearDown();
  }
  QTemporaryDir dir_;
  QString saved_;
};

}  // namespace

TEST_F(ReportPdf, PagesReadBackWithTheirTextsInOrder) {
  TPrintFields f = Fields();
  f.NoteLines = {Cp("Příliš žluťoučký kůň úpěl ďábelské ódy."), Cp("ĚŠČŘŽÝÁÍÉŮÚŤĎŇ")};
  WriteReportPdfs(f, PrintForm->topheader->Picture(), dir_.path());
  const QStringList full = PdfPages(dir_.filePath(QStringLiteral("report-full.pdf")));
  ASSERT_EQ(full.size(), 4);
  EXPECT_TRUE(
      InOrder(full[0], {"stránka 1/4, výsledky testu", "Dvořáková Jana, žena, 15 let",
                        "Předpokládané vzdělání: střední škola", "Kód: RIA/RIS", "Škála Percentil Konzistence",
                        "R (Realistic, řemeslně a technicky zdatný) 52,12 vysoká", "Normované rozpětí škál 62"}));
  EXPECT_TRUE(InOrder(full[1], {"stránka 2/4, vysvětlení kódu", "Dvořáková Jana", "Kód R (Realistic)", "Kód S (Social)",
                                "Kód E (Enterprising)", "Kód C (Conventional)"}));
  EXPECT_TRUE(InOrder(
      full[2], {"stránka 3/4, vhodná povolání", "Vhodná povolání", "Elektrikář", "Truhlář*", "Další vhodná povolání",
                "Řidič ZŠ,SŠ", "Pro zjednodušení", "pro Vás, posoudíte", "Vaším poradcem."}));
  EXPECT_TRUE(InOrder(full[3], {"stránka 4/4, poznámky", "Příliš žluťoučký kůň úpěl ďábelské ódy.", "ĚŠČŘŽÝÁÍÉŮÚŤĎŇ"}));
  const QStringList simple = PdfPages(dir_.filePath(QStringLiteral("report-simple.pdf")));
  ASSERT_EQ(simple.size(), 1);
  EXPECT_TRUE(InOrder(simple[0], {"Dvořáková Jana", "Kód: RIA/RIS", "Percentil: R=52,12, I=52,38, A=50, S=7,25",
                                  "Kód S (Social)", "Vhodná povolání:", "Truhlář*", "Poznámky:", "ĚŠČŘŽÝÁÍÉŮÚŤĎŇ"}));
}

TEST_F(ReportPdf, PrintButtonOnThePdfEntryAsksForTheFile) {
  static_cast<TPrintFields&>(*PrintForm) = Fields();
  PrintForm->CheckBox1->setChecked(false);
  Printer().SetPrinterIndex(static_cast<int>(Printer().Printers().size()) - 1);
  const auto print = [](QWidget* w) { Click(w, QStringLiteral("PrintButton")); };
  const auto saveAs = [](const QString& name) {
    return [name](QWidget* w) {
      auto* dialog = qobject_cast<QFileDialog*>(w);
      ASSERT_NE(dialog, nullptr) << w->metaObject()->className();
      EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("Dokument PDF (*.pdf)")});
      EXPECT_TRUE(dialog->selectedFiles().value(0).endsWith(QStringLiteral("/report.pdf")));
      if (name.isEmpty()) return dialog->reject();
      dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(name);
      static_cast<QDialog*>(dialog)->accept();
    };
  };

  // A file that cannot be written: the job is dropped and the error names the file and the cause.
  try {
    PrintReportJob(*PrintForm, QImage(), false, dir_.filePath(QStringLiteral("chybí/zprava.pdf")));
    ADD_FAILURE() << "no error";
  } catch (const EPrinterError& error) {
    const QString text = QString::fromUtf8(error.what());
    EXPECT_TRUE(text.contains(QStringLiteral("chybí/zprava.pdf")) && text.contains(QStringLiteral("neexistuje")))
        << error.what();
  }
  EXPECT_FALSE(Printer().Printing());

  TModalAnswers cancelled({print, saveAs({})});
  PrintForm->ShowModal();
  EXPECT_TRUE(cancelled.Done());
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList());

  TModalAnswers saved({print, saveAs(dir_.filePath(QStringLiteral("zprava")))});
  PrintForm->ShowModal();
  EXPECT_TRUE(saved.Done());
  EXPECT_FALSE(PrintForm->isVisible());
  EXPECT_EQ(PdfPages(dir_.filePath(QStringLiteral("zprava.pdf"))).size(), 3);
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{QStringLiteral("zprava.pdf")});
}
