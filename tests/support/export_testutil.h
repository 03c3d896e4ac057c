#pragma once
// Helpers for tests of documents written through other programs: the
// environment changed for a while, folder listings, folders that take no new
// file, and the text of a failure.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QString>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

// An environment variable set for the life of the object.
class TEnvOverride {
 public:
  TEnvOverride(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~TEnvOverride() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }
  TEnvOverride(const TEnvOverride&) = delete;
  TEnvOverride& operator=(const TEnvOverride&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// The names in a folder, sorted.
inline std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// Makes a folder take no new file: read-only permission bits and, for root
// (whom they do not stop), the immutable attribute. Returns false when a file
// can still be created there (then the caller skips).
inline bool LockFolder(const std::string& folder, bool locked = true) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  int flags = 0;
  if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && ::geteuid() == 0) {
    flags = locked ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
  }
  if (fd >= 0) ::close(fd);
  ::chmod(folder.c_str(), locked ? 0555 : 0755);
  if (!locked) return true;
  const std::string probe = folder + "/.probe";
  const int created = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
  if (created < 0) return true;
  ::close(created);
  ::unlink(probe.c_str());
  return false;
}

// The message of the std::runtime_error that `step` throws, or "no error".
template <class F>
QString ErrorMessageOf(F step) {
  try {
    step();
  } catch (const std::runtime_error& e) {
    return QString::fromUtf8(e.what());
  }
  return QStringLiteral("no error");
}

// Failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}
