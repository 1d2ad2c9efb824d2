#include <cstdlib>
#include <filesystem>
#include <string>

#include "RepTest.h"
#include "orvex/values/ExpressionFuzzEntry.h"
#include "orvex/values/Value.h"

namespace {

int Feed(const std::string& bytes) {
  return val::FuzzExpression(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

TEST(ExpressionFuzz, ReplaysTheKeptInputs) {
  const char* root = std::getenv("REP_FUZZ_CORPUS");
  ASSERT_NE(nullptr, root);
  const std::filesystem::path dir = std::filesystem::path(root) / "ExpressionFuzz";
  ASSERT_TRUE(std::filesystem::is_directory(dir));
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    SCOPED_TRACE(entry.path().string());
    Feed(reptest::ReadFileBytes(entry.path().string()));
    ++files;
  }
  EXPECT_GT(files, 0);
}

TEST(ExpressionFuzz, HostileTextsAreRefusedWithoutACrash) {
  struct Case { std::string text; int valid; const char* why; };
  const Case cases[] = {
      {std::string(100000, '('), 0, "deep parentheses"},
      {std::string(100000, '-') + "1", 0, "long sign chain"},
      {"1" + [] { std::string s; for (int i = 0; i < 5000; ++i) s += "+1"; return s; }(), 1, "long sum"},
      {"abs(" + std::string(1000, '(') + "1" + std::string(1000, ')') + ")", 0, "deep call"},
      {std::string(300, '(') + "1" + std::string(300, ')'), 1, "deep but allowed"},
      {"\xff\xfe\x00\x01", 0, "bytes that are no text"},
      {std::string("1+\0+2", 5), 0, "a NUL inside"},
      {"max(" + std::string(390, '(') + "x" + std::string(390, ')') + ")", 1, "deep dataset argument"},
      {"S(1,(2)", 0, "unbalanced name"},
      {"1e400*0", 0, "overflowing literal"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(c.valid, Feed(c.text));
  }
}
