#include "test.h"

#include <QMouseEvent>
#include <QPainter>

#include "dialogs.h"
#include "textcodec.h"

TTestForm* TestForm = nullptr;

namespace {

// The page's geometry: row tops, box and digit lefts by column 1..5.
constexpr int kItemLeft = 30;
constexpr int kFirstRowTop = 185;
constexpr int kRowPitch = 51;
constexpr int kBoxLeft = 520;
constexpr int kDigitLeft = 528;
constexpr int kColumnPitch = 38;
constexpr int kBoxSize = 21;
constexpr int kGuideEnd = 544;  // where a row's guide line meets the boxes
constexpr int kColumns = 5;

QFont ItemFont(bool bold) {
  QFont font(QStringLiteral("Trebuchet MS"));
  font.setPointSize(10);
  font.setBold(bold);
  return font;
}

QFont DigitFont() {
  QFont font(QStringLiteral("Trebuchet MS"));
  font.setPointSize(9);
  return font;
}

void SetTextColour(QWidget* label, QColor colour) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour);
  label->setPalette(palette);
}

}  // namespace

TMycheckbox::TMycheckbox(QWidget* owner, int32_t row, int32_t col) : TImage(owner), Row(row), Col(col) {
  Bind(this, &TImage::clicked, this, &TMycheckbox::MCBClick);
}

void TMycheckbox::MCBClick() {
  TTestForm* form = TestForm;
  for (int j = 1; j <= kColumns; ++j) form->BoxColumns[j][Row]->AssignPicture(*form->image_box_normal);
  AssignPicture(*form->image_box_click);
  form->PageAnswers[Row] = 6 - Col;
}

TMyNumber::TMyNumber(QWidget* owner, int32_t row, int32_t col) : QLabel(owner), Row(row), Col(col) {
  Bind(this, &TMyNumber::clicked, this, &TMyNumber::MNClick);
}

void TMyNumber::MNClick() {
  TestForm->BoxColumns[Col][Row]->MCBClick();
}

void TMyNumber::mousePressEvent(QMouseEvent* event) {
  click_.Press(event);
  event->accept();
}

void TMyNumber::mouseDoubleClickEvent(QMouseEvent* event) {
  event->accept();  // a double-click is one click, as on the box under the digit
}

void TMyNumber::mouseReleaseEvent(QMouseEvent* event) {
  const bool click = click_.Release(event, rect());
  event->accept();
  if (click) emit clicked();
}

TTestForm::TTestForm() {
  setupUi(this);
  SetBorderless();
  SetStayOnTop(true);

  backimage->SetAutoSize(true);
  backimage->SetPicture("test_back");
  topimage->SetTransparent(true);
  image_next_normal->SetPicture("test_next_normal");
  image_next_over->SetPicture("test_next_over");
  image_finish_normal->SetPicture("test_finish_normal");
  image_finish_over->SetPicture("test_finish_over");
  image_back_normal->SetPicture("test_back_normal");
  image_back_over->SetPicture("test_back_over");
  image_box_normal->SetPicture("test_check_normal");
  image_box_click->SetPicture("test_check_click");
  image_finish_normal->hide();
  image_finish_over->hide();
  image_box_normal->hide();
  image_box_click->hide();

  hover_.Add(nextbuttonimage, image_next_normal, image_next_over);
  hover_.Add(backbuttonimage, image_back_normal, image_back_over);
  Bind(nextbuttonimage, &TImage::clicked, this, &TTestForm::NextButtonClick);
  Bind(backbuttonimage, &TImage::clicked, this, &TTestForm::BackButtonClick);
  Bind(nextbuttonimage, &TImage::mouseMove, this, &TTestForm::nextbuttonimageMouseMove);
  Bind(backbuttonimage, &TImage::mouseMove, this, &TTestForm::backbuttonimageMouseMove);
  Bind(backimage, &TImage::mouseMove, this, &TTestForm::backimageMouseMove);
  Bind(topimage, &TImage::mouseMove, this, &TTestForm::backimageMouseMove);
}

void TTestForm::FormCreate() {
  // Qt paints every window through its backing store, so a page change never
  // flickers. The background covers the whole panel, so neither the window
  // nor the panel fills its own background under it first.
  backimage->setAttribute(Qt::WA_OpaquePaintEvent);
  TestPanel->setAutoFillBackground(false);
}

void TTestForm::StartTest(TSex Variant, bool Clear) {
  // Every way out of a showing clears its page; one left by a window that
  // was never shown goes here, so a panel never holds two pages.
  ClearPage();
  if (Clear)
    for (std::int16_t& answer : Answers) answer = 0;
  CurrentPage = 1;
  TextVariant = Variant;
  CorrectionMode = !Clear;
  ShowPage();
}

void TTestForm::ShowPage() {
  BuildPage(Pages[CurrentPage]);
  for (int i = 0; i < PageRowCount; ++i) {
    PageAnswers[i] = Answers[PageFirstItem + i];
    for (int j = 1; j <= kColumns; ++j)
      BoxColumns[j][i]->AssignPicture(PageAnswers[i] == 6 - j ? *image_box_click : *image_box_normal);
  }

  LastPage = CurrentPage == PageCount;
  backbuttonimage->setVisible(CurrentPage != 1);

  // Next takes its look from its hover state; on the last page it is the
  // finish button, which its own hover leaves alone.
  TImage* nextNormal = LastPage ? image_finish_normal : image_next_normal;
  TImage* nextOver = LastPage ? image_finish_over : image_next_over;
  hover_.SetLooks(nextbuttonimage, nextNormal, nextOver);
  hover_.SetExempt(nextbuttonimage, LastPage);
  nextbuttonimage->AssignPicture(nextbuttonimage->Tag == 1 ? *nextOver : *nextNormal);
  backbuttonimage->AssignPicture(*image_back_normal);
  nextbuttonimage->Tag = 0;
  backbuttonimage->Tag = 0;
}

