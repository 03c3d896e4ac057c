#include "wholefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "recordfile.h"

namespace {

constinit TWholeFileTargetGuard TargetGuard = nullptr;

// Room for the dot before and the ".XXXXXX" after the target's name in a
// temporary name of at most 255 bytes.
constexpr std::size_t MaxBaseBytes = 255 - 8;

// The file that writing `target` really replaces: a symbolic link is followed
// to the file it names (a dangling link to the name it points at).
std::string ResolvedTarget(const std::string& target) {
  struct stat st {};
  if (lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return target;
  char resolved[PATH_MAX];
  if (realpath(target.c_str(), resolved)) return resolved;
  // A dangling link: follow it one step by hand.
  std::vector<char> buffer(PATH_MAX);
  const ssize_t n = readlink(target.c_str(), buffer.data(), buffer.size() - 1);
  if (n <= 0) return target;
  std::string linked(buffer.data(), static_cast<std::size_t>(n));
  if (linked.front() == '/') return linked;
  const auto slash = target.rfind('/');
  return slash == std::string::npos ? linked : target.substr(0, slash + 1) + linked;
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

void SyncFile(const std::string& name) {
  const int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) RaiseOsError(errno);
  if (fsync(fd) != 0) {
    const int err = errno;
    close(fd);
    RaiseOsError(err);
  }
  if (close(fd) != 0) RaiseOsError(errno);
}

}  // namespace

void WriteFileWhole(const std::string& target, const std::function<void(const std::string& temporaryName)>& produce) {
  if (target.empty() || target.find('\0') != std::string::npos) throw EInOutError(3);
  const std::string real = ResolvedTarget(target);
  if (TargetGuard) TargetGuard(real);

  struct stat existing {};
  const bool exists = stat(real.c_str(), &existing) == 0;
  if (exists) {
    // Only a plain file is replaced: renaming over a device or a pipe would
    // remove it (root may write /dev), and a folder is no file at all.
    if (!S_ISREG(existing.st_mode)) throw EInOutError(5);
    // A file its owner made read-only stays as it is, also for root, whom
    // the permission bits do not stop.
    if ((existing.st_mode & S_IWUSR) == 0 || access(real.c_str(), W_OK) != 0) throw EInOutError(5);
  }

  const std::string folder = FolderOf(real);
  const auto slash = real.rfind('/');
  // The temporary name is the target's name behind a dot, cut so that it
  // stays within the longest name a folder takes.
  const std::string base = (slash == std::string::npos ? real : real.substr(slash + 1)).substr(0, MaxBaseBytes);
  std::string pattern = folder + "/." + base + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) RaiseOsError(errno);
  const std::string temporary(name.data());

  mode_t mode;
  if (exists) {
    mode = existing.st_mode & 07777;
    // The replacement keeps the old file's owner where this process may give
    // it (root may); otherwise it belongs to whoever writes it.
    if ((existing.st_uid != geteuid() || existing.st_gid != getegid()) &&
        fchown(fd, existing.st_uid, existing.st_gid) != 0) {
      // Not ours to give: the new file is this process's.
    }
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  const int chmodResult = fchmod(fd, mode);
  const int chmodError = errno;
  close(fd);
  try {
    if (chmodResult != 0) RaiseOsError(chmodError);
    produce(temporary);
    SyncFile(temporary);
    if (std::rename(temporary.c_str(), real.c_str()) != 0) RaiseOsError(errno);
  } catch (...) {
    std::remove(temporary.c_str());
    throw;
  }
  // The rename itself is made durable by syncing the folder; a failure here
  // leaves a complete file in place, so it is not reported.
  const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
}

void SetWholeFileTargetGuard(TWholeFileTargetGuard guard) {
  TargetGuard = guard;
}

void WriteFileWhole(const std::string& target, const std::string& content) {
  WriteFileWhole(target, [&](const std::string& temporaryName) {
    TRecordFile file(temporaryName, TRecordFileMode::Create, 1);
    if (!content.empty()) file.Write(content.data(), content.size());
    file.Close();
  });
}
