// GoogleTest main for tests that need Qt: one QApplication for the whole test
// process, on the offscreen platform unless the caller chose another, with
// the toolkit's Czech texts as in the programs.
#include <gtest/gtest.h>

#include <QApplication>

#include "translation.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  LoadCzechTranslation();  // as both programs do
  return RUN_ALL_TESTS();
}
