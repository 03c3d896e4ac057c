#include "info.h"

#include <QHideEvent>

#include "dialogs.h"
#include "textcodec.h"

TInfoForm* InfoForm = nullptr;

namespace {

// The age as typed, blanks included: leading blanks are skipped, then an
// optional sign and digits must make up the rest; anything else gives -1.
std::int32_t AgeOfText(const QString& text) {
  qsizetype i = 0;
  while (i < text.size() && text[i] == QLatin1Char(' ')) ++i;
  bool ok = false;
  const int value = text.mid(i).toInt(&ok, 10);
  // toInt takes surrounding blanks too; the typed text may hold none after the number.
  if (!ok || text.back().isSpace()) return -1;
  return value;
}

}  // namespace

TInfoForm::TInfoForm() {
  setupUi(this);
  // Buttons with a modal result: a click closes the dialog with it.
  connect(EditButton, &QPushButton::clicked, this, [this] { SetModalResult(mrOk); });
  connect(CancelButton, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
}

void TInfoForm::hideEvent(QHideEvent* event) {
  TForm::hideEvent(event);
  if (!event->spontaneous()) Guarded([this] { FormClose(); });
}

void TInfoForm::FormClose() {
  ResultRecord.Name.assign(ToCp1250(JmenoEdit->text().left(100)));
  ResultRecord.Sex = static_cast<TSex>(PohlaviComboBox->currentIndex());
  ResultRecord.Age = AgeOfText(VekEdit->displayText());
  ResultRecord.Education = static_cast<TEducation>(VzdelaniComboBox->currentIndex());
  ResultRecord.ExpectedEducation = static_cast<TEducation>(StudiumComboBox->currentIndex());
}
