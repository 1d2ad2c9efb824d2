// A file saved whole or not at all: the project file, the cache header and the minor cache files.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include <sys/types.h>

#include "orvex/core/OrvexApi.h"

namespace io {

// The bytes go to a new file beside the target, in the same folder so that the rename stays on one
// file system; Close flushes it to the disk and renames it over the target. A crash, a full disk or
// a killed process in the middle of a save then leaves the file as it was before the save, never
// old bytes behind new ones. On any failure the new file is removed and the target is untouched.
// The target keeps its permissions; a symbolic link is followed, and the file it names is replaced.
// A target that the user may not write is refused (EACCES), as writing it in place would be.
// A target that is there and is a device is written directly; a FIFO, a socket or a folder is
// refused. The new file is held locked until the rename, and a save first removes the files of its
// target's name pattern that no save holds: what a killed save left behind.
// A failure also sets the thread's LastSaveFailure().
class ORVEX_API SavedFile {
public:
  // Whether Close waits until the new file is on the disk before the rename. Without it a crash soon
  // after a save may leave the target empty (on file systems that do not flush before the rename):
  // only for files that can be made again and whose reader refuses a damaged one.
  enum class Flush { kToDisk, kLeftToTheSystem };
  // kFresh: the target is a name made for this save alone, which nothing names yet; it is written
  // where it stands, with no file beside it, and on failure left to whoever made the name.
  enum class Target { kReplaced, kFresh };

  // Opens the new file; Ok() tells whether it could (a folder that cannot be written: false).
  explicit SavedFile(const std::string& path, Flush flush = Flush::kToDisk, Target target = Target::kReplaced);
  // Closes as Close does; while an exception unwinds, abandons instead: what was written may be a
  // part of the file only.
  virtual ~SavedFile();
  SavedFile(const SavedFile&) = delete;
  SavedFile& operator=(const SavedFile&) = delete;

  bool Ok() const { return !m_failed; }
  // Appends the bytes; false (and from then on Ok() false) when the system refuses them.
  bool Write(const char* data, size_t n);
  // Puts what was written in place of the target; false, with the target untouched, when anything
  // failed. A second call answers the first's result.
  bool Close();
  // Removes the new file, the target left as it was (a stream that failed for reasons of its own).
  void Abandon();

protected:
  // One write call of the system; a seam for tests that make it fail part way.
  virtual ssize_t WriteSome(int fd, const char* data, size_t n);

private:
  // Fails the save; the first failure of a file gives the thread's LastSaveFailure() its reason.
  void Fail(int error, const char* reason = nullptr);
  void OpenWhereItStands(int flags, bool (*accepted)(mode_t));

  std::string m_path;      // as the caller named it, for the failure's text
  int m_fd = -1;           // -1 when it could not be opened or is closed
  std::string m_target;    // the file replaced, links followed
  std::string m_new;       // the file written beside it; empty when the target is written directly
  Flush m_flush;
  bool m_fresh = false;    // a fresh name, written where it stands
  bool m_replaces = false; // a file is there, and the new one is written beside it
  bool m_failed = false;
  int m_uncaught;          // exceptions in flight when it was opened
};

// Why the last save on this thread that failed did so: the file's path and the system's reason
// ("/p/project.txt: No space left on device"); kept until the next failure or ForgetSaveFailure().
// Lets whoever saves tell the user why, where the save itself answers only false.
ORVEX_API std::string LastSaveFailure();
ORVEX_API void ForgetSaveFailure();
// Records a failed save for LastSaveFailure() as "<path>: <reason>", for a save that does not go
// through SavedFile (a file or folder made for it that could not be).
ORVEX_API void SetSaveFailure(const std::string& path, const std::string& reason);
// How many failures this thread has recorded: tells whether a call recorded one of its own.
ORVEX_API unsigned long SaveFailureCount();

// Opens a file to read, buffered. Never waits on the other end of a FIFO or a socket: what is
// neither a regular file nor a device nor a folder (which fails at its first read) is refused.
// Null on failure, with `reason` (when given) the system's text or why the kind is refused.
ORVEX_API std::FILE* OpenToRead(const std::string& path, std::string* reason = nullptr);

}  // namespace io
