// The file services: little-endian binary streams, the writer that replaces a
// file whole or not at all, and a seam through which tests make it fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// ---- Reading ------------------------------------------------------------------

// A file opened for reading and writing, read through a buffer of its own:
// a load makes hundreds of thousands of small reads.
struct TinStream {
  int fd = -1;  // -1 when not open
  std::vector<uint8_t> buffer;
  size_t next = 0;  // the first unread byte of the buffer
  size_t end = 0;   // one past the last byte read into the buffer
};

// Opens an existing regular file for update, never creating or truncating it.
// False when there is none, or when it cannot be opened for both reading and
// writing (a read-only file), or when it is not a regular file (a directory or
// a pipe, which could never hold a world and could block a read forever).
bool OpenForUpdate(TinStream& in, const char* name);
void CloseStream(TinStream& in);

// Each reads one little-endian value into `value` and returns true, or returns
// false, leaving `value` as it was, when the stream ends first or fails.
bool ReadU8(TinStream& in, uint8_t& value);
bool ReadU16(TinStream& in, uint16_t& value);
bool ReadI32(TinStream& in, int32_t& value);

// ---- Writing ------------------------------------------------------------------

// Bytes gathered in memory, to be written to a file in one piece.
struct ToutStream {
  std::vector<uint8_t> bytes;
};

void WriteU8(ToutStream& out, uint8_t value);
void WriteU16(ToutStream& out, uint16_t value);
void WriteI32(ToutStream& out, int32_t value);

// Replaces the file `name` with exactly `out.bytes`, so that a crash, a kill,
// a power cut or a full disk at any moment leaves either the old file or the
// new one, never a mixture: the bytes go to a temporary file next to the
// target, which is flushed, synced, renamed over the target, and the directory
// synced. A symbolic link is kept and the file it points to is replaced; the
// old file's permission bits are kept. A read-only target, an unwritable
// directory or any failing step leaves the old file untouched, removes the
// temporary file, writes one line naming the file and the system's reason on
// standard error, and returns false.
bool ReplaceFile(const char* name, const ToutStream& out);

// Writes the one line that tells the player the file `name` was not saved, and why.
void ReportUnsaved(const char* name, const char* reason);

// The size of one write to the system; a save of more bytes takes several.
constexpr size_t kWriteChunk = 4096;

// ---- Fault seam, for tests ----------------------------------------------------

// The system calls ReplaceFile makes, in the order it makes them.
enum TfileStep {
  kStepCheckTarget,  // opening the existing file for writing, to see that it may be
  kStepCreateTemp,   // creating the temporary file in the target's directory
  kStepWrite,        // one write of at most kWriteChunk bytes
  kStepSync,         // flushing the temporary file to the disk and closing it
  kStepRename,       // putting the temporary file in the target's place
  kStepSyncDir,      // flushing the directory, so that the rename survives a power cut
  kFileStepCount
};

// Makes the nth call of `step` from now on (the next one is 1) fail with the
// system error `error`, as a full disk or a read-only medium would.
void InjectFileFault(TfileStep step, int nth, int error);
// Makes the process stop with _exit(status) during the nth write from now on,
// after half of that write's bytes have reached the file, as a kill would.
void InjectExitDuringWrite(int nth, int status);
// Forgets every injected fault.
void ClearFileFaults();
