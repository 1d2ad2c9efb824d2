// One token of a token stream: its kind and its characters.
#pragma once

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"

namespace io {

class CBlock_value;

class ORVEX_API CToken {
public:
  enum Kind { kWord, kInt, kReal, kString, kPunct, kEnd };

  CToken() = default;
  CToken(Kind kind, const AString& text, int line = 0) : m_kind(kind), m_text(text), m_line(line) {}
  CToken(Kind kind, AString&& text, int line = 0) : m_kind(kind), m_text(std::move(text)), m_line(line) {}

  // Tokens as a writer makes them; a string token holds its text unquoted.
  static CToken FromValue(const CBlock_value& v);

  Kind GetKind() const { return m_kind; }
  const AString& Text() const { return m_text; }
  const wchar_t* ACharPtr() const { return m_text.c_str(); }
  // Line of the stream the token came from; 0 when it was made in memory.
  int GetLine() const { return m_line; }
  bool IsPunct(wchar_t c) const { return m_kind == kPunct && m_text.size() == 1 && m_text[0] == c; }
  // A token that a value can be read from: a number, a string, or a word such as true or nan.
  bool ToValue(CBlock_value& out) const;

  // Conversions follow CBlock_value::Query; the target is untouched when they fail.
  bool Query(long& out) const;
  bool Query(int& out) const;
  bool Query(unsigned int& out) const;
  bool Query(double& out) const;
  bool Query(bool& out) const;
  bool Query(AString& out) const;

  bool operator==(const CToken& o) const { return m_kind == o.m_kind && m_text == o.m_text; }
  bool operator!=(const CToken& o) const { return !(*this == o); }

private:
  template <class T>
  bool QueryAs(T& out) const;

  Kind m_kind = kEnd;
  AString m_text;
  int m_line = 0;
};

}  // namespace io
