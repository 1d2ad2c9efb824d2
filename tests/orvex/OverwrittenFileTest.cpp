#include "orvex/io/OverwrittenFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <sys/stat.h>

#include "RepTest.h"
#include "orvex/io/BlockFile.h"

namespace {

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

TEST(OverwrittenFile, HoldsExactlyWhatWasWritten) {
  struct Case {
    const char* what;
    const char* before;  // null: no file there
    std::string written;
  };
  const Case cases[] = {
      {"a new file", nullptr, "new"},
      {"longer content cut", "0123456789abcdef", "short"},
      {"shorter content grown", "ab", std::string(300000, 'x') + "end"},
      {"emptied", "something", ""},
  };
  for (const Case& c : cases) {
    reptest::TempDir dir;
    const std::string path = dir.File("f.bin");
    if (c.before) WriteFile(path, c.before);
    io::OverwrittenFile out(path);
    ASSERT_TRUE(out.Ok()) << c.what;
    // In two writes, as a buffered stream hands its bytes over.
    const size_t half = c.written.size() / 2;
    EXPECT_TRUE(out.Write(c.written.data(), half)) << c.what;
    EXPECT_TRUE(out.Write(c.written.data() + half, c.written.size() - half)) << c.what;
    EXPECT_TRUE(out.Close()) << c.what;
    EXPECT_TRUE(out.Close()) << c.what << ": a second close answers the first";
    EXPECT_EQ(c.written, reptest::ReadFileBytes(path)) << c.what;
  }
}

TEST(OverwrittenFile, FailuresAreReported) {
  reptest::TempDir dir;
  io::OverwrittenFile absent(dir.File("absent/f.bin"));
  EXPECT_FALSE(absent.Ok());
  EXPECT_FALSE(absent.Write("x", 1));
  EXPECT_FALSE(absent.Close());

  // A device is written but never cut.
  io::OverwrittenFile device("/dev/null");
  EXPECT_TRUE(device.Write("x", 1));
  EXPECT_TRUE(device.Close());

  io::OverwrittenFile closed(dir.File("c.bin"));
  EXPECT_TRUE(closed.Close());
  EXPECT_FALSE(closed.Write("x", 1)) << "written after closing";
  EXPECT_FALSE(closed.Close());
}

TEST(OverwrittenFile, BlockFileRewrittenShorterReadsBack) {
  reptest::TempDir dir;
  const LongFileName file(AString::FromUtf8(dir.File("p.txt")));
  io::CBlock big(L"Project");
  for (int i = 0; i < 20000; ++i) big << io::CBlock_named_value(L"Value", i);
  ASSERT_EQ(io::kNoError, io::WriteBlockFile(file, big));
  io::CBlock small(L"Project");
  small << io::CBlock_named_value(L"Value", 1);
  ASSERT_EQ(io::kNoError, io::WriteBlockFile(file, small));
  io::CBlock read;
  ASSERT_EQ(io::kNoError, io::ReadBlockFile(file, read)) << "no old text after the new block";
  EXPECT_EQ(small, read);
  struct stat st;
  ASSERT_EQ(0, ::stat(file.ToNarrow().c_str(), &st));
  EXPECT_EQ(reptest::ReadFileBytes(file.ToNarrow()).size(), size_t(st.st_size));
}

}  // namespace
