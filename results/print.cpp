#include "print.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QSignalBlocker>
#include <algorithm>

#include "dialogs.h"
#include "printer.h"
#include "report_print.h"
#include "word_export.h"

TPrintForm* PrintForm = nullptr;

namespace {
// The wait cursor over the whole application while it lives.
struct TWaitCursor {
  TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;
};
}  // namespace

TPrintForm::TPrintForm() {
  setupUi(this);
  SetDialogFrame();
  SetClientSize(327, 188);
  SetCentredOnShow(true);
  Label1->adjustSize();
  // The fonts here run wider than the ones the layout was drawn for: a radio
  // button whose text would be cut is widened to its text.
  for (QRadioButton* radio : {RadioButton1, RadioButton2})
    radio->resize(std::max(radio->width(), radio->sizeHint().width()), radio->height());

  topheader->SetAutoSize(true);
  topheader->SetPicture("print_banner");
  topheader->hide();

  SaveDialog1.DefaultExt = QStringLiteral(".doc");
  SaveDialog1.FileName = QStringLiteral("report.doc");
  SaveDialog1.Filter = QStringLiteral("Dokument MS Word|*.doc");

  Bind(RadioButton1, &QRadioButton::clicked, this, &TPrintForm::RadioButton1Click);
  Bind(RadioButton2, &QRadioButton::clicked, this, &TPrintForm::RadioButton1Click);
  // A choice from the list and typing into its text both change the printer.
  Bind(PrintersBox, &QComboBox::currentIndexChanged, this, &TPrintForm::PrintersBoxChange);
  Bind(PrintersBox->lineEdit(), &QLineEdit::textEdited, this, &TPrintForm::PrintersBoxChange);
  Bind(SetupButton, &QPushButton::clicked, this, &TPrintForm::SetupButtonClick);
  Bind(PrintButton, &QPushButton::clicked, this, &TPrintForm::PrintButtonClick);
  Bind(ExportButton, &QPushButton::clicked, this, &TPrintForm::ExportButtonClick);
}

void TPrintForm::FormShow() {
  RadioButton1->setChecked(true);
  RadioButton1Click();
  // Raw scores are reported as the Z-scores that the fields hold for them.
  if (ScoreKind == skRawScore) ScoreKind = skZScore;
  // Filling the list is no choice of the counsellor's: the printer stays as it is.
  const QSignalBlocker quiet(PrintersBox);
  PrintersBox->clear();
  PrintersBox->addItems(Printer().Printers());
  PrintersBox->setCurrentIndex(Printer().PrinterIndex());
}

void TPrintForm::RadioButton1Click() {
  const bool printing = RadioButton1->isChecked();
  PrintersBox->setEnabled(printing);
  CheckBox1->setEnabled(printing);
  SetupButton->setEnabled(printing);
  PrintButton->setEnabled(printing);
  ExportButton->setEnabled(RadioButton2->isChecked());
}

int TPrintForm::PrintersBoxIndex() const {
  const int index = PrintersBox->currentIndex();
  return index >= 0 && PrintersBox->currentText() == PrintersBox->itemText(index) ? index : -1;
}

void TPrintForm::PrintersBoxChange() {
  Printer().SetPrinterIndex(PrintersBoxIndex());
}

void TPrintForm::SetupButtonClick() {
  Printer().SetupDialog(this);
}

void TPrintForm::PrintButtonClick() {
  PrintReport(*this, topheader->Picture(), CheckBox1->isChecked(), this);
  Close();
}

void TPrintForm::ExportToWord(const QString& fileName) {
  ExportReportToWord(*this, QFile::encodeName(fileName).toStdString());
}

void TPrintForm::ExportButtonClick() {
  if (SaveDialog1.Execute(this)) {
    const TWaitCursor wait;
    ExportToWord(SaveDialog1.FileName);
  }
  Close();
}
