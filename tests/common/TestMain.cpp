// Test program entry: every test starts from clean global state and fails when it leaves
// a soft assertion unclaimed or a global scope open.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "RepTest.h"
#include "orvex/core/TestHooks.h"

namespace {

class GlobalStateListener : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override {
    orvex::test::ResetGlobals();
    orvex::test::Asserts().Clear();
  }
  // Runs before the result printer's OnTestEnd, so a failure added here is reported.
  void OnTestEnd(const ::testing::TestInfo&) override {
    std::string left = orvex::test::CheckGlobalsLeftOpen();
    if (!left.empty()) ADD_FAILURE() << "left behind by the test:\n" << left;
    orvex::test::ResetGlobals();
  }
};

}  // namespace

namespace reptest {

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "reptest-XXXXXX").string();
  char* made = mkdtemp(tmpl.data());
  m_path = made ? made : tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(m_path, ec);
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

void ReplayKeptFuzzInputs(const char* target, const FuzzEntry& entry, const char* checkedFile) {
  const char* root = std::getenv("REP_FUZZ_CORPUS");
  ASSERT_NE(nullptr, root) << "REP_FUZZ_CORPUS is not set";
  const std::filesystem::path dir = std::filesystem::path(root) / target;
  ASSERT_TRUE(std::filesystem::is_directory(dir)) << dir;
  size_t files = 0;
  size_t whole = 0;
  for (const auto& file : std::filesystem::directory_iterator(dir)) {
    if (!file.is_regular_file()) continue;
    const std::string name = file.path().filename().string();
    SCOPED_TRACE(name);
    const std::string bytes = ReadFileBytes(file.path().string());
    whole += entry(name, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()) != 0 ? 1 : 0;
    for (const orvex::test::AssertRecord& r : orvex::test::Asserts().Records()) {
      if (!checkedFile || r.file == checkedFile) ADD_FAILURE() << "soft assertion " << r.file << ":" << r.line << ": " << r.text;
    }
    orvex::test::Asserts().Clear();
    ++files;
  }
  EXPECT_GT(files, 5u);
  EXPECT_GT(whole, 0u) << "some kept inputs are read whole";
  EXPECT_LT(whole, files) << "some kept inputs are damaged";
}

}  // namespace reptest

int main(int argc, char** argv) {
  std::setlocale(LC_CTYPE, "C.UTF-8");
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new GlobalStateListener);
  return RUN_ALL_TESTS();
}
