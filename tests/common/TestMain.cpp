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

}  // namespace reptest

int main(int argc, char** argv) {
  std::setlocale(LC_CTYPE, "C.UTF-8");
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new GlobalStateListener);
  return RUN_ALL_TESTS();
}
