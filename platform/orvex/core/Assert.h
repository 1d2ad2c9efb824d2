// Soft assertions: a failed check is reported and the operation goes on with its fallback.
#pragma once

#include <string>
#include <vector>

#include "orvex/core/OrvexApi.h"

ORVEX_API extern bool IgnoreAllAsserts_G;

// Never aborts, never throws. The default handler records the check and writes one line to stderr.
ORVEX_API void ProcessAssertFailure_G(const char* file, int line, const char* text, bool& siteIgnoreFlag);

using AssertHandler = void (*)(const char* file, int line, const char* text, bool& siteIgnoreFlag);
// Returns the previous handler.
ORVEX_API AssertHandler SetAssertHandler(AssertHandler handler);

// The text recorded is the condition as written, e.g. !"Please provide a valid report".
#define ORVEX_ASSERT(cond)                                                     \
  do {                                                                         \
    static bool s_orvexSiteIgnore = false;                                     \
    if (!(cond) && !IgnoreAllAsserts_G && !s_orvexSiteIgnore)                  \
      ProcessAssertFailure_G(__FILE__, __LINE__, #cond, s_orvexSiteIgnore);    \
  } while (0)

// As ORVEX_ASSERT, recording `text` instead of the condition as written: for one check made on
// behalf of callers that each have their own text.
#define ORVEX_ASSERT_TEXT(cond, text)                                          \
  do {                                                                         \
    static bool s_orvexSiteIgnore = false;                                     \
    if (!(cond) && !IgnoreAllAsserts_G && !s_orvexSiteIgnore)                  \
      ProcessAssertFailure_G(__FILE__, __LINE__, (text), s_orvexSiteIgnore);   \
  } while (0)

namespace orvex {
namespace test {

struct AssertRecord {
  std::string file;  // base name up to its first dot, e.g. "GravikUtils"
  int line = 0;
  std::string text;
};

class ORVEX_API AssertLog {
public:
  size_t Count() const { return m_records.size(); }
  size_t Count(const std::string& text) const;
  std::vector<std::string> Texts() const;
  const std::vector<AssertRecord>& Records() const { return m_records; }
  // Removes the first record with this text; false when there is none.
  bool Take(const std::string& text);
  void Clear() { m_records.clear(); }
  void Add(AssertRecord r) { m_records.push_back(std::move(r)); }
  void SetEcho(bool echo) { m_echo = echo; }
  bool Echo() const { return m_echo; }

private:
  std::vector<AssertRecord> m_records;
  bool m_echo = true;  // also write each failure to stderr
};

ORVEX_API AssertLog& Asserts();

}  // namespace test
}  // namespace orvex
