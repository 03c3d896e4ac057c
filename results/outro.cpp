#include "outro.h"

#include <QFont>
#include <algorithm>

#include "canvas_painter.h"
#include "chart.h"
#include "correct.h"
#include "cp1250.h"
#include "dialogs.h"
#include "notes.h"
#include "print.h"
#include "report_data.h"
#include "test.h"
#include "textcodec.h"

TOutroForm* OutroForm = nullptr;
TProfessionLevel EducationGroup = plTraining;

namespace {

const char* const MarkTexts[3] = {"", "*", "**"};

// A font of the given family whose characters are `pixels` high.
QFont PixelFont(const QString& family, int pixels) {
  QFont font(family);
  font.setPixelSize(pixels);
  return font;
}

// The character height of a font size in points on a 96 dpi screen, rounded
// as the screen's font mapping does (20 points give 27 pixels).
int PointsToPixels(int points) {
  return (points * 96 + 36) / 72;
}

QString Texts(const TStringArray& lines) {
  QStringList list;
  for (const std::string& line : lines) list << FromCp1250(line);
  return list.join(QLatin1Char('\n'));
}

}  // namespace

TProfessionLevel EducationGroupOf(TEducation education, TProfessionLevel previous) {
  static const TProfessionLevel groups[] = {plTraining,  plSecondary, plTraining, plSecondary,
                                            plSecondary, plHigher,    plHigher};
  return education <= edUniversity ? groups[education] : previous;
}

TOutroForm::TOutroForm() {
  setupUi(this);
  SetBorderless();
  SetStayOnTop(true);
  SetClientSize(798, 598);
  // The screen closes through its close button only.
  SetPlatformClose(false);

  backimage->SetPicture("outro_back");
  Image1->SetPicture("outro_skorpanel");
  Image2->SetPicture("outro_profesepanel");
  Image3->SetPicture("outro_notepanel");
  Image4->SetPicture("outro_kodpanel");
  closebuttonimage->SetPicture("outro_close");
  printbuttonimage->SetPicture("outro_print");
  image_skor_normal->SetPicture("outro_skor_normal");
  image_skor_over->SetPicture("outro_skor_over");
  image_profese_normal->SetPicture("outro_profese_normal");
  image_profese_over->SetPicture("outro_profese_over");
  image_kod_normal->SetPicture("outro_kod_normal");
  image_kod_over->SetPicture("outro_kod_over");
  image_note_normal->SetPicture("outro_note_normal");
  image_note_over->SetPicture("outro_note_over");
  for (TPanel* panel : {SkorPanel, ProfesePanel, KodPanel, NotePanel}) panel->SetBevel(false);

  // The chart is drawn on a white picture of the control's size.
  chart_ = QImage(hexImage->size(), QImage::Format_RGB32);
  chart_.fill(Qt::white);
  hexImage->SetPicture(chart_);

  const QString trebuchet = QStringLiteral("Trebuchet MS");
  KodLabel->setFont(PixelFont(trebuchet, PointsToPixels(20)));
  for (QLabel* label :
       {Rlabel, Ilabel, Alabel, Slabel, Elabel, Clabel, vrlabel, vilabel, valabel, vslabel, velabel, vclabel})
    label->setFont(PixelFont(trebuchet, 16));
  for (QLabel* label :
       {KodLabel, Rlabel, Ilabel, Alabel, Slabel, Elabel, Clabel, vrlabel, vilabel, valabel, vslabel, velabel, vclabel})
    label->setAutoFillBackground(false);

  for (QComboBox* box : {SkorComboBox, NNormaComboBox, graphComboBox, UrovenComboBox}) {
    box->setFont(PixelFont(trebuchet, 16));
    SetItemHeight(box->view(), 22);
  }
  SkorComboBox->addItems({QStringLiteral("percentil"), QStringLiteral("T-skór (M=50, S=10)"),
                          QStringLiteral("Z-skór (M=100, S=10)"), QStringLiteral("hrubý skór")});
  NNormaComboBox->addItems({QStringLiteral("žáci a studenti"), QStringLiteral("dospělá populace")});
  graphComboBox->addItems({QStringLiteral("hexagon"), QStringLiteral("profilový graf")});
  graphComboBox->setCurrentIndex(0);

  ProfeseListBox->setFont(PixelFont(trebuchet, 19));
  SetItemHeight(ProfeseListBox, 24);
  ProfeseAltListBox->setFont(PixelFont(trebuchet, 16));
  SetItemHeight(ProfeseAltListBox, 22);
  for (TListBox* list : {ProfeseListBox, ProfeseAltListBox}) list->SetSorted(true);

  for (QPlainTextEdit* memo : {kodmemo, NoteMemo}) memo->setFont(PixelFont(trebuchet, 16));
  LimitNotes(*NoteMemo, 4500);

  hover_.Add(skorbuttonimage, image_skor_normal, image_skor_over);
  hover_.Add(profesebuttonimage, image_profese_normal, image_profese_over);
  hover_.Add(kodbuttonimage, image_kod_normal, image_kod_over);
  hover_.Add(notebuttonimage, image_note_normal, image_note_over);
  closebuttonimage->SetAutoSize(true);
  printbuttonimage->SetAutoSize(true);

  // A change made by the user; setting an item from code is no change.
  for (QComboBox* box : {SkorComboBox, NNormaComboBox, graphComboBox, UrovenComboBox})
    Bind(box, &QComboBox::activated, this, &TOutroForm::SkorComboBoxChange);
  // The hidden looks carry the click of their button, as its pictures do.
  for (TImage* image : {skorbuttonimage, image_skor_normal, image_skor_over})
    Bind(image, &TImage::clicked, this, &TOutroForm::skorbuttonimageClick);
  for (TImage* image : {profesebuttonimage, image_profese_normal, image_profese_over})
    Bind(image, &TImage::clicked, this, &TOutroForm::profesebuttonimageClick);
  Bind(kodbuttonimage, &TImage::clicked, this, &TOutroForm::kodbuttonimageClick);
  Bind(notebuttonimage, &TImage::clicked, this, &TOutroForm::notebuttonimageClick);
  Bind(printbuttonimage, &TImage::clicked, this, &TOutroForm::printbuttonimageClick);
  Bind(closebuttonimage, &TImage::clicked, this, &TOutroForm::closebuttonimageClick);
  Bind(Testagainbuttonimage, &TImage::clicked, this, &TOutroForm::TestAgainButtonClick);

  Bind(skorbuttonimage, &TImage::mouseMove, this, &TOutroForm::skorbuttonimageMouseMove);
  Bind(profesebuttonimage, &TImage::mouseMove, this, &TOutroForm::profesebuttonimageMouseMove);
  Bind(kodbuttonimage, &TImage::mouseMove, this, &TOutroForm::printbuttonimageMouseMove);
  Bind(notebuttonimage, &TImage::mouseMove, this, &TOutroForm::closebuttonimageMouseMove);
  for (TImage* image : {backimage, printbuttonimage, closebuttonimage})
    Bind(image, &TImage::mouseMove, this, &TOutroForm::backimageMouseMove);
}

