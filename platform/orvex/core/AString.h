// The wide-character string of the core library: names, expressions, block keys and messages.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "orvex/core/OrvexApi.h"

#define ACHAR(x) L##x

class ORVEX_API AString : public std::wstring {
public:
  AString() = default;
  AString(const wchar_t* s) : std::wstring(s ? s : L"") {}
  AString(const std::wstring& s) : std::wstring(s) {}
  AString(std::wstring&& s) : std::wstring(std::move(s)) {}
  AString(const wchar_t* s, size_t n) : std::wstring(s, n) {}
  AString(size_t n, wchar_t c) : std::wstring(n, c) {}

  // Invalid UTF-8 decodes to U+FFFD; NUL characters are kept.
  static AString FromUtf8(const std::string& utf8);
  std::string ToUtf8() const;

  int Compare(const AString& other) const;
  // Folds with a fixed table (ASCII, Latin-1, Greek, Cyrillic): the process locale never matters.
  int CompareNoCase(const AString& other) const;
  AString FoldedCase() const;

  struct NoCaseLess {
    bool operator()(const AString& a, const AString& b) const { return a.CompareNoCase(b) < 0; }
  };

  AString& Trim();
  AString Trimmed() const;
  // Cuts at every occurrence of any delimiter character; empty pieces kept unless skipEmpty.
  std::vector<AString> TokenizeString(const AString& delimiters, bool skipEmpty) const;
  // Whole text an optional sign and at least one digit, fitting a long.
  bool IsNumber(int radix = 10, long* value = nullptr) const;

  // Windows-style wide format ("%s" is a wide string); each argument is formatted by its own type.
  template <class... Args>
  static AString Format(const wchar_t* format, const Args&... args);

  static wchar_t FoldChar(wchar_t c);
};

namespace orvex {
namespace detail {

// One argument of a formatted text, captured with its own type.
struct FormatArg {
  enum Kind { kSigned, kUnsigned, kDouble, kString, kChar, kPointer } kind;
  long long i = 0;
  unsigned long long u = 0;
  double d = 0;
  std::wstring s;
  const void* p = nullptr;
};

template <class T>
FormatArg MakeFormatArg(const T& v) {
  FormatArg a;
  using D = std::decay_t<T>;
  if constexpr (std::is_same_v<D, bool>) {
    a.kind = FormatArg::kSigned;
    a.i = v ? 1 : 0;
  } else if constexpr (std::is_same_v<D, wchar_t>) {
    a.kind = FormatArg::kChar;
    a.i = v;
  } else if constexpr (std::is_integral_v<D> && std::is_signed_v<D>) {
    a.kind = FormatArg::kSigned;
    a.i = v;
  } else if constexpr (std::is_integral_v<D> || std::is_enum_v<D>) {
    a.kind = FormatArg::kUnsigned;
    a.u = static_cast<unsigned long long>(v);
  } else if constexpr (std::is_floating_point_v<D>) {
    a.kind = FormatArg::kDouble;
    a.d = v;
  } else if constexpr (std::is_convertible_v<const D&, std::wstring>) {
    a.kind = FormatArg::kString;
    a.s = std::wstring(v);
  } else if constexpr (std::is_convertible_v<const D&, const wchar_t*>) {
    a.kind = FormatArg::kString;
    const wchar_t* w = v;
    a.s = w ? w : L"(null)";
  } else if constexpr (std::is_pointer_v<D>) {
    a.kind = FormatArg::kPointer;
    a.p = static_cast<const void*>(v);
  } else {
    static_assert(sizeof(D) == 0, "type cannot be formatted");
  }
  return a;
}

// Raises "!\"format does not fit its argument\"" on a mismatch and goes on.
ORVEX_API std::wstring FormatWide(const wchar_t* format, const std::vector<FormatArg>& args);

}  // namespace detail
}  // namespace orvex

template <class... Args>
AString AString::Format(const wchar_t* format, const Args&... args) {
  std::vector<orvex::detail::FormatArg> v{orvex::detail::MakeFormatArg(args)...};
  return AString(orvex::detail::FormatWide(format, v));
}
