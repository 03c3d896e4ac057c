#include "wholefile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
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

bool PermissionsUnsupported(int error) {
  return error == ENOSYS || error == EOPNOTSUPP || error == EPERM;
}

// A save killed half way (a power cut, the program ended) leaves its hidden
// temporary file behind; each later save of the same target removes those
// files of its own name pattern that are older than LeftTemporaryAge and
// that no save holds any more. Only this process's user's plain files go.
constexpr std::time_t LeftTemporaryAge = 60 * 60;

bool IsTemporaryName(const std::string& name, const std::string& prefix) {
  if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) return false;
  return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                     [](unsigned char c) { return std::isalnum(c) != 0; });
}

void RemoveLeftTemporaries(const std::string& folder, const std::string& prefix) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return;
  const int dirFd = dirfd(dir);
  const std::time_t now = std::time(nullptr);
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (!IsTemporaryName(name, prefix)) continue;
    struct stat st {};
    if (fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid() ||
        now - st.st_mtime < LeftTemporaryAge)
      continue;
    const int fd = openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    // A save that still writes the file holds its lock; a file system without
    // locks leaves only the age to tell.
    if (flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK) unlinkat(dirFd, name.c_str(), 0);
    close(fd);
  }
  closedir(dir);
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
  RemoveLeftTemporaries(folder, "." + base + ".");
  std::string pattern = folder + "/." + base + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) RaiseOsError(errno);
  const std::string temporary(name.data());
  // Held until the file has its place, so that another save of this target
  // never takes the file it writes for a leftover (released on every way
  // out, with the descriptor).
  (void)flock(fd, LOCK_EX | LOCK_NB);
  struct TDescriptor {
    int fd;
    ~TDescriptor() { close(fd); }
  } const held{fd};

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
  // Permissions are kept where the file system keeps them: one without
  // permission bits (a FAT stick) refuses the change, and the save goes on.
  const int chmodError = fchmod(fd, mode) == 0 || PermissionsUnsupported(errno) ? 0 : errno;
  try {
    if (chmodError != 0) RaiseOsError(chmodError);
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
