// One save of the solution-value cache's files, which the replacement of the header commits.
#pragma once

#include <functional>
#include <set>
#include <utility>
#include <vector>

#include "orvex/core/AString.h"
#include "orvex/io/SaveFolderLock.h"

class IManagedFileService;
class LongFileName;
class MinorVVsCache;

namespace rep {

// The minor-cache files of a save go to fresh names that the header on disk does not name, so
// until the header is replaced the files on disk stay the previous save's, whole. A save that is
// not committed removes what it wrote and gives the caches back their previous names.
// Another process may save the same cache at the same time (two desktops on one project): each
// save holds the folder shared throughout, and files are removed only by a save that finds itself
// alone there, keeping whatever the header on disk then names.
class SimValueCacheSave {
public:
  // Reads what the header file at the path names; false when it cannot be read whole.
  using NamesOnDisk = std::function<bool(const LongFileName& header, std::set<AString>& named)>;

  // `header`: the header file's name, and its path; `onDisk`: the minor files that the header on
  // disk names.
  SimValueCacheSave(IManagedFileService& files, const AString& header, const LongFileName& headerPath,
                    const std::set<AString>& onDisk);
  // Rolls back a save that was not committed.
  ~SimValueCacheSave();
  SimValueCacheSave(const SimValueCacheSave&) = delete;
  SimValueCacheSave& operator=(const SimValueCacheSave&) = delete;

  // Writes the cache to a fresh file and gives it that name; false when no file can be made or
  // written.
  bool WriteMinor(MinorVVsCache& minor);
  // Once the header is in place, when no other save of the folder is under way: removes the files
  // that the previous header named and the leftovers of this cache's own naming that the header
  // on disk does not name. False when another save was under way and nothing was removed.
  bool Commit(const NamesOnDisk& namesOnDisk);

  // Whether a file of the folder has a name this cache's minor files are given; another cache's
  // files in the same folder never have.
  static bool IsOwnMinorFile(const AString& header, const AString& name);

private:
  void Remove(const AString& name);

  IManagedFileService& m_files;
  AString m_header;
  io::SaveFolderLock m_lock;                                  // held from before the first name made
  AString m_prefix;                                           // of this cache's minor files
  const std::set<AString>& m_onDisk;                          // the caller's, held for the save's life
  std::vector<AString> m_made;                                // by this save, removed unless committed
  std::vector<std::pair<MinorVVsCache*, AString>> m_renamed;  // with the name to give back; not owned
  bool m_committed = false;
};

}  // namespace rep
