// The debug log: lines in Windows-style wide formats, written when the debug level asks for them.
#pragma once

#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"

class ORVEX_API VelDebug {
public:
  using Sink = void (*)(const AString& text);

  static int GetDebugLevel();
  static void SetDebugLevel(int level);
  // Level 0 is off; otherwise a line is written when the current level is at least its level,
  // so level 3 also writes the level-1 lines.
  static bool IsOn(int level);

  // Every category is on until it is disabled.
  static void DisableCategory(const char* category);
  static void EnableCategory(const char* category);
  static bool IsCategoryEnabled(const char* category);

  // One entry per call; the format carries its own line ends. Arguments are formatted by their
  // own types (AString::Format), and only when the line is written.
  template <class... Args>
  static void Printf(int level, const wchar_t* format, const Args&... args) {
    if (IsOn(level)) Write(AString::Format(format, args...));
  }
  template <class... Args>
  static void CategoryPrintf(const char* category, int level, const wchar_t* format, const Args&... args) {
    if (IsOn(level) && IsCategoryEnabled(category)) Write(AString::Format(format, args...));
  }

  static void Write(const AString& text);
  // Returns the previous sink; null restores standard error. The test reset installs the
  // capture buffer of orvex::test::DebugLines().
  static Sink SetSink(Sink sink);
};

namespace orvex {
namespace test {

// What the log wrote since the last test reset, one entry per call.
ORVEX_API std::vector<AString>& DebugLines();

}  // namespace test
}  // namespace orvex
