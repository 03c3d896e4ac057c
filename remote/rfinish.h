#pragma once
// A picture that asks the respondent to save the result file; it stays above
// other windows and a click on the picture closes it. The program creates it
// but no step of the test run shows it.
#include "forms.h"
#include "ui_rfinish.h"

class TRemoteFinishForm : public TForm, public Ui::RemoteFinishForm {
  Q_OBJECT

 public:
  TRemoteFinishForm();

  void Image1Click();
  void Button1Click();  // bound to no control
};

extern TRemoteFinishForm* RemoteFinishForm;
