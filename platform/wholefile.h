#pragma once
// Files written as a whole (a backup, the CSV export, a result file, a Word
// document, a PDF, the settings file) are written to a temporary file in the
// target's own folder and renamed over the target only when complete: a
// failure leaves an existing target exactly as it was and no partial file
// behind.
#include <functional>
#include <string>

// Writes `target` whole. `produce` gets the name of a fresh, empty temporary
// file in the target's folder and writes the complete content into it (by
// any means: a record file, a stream, another program). When `produce`
// returns, the temporary file is flushed to the disk and renamed over the
// target; when it throws, the temporary file is removed and the error goes
// on unchanged.
//  - A target that is a symbolic link is written through the link (the file
//    it points to is replaced, the link stays).
//  - An existing target that its owner made read-only (root included), that
//    this process may not write, or that is no plain file (a folder, a device,
//    a pipe) is not replaced: EInOutError 5 ("File access denied").
//  - The new file keeps an existing target's permissions (and its owner where
//    the process may give it); a new target gets the usual permissions of a
//    new file (0666 less the umask). A file system without permission bits
//    (FAT) keeps its own, and the save goes on.
//  - Temporary files of this target that an earlier save left (killed half
//    way) are removed when older than an hour and no save holds them.
//  - The target guard (SetWholeFileTargetGuard) sees the target first and
//    may refuse it; then nothing is written.
// File-system failures throw EInOutError with the numbered code (recordfile.h).
void WriteFileWhole(const std::string& target, const std::function<void(const std::string& temporaryName)>& produce);

// The same for content already in memory.
void WriteFileWhole(const std::string& target, const std::string& content);

// A check that every whole write runs on the file it would replace (a link
// followed to the file it names) before anything is written; it throws to
// refuse that target. One guard serves the whole program: the engine's keeps
// the database file, which is written in place, from being replaced by any
// other file. Null: no check.
using TWholeFileTargetGuard = void (*)(const std::string& target);
void SetWholeFileTargetGuard(TWholeFileTargetGuard guard);
