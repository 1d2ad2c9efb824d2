#include "orvex/io/SaveFolderLock.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "RepTest.h"

namespace {

// Whether a save could start in the folder now, without waiting.
bool ASaveCouldStart(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const bool could = fd >= 0 && ::flock(fd, LOCK_SH | LOCK_NB) == 0;
  if (fd >= 0) ::close(fd);
  return could;
}

TEST(SaveFolderLock, OnlyTheLastSaveUnderWayIsAloneAndHoldsOffNewOnes) {
  reptest::TempDir dir;
  auto first = std::make_unique<io::SaveFolderLock>(dir.Path());
  auto second = std::make_unique<io::SaveFolderLock>(dir.Path());
  EXPECT_TRUE(ASaveCouldStart(dir.Path()));
  EXPECT_FALSE(first->Alone()) << "another save is under way";
  EXPECT_TRUE(second->Alone()) << "the first let the folder go";
  EXPECT_FALSE(ASaveCouldStart(dir.Path())) << "a save waits while the one alone removes files";
  second.reset();
  EXPECT_TRUE(ASaveCouldStart(dir.Path()));
  first.reset();
  io::SaveFolderLock third(dir.Path());
  EXPECT_TRUE(third.Alone());
}

TEST(SaveFolderLock, AFolderThatCannotBeLockedLeavesEverySaveAlone) {
  reptest::TempDir dir;
  io::SaveFolderLock missing(dir.File("no such folder"));
  EXPECT_TRUE(missing.Alone());
  io::SaveFolderLock again(dir.File("no such folder"));
  EXPECT_TRUE(again.Alone());
}

}  // namespace
