#include "recordfile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <thread>

namespace {

constexpr int ecFileNotFound = 2;
constexpr int ecInvalidFilename = 3;
constexpr int ecTooManyOpenFiles = 4;
constexpr int ecAccessDenied = 5;
constexpr int ecReadBeyondEnd = 100;
constexpr int ecDiskFull = 101;

// Records read at a time by a scan: 40 result records, 256 KB.
constexpr std::size_t ScanBlockBytes = 1 << 18;

// How often a writer waiting for another one's lock tries again.
constexpr std::chrono::milliseconds LockRetry{10};

}  // namespace

std::string InOutErrorMessage(int code) {
  switch (code) {
    case ecFileNotFound:
      return "File not found";
    case ecInvalidFilename:
      return "Invalid filename";
    case ecTooManyOpenFiles:
      return "Too many open files";
    case ecAccessDenied:
      return "File access denied";
    case ecReadBeyondEnd:
      return "Read beyond end of file";
    case ecDiskFull:
      return "Disk full";
    default:
      return "I/O error " + std::to_string(code);
  }
}

EInOutError::EInOutError(int code) : std::runtime_error(InOutErrorMessage(code)), ErrorCode(code) {}

int InOutErrorCode(int osError) {
  switch (osError) {
    case ENOENT:
    case ENOTDIR:
      return ecFileNotFound;
    case ENAMETOOLONG:
    case EINVAL:
    case ELOOP:
      return ecInvalidFilename;
    case EMFILE:
    case ENFILE:
      return ecTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
      return ecAccessDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return ecDiskFull;
    default:
      switch (osError) {
        case ecInvalidFilename:
        case ecTooManyOpenFiles:
        case ecAccessDenied:
        case ecReadBeyondEnd:
        case ecDiskFull:
          return 1000 + osError;
        default:
          return osError;
      }
  }
}

void RaiseOsError(int osError) {
  throw EInOutError(InOutErrorCode(osError));
}

TRecordFile::TRecordFile(const std::string& fileName, TRecordFileMode mode, std::size_t recordSize)
    : recordSize_(recordSize) {
  if (recordSize == 0) throw std::invalid_argument("record size 0");
  if (fileName.empty() || fileName.find('\0') != std::string::npos) throw EInOutError(ecInvalidFilename);
  // Not blocking: opening a pipe for reading would wait for a writer for ever.
  // Only a plain file is taken (below), so the flag is cleared again at once.
  int flags = O_CLOEXEC | O_NONBLOCK;
  switch (mode) {
    case TRecordFileMode::ReadWrite:
      flags |= O_RDWR;
      break;
    case TRecordFileMode::ReadOnly:
      flags |= O_RDONLY;
      break;
    case TRecordFileMode::Create:
      flags |= O_RDWR | O_CREAT | O_TRUNC;
      break;
  }
  do fd_ = ::open(fileName.c_str(), flags, 0666);
  while (fd_ < 0 && errno == EINTR);
  if (fd_ < 0) RaiseOsError(errno);
  // A directory opens read-only on Linux, but it is no record file; nor is a
  // pipe, a socket or a device, whose reads would wait or never end.
  const auto refuse = [this](const EInOutError& error) {
    ::close(fd_);
    fd_ = -1;
    throw error;
  };
  struct stat st {};
  if (::fstat(fd_, &st) != 0) refuse(EInOutError(InOutErrorCode(errno)));
  if (S_ISDIR(st.st_mode)) refuse(EInOutError(InOutErrorCode(EISDIR)));
  if (!S_ISREG(st.st_mode)) refuse(EInOutError(ecAccessDenied));
  const int status = ::fcntl(fd_, F_GETFL);
  if (status < 0 || ::fcntl(fd_, F_SETFL, status & ~O_NONBLOCK) != 0) refuse(EInOutError(InOutErrorCode(errno)));
}

TRecordFile::~TRecordFile() {
  if (fd_ >= 0) ::close(fd_);
}

std::int64_t TRecordFile::RecordCount() const {
  struct stat st {};
  if (::fstat(fd_, &st) != 0) RaiseOsError(errno);
  return static_cast<std::int64_t>(st.st_size) / static_cast<std::int64_t>(recordSize_);
}

bool TRecordFile::Eof() const {
  struct stat st {};
  if (::fstat(fd_, &st) != 0) RaiseOsError(errno);
  return static_cast<std::int64_t>(st.st_size) <= position_ * static_cast<std::int64_t>(recordSize_);
}

void TRecordFile::Seek(std::int64_t record) {
  if (record < 0) throw std::out_of_range("negative record number");
  position_ = record;
}

