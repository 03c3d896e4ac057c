#pragma once
// Starts the main window once per test process. Its start-up writes the
// database and settings files into the current folder, so it runs in a
// temporary folder of its own, never in the folder the tests started in.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "forms.h"
#include "framework.h"
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
