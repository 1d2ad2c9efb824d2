// The text of a column's values in its block form: one token per number, separated by single
// spaces; a text is written as <length>:<characters>, so any character survives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "orvex/core/AString.h"

namespace postorvex {
namespace columns {

class ValuesTextWriter {
public:
  explicit ValuesTextWriter(std::wstring& out) : m_out(out) {}
  // Shortest text that reads back to the same bits ("nan", "inf" and "-inf" included).
  void Double(double v);
  void Int(int64_t v);
  void Text(const AString& s);

private:
  void Separate();

  std::wstring& m_out;  // not owned
};

// Reads what ValuesTextWriter wrote; every read answers false on damaged text, never reads
// outside it, and leaves the position at the damage.
class ValuesTextReader {
public:
  ValuesTextReader(const wchar_t* begin, const wchar_t* end) : m_p(begin), m_end(end) {}
  bool Double(double& v);
  bool Int(int64_t& v, int64_t min, int64_t max);
  bool Text(AString& s);
  bool AtEnd() const { return m_p == m_end; }
  // Characters left: an upper bound on the tokens left, for bounded reservations.
  size_t Remaining() const { return static_cast<size_t>(m_end - m_p); }

private:
  // The next token, narrowed into `buf`; false when it is empty, too long or not ASCII.
  bool Token(char* buf, size_t cap, size_t& len);

  const wchar_t* m_p;
  const wchar_t* m_end;
  bool m_first = true;  // no separator before the first token
};

}  // namespace columns
}  // namespace postorvex
