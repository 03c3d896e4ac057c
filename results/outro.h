#pragma once
// The results screen: one respondent's results on four overlapping panels,
// one in front at a time: the scores (chart, score values, consistency words,
// the interest code and the selectors of score kind, norm group and chart
// kind), the professions matched to the code, the explanation of the code,
// and the counsellor's notes. Picture buttons along the bottom switch the
// panels, open the print dialog and close the screen; a click area on the
// scores panel lets the respondent take the questionnaire again with the
// stored answers preset.
//
// Opening: the opener puts the record's notes into NoteMemo (LoadNotes),
// copies the record into ResultRecord and calls ShowModal. When it returns,
// ResultRecord holds the screen's record (with the answers of a retake) and
// NoteMemo the notes; the opener stores both (StoreNotes, UpdateRecord).
// ShowRecordResults does all of that but the storing.
#include <QImage>
#include <cstdint>
#include <vector>

#include "controls.h"
#include "forms.h"
#include "framework.h"
#include "ui_outro.h"

// The respondent's education group, set from the record at every showing;
// the results computation offers the professions of this group first.
extern TProfessionLevel EducationGroup;

// The education group of an education: basic school and the apprenticeship
// certificate give plTraining, the other secondary schools plSecondary, the
// higher vocational school and the university plHigher. An education above
// edUniversity has no group: `previous` is kept.
TProfessionLevel EducationGroupOf(TEducation education, TProfessionLevel previous);

class TOutroForm : public TForm, public Ui::OutroForm {
  Q_OBJECT

 public:
  TOutroForm();

  TNormGroup NormGroup = ngPupils;      // always pupils: only their norms exist
  TScoreKind ScoreKind = skPercentile;  // the kind shown
  // Parallel to Professions: non-zero when the profession is offered, and
  // how its code matched (0 exact, 1 coarse, 2 permuted).
  std::vector<std::uint8_t> Selected;
  std::vector<std::uint8_t> MatchMark;
  // The respondent shown, by value; a retake changes it.
  TResultRecord ResultRecord{};

  // Shows the screen modally. A record that cannot be evaluated (possible
  // only through an imported file) is refused with an error box: the screen
  // does not open and the result is mrAbort, so the opener stores nothing.
  TModalResult ShowModal();

  void SkorComboBoxChange();
  void skorbuttonimageClick();
  void profesebuttonimageClick();
  void kodbuttonimageClick();
  void notebuttonimageClick();
  void closebuttonimageClick();
  void printbuttonimageClick();
  void TestAgainButtonClick();

  void skorbuttonimageMouseMove();
  void profesebuttonimageMouseMove();
  void printbuttonimageMouseMove();  // bound to kodbuttonimage
  void closebuttonimageMouseMove();  // bound to notebuttonimage
  void backimageMouseMove();         // background, print and close buttons

  // Everything shown about ResultRecord: person lines, consistency words,
  // scores, code and its explanation, the profession lists; the print
  // dialog's report data; the chart.
  void ComputeResults();
  // The chart of ResultRecord's scores in ScoreKind, hexagon or profile as
  // graphComboBox says, the six score labels and the print dialog's scores.
  void DrawScoreView();
  // Every offered profession at the level chosen in UrovenComboBox, with its mark.
  void FillAltProfessionList();

 protected:
  void FormCreate() override;
  void FormShow() override;

 private:
  void FitKodLabel();

  THoverButtons hover_;
  QImage chart_;
};

extern TOutroForm* OutroForm;

// Shows the results of R on the screen with R's notes: false when the screen
// refused the record (nothing to store). Otherwise R becomes the screen's
// record (with a retake's answers) carrying the memo's notes, ready to be
// stored.
bool ShowRecordResults(TResultRecord& R);
