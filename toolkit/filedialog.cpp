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
    if (info.isDir()) return QStringLiteral("Folder");
    const QString suffix = info.suffix();
    return suffix.isEmpty() ? QStringLiteral("File") : suffix.toUpper() + QStringLiteral(" File");
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
  if (e.isEmpty() || name.isEmpty()) return name;
  const QFileInfo info(name);
  if (!info.suffix().isEmpty() || info.fileName().endsWith(QLatin1Char('.'))) return name;
  return name + QLatin1Char('.') + e;
}

bool TFileDialog::Execute(QWidget* parent) {
  TPlainIconProvider icons;  // outlives the dialog that uses it
  QFileDialog dialog(parent);
  dialog.setIconProvider(&icons);
  dialog.setObjectName(objectName_);
  // Our own dialog rather than the desktop's, so it behaves the same everywhere and tests can answer it.
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setAcceptMode(kind_ == Kind::Open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  dialog.setFileMode(kind_ == Kind::Open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !OverwritePrompt);
  if (!Title.isEmpty()) dialog.setWindowTitle(Title);
  dialog.setDirectory(InitialDir.isEmpty() ? QDir::currentPath() : QDir(InitialDir).absolutePath());
  const QStringList filters = QtFilters(Filter);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  QString ext = DefaultExt;
  while (ext.startsWith(QLatin1Char('.'))) ext.remove(0, 1);
  if (!ext.isEmpty()) dialog.setDefaultSuffix(ext);
  if (!FileName.isEmpty()) dialog.selectFile(FileName);
  if (dialog.exec() != QDialog::Accepted) return false;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return false;
  FileName = WithDefaultExt(chosen.first(), ext);
  return true;
}
