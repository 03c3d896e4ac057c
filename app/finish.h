#pragma once
// The closing picture after the questionnaire. The respondent stays on it
// until the counsellor closes it with Ctrl+J; no click and no other key does.
#include "forms.h"
#include "ui_finish.h"

class TFinishForm : public TForm, public Ui::FinishForm {
  Q_OBJECT

 public:
  TFinishForm();

 protected:
  void FormKeyDown(int key, Qt::KeyboardModifiers shift) override;
};

extern TFinishForm* FinishForm;
