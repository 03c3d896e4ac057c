#pragma once
// Starts the main window once per test process. Its start-up writes the
// database and settings files into the current folder, so it runs in a
// temporary folder of its own, never in the folder the tests started in.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "forms.h"
#include "framework.h"
#include "gui_driver.h"
#include "main.h"
#include "testrun.h"

inline void StartMainFormOnce() {
  InitFrameworkTables();
  if (MainForm) return;
  QTemporaryDir start;
  const QString saved = QDir::currentPath();
  ASSERT_TRUE(start.isValid() && QDir::setCurrent(start.path()));
  CreateForm(MainForm);
  CreateSmallForms();
  QDir::setCurrent(saved);
}

// A test of the main window's commands: the window started once, each test in
// a temporary folder of its own as the current folder.
class TMainFormTest : public GuiTest {
 protected:
  static void SetUpTestSuite() { StartMainFormOnce(); }
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    saved_ = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir_.path()));
  }
  void TearDown() override {
    QDir::setCurrent(saved_);
    GuiTest::TearDown();
  }

  QTemporaryDir dir_;
  QString saved_;
};
