#include "dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QStringDecoder>

#include "textcodec.h"

namespace {

// The box belongs to the window the user is working in, so it stays above it
// (also above a window that is kept on top).
QWidget* BoxOwner() {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return QApplication::activeWindow();
}

TModalResult Box(QMessageBox::Icon icon, const char* caption, const QString& text, QMessageBox::StandardButtons buttons,
                 QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) {
  QMessageBox box(icon, QString::fromUtf8(caption), text, buttons, BoxOwner());
  if (defaultButton != QMessageBox::NoButton) box.setDefaultButton(defaultButton);
  // A name or a file name is shown as typed, never read as markup.
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return mrYes;
    case QMessageBox::No:
      return mrNo;
    case QMessageBox::Ok:
      return mrOk;
    default:
      return buttons.testFlag(QMessageBox::No) ? mrNo : mrCancel;
  }
}

QString WhatText(const char* what) {
  QByteArray bytes(what ? what : "");
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString text = utf8.decode(bytes);
  if (utf8.hasError()) text = FromCp1250(std::string_view(bytes.constData(), bytes.size()));
  return text;
}

}  // namespace

void ShowInformation(const QString& text) {
  Box(QMessageBox::Information, "Informace", text, QMessageBox::Ok);
}

void ShowError(const QString& text) {
  Box(QMessageBox::Critical, "Chyba", text, QMessageBox::Ok);
}

TModalResult AskConfirmation(const QString& text, TModalResult defaultAnswer) {
  return Box(QMessageBox::Question, "Potvrzení", text, QMessageBox::Yes | QMessageBox::No,
             defaultAnswer == mrNo ? QMessageBox::No : QMessageBox::Yes);
}

TModalResult AskWarning(const QString& text) {
  return Box(QMessageBox::Warning, "Upozornění", text, QMessageBox::Yes | QMessageBox::No);
}

QString ExceptionText(const std::exception& error) {
  return WhatText(error.what());
}

void ShowException(const std::exception& error) noexcept {
  try {
    ShowError(ExceptionText(error));
  } catch (...) {
    // Nothing is left to report to when the error box itself fails.
  }
}

void ShowUnknownException() noexcept {
  try {
    ShowError(QStringLiteral("Neznámá chyba."));
  } catch (...) {
  }
}