void TOutroForm::FormCreate() {
  UrovenComboBox->clear();
  UrovenComboBox->addItem(QStringLiteral("--- všechna povolání ---"));
  for (std::uint8_t level = plTraining; level <= plHigher; ++level)
    UrovenComboBox->addItem(FromCp1250(LevelText(level)));
  UrovenComboBox->setCurrentIndex(0);
}

TModalResult TOutroForm::ShowModal() {
  if (!IsScorableSheet(ResultRecord)) {
    ShowError(QStringLiteral("Odpovědi respondenta ") + FromCp1250(PlainText(ResultRecord.Name.str())) +
              QStringLiteral(" nelze vyhodnotit, výsledky proto nelze zobrazit."));
    return mrAbort;
  }
  return TForm::ShowModal();
}

void TOutroForm::FormShow() {
  resize(798, 598);
  const QRect screen = ScreenRect();
  move(screen.left() + (screen.width() - 798) / 2, screen.top() + (screen.height() - 598) / 2);
  EducationGroup = EducationGroupOf(ResultRecord.Education, EducationGroup);
  NormGroup = ngPupils;
  ScoreKind = skPercentile;
  SkorComboBox->setCurrentIndex(0);
  NNormaComboBox->setCurrentIndex(0);
  UrovenComboBox->setCurrentIndex(0);
  ComputeResults();
  SkorPanel->BringToFront();
}

void TOutroForm::SkorComboBoxChange() {
  if (NNormaComboBox->currentIndex() > 0) {
    ShowInformation(QStringLiteral("V testu Kelvora jsou v tuto chvíli obsaženy pouze normy pro dětskou populaci."));
    NNormaComboBox->setCurrentIndex(0);
  }
  const int kind = SkorComboBox->currentIndex();
  if (kind >= skPercentile && kind <= skRawScore) ScoreKind = static_cast<TScoreKind>(kind);
  NormGroup = static_cast<TNormGroup>(std::max(0, NNormaComboBox->currentIndex()));
  DrawScoreView();
  FillAltProfessionList();
}

void TOutroForm::ComputeResults() {
  const TReportData data = ComputeReportData(ResultRecord, EducationGroup, ScoreKind);
  TPrintForm& print = *PrintForm;
  std::copy(std::begin(data.PersonLines), std::end(data.PersonLines), std::begin(print.PersonLines));

  QLabel* const consistency[ScaleCount] = {vrlabel, vilabel, valabel, vslabel, velabel, vclabel};
  for (int s = 0; s < ScaleCount; ++s) {
    consistency[s]->setText(FromCp1250(data.ConsistencyTexts[s]));
    print.ConsistencyTexts[s] = data.ConsistencyTexts[s];
    print.Scores[s] = data.Scores[s];
  }
  print.ScaleRange = data.ScaleRange;
  print.ScaleSpread = data.ScaleSpread;
  DrawScoreView();

  Selected = data.Selected;
  MatchMark = data.MatchMark;
  kodmemo->setPlainText(Texts(data.CodeExplanation));
  print.CodeText = data.CodeText;
  KodLabel->setText(FromCp1250(data.CodeText));
  FitKodLabel();

  ProfeseAltListBox->clear();
  ProfeseListBox->clear();
  for (const std::string& line : data.ProfessionLines) ProfeseListBox->AddItem(FromCp1250(line));
  print.ProfessionLines = data.ProfessionLines;
  print.OtherProfessionLines = data.OtherProfessionLines;
  print.OtherProfessionLevels = data.OtherProfessionLevels;
  FillAltProfessionList();
}