void TRecordFile::Read(void* buffer, std::size_t count) {
  const std::size_t total = count * recordSize_;
  const off_t start = static_cast<off_t>(position_) * static_cast<off_t>(recordSize_);
  auto* out = static_cast<unsigned char*>(buffer);
  std::size_t done = 0;
  while (done < total) {
    const ssize_t n = ::pread(fd_, out + done, total - done, start + static_cast<off_t>(done));
    if (n < 0) {
      if (errno == EINTR) continue;
      RaiseOsError(errno);
    }
    if (n == 0) throw EInOutError(ecReadBeyondEnd);
    done += static_cast<std::size_t>(n);
  }
  position_ += static_cast<std::int64_t>(count);
}

void TRecordFile::Write(const void* buffer, std::size_t count) {
  const std::size_t total = count * recordSize_;
  const off_t start = static_cast<off_t>(position_) * static_cast<off_t>(recordSize_);
  struct stat st {};
  if (::fstat(fd_, &st) != 0) RaiseOsError(errno);
  const off_t oldSize = st.st_size;
  const auto* in = static_cast<const unsigned char*>(buffer);
  std::size_t done = 0;
  // A piece of a record beyond the old end is cut off again; a failure to
  // cut it leaves it to the scans, which never read it.
  const auto fail = [&](int code) {
    const off_t whole = start + static_cast<off_t>(done / recordSize_ * recordSize_);
    const off_t keep = std::max(oldSize, whole);
    if (start + static_cast<off_t>(done) > keep) (void)::ftruncate(fd_, keep);
    throw EInOutError(code);
  };
  while (done < total) {
    const ssize_t n = ::pwrite(fd_, in + done, total - done, start + static_cast<off_t>(done));
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(InOutErrorCode(errno));
    }
    if (n == 0) fail(ecDiskFull);
    done += static_cast<std::size_t>(n);
  }
  position_ += static_cast<std::int64_t>(count);
}

void TRecordFile::Sync() {
  while (::fdatasync(fd_) != 0) {
    if (errno == EINTR) continue;
    // A file that does not support flushing has no buffered data of its own
    // on its way to a device: nothing is lost by going on.
    if (errno == EINVAL || errno == EROFS) return;
    RaiseOsError(errno);
  }
}

bool TRecordFile::Lock(std::chrono::milliseconds wait, TLockKind kind) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  const int operation = kind == TLockKind::Shared ? LOCK_SH : LOCK_EX;
  while (::flock(fd_, operation | LOCK_NB) != 0) {
    switch (errno) {
      case EINTR:
        continue;
      case EWOULDBLOCK:
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(LockRetry);
        continue;
      case ENOLCK:
      case EOPNOTSUPP:
      case ENOSYS:
        return true;
      default:
        RaiseOsError(errno);
    }
  }
  return true;
}

void TRecordFile::ScanBlocks(
    const std::function<bool(unsigned char* records, std::size_t count, std::int64_t first)>& visit) {
  const std::int64_t count = RecordCount();
  Seek(0);
  if (count == 0) return;
  const std::size_t block = std::max<std::size_t>(1, ScanBlockBytes / recordSize_);
  const auto most = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(block), count));
  const auto buffer = std::make_unique_for_overwrite<unsigned char[]>(most * recordSize_);
  while (position_ < count) {
    const auto n = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(most), count - position_));
    const std::int64_t first = position_;
    Read(buffer.get(), n);
    if (!visit(buffer.get(), n, first)) return;
  }
}

void TRecordFile::Scan(const std::function<bool(const unsigned char* record, std::int64_t index)>& visit) {
  ScanBlocks([&](unsigned char* records, std::size_t count, std::int64_t first) {
    for (std::size_t i = 0; i < count; ++i) {
      if (!visit(records + i * recordSize_, first + static_cast<std::int64_t>(i))) {
        position_ = first + static_cast<std::int64_t>(i) + 1;
        return false;
      }
    }
    return true;
  });
}

void TRecordFile::Identity(std::uint64_t& device, std::uint64_t& inode) const {
  struct stat st {};
  if (::fstat(fd_, &st) != 0) RaiseOsError(errno);
  device = st.st_dev;
  inode = st.st_ino;
}

void TRecordFile::Close() {
  const int fd = fd_;
  fd_ = -1;
  // Linux frees the descriptor even when close is interrupted.
  if (fd >= 0 && ::close(fd) != 0 && errno != EINTR) RaiseOsError(errno);
}

bool FileExists(const std::string& fileName) {
  struct stat st {};
  return !fileName.empty() && ::stat(fileName.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

void CreateEmptyFile(const std::string& fileName) {
  TRecordFile(fileName, TRecordFileMode::Create, 1).Close();
}
