// Turns an expression text into a tree of value bases held by a Value (internal to the library).
#pragma once

#include <vector>

#include "orvex/core/AString.h"
#include "orvex/values/Units.h"

class IValueParser;
class Value;

class ExpressionCompiler {
public:
  // With `listedParsers` names and datasets come from those parsers (validation, dummy datasets);
  // without, from the installed parser. On failure `out` is left untouched and false is answered.
  static bool Compile(const AString& text, Units::FullUnitType units,
                      const std::vector<IValueParser*>* listedParsers, Value& out);
};

namespace exprscan {

enum class TokenKind { kEnd, kNumber, kIdentifier, kOperator, kError };

struct Token {
  TokenKind kind = TokenKind::kEnd;
  size_t begin = 0;
  size_t end = 0;
  wchar_t op = 0;          // kOperator
  double number = 0;       // kNumber, as written
  bool imaginary = false;  // kNumber with i or j
  int unit = 0;            // kNumber: its suffix's full unit type, 0 when none
};

// The tokeniser shared by the compiler and the alien-label scan.
class Scanner {
public:
  explicit Scanner(const AString& text) : m_text(text) {}
  // A number directly followed by letters that are no unit (and no i, j) gives the number and
  // then, when `splitBadSuffix`, an identifier; otherwise an error token.
  Token Next(bool splitBadSuffix = false);
  size_t Position() const { return m_pos; }
  void SetPosition(size_t p) { m_pos = p; }
  const AString& Text() const { return m_text; }
  void SkipSpace();

  static bool IsIdentStart(wchar_t c);
  static bool IsIdentChar(wchar_t c);

private:
  Token ScanNumber(bool splitBadSuffix);

  const AString& m_text;
  size_t m_pos = 0;
};

// "nan" or "inf" in any letter case, optionally followed by i or j.
bool IsNumberKeyword(const AString& word, double& value, bool& imaginary);

}  // namespace exprscan
