#pragma once
// The two yes/no picture dialogs of a test run. Both have the same controls
// and answer only through their two picture buttons (mrYes, mrNo); they
// differ in the question pictured on their background.
//   CorrectForm: asked when some answers are missing.
//     Yes: back to the questionnaire to complete it; No: go on with the gaps.
//   FailForm (Fail.h): asked when the answers cannot be scored.
//     Yes: end the test without a result; No: back to the questionnaire.
#include <string_view>

#include "controls.h"
#include "forms.h"
#include "ui_correct.h"

class TYesNoForm : public TForm, public Ui::YesNoForm {
  Q_OBJECT

 public:
  TYesNoForm(const char* name, std::string_view question);

  void yesbuttonimageClick();
  void nobuttonimageClick();
  void yesbuttonimageMouseMove();
  void nobuttonimageMouseMove();
  void backimageMouseMove();

 private:
  THoverButtons hover_;
};

class TCorrectForm : public TYesNoForm {
  Q_OBJECT

 public:
  TCorrectForm();
};

extern TCorrectForm* CorrectForm;
