#include <filesystem>
#include <string>

#include "RepTest.h"
#include "orvex/io/LongFileName.h"
#include "orvex/io/SavedFile.h"
#include "orvex/core/TestHooks.h"
#include "postorvex/columns/ManagedFileService.h"

namespace fs = std::filesystem;

TEST(ManagedFileService, MakesTheSmallestFreeNameAndFindsItAgain) {
  reptest::TempDir tmp;
  ManagedFileService::RootScope scope(AString::FromUtf8(tmp.Path()));
  IManagedFileService* service = ManagedFileService::GetInstance();
  AString a, b, c;
  ASSERT_TRUE(service->MakeUniqueFileName(a, L"svcache", L"HDR"));
  ASSERT_TRUE(service->MakeUniqueFileName(b, L"svcache", L"HDR"));
  EXPECT_EQ(AString(L"HDR1.dat"), a);
  EXPECT_EQ(AString(L"HDR2.dat"), b);  // the first name's file exists already, though empty
  LongFileName file;
  service->GetFullPath(file, L"svcache", a);
  const AString path = file.GetPath();
  EXPECT_EQ(1, file.Exists());
  EXPECT_EQ(tmp.Path() + "/svcache/HDR1.dat", path.ToUtf8());
  EXPECT_TRUE(fs::is_regular_file(path.ToUtf8()));

  fs::remove(path.ToUtf8());
  ASSERT_TRUE(service->MakeUniqueFileName(c, L"svcache", L"HDR"));
  EXPECT_EQ(AString(L"HDR1.dat"), c);

  reptest::WriteFileBytes(tmp.File("blocked"), "a file, not a folder");
  EXPECT_FALSE(service->MakeUniqueFileName(c, L"blocked", L"HDR"));
  EXPECT_EQ(tmp.File("blocked") + ": Not a directory", io::LastSaveFailure());
  EXPECT_EQ(AString(L"HDR1.dat"), c);
}

// Names go on from where the last was made, but files that go away or appear behind the
// service's back still give the smallest free number.
TEST(ManagedFileService, SmallestFreeNameAsFilesComeAndGo) {
  reptest::TempDir tmp;
  ManagedFileService::RootScope scope(AString::FromUtf8(tmp.Path()));
  IManagedFileService* service = ManagedFileService::GetInstance();
  auto make = [&](const wchar_t* prefix) {
    AString name;
    EXPECT_TRUE(service->MakeUniqueFileName(name, L"svcache", prefix));
    return name.ToUtf8();
  };
  for (int i = 1; i <= 5; ++i) EXPECT_EQ("M" + std::to_string(i) + ".dat", make(L"M"));
  const std::string dir = tmp.Path() + "/svcache/";
  fs::remove(dir + "M4.dat");
  fs::remove(dir + "M2.dat");
  fs::rename(dir + "M5.dat", dir + "other");
  reptest::WriteFileBytes(dir + "M6.dat", "made elsewhere");
  EXPECT_EQ("M2.dat", make(L"M"));
  EXPECT_EQ("M4.dat", make(L"M"));
  EXPECT_EQ("M5.dat", make(L"M"));
  EXPECT_EQ("M7.dat", make(L"M"));
  EXPECT_EQ("N1.dat", make(L"N"));  // each prefix counts apart
  fs::remove_all(dir);              // the folder goes and is made again
  EXPECT_EQ("M1.dat", make(L"M"));
}

TEST(ManagedFileService, RootScopesNestAndRestore) {
  ManagedFileService* service = ManagedFileService::GetInstance();
  const AString original = service->GetRoot();
  EXPECT_TRUE(fs::is_directory(original.ToUtf8()));
  EXPECT_EQ(original, ManagedFileService::GetInstance()->GetRoot());
  reptest::TempDir t1, t2;
  {
    ManagedFileService::RootScope s1(AString::FromUtf8(t1.Path()));
    {
      ManagedFileService::RootScope s2(AString::FromUtf8(t2.Path()));
      EXPECT_EQ(t2.Path(), service->GetRoot().ToUtf8());
    }
    EXPECT_EQ(t1.Path(), service->GetRoot().ToUtf8());
  }
  EXPECT_EQ(original, service->GetRoot());
}

TEST(ManagedFileService, ARootLeftSetIsReportedAndReset) {
  ManagedFileService* service = ManagedFileService::GetInstance();
  const AString original = service->GetRoot();
  service->SetRoot(L"/nowhere");
  const std::string left = orvex::test::CheckGlobalsLeftOpen();
  EXPECT_NE(std::string::npos, left.find("ManagedFileService root still set to /nowhere")) << left;
  EXPECT_EQ(original, service->GetRoot());
}
