#include "postorvex/columns/ValuesText.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "orvex/io/BigBuffer.h"
#include "orvex/io/ShortestDouble.h"

namespace postorvex {
namespace columns {

namespace {

bool IsAscii(const AString& s) {
  for (wchar_t c : s)
    if (static_cast<uint32_t>(c) > 0x7F) return false;
  return true;
}

void Widen(const char* b, const char* e, std::wstring& out) {
  const size_t old = out.size();
  out.resize(old + static_cast<size_t>(e - b));
  wchar_t* w = &out[old];
  for (const char* p = b; p != e; ++p) *w++ = static_cast<wchar_t>(*p);
}

}  // namespace

void ValuesTextWriter::Reserve(size_t chars) {
  if (m_isWide) {
    m_wide.reserve(chars);
    io::AdviseBigFillOfCapacity(m_wide);
  } else {
    m_ascii.reserve(chars);
    io::AdviseBigFillOfCapacity(m_ascii);
  }
}

void ValuesTextWriter::Flush() {
  if (m_runSize == 0) return;
  if (m_isWide)
    Widen(m_run, m_run + m_runSize, m_wide);
  else
    m_ascii.append(m_run, m_runSize);
  m_runSize = 0;
}

void ValuesTextWriter::GoWide() {
  Flush();
  Widen(m_ascii.data(), m_ascii.data() + m_ascii.size(), m_wide);
  io::BigString().swap(m_ascii);
  m_isWide = true;
}

// One token, with the blank before it unless it is the first. Tokens are numbers: a few dozen
// characters at most.
void ValuesTextWriter::AppendAscii(const char* b, const char* e) {
  const size_t n = static_cast<size_t>(e - b);
  if (m_runSize + n + 1 > sizeof m_run) Flush();
  if (!m_empty) m_run[m_runSize++] = ' ';
  m_empty = false;
  std::memcpy(m_run + m_runSize, b, n);
  m_runSize += n;
}

void ValuesTextWriter::Double(double v) {
  if (std::isnan(v)) {
    static const char kNan[] = "nan";  // one spelling, whatever the sign or payload
    AppendAscii(kNan, kNan + 3);
    return;
  }
  char buf[64];
  const std::to_chars_result r = io::ToCharsShortest(buf, buf + sizeof buf, v);
  AppendAscii(buf, r.ptr);
}

void ValuesTextWriter::Int(int64_t v) {
  char buf[24];
  const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, v);
  AppendAscii(buf, r.ptr);
}

void ValuesTextWriter::Text(const AString& s) {
  if (!m_isWide && !IsAscii(s)) GoWide();
  Int(static_cast<int64_t>(s.size()));
  Flush();
  if (m_isWide) {
    m_wide.push_back(L':');
    m_wide += s;
    return;
  }
  m_ascii.push_back(':');
  const size_t old = m_ascii.size();
  m_ascii.resize(old + s.size());
  char* a = &m_ascii[old];
  for (wchar_t c : s) *a++ = static_cast<char>(c);
}

AString ValuesTextWriter::TakeText() {
  Flush();
  if (m_isWide) return AString(std::move(m_wide));
  std::wstring wide;
  Widen(m_ascii.data(), m_ascii.data() + m_ascii.size(), wide);
  return AString(std::move(wide));
}

io::CBlock_value ValuesTextWriter::TakeValue() {
  Flush();
  if (m_isWide) return io::CBlock_value(AString(std::move(m_wide)));
  return io::CBlock_value::FromAscii(std::move(m_ascii));
}

bool ValuesTextReader::Separator() {
  if (m_first) return true;
  if (m_isAscii) {
    if (m_a == m_aEnd || *m_a != ' ') return false;
    ++m_a;
    return true;
  }
  if (m_w == m_wEnd || *m_w != L' ') return false;
  ++m_w;
  return true;
}

bool ValuesTextReader::WideToken(char* buf, size_t cap, size_t& len) {
  const wchar_t* p = m_w;
  // Past `stop` a token no longer fits the buffer.
  const wchar_t* const stop = static_cast<size_t>(m_wEnd - p) > cap ? p + cap : m_wEnd;
  char* d = buf;
  for (; p != stop; ++p) {
    const wchar_t c = *p;
    if (c == L':') break;
    // Printable ASCII but the blank: the blank ends the token, anything else is damage.
    if (static_cast<uint32_t>(c) - 0x21u > 0x7Eu - 0x21u) {
      if (c == L' ') break;
      m_w = p;
      return false;
    }
    *d++ = static_cast<char>(c);
  }
  m_w = p;
  len = static_cast<size_t>(d - buf);
  if (p == stop && p != m_wEnd && *p != L' ' && *p != L':') return false;
  m_first = false;
  return len > 0;
}

template <class T, class Parse>
bool ValuesTextReader::Number(T& v, size_t cap, Parse parse) {
  if (!Separator()) return false;
  if (m_isAscii) {
    // Parsed where it stands: the parse must end just where the token does, within `cap` bytes.
    const char* const b = m_a;
    const char* const stop = static_cast<size_t>(m_aEnd - b) > cap ? b + cap : m_aEnd;
    const char* const e = parse(b, stop, v);
    if (!e) return false;
    m_a = e;
    if (e != m_aEnd && *e != ' ' && *e != ':') return false;
    m_first = false;
    return true;
  }
  char buf[64];
  size_t len = 0;
  if (!WideToken(buf, cap, len)) return false;
  const char* const e = parse(buf, buf + len, v);
  return e == buf + len;
}

namespace {

// The end of the number parsed from the start of [b, e); null when none is.
const char* ParseDouble(const char* b, const char* e, double& v) {
  const std::from_chars_result r = std::from_chars(b, e, v);
  return r.ec == std::errc() ? r.ptr : nullptr;
}

const char* ParseInt(const char* b, const char* e, int64_t& v) {
  const std::from_chars_result r = std::from_chars(b, e, v);
  return r.ec == std::errc() ? r.ptr : nullptr;
}

}  // namespace

bool ValuesTextReader::Double(double& v) { return Number(v, 64, ParseDouble); }

bool ValuesTextReader::Int(int64_t& v, int64_t min, int64_t max) {
  int64_t x = 0;
  if (!Number(x, 32, ParseInt) || x < min || x > max) return false;
  v = x;
  return true;
}

bool ValuesTextReader::Text(AString& s) {
  int64_t n = 0;
  if (!Int(n, 0, INT64_MAX)) return false;
  if (m_isAscii) {
    if (m_a == m_aEnd || *m_a != ':') return false;
    ++m_a;
    if (static_cast<uint64_t>(n) > Remaining()) return false;
    s.clear();
    Widen(m_a, m_a + n, s);
    m_a += n;
    return true;
  }
  if (m_w == m_wEnd || *m_w != L':') return false;
  ++m_w;
  if (static_cast<uint64_t>(n) > Remaining()) return false;
  s.assign(m_w, static_cast<size_t>(n));
  m_w += n;
  return true;
}

}  // namespace columns
}  // namespace postorvex