void TOutroForm::FitKodLabel() {
  // The largest size from 20 points down to 4 at which the code fits its 233 pixels.
  int size = 20;
  QFont font = KodLabel->font();
  for (;;) {
    font.setPixelSize(PointsToPixels(size));
    KodLabel->setFont(font);
    KodLabel->adjustSize();
    if (KodLabel->width() <= 233 || size < 5) break;
    --size;
  }
}

void TOutroForm::DrawScoreView() {
  QString captions[ScaleCount];
  {
    TPainterCanvas canvas(chart_);
    ::DrawScoreView(canvas, ResultRecord, ScoreKind, graphComboBox->currentIndex() == 0, *PrintForm, captions);
  }
  hexImage->SetPicture(chart_);
  QLabel* const labels[ScaleCount] = {Rlabel, Ilabel, Alabel, Slabel, Elabel, Clabel};
  for (int s = 0; s < ScaleCount; ++s) labels[s]->setText(captions[s]);
}

void TOutroForm::FillAltProfessionList() {
  ProfeseAltListBox->clear();
  const int filter = UrovenComboBox->currentIndex();
  if (filter < 0 || filter > plHigher + 1) return;
  const std::size_t count = std::min({Professions.size(), Selected.size(), MatchMark.size()});
  for (std::size_t i = 0; i < count; ++i) {
    if (Selected[i] == 0) continue;
    const TProfession& p = Professions[i];
    if (filter > 0 && !p.Levels.contains(static_cast<TProfessionLevel>(filter - 1))) continue;
    ProfeseAltListBox->AddItem(FromCp1250(p.Name + MarkTexts[std::min<std::uint8_t>(MatchMark[i], 2)]));
  }
}

void TOutroForm::skorbuttonimageClick() {
  SkorPanel->BringToFront();
}
void TOutroForm::profesebuttonimageClick() {
  ProfesePanel->BringToFront();
}
void TOutroForm::kodbuttonimageClick() {
  KodPanel->BringToFront();
}
void TOutroForm::notebuttonimageClick() {
  NotePanel->BringToFront();
}
void TOutroForm::closebuttonimageClick() {
  SetModalResult(mrCancel);
}

void TOutroForm::printbuttonimageClick() {
  PrintForm->ShowHexagon = graphComboBox->currentIndex() == 0;
  PrintForm->NoteLines = NoteLinesOf(*NoteMemo);
  PrintForm->ScoreKind = ScoreKind;
  PrintForm->ShowModal();
}

void TOutroForm::TestAgainButtonClick() {
  std::copy(std::begin(ResultRecord.ScoreSheet.Answers), std::end(ResultRecord.ScoreSheet.Answers),
            TestForm->Answers + 1);
  bool complete = false;
  do {
    TestForm->StartTest(ResultRecord.Sex, false);
    // An abort leaves the record, the database and the screen as they were.
    if (TestForm->ShowModal() == mrCancel) return;
    complete = std::all_of(TestForm->Answers + 1, TestForm->Answers + ItemCount + 1, [](auto a) { return a != 0; });
    if (!complete) complete = CorrectForm->ShowModal() == mrNo;
  } while (!complete);

  std::copy(TestForm->Answers + 1, TestForm->Answers + ItemCount + 1, ResultRecord.ScoreSheet.Answers);
  ComputeRawScores(ResultRecord.ScoreSheet);
  try {
    UpdateRecord(ResultRecord);
  } catch (...) {
    // The screen shows what it holds, and so what its opener stores when it closes.
    ComputeResults();
    throw;
  }
  ComputeResults();
}

void TOutroForm::skorbuttonimageMouseMove() {
  hover_.Swap(skorbuttonimage);
}
void TOutroForm::profesebuttonimageMouseMove() {
  hover_.Swap(profesebuttonimage);
}
void TOutroForm::printbuttonimageMouseMove() {
  hover_.Swap(kodbuttonimage);
}
void TOutroForm::closebuttonimageMouseMove() {
  hover_.Swap(notebuttonimage);
}
void TOutroForm::backimageMouseMove() {
  hover_.Reset();
}

bool ShowRecordResults(TResultRecord& R) {
  LoadNotes(*OutroForm->NoteMemo, R);
  OutroForm->ResultRecord = R;
  if (OutroForm->ShowModal() == mrAbort) return false;
  R = OutroForm->ResultRecord;
  StoreNotes(*OutroForm->NoteMemo, R);
  return true;
}
