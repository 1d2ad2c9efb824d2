// The raw baselines' save, in plain POSIX and stdio calls, with the file handling of the engine's
// own: a new file beside the target, its bytes flushed to the disk, renamed over the target, and
// the folder flushed so that the rename itself survives a crash. Each save makes a new file.
// Without `toDisk` nothing is flushed, as the engine saves files that can be made again (the minor
// cache files). Every timed save, the engine's and the raw one alike, starts settled.
#pragma once

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

// Saves to `path` what `write` puts into the FILE it is given (false when it fails).
template <class Write>
bool RawSave(const std::string& path, Write write, bool toDisk = true) {
  std::string temp = path + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) return false;
  struct stat target {};
  if (stat(path.c_str(), &target) == 0) fchmod(fd, target.st_mode & 07777);
  std::FILE* f = fdopen(fd, "wb");
  if (!f) {
    close(fd);
    unlink(temp.c_str());
    return false;
  }
  bool ok = write(f) && std::fflush(f) == 0 && (!toDisk || fsync(fd) == 0);
  ok = std::fclose(f) == 0 && ok;
  if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
    unlink(temp.c_str());
    return false;
  }
  if (!toDisk) return true;
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (dir < 0) return false;
  ok = fsync(dir) == 0;
  close(dir);
  return ok;
}

// Untimed, before each sample of a save: what saves before it left dirty goes to the disk first,
// or a save would pay for the writeback of another's files.
inline void SettleFiles(benchmark::State& state) {
  state.PauseTiming();
  sync();
  state.ResumeTiming();
}
