#pragma once
// What the lock files between processes share: a byte range locked with an
// open-file-description lock (so it belongs to the open file, not to the
// process, and a second open in the same process contends too), and the
// holder's process id kept as the file's text ("1234\n").

#include <sys/types.h>

#include <optional>

namespace qv {

// Sets (F_WRLCK, F_RDLCK) or clears (F_UNLCK) the lock on `length` bytes from
// `start` without waiting; length 0 reaches to the end of any file. False
// when another holds it.
bool setByteLock(int fd, short type, off_t start, off_t length = 1);

// The holder's process id as the file gives it. Nothing while the holder
// has not written it yet (the text has no line end), and nothing when the
// process no longer exists (a text left by a killed holder, read just before
// the new holder cleared it).
std::optional<long> lockOwnerOf(int fd);

// The file's text becomes this process's id (`own`), or nothing. False when
// the file cannot be written.
bool writeLockOwner(int fd, bool own);

}  // namespace qv
