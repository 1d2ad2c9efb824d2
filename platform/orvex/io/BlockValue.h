// One typed value of the block tree (int, real, string or bool) and a value under a key.
#pragma once

#include <string>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/io/BigBuffer.h"
#include "orvex/io/SharedText.h"
#include "orvex/io/StreamioObject.h"

namespace io {

class ORVEX_API CBlock_value : public CStreamio_object {
public:
  enum Kind { kInt, kReal, kString, kBool };

  CBlock_value() : m_kind(kInt) { m_v.i = 0; }
  CBlock_value(long v) : m_kind(kInt) { m_v.i = v; }
  CBlock_value(int v) : m_kind(kInt) { m_v.i = v; }
  CBlock_value(unsigned int v) : m_kind(kInt) { m_v.i = static_cast<long>(v); }
  CBlock_value(double v) : m_kind(kReal) { m_v.d = v; }
  CBlock_value(bool v) : m_kind(kBool) { m_v.b = v; }
  CBlock_value(const AString& v);
  CBlock_value(AString&& v);
  CBlock_value(const wchar_t* v);
  explicit CBlock_value(const CSharedText& v) : m_kind(kString) { m_v.s = CSharedText::Retain(v.GetRep()); }
  explicit CBlock_value(CSharedText&& v) : m_kind(kString) { m_v.s = v.Detach(); }
  CBlock_value(const CBlock_value& o);
  // Moves and destruction are inline: readers make and move millions of values.
  CBlock_value(CBlock_value&& o) noexcept : m_kind(o.m_kind), m_ascii(o.m_ascii), m_v(o.m_v) {
    o.m_kind = kInt;
    o.m_ascii = false;
    o.m_v.i = 0;
  }
  CBlock_value& operator=(const CBlock_value& o);
  CBlock_value& operator=(CBlock_value&& o) noexcept {
    if (this == &o) return *this;
    Release();
    m_kind = o.m_kind;
    m_ascii = o.m_ascii;
    m_v = o.m_v;
    o.m_kind = kInt;
    o.m_ascii = false;
    o.m_v.i = 0;
    return *this;
  }
  ~CBlock_value() override { Release(); }

  // A string value kept as the bytes of its ASCII characters: a long text (a column's values)
  // then travels between a file and its reader without a wide copy. It is the same value as the
  // AString of those characters in every respect; bytes above 0x7F are read as UTF-8.
  // A long text is best made as a BigString: it is then kept without a copy, in pages of its own.
  static CBlock_value FromAscii(BigString&& ascii);
  static CBlock_value FromAscii(const std::string& ascii);
  static CBlock_value FromAscii(const char* ascii) { return FromAscii(std::string(ascii)); }
  // The same for bytes their maker knows to be printable ASCII that needs no escape (base64,
  // digits): a text of many megabytes is then not looked through again. Checked in debug builds.
  static CBlock_value FromPlainAscii(BigString&& ascii);

  Kind GetKind() const { return m_kind; }

  // Conversion table: int converts to every number type in range (and to bool when 0 or 1), real
  // only to double, string only to AString, bool only to bool. Numbers never come from text and
  // never become text. The target is untouched when the answer is false.
  bool Query(long& out) const;
  bool Query(int& out) const;
  bool Query(unsigned int& out) const;
  bool Query(double& out) const;
  bool Query(bool& out) const;
  bool Query(AString& out) const;

  // Same kind and equal; two NaN reals are equal, so a written NaN reads back as itself.
  bool operator==(const CBlock_value& o) const;
  bool operator!=(const CBlock_value& o) const { return !(*this == o); }

  // The stored value without conversion; only meaningful for the matching kind.
  long GetInt() const { return m_kind == kInt ? m_v.i : 0; }
  double GetReal() const { return m_kind == kReal ? m_v.d : 0.0; }
  bool GetBool() const { return m_kind == kBool && m_v.b; }
  // For a value kept as ASCII bytes, the wide text is made on the first call and kept.
  const AString& GetString() const;
  // The bytes of a string value kept as ASCII, else null.
  const BigString* GetAscii() const { return m_kind == kString && m_ascii ? &m_v.a->bytes : nullptr; }
  // A string value kept as ASCII bytes none of which needs an escape inside quotes (writers pass
  // it on as it stands).
  bool IsPlainAscii() const { return m_kind == kString && m_ascii && m_v.a->plain; }

  void Write(CAbstract_ostream& out) const override;
  // Throws ReadErrorException{1} when the next token is not a value; the token is consumed.
  void Read(CAbstract_istream& in) override;

private:
  struct AsciiText {
    BigString bytes;
    mutable AString* wide = nullptr;  // owned; made by GetString
    bool plain = false;               // no byte needs an escape inside quotes
  };

  void Release() {
    if (m_kind == kString) DeleteString();
  }
  void DeleteString();
  static bool SameText(const CBlock_value& ascii, const CBlock_value& wide);

  Kind m_kind;
  bool m_ascii = false;  // a string held in m_v.a, not m_v.s
  union {
    long i;
    double d;
    bool b;
    CSharedText::Rep* s;  // one reference; shared by copies, and small in long argument lists
    AsciiText* a;  // owned
  } m_v;
};

// Not a stream object of its own (the streams take it by name): without a table of virtual
// functions it is 32 bytes, and blocks hold millions of them.
class ORVEX_API CBlock_named_value {
public:
  CBlock_named_value() = default;
  explicit CBlock_named_value(const AString& key) : m_key(key) {}
  CBlock_named_value(const AString& key, const CBlock_value& value) : m_key(key), m_value(value) {}
  CBlock_named_value(const AString& key, CBlock_value&& value) : m_key(key), m_value(std::move(value)) {}
  CBlock_named_value(CSharedText key, CBlock_value&& value) : m_key(std::move(key)), m_value(std::move(value)) {}
  // Moves keep a long text value in place (a declared destructor would otherwise make them copies).
  CBlock_named_value(const CBlock_named_value&) = default;
  CBlock_named_value(CBlock_named_value&&) = default;
  CBlock_named_value& operator=(const CBlock_named_value&) = default;
  CBlock_named_value& operator=(CBlock_named_value&&) = default;
  ~CBlock_named_value() = default;

  const AString& GetKey() const { return m_key.Get(); }
  void SetKey(const AString& key) { m_key = CSharedText(key); }
  const CBlock_value& GetValue() const { return m_value; }
  void SetValue(const CBlock_value& value) { m_value = value; }

  bool operator==(const CBlock_named_value& o) const { return GetKey() == o.GetKey() && m_value == o.m_value; }
  bool operator!=(const CBlock_named_value& o) const { return !(*this == o); }

  // Key = value, on a line of its own.
  void Write(CAbstract_ostream& out) const;
  // Reads Key = value; throws ReadErrorException{1} when the tokens do not form one.
  void Read(CAbstract_istream& in);

private:
  CSharedText m_key;
  CBlock_value m_value;
};

}  // namespace io
