#pragma once
// The plain dark backdrop that covers the desktop behind the windows of a
// test run (and behind a reopened respondent's results).
#include "forms.h"

class TBlankForm : public TForm {
  Q_OBJECT

 public:
  TBlankForm();

  // Borderless over every monitor (at (0, 0) with the screen's size on one), shown without waiting.
  void ShowBackdrop();
  void HideBackdrop();
};

extern TBlankForm* BlankForm;

// Shows the backdrop for its lifetime: hidden again on every way out of the
// scope, an error included.
class TBackdrop {
 public:
  TBackdrop() { BlankForm->ShowBackdrop(); }
  ~TBackdrop() { BlankForm->HideBackdrop(); }
  TBackdrop(const TBackdrop&) = delete;
  TBackdrop& operator=(const TBackdrop&) = delete;
};
