#include "filedialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>

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

QString TFileDialog::WithDefaultExt(const QString& name, const QString& ext) {
  QString e = ext;
  while (e.startsWith(QLatin1Char('.'))) e.remove(0, 1);
  if (e.isEmpty() || name.isEmpty() || name.endsWith(QLatin1Char('/'))) return name;
  // Only the extension itself counts: "zaloha 12.3.2024" or "zaloha_v1.0" still needs it.
  if (name.endsWith(QLatin1Char('.') + e, Qt::CaseInsensitive)) return name;
  return name.endsWith(QLatin1Char('.')) ? name + e : name + QLatin1Char('.') + e;
}

namespace {

// The toolkit's dialog with one change to what it accepts: in an open dialog
// a typed name that names no file is taken with the default extension when
// that names one ("zaloha 12.3.2024" for "zaloha 12.3.2024.dba"). The
// toolkit's own default suffix is not used, as it adds nothing to a name
// that holds a dot.
class TExtensionDialog : public QFileDialog {
 public:
  TExtensionDialog(QWidget* parent, QString ext) : QFileDialog(parent), ext_(std::move(ext)) {}

  void accept() override {
    const QStringList files = selectedFiles();
    if (acceptMode() == AcceptOpen && files.size() == 1 && !QFileInfo::exists(files.first())) {
      const QString named = TFileDialog::WithDefaultExt(files.first(), ext_);
      if (QFileInfo(named).isFile()) selectFile(named);
    }
    QFileDialog::accept();
  }

 private:
  QString ext_;
};

}  // namespace

bool TFileDialog::Execute(QWidget* parent) {
  TPlainIconProvider icons;  // outlives the dialog that uses it
  QString ext = DefaultExt;
  while (ext.startsWith(QLatin1Char('.'))) ext.remove(0, 1);
  TExtensionDialog dialog(parent, ext);
  dialog.setIconProvider(&icons);
  dialog.setObjectName(objectName_);
  // Our own dialog rather than the desktop's, so it behaves the same everywhere and tests can answer it.
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setAcceptMode(kind_ == Kind::Open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  dialog.setFileMode(kind_ == Kind::Open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  // A save replaces an existing file without a question.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  if (!Title.isEmpty()) dialog.setWindowTitle(Title);
  dialog.setDirectory(InitialDir.isEmpty() ? QDir::currentPath() : QDir(InitialDir).absolutePath());
  const QStringList filters = QtFilters(Filter);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  if (!FileName.isEmpty()) dialog.selectFile(FileName);
  if (dialog.exec() != QDialog::Accepted) return false;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return false;
  // A save adds the extension; an open takes the file it found.
  FileName = kind_ == Kind::Save ? WithDefaultExt(chosen.first(), ext) : chosen.first();
  return true;
}
