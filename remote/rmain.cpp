#include "rmain.h"

#include <QFile>
#include <QMetaObject>

#include "Fail.h"
#include "blank.h"
#include "correct.h"
#include "datetime.h"
#include "dialogs.h"
#include "finish.h"
#include "help.h"
#include "input.h"
#include "intro.h"
#include "kiosk.h"
#include "rdone.h"
#include "resultfile.h"
#include "rfinish.h"
#include "runsteps.h"
#include "test.h"

TRemoteMainForm* RemoteMainForm = nullptr;

namespace {

// Why a result file could not be written, in the respondent's words.
QString SaveFailureCause(const std::exception& error) {
  if (const auto* io = dynamic_cast<const EInOutError*>(&error)) {
    switch (io->ErrorCode) {
      case 2:
        return QStringLiteral("zvolená složka neexistuje");
      case 3:
        return QStringLiteral("název souboru není platný");
      case 5:
        return QStringLiteral("do zvolené složky nebo souboru nelze zapisovat");
      case 101:
        return QStringLiteral("na disku není dost místa");
    }
  }
  // The file chosen is the database file, which no save may replace (framework_record.h).
  if (dynamic_cast<const EDatabaseError*>(&error)) return QStringLiteral("jde o soubor databáze probandů");
  return QString::fromUtf8(error.what());
}

}  // namespace

void CreateZoviremForms() {
  CreateForm(RemoteMainForm);
  CreateForm(RemoteFinishForm);
  CreateForm(HelpForm);
  CreateForm(InputForm);
  CreateForm(TestForm);
  CreateForm(BlankForm);
  CreateForm(IntroForm);
  CreateForm(RemoteDoneForm);
  CreateForm(CorrectForm);
  CreateForm(FailForm);
  CreateForm(FinishForm);
}

TRemoteMainForm::TRemoteMainForm() : Clock(Now) {
  setupUi(this);
  move(476, 213);
  SaveDialog.InitialDir = QStringLiteral(".");
}

void TRemoteMainForm::FormCreate() {
  InitItems();
  InitPages();
  InitNorms();
}

void TRemoteMainForm::showEvent(QShowEvent* event) {
  // The run's windows are modal: they start from the event loop, after the
  // window system has shown this one.
  QDialog::showEvent(event);
  if (shown_) return;
  shown_ = true;
  QMetaObject::invokeMethod(
      this, [this] { Guarded([this] { FormShow(); }); }, Qt::QueuedConnection);
}

void TRemoteMainForm::FormShow() {
  RemoteRun();
  Close();
}

void TRemoteMainForm::RemoteRun() {
  TResultRecord R{};
  InitResultRecord(R);
  const TKioskLock lock;
  const TBackdrop backdrop;

  // Ctrl+J on the picture pages only ends them early.
  IntroForm->UseSplashPages();
  IntroForm->ShowModal();
  if (InputForm->ShowModal() == mrCancel) return;
  IntroForm->UseIntroPages();
  IntroForm->ShowModal();
  CopyPersonalData(R);

  if (RunQuestionnaire(R) != TQuestionnaireOutcome::Valid) return;

  const double now = Clock();
  R.ScoreSheet.TestDate = now;
  R.Notes[0] = '\0';
  SaveLoop(R, BuildResultFileName(R, now));
}

void TRemoteMainForm::SaveLoop(const TResultRecord& R, const std::string& name) {
  const bool saved = SaveResultFileAsked(SaveDialog, this, R, QString::fromStdString(name),
                                         QStringLiteral("Opravdu chcete program ukončit BEZ ULOŽENÍ výsledků?"),
                                         [](const std::exception& error, const QString& fileName) {
                                           ShowError(QStringLiteral("Výsledky se nepodařilo uložit do souboru ") +
                                                     fileName + QStringLiteral(": ") + SaveFailureCause(error) +
                                                     QStringLiteral(".\nZvolte prosím jiné místo."));
                                         });
  if (!saved) return;
  ShowInformation(QStringLiteral("Výsledky byly uloženy do souboru ") + SaveDialog.FileName);
  RemoteDoneForm->ShowModal();
}
