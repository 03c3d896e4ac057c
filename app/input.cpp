#include "input.h"

#include <QStyledItemDelegate>

#include "dialogs.h"

TInputForm* InputForm = nullptr;

namespace {

// The rows of a drop-down list, each of one fixed height.
class TItemHeight : public QStyledItemDelegate {
 public:
  TItemHeight(int height, QObject* parent) : QStyledItemDelegate(parent), height_(height) {}
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(), height_);
  }

 private:
  int height_;
};

// The text without the blanks and control characters at either end.
QString Trimmed(const QString& text) {
  qsizetype first = 0;
  qsizetype last = text.size();
  while (first < last && text[first].unicode() <= u' ') ++first;
  while (last > first && text[last - 1].unicode() <= u' ') --last;
  return text.mid(first, last - first);
}

}  // namespace

TInputForm::TInputForm() {
  setupUi(this);
  SetBorderless();
  SetStayOnTop(true);
  // Ctrl+J works whichever control has the focus.
  SetKeyPreview(true);

  Image1->SetAutoSize(true);
  Image1->SetPicture("input_back");
  image_next_normal->SetPicture("input_next_normal");
  image_next_over->SetPicture("input_next_over");
  hover_.Add(nextbuttonimage, image_next_normal, image_next_over);
  for (QComboBox* list : {PohlaviComboBox, VzdelaniComboBox, StudiumComboBox})
    list->setItemDelegate(new TItemHeight(20, list));

  Bind(nextbuttonimage, &TImage::clicked, this, &TInputForm::NextButtonClick);
  Bind(nextbuttonimage, &TImage::mouseMove, this, &TInputForm::nextbuttonimageMouseMove);
  Bind(Image1, &TImage::mouseMove, this, &TInputForm::Image1MouseMove);
}

void TInputForm::FormShow() {
  resize(798, 598);
  CentreOnScreen();
  JmenoEdit->clear();
  VekEdit->clear();
  PohlaviComboBox->setCurrentIndex(-1);
  VzdelaniComboBox->setCurrentIndex(-1);
  StudiumComboBox->setCurrentIndex(-1);
  JmenoEdit->setFocus();
}

void TInputForm::NextButtonClick() {
  SetModalResult(mrOk);
}

bool TInputForm::FormCloseQuery() {
  // Ctrl+J and the platform's close leave without a check.
  if (ModalResult() != mrOk) return true;
  bool canClose = true;
  if (Trimmed(JmenoEdit->text()).isEmpty()) {
    ShowError(QStringLiteral("Prosím zadejte své jméno."));
    canClose = false;
  }
  if (PohlaviComboBox->currentIndex() < 0) {
    ShowError(QStringLiteral("Prosím zadejte své pohlaví."));
    canClose = false;
  }
  if (VzdelaniComboBox->currentIndex() < 0) {
    ShowError(
        QStringLiteral("Prosím zadejte své vzdělání.\r\nNevíte-li si rady, požádejte o pomoc osobu, která vám test "
                       "zadala."));
    canClose = false;
  }
  return canClose;
}

void TInputForm::FormKeyDown(int key, Qt::KeyboardModifiers shift) {
  if (IsCtrlJ(key, shift)) SetModalResult(mrCancel);
}

void TInputForm::nextbuttonimageMouseMove() {
  hover_.Swap(nextbuttonimage);
}
void TInputForm::Image1MouseMove() {
  hover_.Reset();
}
