#include "filedialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMessageBox>

namespace {

// Names the kind of a file from its name alone. The toolkit's own provider
// reads a file's first bytes to tell its type, which never returns on a pipe
// or a device file (a folder such as /proc), and the dialog would hang.
class TPlainIconProvider : public QFileIconProvider {
 public:
  TPlainIconProvider() { setOptions(QAbstractFileIconProvider::DontUseCustomDirectoryIcons); }
  QString type(const QFileInfo& info) const override {
    if (info.isDir()) return QStringLiteral("Složka");
    const QString suffix = info.suffix();
    return suffix.isEmpty() ? QStringLiteral("Soubor") : QStringLiteral("Soubor ") + suffix.toUpper();
  }
  QIcon icon(const QFileInfo& info) const override {
    return QFileIconProvider::icon(info.isDir() ? QAbstractFileIconProvider::Folder : QAbstractFileIconProvider::File);
  }
  using QFileIconProvider::icon;
};

// The toolkit's file dialog, with the save decided on the final name: the
// toolkit itself asks about replacing a file for the name as typed and adds
// its suffix only afterwards (and only to a name without a dot), so "novak"
// would replace "novak.zvr" unasked.
class TFileDialogWindow : public QFileDialog {
 public:
  TFileDialogWindow(QWidget* parent, QString ext, bool askReplace)
      : QFileDialog(parent), ext_(std::move(ext)), askReplace_(askReplace) {}

  QString Chosen;  // the final name of an accepted save

  void accept() override {
    const QStringList files = selectedFiles();
    // An open dialog, a folder to go into, and the toolkit's own ".." are the toolkit's.
    if (acceptMode() != AcceptSave || files.isEmpty() || QFileInfo(files.first()).isDir()) {
      QFileDialog::accept();
      return;
    }
    const QString name = TFileDialog::FinalSaveName(files.first(), ext_);
    const QFileInfo info(name);
    if (info.fileName().isEmpty()) return;  // only blanks typed
    if (info.isDir()) {
      setDirectory(info.absoluteFilePath());
      return;
    }
    // The toolkit's own question, in its own words, for the name that will be written.
    if (askReplace_ && info.exists() &&
        QMessageBox::warning(this, windowTitle(),
                             QFileDialog::tr("%1 already exists.\nDo you want to replace it?").arg(info.fileName()),
                             QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
      return;
    Chosen = name;
    QDialog::accept();
  }

 private:
  QString ext_;
  bool askReplace_;
};

}  // namespace

QStringList TFileDialog::QtFilters(const QString& filter) {
  QStringList out;
  const QStringList parts = filter.split(QLatin1Char('|'));
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    out << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
  }
  return out;
}

namespace {

// The extension as the dialogs use it, without leading dots (".zvr" is "zvr").
QString BareExt(QString ext) {
  while (ext.startsWith(QLatin1Char('.'))) ext.remove(0, 1);
  return ext;
}

}  // namespace

QString TFileDialog::FinalSaveName(QString name, const QString& ext) {
  while (name.endsWith(QLatin1Char(' '))) name.chop(1);
  const QString e = BareExt(ext);
  if (e.isEmpty() || name.isEmpty() || name.endsWith(QLatin1Char('/'))) return name;
  // Only the extension itself counts: "zaloha 12.3.2024" or "zaloha_v1.0" still needs it.
  if (name.endsWith(QLatin1Char('.') + e, Qt::CaseInsensitive)) return name;
  return name.endsWith(QLatin1Char('.')) ? name + e : name + QLatin1Char('.') + e;
}

bool TFileDialog::Execute(QWidget* parent) {
  const QString ext = BareExt(DefaultExt);
  TPlainIconProvider icons;  // outlives the dialog that uses it
  TFileDialogWindow dialog(parent, ext, OverwritePrompt);
  dialog.setIconProvider(&icons);
  dialog.setObjectName(objectName_);
  // Our own dialog rather than the desktop's, so it behaves the same everywhere and tests can answer it.
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setAcceptMode(kind_ == Kind::Open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  dialog.setFileMode(kind_ == Kind::Open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);  // asked for the final name, above
  if (!Title.isEmpty()) dialog.setWindowTitle(Title);
  dialog.setDirectory(InitialDir.isEmpty() ? QDir::currentPath() : QDir(InitialDir).absolutePath());
  const QStringList filters = QtFilters(Filter);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  // An open dialog finds "zaloha.dba" for "zaloha"; a save adds the extension itself, also to a name with
  // dots (the toolkit's own suffix is added only to a name without any dot).
  if (kind_ == Kind::Open && !ext.isEmpty()) dialog.setDefaultSuffix(ext);
  if (!FileName.isEmpty()) dialog.selectFile(FileName);
  if (dialog.exec() != QDialog::Accepted) return false;
  if (kind_ == Kind::Save) {
    FileName = dialog.Chosen;
    return true;
  }
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return false;
  FileName = chosen.first();
  return true;
}
