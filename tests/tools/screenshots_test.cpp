// The screenshot tool as a developer runs it: the results screen in the
// score kind given, a kind it does not know refused with its usage, and the
// folder it is run in left alone.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>

#include "gui_driver.h"
#include "outro.h"
#include "platform/recordfile_testutil.h"
#include "print.h"
#include "scored_record.h"

namespace {

class ScreenshotsTool : public GuiTest {};

}  // namespace

TEST_F(ScreenshotsTool, DrawsTheScoreKindGivenAndRefusesWhatItCannotDoLeavingItsFolderAlone) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  InitFrameworkTables();
  InitContentTables();
  const TResultRecord r = ScoredRecord({2, 5, 3, 4, 1, 3});
  const QString resultFile = dir.filePath(QStringLiteral("jana.zvr"));
  WriteBytes(resultFile.toStdString(), std::string(reinterpret_cast<const char*>(&r), sizeof r));
  const QString db = dir.filePath(QStringLiteral("zovi.db"));
  WriteBytes(db.toStdString(), "stored respondents");
  // The tool in `dir`, into the folder `out`; LibreOffice out of its reach (PATH), so it leaves out the Word
  // document at once: only its pictures are looked at.
  const auto start = [&](const QString& out, const QString& kind, const QString& tmp = QString()) {
    auto tool = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"), QStringLiteral("/nonexistent"));
    if (!tmp.isEmpty()) environment.insert(QStringLiteral("TMPDIR"), tmp);
    tool->setProcessEnvironment(environment);
    tool->setWorkingDirectory(dir.path());
    tool->start(QStringLiteral(SCREENSHOTS_TOOL), {out, resultFile, kind});
    return tool;
  };

  // Unknown kinds and an empty folder name give the usage; without a scratch folder of its own (the
  // temporary folder is a file) it does not start. Nothing is written, the database least of all.
  const struct {
    QString Out, Kind, Tmp;
    bool Usage;
  } refused[] = {{"x", "abc", {}, true}, {"x", "7", {}, true}, {"x", "1x", {}, true},
                 {"x", "", {}, true},    {"", "0", {}, true},  {"x", "0", db, false}};
  for (const auto& c : refused) {
    const auto tool = start(c.Out, c.Kind, c.Tmp);
    ASSERT_TRUE(tool->waitForFinished(60000));
    EXPECT_NE(tool->exitCode(), 0) << c.Out.toStdString() << " " << c.Kind.toStdString();
    EXPECT_EQ(QString::fromUtf8(tool->readAllStandardError()).contains(QStringLiteral("Použití: screenshots")),
              c.Usage);
    EXPECT_TRUE(ReadBytes(db.toStdString()) == "stored respondents");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{"jana.zvr", "zovi.db"}));
  }

  // Percentiles and T-scores, side by side: the chart differs, not only the selector above it.
  const auto percentile = start(QStringLiteral("0"), QStringLiteral("0")), tScore = start("1", "1");
  for (QProcess* tool : {percentile.get(), tScore.get()}) ASSERT_TRUE(tool->waitForFinished(300000));
  EXPECT_TRUE(ReadBytes(db.toStdString()) == "stored respondents");
  if (!PrintForm) CreateForm(PrintForm);
  if (!OutroForm) CreateForm(OutroForm);
  const QRect chart(OutroForm->hexImage->mapTo(OutroForm, QPoint()), OutroForm->hexImage->size());
  const auto chartIn = [&](const QString& kind) {
    return QImage(dir.filePath(kind + QStringLiteral("/OutroForm-scores-hexagon.png"))).copy(chart);
  };
  ASSERT_FALSE(chartIn(QStringLiteral("0")).isNull());
  EXPECT_TRUE(chartIn(QStringLiteral("0")) != chartIn(QStringLiteral("1")))
      << "the T-score chart shows the percentiles";
}
