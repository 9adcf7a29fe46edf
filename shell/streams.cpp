// The file services: little-endian reads from an open file, little-endian
// writes into memory, and the all-or-nothing replacement of a file on disk.
#include "shell/streams.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

// ---- Reading ------------------------------------------------------------------

namespace {
constexpr size_t kReadChunk = 65536;
}

bool OpenForUpdate(TinStream& in, const char* name) {
  in = TinStream{};
  // Non-blocking, so that a pipe by that name cannot hold up the open.
  const int fd = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return false;
  }
  in.fd = fd;
  in.buffer.resize(kReadChunk);
  return true;
}

void CloseStream(TinStream& in) {
  if (in.fd >= 0) close(in.fd);
  in = TinStream{};
}

namespace {

// Refills the buffer; false at the end of the file or on a read error.
bool Refill(TinStream& in) {
  for (;;) {
    const ssize_t got = read(in.fd, in.buffer.data(), in.buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    in.next = 0;
    in.end = static_cast<size_t>(got);
    return true;
  }
}

bool ReadBytes(TinStream& in, uint8_t* bytes, size_t count) {
  if (in.fd < 0) return false;
  for (size_t i = 0; i < count; ++i) {
    if (in.next == in.end && !Refill(in)) return false;
    bytes[i] = in.buffer[in.next++];
  }
  return true;
}

}  // namespace

bool ReadU8(TinStream& in, uint8_t& value) { return ReadBytes(in, &value, 1); }

bool ReadU16(TinStream& in, uint16_t& value) {
  uint8_t b[2];
  if (!ReadBytes(in, b, sizeof b)) return false;
  value = static_cast<uint16_t>(uint32_t{b[0]} | uint32_t{b[1]} << 8);
  return true;
}

bool ReadI32(TinStream& in, int32_t& value) {
  uint8_t b[4];
  if (!ReadBytes(in, b, sizeof b)) return false;
  const uint32_t bits = uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
  value = static_cast<int32_t>(bits);  // two's complement, defined since C++20
  return true;
}

// ---- Writing ------------------------------------------------------------------

void WriteU8(ToutStream& out, uint8_t value) { out.bytes.push_back(value); }

void WriteU16(ToutStream& out, uint16_t value) {
  out.bytes.push_back(static_cast<uint8_t>(value & 0xFFu));
  out.bytes.push_back(static_cast<uint8_t>(value >> 8));
}

void WriteI32(ToutStream& out, int32_t value) {
  const auto bits = static_cast<uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8)
    out.bytes.push_back(static_cast<uint8_t>((bits >> shift) & 0xFFu));
}

// ---- Fault seam -----------------------------------------------------------------

namespace {

struct Tfault {
  int nth = 0;  // 0: never
  int error = 0;
  int calls = 0;
};
Tfault faults[kFileStepCount];
int exitWriteNth = 0;
int exitWriteStatus = 0;
int writesSinceExitInjected = 0;

// Counts a call of `step`; true, with errno set, when that call is to fail.
bool Injected(TfileStep step) {
  Tfault& f = faults[step];
  ++f.calls;
  if (f.nth == 0 || f.calls != f.nth) return false;
  errno = f.error;
  return true;
}

}  // namespace

void InjectFileFault(TfileStep step, int nth, int error) {
  faults[step] = Tfault{.nth = nth, .error = error, .calls = 0};
}

void InjectExitDuringWrite(int nth, int status) {
  exitWriteNth = nth;
  exitWriteStatus = status;
  writesSinceExitInjected = 0;
}

void ClearFileFaults() {
  for (Tfault& f : faults) f = Tfault{};
  exitWriteNth = 0;
  exitWriteStatus = 0;
  writesSinceExitInjected = 0;
}

// ---- Replacing a file -----------------------------------------------------------

void ReportUnsynced(const char* name, const char* reason) {
  const std::string line = std::string("PIGMENTBURGH: saved the game to \"") + name +
                           "\", but could not make the save safe on disk: " + reason + "\n";
  std::fputs(line.c_str(), stderr);
}

void ReportUnsaved(const char* name, const char* reason) {
  // One write of the whole line, so that it is never split by other output.
  const std::string line =
      std::string("PIGMENTBURGH: cannot save the game to \"") + name + "\": " + reason + "\n";
  std::fputs(line.c_str(), stderr);
}

namespace {

constexpr int kMaxLinkHops = 40;       // as the system allows before ELOOP
constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask, as any new file
constexpr mode_t kPermissionBits = 07777;
constexpr const char* kNotRegular = "not a regular file";

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Follows symbolic links from `name` to the file they end at, which may not
// exist yet. False, with errno set, on a loop or an unreadable link.
bool ResolveLinks(const char* name, std::string& target) {
  target = name;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat info {};
    if (lstat(target.c_str(), &info) != 0) return errno == ENOENT;
    if (!S_ISLNK(info.st_mode)) return true;
    std::string link(static_cast<size_t>(std::max<off_t>(info.st_size, 0)) + 256, '\0');
    const ssize_t length = readlink(target.c_str(), link.data(), link.size());
    if (length < 0) return false;
    if (static_cast<size_t>(length) >= link.size()) {  // the link grew under us
      errno = ENAMETOOLONG;
      return false;
    }
    link.resize(static_cast<size_t>(length));
    target = link.starts_with('/') ? link : DirectoryOf(target) + "/" + link;
  }
  errno = ELOOP;
  return false;
}

