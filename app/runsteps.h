#pragma once
// Steps that the test runs of both programs take alike, on the shared
// windows InputForm, TestForm, CorrectForm and FailForm.
#include <QString>
#include <cstdint>

#include "framework.h"

// The personal data entered on InputForm, into R: Name (cut to 100
// characters), Education, Age, Sex, and ExpectedEducation (255 for no choice).
void CopyPersonalData(TResultRecord& R);

// The age as typed: the text without leading and trailing blanks read as a
// whole number (an optional sign, then digits); -1 for an empty text or
// anything else.
std::int32_t AgeFromText(const QString& text);

enum class TQuestionnaireOutcome {
  Cancelled,  // the counsellor confirmed an abort
  Valid,      // the answers are accepted and every scale can be scored
  Invalid,    // the respondent chose to end on the unevaluable answers
};

// The questionnaire, for R's Sex, shown again until its answers are accepted:
// complete, or with gaps that the respondent accepts on CorrectForm; then
// scored, and shown again from FailForm when a scale cannot be scored. R gets
// the accepted Answers and their RawScores.
TQuestionnaireOutcome RunQuestionnaire(TResultRecord& R);
