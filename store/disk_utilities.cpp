// File helpers by name and mask, file sizes, and the free-disk-space check.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <string>
#include <system_error>

#include "store/dos_mask.h"
#include "store/engine/companions.h"
#include "store/engine/lock_file.h"
#include "store/report.h"
#include "store/utilities.h"

namespace qv {

namespace fs = std::filesystem;

namespace {

constexpr const char* kDeletionTitle = "File Deletion Error!";

// `name` inside `directory`, or as it stands when no directory is given.
fs::path joined(std::string_view name, const fs::path& directory) {
  if (directory.empty()) return fs::path(std::string(name));
  while (!name.empty() && (name.front() == '\\' || name.front() == '/')) name.remove_prefix(1);
  return directory / std::string(name);
}

// Whether a handle of any process has the table file open: every open of
// the record-file engine takes a lock on byte 0 of the file's companion
// "<name>.lck". Only asked (F_OFD_GETLK), never taken, so an open elsewhere
// at this moment is not disturbed.
bool tableOpen(const fs::path& file) {
  const fs::path companion = engine::LockFile::pathFor(file);
  const int fd = ::open(companion.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(engine::LockFile::kOpenByte);
  fl.l_len = 1;
  const bool open = ::fcntl(fd, F_OFD_GETLK, &fl) == 0 && fl.l_type != F_UNLCK;
  ::close(fd);
  return open;
}

// What the record-file engine keeps beside a table file (companions.h).
void removeCompanions(const fs::path& file) {
  const std::string base = file.filename().string();
  const fs::path dir = file.has_parent_path() ? file.parent_path() : fs::path(".");
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string n = it->path().filename().string();
    if (engine::isCompanionOf(base, n)) {
      std::error_code ignored;
      fs::remove(it->path(), ignored);
    }
  }
}

// Removes one file (never a directory), telling the user why it cannot.
bool removeOne(Context& ctx, const fs::path& file) {
  const std::string name = file.string();
  if (tableOpen(file)) {
    inform(ctx, kDeletionTitle, "The file " + name + " is open and cannot be removed", MessageKind::Warning);
    return false;
  }
  if (::unlink(file.c_str()) == 0) {
    removeCompanions(file);
    return true;
  }
  const int why = errno;
  switch (why) {
    case ENOENT:
    case ENOTDIR:  // a part of the path is a file: this file does not exist
      return true;
    case EACCES:
    case EPERM:
    case EROFS:
      inform(ctx, kDeletionTitle, "No access rights - the file " + name + " cannot be removed", MessageKind::Warning);
      return false;
    case EBUSY:
    case ETXTBSY:
      inform(ctx, kDeletionTitle, "The file " + name + " is open and cannot be removed", MessageKind::Warning);
      return false;
    default:
      inform(ctx, kDeletionTitle, "The file " + name + " cannot be removed\r\n" + std::strerror(why),
             MessageKind::Warning);
      return false;
  }
}

fs::path directoryOf(const fs::path& p) { return p.has_parent_path() ? p.parent_path() : fs::path("."); }

}  // namespace

DosFuncResult DOSFunc(Context& ctx, int op, std::string_view name, const fs::path& directory) {
  const fs::path target = joined(name, directory);
  if (target.filename().empty()) return kDosNotDone;  // no name or mask given
  switch (op) {
    case kDosRemoveFile: return removeOne(ctx, target) ? kDosDone : kDosNotDone;
    case kDosRemoveMask: {
      const fs::path dir = directoryOf(target);
      std::error_code ec;
      bool allGone = true;
      for (const fs::path& file : listMatching(dir, target.filename().string(), &ec))
        if (!removeOne(ctx, file)) allGone = false;
      if (allGone && !ec) return kDosDone;
      const fs::path shown = directory.empty() ? dir : directory;
      inform(ctx, kDeletionTitle, "One or more files have not been \r\nremoved in subdirectory " + shown.string(),
             MessageKind::Warning);
      return kDosNotDone;
    }
    case kDosExists:
      return listMatching(directoryOf(target), target.filename().string()).empty() ? kDosNotDone : kDosDone;
    default: return kDosNotDone;
  }
}

std::uint32_t GetFSize(const fs::path& nameOrMask) {
  const std::uint64_t total = totalSize(directoryOf(nameOrMask), nameOrMask.filename().string());
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
  return static_cast<std::uint32_t>(total > kMax ? kMax : total);
}

// ---------------------------------------------------------------------------
// Free disk space

std::optional<FreeSpace> queryFreeSpace(const fs::path& path) {
  if (path.empty()) return std::nullopt;
  std::error_code ec;
  fs::path p = fs::absolute(path, ec);
  if (ec) return std::nullopt;
  while (!fs::exists(p, ec)) {
    const fs::path up = p.parent_path();
    if (up == p) return std::nullopt;
    p = up;
  }
  p = fs::canonical(p, ec);
  if (ec) return std::nullopt;

  struct statvfs vfs {};
  struct stat st {};
  if (::statvfs(p.c_str(), &vfs) != 0 || ::stat(p.c_str(), &st) != 0) return std::nullopt;
  FreeSpace result;
  result.bytes = std::uint64_t{vfs.f_bavail} * std::uint64_t{vfs.f_frsize};

  // Up to the top of the file system: the last directory on the same device.
  fs::path top = p;
  for (;;) {
    const fs::path up = top.parent_path();
    struct stat upSt {};
    if (up == top || ::stat(up.c_str(), &upSt) != 0 || upSt.st_dev != st.st_dev) break;
    top = up;
  }
  result.mountPoint = top;
  return result;
}

std::string formatFreeBytes(std::uint64_t bytes) {
  const std::string digits = std::to_string(bytes);
  std::string grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped.push_back(',');
    grouped.push_back(digits[i]);
  }
  constexpr std::size_t kWidth = 13;
  if (grouped.size() < kWidth) grouped.insert(0, kWidth - grouped.size(), ' ');
  return grouped;
}

CheckSpaceResult CheckSpace(Context& ctx, std::uint64_t bytesNeeded, const fs::path& path) {
  return CheckSpace(ctx, bytesNeeded, path, queryFreeSpace);
}

CheckSpaceResult CheckSpace(Context& ctx, std::uint64_t bytesNeeded, const fs::path& path,
                            const FreeSpaceQuery& query) {
  const std::optional<FreeSpace> space = query(path);
  if (!space || bytesNeeded <= space->bytes) return kSpaceGoOn;
  if (taskMode(ctx.mem.DoTask) == TaskMode::Scheduled) return kSpaceStop;
  beep(ctx);
  const std::string text =
      "You have only " + formatFreeBytes(space->bytes) + " bytes free on disk " + space->mountPoint.string() + " " +
      "This may be too little for this process. Running out of diskspace may corrupt the currently accessed data "
      "file(s).Press OK if you want to continue and Cancel if you want to abort this process!";
  // Unattended (a task asked to stop) the safe answer is to stop.
  return ask(ctx, "Warning", text, kOk | kCancel, kCancel) == kOk ? kSpaceGoOn : kSpaceStop;
}

}  // namespace qv