ssize_t SystemWrite(int fd, const uint8_t* data, size_t size) {
  if (++writesSinceExitInjected == exitWriteNth) {
    // A process that dies here leaves a partial temporary file and nothing else.
    const ssize_t ignored = write(fd, data, size / 2);
    (void)ignored;
    _exit(exitWriteStatus);
  }
  if (Injected(kStepWrite)) return -1;
  return write(fd, data, size);
}

bool WriteAll(int fd, const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const size_t chunk = std::min(bytes.size() - done, kWriteChunk);
    const ssize_t written = SystemWrite(fd, bytes.data() + done, chunk);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return false;
    if (written == 0) {  // the system took nothing and gave no reason
      errno = ENOSPC;
      return false;
    }
    done += static_cast<size_t>(written);
  }
  return true;
}

// Refuses a target that exists but may not be replaced: not a regular file,
// or one the player may not write (a rename would bypass its permissions).
// Returns the reason, or null when the target may be replaced; fills
// `existing` when there is a file to keep the permission bits of.
const char* CheckTarget(const std::string& target, bool& exists, struct stat& existing) {
  exists = lstat(target.c_str(), &existing) == 0;
  if (!exists) return errno == ENOENT ? nullptr : std::strerror(errno);
  if (S_ISDIR(existing.st_mode)) return std::strerror(EISDIR);
  if (!S_ISREG(existing.st_mode)) return kNotRegular;
  if (Injected(kStepCheckTarget)) return std::strerror(errno);
  const int probe = open(target.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (probe < 0) return std::strerror(errno);
  close(probe);
  return nullptr;
}

int CreateTemp(const std::string& temp) {
  if (Injected(kStepCreateTemp)) return -1;
  unlink(temp.c_str());  // a leftover of a killed run with the same process id
  return open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kNewFileMode);
}

// Gives the new file the old one's owner (when allowed) and permission bits.
bool KeepAttributes(int fd, const struct stat& existing) {
  // Only a privileged process may give a file away; failing that is harmless.
  const int owned = fchown(fd, existing.st_uid, existing.st_gid);
  (void)owned;
  return fchmod(fd, existing.st_mode & kPermissionBits) == 0;
}

bool SyncAndClose(int fd) {
  const bool synced = !Injected(kStepSync) && fsync(fd) == 0;
  const int syncError = errno;
  // close reports errors of delayed writes on some file systems.
  const bool closed = close(fd) == 0;
  if (!synced) errno = syncError;
  return synced && closed;
}

bool SyncDirectory(const std::string& directory) {
  if (Injected(kStepSyncDir)) return false;
  const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  // Some file systems cannot sync a directory; their renames are then as safe as they get.
  const bool synced = fsync(fd) == 0 || errno == EINVAL;
  const int syncError = errno;
  close(fd);
  errno = syncError;
  return synced;
}

// Writes the temporary file completely; on failure it is removed again.
bool WriteTemp(const std::string& temp, const ToutStream& out, bool exists, const struct stat& existing) {
  const int fd = CreateTemp(temp);
  if (fd < 0) return false;
  const bool written = (!exists || KeepAttributes(fd, existing)) && WriteAll(fd, out.bytes);
  if (!written) {
    const int error = errno;
    close(fd);
    unlink(temp.c_str());
    errno = error;
    return false;
  }
  if (!SyncAndClose(fd)) {
    const int error = errno;
    unlink(temp.c_str());
    errno = error;
    return false;
  }
  return true;
}

std::string TempName(const std::string& directory, const std::string& base, long pid) {
  return directory + "/." + base + "." + std::to_string(pid) + ".tmp";
}

// A game killed while saving leaves its temporary file behind; the next save
// clears those of processes that no longer run (never one still writing).
void RemoveStaleTemps(const std::string& directory, const std::string& base) {
  DIR* dir = opendir(directory.c_str());
  if (dir == nullptr) return;
  const std::string prefix = "." + base + ".";
  while (const dirent* entry = readdir(dir)) {
    const std::string_view entryName(entry->d_name);
    if (entryName.size() <= prefix.size() + 4 || !entryName.starts_with(prefix) ||
        !entryName.ends_with(".tmp"))
      continue;
    const std::string_view digits = entryName.substr(prefix.size(), entryName.size() - prefix.size() - 4);
    if (digits.size() > 9 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
      continue;
    const long pid = std::stol(std::string(digits));
    if (pid > 0 && pid != getpid() && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
      unlink(TempName(directory, base, pid).c_str());
  }
  closedir(dir);
}

}  // namespace

bool ReplaceFile(const char* name, const ToutStream& out) {
  std::string target;
  if (!ResolveLinks(name, target)) {
    ReportUnsaved(name, std::strerror(errno));
    return false;
  }
  bool exists = false;
  struct stat existing {};
  if (const char* reason = CheckTarget(target, exists, existing)) {
    ReportUnsaved(target.c_str(), reason);
    return false;
  }
  const std::string directory = DirectoryOf(target);
  RemoveStaleTemps(directory, BaseOf(target));
  const std::string temp = TempName(directory, BaseOf(target), getpid());
  if (!WriteTemp(temp, out, exists, existing)) {
    ReportUnsaved(target.c_str(), std::strerror(errno));
    return false;
  }
  if (Injected(kStepRename) || rename(temp.c_str(), target.c_str()) != 0) {
    const int error = errno;
    unlink(temp.c_str());
    ReportUnsaved(target.c_str(), std::strerror(error));
    return false;
  }
  if (!SyncDirectory(directory)) {
    // The new save is in place, but a power cut now could still undo the rename.
    ReportUnsynced(target.c_str(), std::strerror(errno));
    return false;
  }
  return true;
}
