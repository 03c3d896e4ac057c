#pragma once
// Files of fixed-size records: a plain sequence of whole record images with no
// header. Every file step is checked; a failure throws EInOutError with a
// numbered error code and its message.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

// A failed file step. ErrorCode is one of the numbered codes below; the
// message is the code's text.
//   2 "File not found"            3 "Invalid filename"
//   4 "Too many open files"       5 "File access denied"
// 100 "Read beyond end of file" 101 "Disk full"
// any other code: "I/O error <code>"
class EInOutError : public std::runtime_error {
 public:
  explicit EInOutError(int code);
  int ErrorCode;
};

// The message of an error code.
std::string InOutErrorMessage(int code);

// The error code for an operating-system error number. Numbers without a
// code of their own keep their value, or get 1000 added where that value is
// one of the codes above (so an EIO is never read as "File access denied").
int InOutErrorCode(int osError);

// Throws EInOutError for the operating-system error number.
[[noreturn]] void RaiseOsError(int osError);

enum class TRecordFileMode {
  ReadWrite,  // an existing file, read and written
  ReadOnly,   // an existing file, only read
  Create,     // a new empty file, replacing one of the same name
};

// One open record file. The file is closed when the object goes; Close()
// closes it with the close checked. Only a plain file is opened: a folder is
// refused with the system's error, a pipe, socket or device with code 5 at
// once, without waiting for a writer or reading from it.
class TRecordFile {
 public:
  TRecordFile(const std::string& fileName, TRecordFileMode mode, std::size_t recordSize);
  ~TRecordFile();
  TRecordFile(const TRecordFile&) = delete;
  TRecordFile& operator=(const TRecordFile&) = delete;

  std::size_t RecordSize() const { return recordSize_; }
  // The number of whole records; bytes after the last whole record are not counted.
  std::int64_t RecordCount() const;
  // True when no byte of the file lies at or after the position: a piece of
  // a record after the last whole one is not the end (reading it fails).
  bool Eof() const;
  // The record number the next Read or Write starts at.
  std::int64_t Position() const { return position_; }
  void Seek(std::int64_t record);

  // Reads `count` whole records at the position into `buffer`; fewer bytes
  // than that raise code 100.
  void Read(void* buffer, std::size_t count = 1);
  // Writes `count` records at the position; a short write raises code 101.
  // A write that fails leaves no piece of a record behind the file's old end:
  // the file is cut back to its old length, or to the end of the last whole
  // record that the write put beyond it.
  void Write(const void* buffer, std::size_t count = 1);

  // Flushes what was written to the device (data, and the size where it
  // grew) before the step that wrote it is reported done; a failure is the
  // write's failure.
  void Sync();

  // Takes an advisory lock on the file, held until it is closed: exclusive
  // for a step that must be the only writer from its first read to its last
  // write, shared for a reader that must see no record half rewritten.
  // Shared holders do not hold each other up; an exclusive one waits for
  // every other holder and every holder waits for it (another process, or
  // another open of the file in this one), trying again every few
  // milliseconds; false when it still holds the lock after `wait`. A file
  // system that keeps no locks gives true: the file is then used unguarded,
  // as it was before locks were taken.
  //
  // flock, not fcntl: an fcntl lock belongs to the process and goes when any
  // descriptor of the file in it is closed (a reader's, or a restore's own
  // backup that names the database), while flock belongs to this open file.
  // Linux carries flock to an NFS server as a lock of the whole file, so
  // stations sharing one folder exclude each other too.
  enum class TLockKind { Exclusive, Shared };
  bool Lock(std::chrono::milliseconds wait, TLockKind kind = TLockKind::Exclusive);

  // Reads the whole records from the first to the last (as counted when the
  // scan starts) in large blocks and hands each to `visit` with its record
  // number; `visit` returns false to stop early. Leaves the position after
  // the last record read.
  void Scan(const std::function<bool(const unsigned char* record, std::int64_t index)>& visit);
  // The same in whole blocks: `visit` gets `count` consecutive records
  // starting with record number `first`, in a buffer of the scan's own that
  // it may change (it is refilled from the file for the next block).
  void ScanBlocks(const std::function<bool(unsigned char* records, std::size_t count, std::int64_t first)>& visit);

  // The device and inode of the open file, for telling whether two names are one file.
  void Identity(std::uint64_t& device, std::uint64_t& inode) const;

  void Close();

 private:
  int fd_ = -1;
  std::size_t recordSize_;
  std::int64_t position_ = 0;
};

// True when a file (not a directory) of this name exists.
bool FileExists(const std::string& fileName);

// Creates an empty file of this name, replacing one that exists.
void CreateEmptyFile(const std::string& fileName);
