#include "orvex/core/Assert.h"

#include <cstdio>
#include <cstring>

#include "orvex/core/TestHooks.h"

bool IgnoreAllAsserts_G = false;

namespace {

std::string BaseNameToFirstDot(const char* file) {
  const char* slash = std::strrchr(file, '/');
  std::string base = slash ? slash + 1 : file;
  size_t dot = base.find('.');
  return dot == std::string::npos ? base : base.substr(0, dot);
}

void RecordingHandler(const char* file, int line, const char* text, bool&) {
  orvex::test::AssertLog& log = orvex::test::Asserts();
  log.Add({BaseNameToFirstDot(file), line, text});
  if (log.Echo()) std::fprintf(stderr, "soft assertion: %s:%d: %s\n", file, line, text);
}

AssertHandler& Handler() {
  static AssertHandler h = &RecordingHandler;
  return h;
}

void ResetAsserts() {
  IgnoreAllAsserts_G = false;
  Handler() = &RecordingHandler;
}

std::string AssertsLeft() {
  std::string out;
  for (const auto& r : orvex::test::Asserts().Records())
    out += "unexpected soft assertion " + r.file + ":" + std::to_string(r.line) + ": " + r.text + "\n";
  orvex::test::Asserts().Clear();
  return out;
}

const bool s_registered = orvex::test::RegisterGlobalState({"soft assertions", &ResetAsserts, &AssertsLeft});

}  // namespace

void ProcessAssertFailure_G(const char* file, int line, const char* text, bool& siteIgnoreFlag) {
  if (AssertHandler h = Handler()) h(file ? file : "", line, text ? text : "", siteIgnoreFlag);
}

AssertHandler SetAssertHandler(AssertHandler handler) {
  AssertHandler prev = Handler();
  Handler() = handler ? handler : &RecordingHandler;
  return prev;
}

namespace orvex {
namespace test {

size_t AssertLog::Count(const std::string& text) const {
  size_t n = 0;
  for (const auto& r : m_records) n += r.text == text ? 1 : 0;
  return n;
}

std::vector<std::string> AssertLog::Texts() const {
  std::vector<std::string> out;
  for (const auto& r : m_records) out.push_back(r.text);
  return out;
}

bool AssertLog::Take(const std::string& text) {
  for (auto it = m_records.begin(); it != m_records.end(); ++it) {
    if (it->text == text) {
      m_records.erase(it);
      return true;
    }
  }
  return false;
}

AssertLog& Asserts() {
  static AssertLog log;
  return log;
}

}  // namespace test
}  // namespace orvex
