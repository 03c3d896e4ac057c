#include "testrun.h"

#include "Fail.h"
#include "about.h"
#include "blank.h"
#include "correct.h"
#include "finish.h"
#include "input.h"
#include "intro.h"
#include "options.h"
#include "test.h"

void CreateTestRunForms() {
  CreateForm(TestForm);
  CreateForm(InputForm);
  CreateForm(IntroForm);
  CreateForm(FinishForm);
  CreateForm(CorrectForm);
  CreateForm(FailForm);
  CreateForm(BlankForm);
}

void CreateSmallForms() {
  CreateForm(aboutform);
  CreateForm(OptionsForm);
}
