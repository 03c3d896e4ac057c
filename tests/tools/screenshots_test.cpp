// The screenshot tool as a developer runs it: the results screen in the
// score kind given, and a kind it does not know refused with its usage.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <fstream>
#include <memory>

#include "framework.h"
#include "gui_driver.h"
#include "outro.h"
#include "print.h"

namespace {

// The tool started on `arguments`; the caller waits for it. LibreOffice is
// kept out of its reach (PATH), so it leaves out the Word document at once:
// only its pictures are looked at.
std::unique_ptr<QProcess> StartTool(const QStringList& arguments) {
  auto tool = std::make_unique<QProcess>();
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("PATH"), QStringLiteral("/nonexistent"));
  tool->setProcessEnvironment(environment);
  tool->start(QStringLiteral(SCREENSHOTS_TOOL), arguments);
  return tool;
}

class ScreenshotsTool : public GuiTest {};

}  // namespace

TEST_F(ScreenshotsTool, DrawsTheScoreKindGivenAndRefusesAnUnknownOne) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  InitFrameworkTables();
  InitContentTables();
  TResultRecord r{};
  r.Sex = sxFemale;
  for (int i = 0; i < ItemCount; ++i) r.ScoreSheet.Answers[i] = static_cast<std::int16_t>(1 + (i * 7 + i / 6) % 5);
  ComputeRawScores(r.ScoreSheet);
  const QString resultFile = dir.filePath(QStringLiteral("jana.zvr"));
  std::ofstream(resultFile.toStdString(), std::ios::binary).write(reinterpret_cast<const char*>(&r), sizeof r);

  for (const char* unknown : {"abc", "7", "1x", ""}) {
    const auto tool = StartTool({dir.filePath(QStringLiteral("x")), resultFile, QString::fromLatin1(unknown)});
    ASSERT_TRUE(tool->waitForFinished(60000));
    EXPECT_NE(tool->exitCode(), 0) << unknown;
    EXPECT_TRUE(QString::fromUtf8(tool->readAllStandardError()).contains(QStringLiteral("Použití: screenshots")));
  }
  EXPECT_FALSE(QDir(dir.filePath(QStringLiteral("x"))).exists());

  // Percentiles and T-scores, side by side: the chart differs, not only the selector above it.
  const auto percentile = StartTool({dir.filePath(QStringLiteral("0")), resultFile, QStringLiteral("0")});
  const auto tScore = StartTool({dir.filePath(QStringLiteral("1")), resultFile, QStringLiteral("1")});
  for (QProcess* tool : {percentile.get(), tScore.get()}) ASSERT_TRUE(tool->waitForFinished(300000));
  if (!PrintForm) CreateForm(PrintForm);
  if (!OutroForm) CreateForm(OutroForm);
  const QRect chart(OutroForm->hexImage->mapTo(OutroForm, QPoint()), OutroForm->hexImage->size());
  const auto chartIn = [&](const char* kind) {
    return QImage(
               QDir(dir.filePath(QString::fromLatin1(kind))).filePath(QStringLiteral("OutroForm-scores-hexagon.png")))
        .copy(chart);
  };
  ASSERT_FALSE(chartIn("0").isNull());
  EXPECT_TRUE(chartIn("0") != chartIn("1")) << "the T-score chart shows the percentiles";
}
