// The results screen that the database browser opens a stored respondent in.
#include "dbbrowser.h"

#if __has_include("outro.h")
#include "outro.h"

std::function<TResultsScreen()> ResultsScreen = [] {
  return TResultsScreen{&OutroForm->ResultRecord, OutroForm->NoteMemo, [] { OutroForm->ShowModal(); }};
};
#else
std::function<TResultsScreen()> ResultsScreen;
#endif
