#pragma once
// Creating the windows of this library, each once, in its global instance.
// The programs call these at start-up; tests call them once per process.

// The windows of a test run, shared by both programs: TestForm, InputForm,
// IntroForm, FinishForm, CorrectForm, FailForm, BlankForm.
void CreateTestRunForms();
// The main program's small windows: aboutform, OptionsForm.
void CreateSmallForms();
