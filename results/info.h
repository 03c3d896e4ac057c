#pragma once
// The personal-data dialog of a stored respondent: name, sex, age, education
// and further studies. Its only opener is the database browser.
#include "forms.h"
#include "framework.h"
#include "ui_info.h"

class TInfoForm : public TForm, public Ui::InfoForm {
  Q_OBJECT

 public:
  TInfoForm();

  // Copies the controls into ResultRecord; runs whenever the dialog closes.
  void FormClose();

  TResultRecord ResultRecord{};

 protected:
  void hideEvent(QHideEvent* event) override;
};

extern TInfoForm* InfoForm;
