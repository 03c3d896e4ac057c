#pragma once
// The common open and save dialogs: a filter of the form "description|pattern",
// a default extension added to a name typed without one, a title, an initial
// folder and, for a save, whether to ask before replacing a file. Execute()
// runs the dialog modally and reports whether a file was chosen; the chosen
// name, with its folder, is then in FileName.
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
  // `name` with `ext` added when its last component has no extension.
  static QString WithDefaultExt(const QString& name, const QString& ext);

 private:
  Kind kind_;
  QString objectName_;
};
