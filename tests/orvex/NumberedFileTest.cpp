#include "orvex/io/NumberedFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "ReadOnlyMount.h"
#include "RepTest.h"
#include "orvex/core/FreeFileNumbers.h"
#include "orvex/io/SavedFile.h"

namespace {

// A numbered file that cannot be made leaves the folder or file refused and the system's reason,
// as a failed save does, and the caller's name as it was.
TEST(NumberedFile, FailureNamesWhatWasRefusedAndWhy) {
  reptest::TempDir dir;
  reptest::WriteFileBytes(dir.File("plain"), "a file, not a folder");
  ASSERT_EQ(0, ::mkdir(dir.File("folder").c_str(), 0755));
  reptest::ReadOnlyMount readOnly(dir.File("mounted"));
  const std::string longPrefix(300, 'x');
  struct Case {
    std::string folder;
    std::string prefix;
    std::string failure;
  };
  std::vector<Case> cases = {
      {dir.File("plain"), "HDR", dir.File("plain") + ": Not a directory"},
      {dir.File("plain/svcache"), "HDR", dir.File("plain/svcache") + ": Not a directory"},
      {dir.File("folder"), longPrefix, dir.File("folder/" + longPrefix + "1.dat") + ": File name too long"},
  };
  if (readOnly.Mounted()) {
    cases.push_back({dir.File("mounted/svcache"), "HDR", dir.File("mounted/svcache") + ": Read-only file system"});
    cases.push_back({dir.File("mounted"), "HDR", dir.File("mounted/HDR1.dat") + ": Read-only file system"});
  }
  if (::geteuid() != 0) {
    ASSERT_EQ(0, ::mkdir(dir.File("locked").c_str(), 0555));
    cases.push_back({dir.File("locked/svcache"), "HDR", dir.File("locked/svcache") + ": Permission denied"});
    cases.push_back({dir.File("locked"), "HDR", dir.File("locked/HDR1.dat") + ": Permission denied"});
  }
  FreeFileNumbers numbers;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    io::ForgetSaveFailure();
    const unsigned long failures = io::SaveFailureCount();
    std::string name = "untouched";
    EXPECT_FALSE(io::MakeNumberedFile(name, numbers, c.folder, c.prefix));
    EXPECT_EQ(c.failure, io::LastSaveFailure());
    EXPECT_EQ(failures + 1, io::SaveFailureCount());
    EXPECT_EQ("untouched", name);
  }

  // A name made records nothing, and the failure before it is kept.
  const unsigned long failures = io::SaveFailureCount();
  std::string name;
  ASSERT_TRUE(io::MakeNumberedFile(name, numbers, dir.File("folder/svcache"), "HDR"));
  EXPECT_EQ("HDR1.dat", name);
  EXPECT_EQ(failures, io::SaveFailureCount());
  EXPECT_EQ(cases.back().failure, io::LastSaveFailure());
  if (!readOnly.Mounted()) GTEST_SKIP() << "no read-only file system could be mounted here";
}

}  // namespace
