// The print dialog through its real controls: the mode switch, the score
// kind it reports, the printer chooser, and an export whose file name is
// not given.
#include "print.h"

#include <gtest/gtest.h>

#include <QFileDialog>
#include <QLineEdit>
#include <QTest>

#include "gui_driver.h"
#include "printer.h"

namespace {

class PrintDialog : public GuiTest {
 protected:
  static void SetUpTestSuite() {
    if (!PrintForm) CreateForm(PrintForm);
  }
};

// Whether the printing controls and the export button are enabled.
void ExpectPrintingMode(bool printing) {
  EXPECT_EQ(PrintForm->PrintersBox->isEnabled(), printing);
  EXPECT_EQ(PrintForm->CheckBox1->isEnabled(), printing);
  EXPECT_EQ(PrintForm->SetupButton->isEnabled(), printing);
  EXPECT_EQ(PrintForm->PrintButton->isEnabled(), printing);
  EXPECT_EQ(PrintForm->ExportButton->isEnabled(), !printing);
}

}  // namespace

TEST_F(PrintDialog, EveryShowingStartsInPrintingModeWithTheChooserFilled) {
  EXPECT_EQ(PrintForm->windowTitle(), QStringLiteral("Tisk ..."));
  EXPECT_EQ(PrintForm->topheader->Picture().size(), QSize(2481, 415));
  EXPECT_FALSE(PrintForm->topheader->isVisible());
  const QStringList printers = Printer().Printers();
  ASSERT_FALSE(printers.isEmpty());

  // Left in export mode with raw scores and the last printer chosen.
  PrintForm->RadioButton2->setChecked(true);
  PrintForm->ScoreKind = skRawScore;
  PrintForm->PrintersBox->addItem(QStringLiteral("stale"));
  Printer().SetPrinterIndex(static_cast<int>(printers.size()) - 1);
  TModalAnswers answers(Steps([&](QWidget* w) {
    EXPECT_EQ(w->size(), QSize(327, 188));
    QStringList tabOrder;
    QWidget* next = PrintForm->PrintersBox;
    do {
      if (next->parentWidget() == w && next->focusPolicy() & Qt::TabFocus) tabOrder << next->objectName();
      next = next->nextInFocusChain();
    } while (next != PrintForm->PrintersBox);
    EXPECT_EQ(tabOrder, QStringList({"PrintersBox", "PrintButton", "SetupButton", "CheckBox1", "RadioButton1",
                                     "RadioButton2", "ExportButton"}));
    EXPECT_TRUE(PrintForm->RadioButton1->isChecked());
    ExpectPrintingMode(true);
    EXPECT_EQ(PrintForm->ScoreKind, skZScore);
    QStringList items;
    for (int i = 0; i < PrintForm->PrintersBox->count(); ++i) items << PrintForm->PrintersBox->itemText(i);
    EXPECT_EQ(items, printers);
    EXPECT_EQ(PrintForm->PrintersBox->currentIndex(), printers.size() - 1);
    EXPECT_EQ(Printer().PrinterIndex(), printers.size() - 1);  // filling the list chose nothing

    Click(w, QStringLiteral("RadioButton2"));
    ExpectPrintingMode(false);
    Click(w, QStringLiteral("RadioButton1"));
    ExpectPrintingMode(true);

    // A choice from the list, then a name typed over it: no item; the
    // printer object then falls back to the default printer.
    PrintForm->PrintersBox->setCurrentIndex(printers.size() - 1);
    PrintForm->PrintersBox->setCurrentIndex(0);
    EXPECT_EQ(Printer().PrinterIndex(), 0);
    QTest::keyClicks(PrintForm->PrintersBox->lineEdit(), QStringLiteral("x"));
    EXPECT_EQ(PrintForm->PrintersBox->currentText(), printers.value(0) + QStringLiteral("x"));
    EXPECT_GE(Printer().PrinterIndex(), 0);
    PlatformClose(w);
  }));
  EXPECT_EQ(PrintForm->ShowModal(), mrCancel);
  EXPECT_TRUE(answers.Done());

  // Other kinds are reported as they are.
  PrintForm->ScoreKind = skTScore;
  TModalAnswers again(Steps([](QWidget* w) {
    EXPECT_EQ(PrintForm->ScoreKind, skTScore);
    PlatformClose(w);
  }));
  PrintForm->ShowModal();
  EXPECT_TRUE(again.Done());
  Printer().SetPrinterIndex(0);
}

TEST_F(PrintDialog, CancelledSaveClosesTheDialogWithoutExport) {
  // An export would end in a message box (or a file), which no step answers.
  TModalAnswers answers({[](QWidget* w) {
                           Click(w, QStringLiteral("RadioButton2"));
                           Click(w, QStringLiteral("ExportButton"));
                         },
                         [](QWidget* w) {
                           auto* dialog = qobject_cast<QFileDialog*>(w);
                           ASSERT_NE(dialog, nullptr) << w->metaObject()->className();
                           EXPECT_EQ(dialog->objectName(), QStringLiteral("SaveDialog1"));
                           EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("Dokument MS Word (*.doc)")});
                           EXPECT_TRUE(dialog->selectedFiles().value(0).endsWith(QStringLiteral("/report.doc")));
                           dialog->reject();
                         }});
  EXPECT_EQ(PrintForm->ShowModal(), mrCancel);
  EXPECT_TRUE(answers.Done());
  EXPECT_FALSE(PrintForm->isVisible());
}
