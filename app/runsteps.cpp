#include "runsteps.h"

#include <algorithm>
#include <limits>

#include "Fail.h"
#include "correct.h"
#include "input.h"
#include "test.h"
#include "textcodec.h"

void CopyPersonalData(TResultRecord& R) {
  R.Name.assign(ToCp1250(InputForm->JmenoEdit->text()));
  R.Education = static_cast<TEducation>(InputForm->VzdelaniComboBox->currentIndex());
  R.Age = AgeFromText(InputForm->VekEdit->text());
  R.Sex = static_cast<TSex>(InputForm->PohlaviComboBox->currentIndex());
  // No choice (index -1) is stored as 255.
  R.ExpectedEducation = static_cast<TEducation>(InputForm->StudiumComboBox->currentIndex());
}

std::int32_t AgeFromText(const QString& text) {
  const QString t = text.trimmed();
  int at = 0;
  bool negative = false;
  if (at < t.size() && (t[at] == u'+' || t[at] == u'-')) negative = t[at++] == u'-';
  if (at == t.size()) return -1;
  std::int64_t value = 0;
  for (; at < t.size(); ++at) {
    if (t[at] < u'0' || t[at] > u'9') return -1;
    value = value * 10 + (t[at].unicode() - u'0');
    if (value > std::numeric_limits<std::int32_t>::max()) return -1;
  }
  return static_cast<std::int32_t>(negative ? -value : value);
}

TQuestionnaireOutcome RunQuestionnaire(TResultRecord& R) {
  bool firstPass = true;
  bool complete = false;
  bool valid = false;
  do {
    TestForm->StartTest(R.Sex, firstPass);
    if (TestForm->ShowModal() == mrCancel) return TQuestionnaireOutcome::Cancelled;
    firstPass = false;
    complete = std::all_of(&TestForm->Answers[1], &TestForm->Answers[61], [](std::int16_t a) { return a != 0; });
    if (!complete) complete = CorrectForm->ShowModal() == mrNo;
    if (complete) {
      std::copy(&TestForm->Answers[1], &TestForm->Answers[61], R.ScoreSheet.Answers);
      valid = ComputeRawScores(R.ScoreSheet);
      if (!valid) complete = FailForm->ShowModal() == mrYes;
    }
  } while (!complete);
  return valid ? TQuestionnaireOutcome::Valid : TQuestionnaireOutcome::Invalid;
}
