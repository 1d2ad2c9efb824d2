// Shared test helpers: soft assertions a test expects, and the data folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "orvex/core/Assert.h"

// Claims one recorded soft assertion with exactly this text; a test that leaves any
// assertion unclaimed fails when it ends.
#define EXPECT_SOFT_ASSERT(text) \
  EXPECT_TRUE(orvex::test::Asserts().Take(text)) << "expected the soft assertion " << (text)

#define EXPECT_NO_SOFT_ASSERT() \
  EXPECT_EQ(0u, orvex::test::Asserts().Count()) << "soft assertions were raised"

namespace reptest {

// A fresh, empty folder under the system's temporary folder, removed at destruction.
class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return m_path; }
  std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
  std::string m_path;
};

std::string ReadFileBytes(const std::string& path);

// Replays every kept input of a fuzz target (fuzz/corpus/<target>/) through its entry function,
// here under the sanitizers. The entry answers 1 for an input it read whole, 0 for one it refused;
// the kept set must hold both kinds. Without `checkedFile` no input may raise a soft assertion;
// with it, only those raised in that file (the entry's own checks) fail, as readers answer
// damaged input with theirs.
using FuzzEntry = std::function<int(const std::string& fileName, const uint8_t* data, size_t size)>;
void ReplayKeptFuzzInputs(const char* target, const FuzzEntry& entry, const char* checkedFile = nullptr);
void WriteFileBytes(const std::string& path, const std::string& bytes);

}  // namespace reptest
