#pragma once
// The common open and save dialogs: a filter of the form "description|pattern",
// a default extension, a title, an initial folder and, for a save, whether to
// ask before replacing a file. A save dialog takes a name without the blanks
// it ends with and adds the default extension to every name that does not
// already end with it; the question whether to replace an existing file is
// asked for that final name, and "No" returns to the dialog. An open dialog
// finds a file by its name typed without the extension. Execute() runs the
// dialog modally and reports whether a file was chosen; the chosen name, with
// its folder, is then in FileName.
#include <QString>
#include <QWidget>

class TFileDialog {
 public:
  enum class Kind { Open, Save };

  TFileDialog(Kind kind, QString objectName) : kind_(kind), objectName_(std::move(objectName)) {}

  QString DefaultExt;            // with or without a leading dot
  QString Filter;                // "description|*.ext", pairs may repeat: "a|*.x|b|*.y"
  QString Title;                 // empty: the platform's default title
  QString InitialDir;            // empty: the current directory
  QString FileName;              // proposed name before Execute, chosen name after it
  bool OverwritePrompt = false;  // a save asks before replacing an existing file

  bool Execute(QWidget* parent = nullptr);

  // The dialog's filter list as the toolkit writes it ("description (*.ext)").
  static QStringList QtFilters(const QString& filter);
  // The file a save dialog writes for `name`: the blanks at its end dropped,
  // then "." and `ext` added unless it ends with them already (in any letter
  // case); a name ending in "." gets `ext` alone.
  static QString FinalSaveName(QString name, const QString& ext);

 private:
  Kind kind_;
  QString objectName_;
};
