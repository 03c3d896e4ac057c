#pragma once
// The print dialog: prints the report of one respondent on a chosen printer
// (full or simplified) or exports it to a Word document. It also carries the
// report data: the results screen writes its fields (TPrintFields) before
// showing it, and the printed report and the Word export read only them.
#include <QString>

#include "filedialog.h"
#include "forms.h"
#include "print_fields.h"
#include "ui_print.h"

class TPrintForm : public TForm, public Ui::PrintForm, public TPrintFields {
  Q_OBJECT

 public:
  TPrintForm();

  // The Word document's file name; keeps the last name chosen.
  TFileDialog SaveDialog1{TFileDialog::Kind::Save, QStringLiteral("SaveDialog1")};

  // The mode handler: the printing controls are enabled in printing mode,
  // the export button in export mode.
  void RadioButton1Click();
  void PrintersBoxChange();
  void SetupButtonClick();
  void PrintButtonClick();
  void ExportButtonClick();
  // Writes the report of the fields to the Word document `fileName`.
  void ExportToWord(const QString& fileName);

  // The item of PrintersBox that its text names: -1 once the text has been
  // typed over with something other than the chosen printer's name.
  int PrintersBoxIndex() const;

 protected:
  void FormShow() override;
};

extern TPrintForm* PrintForm;
