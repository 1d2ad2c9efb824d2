// Tells a save of files into one folder whether another save, of any process, is under way there.
#pragma once

#include <string>

#include "orvex/core/OrvexApi.h"

namespace io {

// Each save holds the folder shared from before its first file to its end. A save that finds
// itself alone may remove files that no save names: none of them is being written then, and no
// other save starts until it is done. A folder that cannot be locked (a file system without locks)
// leaves every save alone, as it would be without the lock.
class ORVEX_API SaveFolderLock {
public:
  // Holds `folder` shared; waits while a save that is alone there removes its files.
  explicit SaveFolderLock(const std::string& folder);
  ~SaveFolderLock();
  SaveFolderLock(const SaveFolderLock&) = delete;
  SaveFolderLock& operator=(const SaveFolderLock&) = delete;

  // Whether no other save of the folder is under way; when so, none starts until this lock goes.
  // False, with the folder let go, when another is.
  bool Alone();

private:
  int m_fd = -1;           // the folder, opened to lock it; -1 when it could not be or is let go
  bool m_lockless = true;  // the folder could not be opened or locked at all
};

}  // namespace io
