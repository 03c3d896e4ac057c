#pragma once
// The questionnaire: ten pages of six items, each item rated by a click on
// one of five boxes reading 5 4 3 2 1, paged with Back and Next. A page's
// controls are built anew for every page from the engine's page table and
// item texts. The counsellor aborts the questionnaire with Ctrl+J.
#include <QLabel>
#include <array>
#include <cstdint>
#include <vector>

#include "controls.h"
#include "forms.h"
#include "framework_items.h"
#include "framework_types.h"
#include "ui_test.h"

// One answer box of a page: column Col (1..5, standing for the answer
// 6 - Col) of row Row (0-based). A click chooses it on the questionnaire
// window TestForm.
class TMycheckbox : public TImage {
  Q_OBJECT

 public:
  TMycheckbox(QWidget* owner, int32_t row, int32_t col);

  int32_t Row;
  int32_t Col;

  void MCBClick();
};

// The digit drawn over an answer box; a click on it counts as a click on the
// box under it.
class TMyNumber : public QLabel {
  Q_OBJECT

 public:
  TMyNumber(QWidget* owner, int32_t row, int32_t col);

  int32_t Row;
  int32_t Col;

  void MNClick();

 signals:
  void clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  TClick click_;
};

class TTestForm : public TForm, public Ui::TestForm {
  Q_OBJECT

 public:
  TTestForm();

  // The controls of the page on screen, by row (0-based); BoxColumns and
  // NumberColumns are indexed by column 1..5 (element 0 unused).
  std::vector<QLabel*> ItemLabels;
  std::array<std::vector<TMycheckbox*>, 6> BoxColumns;
  std::array<std::vector<TMyNumber*>, 6> NumberColumns;
  // The page's answer per row while the page is on screen: 0 none, else 1..5.
  std::vector<int32_t> PageAnswers;
  int32_t PageRowCount = 0;
  int32_t PageFirstItem = 0;    // item number (1-based) of the page's first row
  int32_t CurrentPage = 0;      // 1..10 while shown; 11 after Next on the last page
  TSex TextVariant = sxMale;    // which variant of the item texts is shown
  bool Aborted = false;         // the counsellor confirmed an abort
  bool LastPage = false;        // the last page is shown
  bool CorrectionMode = false;  // a later pass: answered items are shown grey
  // The answer per item, indexed by item number 1..60 (element 0 unused):
  // 0 none, 1..5 the rating. Callers read it after the window closes and may
  // preset it before StartTest with Clear = false.
  std::int16_t Answers[ItemCount + 1] = {};

  // Prepares page 1 for the next showing: Variant chooses the item texts,
  // Clear empties Answers (the first pass); without it the answered items
  // are shown grey so that the gaps stand out.
  void StartTest(TSex Variant, bool Clear);
  void ShowPage();
  void BuildPage(const TPage& page);
  void ClearPage();
  void SavePageAnswers();

  void NextButtonClick();
  void BackButtonClick();
  void nextbuttonimageMouseMove();
  void backbuttonimageMouseMove();
  void backimageMouseMove();

 protected:
  void FormCreate() override;
  void FormShow() override;
  void FormKeyDown(int key, Qt::KeyboardModifiers shift) override;
  bool FormCloseQuery() override;

 private:
  THoverButtons hover_;
};

extern TTestForm* TestForm;