void TTestForm::BuildPage(const TPage& page) {
  // The overlay is wiped to black, its transparent colour: only the guide
  // lines drawn below show over the background.
  QImage overlay(800, 600, QImage::Format_RGB32);
  overlay.fill(Qt::black);
  QPainter painter(&overlay);
  QPen guide(QColor(0x66, 0x66, 0x66));
  guide.setStyle(Qt::DotLine);
  painter.setPen(guide);

  // The new controls appear together with the panel: a control shown on a
  // visible window has the window system asked where the pointer is, one
  // round trip for each of the 66.
  const bool shown = TestPanel->isVisible();
  if (shown) TestPanel->hide();

  PageRowCount = page.Last - page.First + 1;
  PageFirstItem = page.First;
  ItemLabels.resize(PageRowCount);
  PageAnswers.resize(PageRowCount);
  for (int j = 1; j <= kColumns; ++j) {
    BoxColumns[j].resize(PageRowCount);
    NumberColumns[j].resize(PageRowCount);
  }

  static const QFont regular = ItemFont(false);
  static const QFont bold = ItemFont(true);
  static const QFont digit = DigitFont();
  for (int i = 0; i < PageRowCount; ++i) {
    const int top = kFirstRowTop + kRowPitch * i;
    const bool answered = Answers[PageFirstItem + i] != 0;
    const bool grey = CorrectionMode && answered;
    auto* label = new QLabel(TestPanel);
    label->setFont(grey ? regular : bold);
    SetTextColour(label, grey ? QColor(0x80, 0x80, 0x80) : QColor(Qt::black));
    label->setText(FromCp1250(ItemTexts[TextVariant][PageFirstItem + i]));
    label->adjustSize();
    label->move(kItemLeft, top);
    label->show();
    ItemLabels[i] = label;

    // The guide runs from the end of the text to the boxes; a text that
    // reaches its end (trailing blanks included) has none.
    const int guideStart = label->x() + label->width() + 10;
    if (i % 2 == 1 && guideStart < kGuideEnd) {
      const int y = label->y() + label->height() / 2;
      painter.drawLine(guideStart, y, kGuideEnd, y);
    }

    for (int j = 1; j <= kColumns; ++j) {
      auto* box = new TMycheckbox(TestPanel, i, j);
      box->setGeometry(kBoxLeft + kColumnPitch * j, top, kBoxSize, kBoxSize);
      box->AssignPicture(*image_box_normal);
      box->show();
      BoxColumns[j][i] = box;

      auto* number = new TMyNumber(TestPanel, i, j);
      number->setGeometry(kDigitLeft + kColumnPitch * j, top + 2, kBoxSize, kBoxSize);
      number->setFont(digit);
      number->setText(QString::number(6 - j));
      number->adjustSize();
      number->show();
      NumberColumns[j][i] = number;
    }
  }
  painter.end();
  topimage->SetPicture(overlay);
  if (shown) TestPanel->show();
}

void TTestForm::ClearPage() {
  for (QLabel* label : ItemLabels) delete label;
  ItemLabels.clear();
  for (int j = 1; j <= kColumns; ++j) {
    for (TMycheckbox* box : BoxColumns[j]) delete box;
    for (TMyNumber* number : NumberColumns[j]) delete number;
    BoxColumns[j].clear();
    NumberColumns[j].clear();
  }
}

void TTestForm::SavePageAnswers() {
  for (int i = 0; i < PageRowCount; ++i) Answers[PageFirstItem + i] = static_cast<std::int16_t>(PageAnswers[i]);
}

void TTestForm::NextButtonClick() {
  SavePageAnswers();
  ClearPage();
  ++CurrentPage;
  if (CurrentPage <= PageCount) {
    ShowPage();
  } else {
    Aborted = false;
    SetModalResult(mrOk);
  }
}

void TTestForm::BackButtonClick() {
  if (CurrentPage <= 1) return;  // Back is hidden on the first page
  SavePageAnswers();
  ClearPage();
  --CurrentPage;
  ShowPage();
}

bool TTestForm::FormCloseQuery() {
  return CurrentPage > PageCount || Aborted;
}

void TTestForm::FormKeyDown(int key, Qt::KeyboardModifiers shift) {
  if (!IsCtrlJ(key, shift)) return;
  if (AskWarning(QStringLiteral("Opravdu si přejete ukončit testování bez uložení výsledků?")) != mrYes) return;
  ClearPage();
  Aborted = true;
  SetModalResult(mrCancel);
}

void TTestForm::FormShow() {
  Aborted = false;
  resize(798, 598);
  CentreOnScreen();
}

void TTestForm::nextbuttonimageMouseMove() {
  hover_.Swap(nextbuttonimage);
}
void TTestForm::backbuttonimageMouseMove() {
  hover_.Swap(backbuttonimage);
}
void TTestForm::backimageMouseMove() {
  hover_.Reset();
}
