// The text of a column's values in its block form: one token per number, separated by single
// spaces; a text is written as <length>:<characters>, so any character survives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "orvex/core/AString.h"
#include "orvex/io/BlockValue.h"

namespace postorvex {
namespace columns {

// Collects the text as bytes while it is ASCII (numbers always are), as wide characters once a
// text entry brings a character past ASCII.
class ValuesTextWriter {
public:
  // Room for about this many characters.
  void Reserve(size_t chars);
  // Shortest text that reads back to the same bits ("nan", "inf" and "-inf" included).
  void Double(double v);
  void Int(int64_t v);
  void Text(const AString& s);

  AString TakeText();
  // The text as a string value, kept as bytes when it is ASCII.
  io::CBlock_value TakeValue();

private:
  void AppendAscii(const char* b, const char* e);
  void GoWide();
  // Moves the numbers gathered in m_run to the text.
  void Flush();

  io::BigString m_ascii;  // the text, while every character is ASCII
  std::wstring m_wide;  // the text, once one is not
  bool m_isWide = false;
  bool m_empty = true;  // nothing written yet: the next token has no blank before it
  // Numbers are gathered here and added to the text a few thousand at a time.
  char m_run[8192];
  size_t m_runSize = 0;
};

// Reads what ValuesTextWriter wrote, from wide characters or from ASCII bytes; every read answers
// false on damaged text, never reads outside it, and leaves the position at the damage.
class ValuesTextReader {
public:
  ValuesTextReader(const wchar_t* begin, const wchar_t* end) : m_w(begin), m_wEnd(end) {}
  ValuesTextReader(const char* begin, const char* end) : m_a(begin), m_aEnd(end), m_isAscii(true) {}
  bool Double(double& v);
  bool Int(int64_t& v, int64_t min, int64_t max);
  bool Text(AString& s);
  bool AtEnd() const { return m_isAscii ? m_a == m_aEnd : m_w == m_wEnd; }
  // Characters left: an upper bound on the tokens left, for bounded reservations.
  size_t Remaining() const {
    return m_isAscii ? static_cast<size_t>(m_aEnd - m_a) : static_cast<size_t>(m_wEnd - m_w);
  }

private:
  // Steps over the separator before every token but the first.
  bool Separator();
  // The next token, narrowed into `buf`; false when it is empty, too long or not ASCII.
  bool WideToken(char* buf, size_t cap, size_t& len);
  // Parses the next token in place with `parse`, which must take all of it.
  template <class T, class Parse>
  bool Number(T& v, size_t cap, Parse parse);

  const wchar_t* m_w = nullptr;
  const wchar_t* m_wEnd = nullptr;
  const char* m_a = nullptr;
  const char* m_aEnd = nullptr;
  bool m_isAscii = false;
  bool m_first = true;  // no separator before the first token
};

}  // namespace columns
}  // namespace postorvex
