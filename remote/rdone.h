#pragma once
// The picture shown after the result file is saved: thanks, and asks the
// respondent to send the file to the person who gave them the test. A click
// on the picture closes it.
#include "forms.h"
#include "ui_rdone.h"

class TRemoteDoneForm : public TForm, public Ui::RemoteDoneForm {
  Q_OBJECT

 public:
  TRemoteDoneForm();

  void Image1Click();
};

extern TRemoteDoneForm* RemoteDoneForm;

// A borderless window exactly as large as its one picture, centred on the
// screen at every showing.
void ShowPictureOnly(TForm* window, TImage* image, const char* picture);
