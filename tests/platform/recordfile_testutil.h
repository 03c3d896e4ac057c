#pragma once
// Helpers for tests of record files: a temporary folder, whole-file reads and
// writes, and files that really cannot be written.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

inline std::string ReadBytes(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + fileName);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& fileName, const std::string& bytes) {
  std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + fileName);
}

// Makes the file unwritable for this process: read-only permission bits, and
// for root (whom permission bits do not stop) the immutable attribute.
// Returns false when the file still opens for writing (then the caller skips).
inline bool MakeUnwritable(const std::string& fileName) {
  ::chmod(fileName.c_str(), 0444);
  if (::geteuid() == 0) {
    const int fd = ::open(fileName.c_str(), O_RDONLY);
    int flags = 0;
    if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
      flags |= FS_IMMUTABLE_FL;
      ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    if (fd >= 0) ::close(fd);
  }
  const int probe = ::open(fileName.c_str(), O_RDWR);
  if (probe < 0) return true;
  ::close(probe);
  return false;
}

// Undoes MakeUnwritable so the temporary folder can be removed.
inline void MakeWritable(const std::string& fileName) {
  const int fd = ::open(fileName.c_str(), O_RDONLY);
  int flags = 0;
  if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_IMMUTABLE_FL)) {
    flags &= ~FS_IMMUTABLE_FL;
    ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
  }
  if (fd >= 0) ::close(fd);
  ::chmod(fileName.c_str(), 0644);
}

// A fresh folder, removed with everything in it when the test ends.
class TTempDir {
 public:
  TTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zovi-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TTempDir() {
    std::error_code ec;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ec))
      if (entry.is_regular_file(ec)) MakeWritable(entry.path().string());
    std::filesystem::remove_all(path_, ec);
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  std::string Path() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

// A file that every process, root included, can read but not open for writing.
constexpr const char* SystemReadOnlyFile = "/proc/sys/kernel/osrelease";

// A disk that fills up: while the object lives, this process writes no file
// beyond `bytes`; a write past that fails with EFBIG (the error of a full disk
// to the record files). The signal that would end the process for it is
// ignored meanwhile. Needs no privileges, unlike mounting a small file system.
class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(rlim_t bytes) {
    if (::getrlimit(RLIMIT_FSIZE, &old_) != 0) throw std::runtime_error("getrlimit failed");
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit low = old_;
    low.rlim_cur = bytes;
    if (::setrlimit(RLIMIT_FSIZE, &low) != 0) throw std::runtime_error("setrlimit failed");
  }
  ~TFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
  }
  TFileSizeLimit(const TFileSizeLimit&) = delete;
  TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

 private:
  rlimit old_{};
  void (*oldHandler_)(int) = SIG_DFL;
};

// The names in a folder, sorted.
inline std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}
