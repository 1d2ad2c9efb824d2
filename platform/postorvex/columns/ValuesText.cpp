#include "postorvex/columns/ValuesText.h"

#include <charconv>
#include <cmath>

namespace postorvex {
namespace columns {

void ValuesTextWriter::Separate() {
  if (!m_out.empty()) m_out.push_back(L' ');
}

void ValuesTextWriter::Double(double v) {
  Separate();
  char buf[32];
  if (std::isnan(v)) {
    m_out += L"nan";  // one spelling, whatever the sign or payload
    return;
  }
  const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, v);
  for (const char* p = buf; p != r.ptr; ++p) m_out.push_back(static_cast<wchar_t>(*p));
}

void ValuesTextWriter::Int(int64_t v) {
  Separate();
  char buf[24];
  const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, v);
  for (const char* p = buf; p != r.ptr; ++p) m_out.push_back(static_cast<wchar_t>(*p));
}

void ValuesTextWriter::Text(const AString& s) {
  Int(static_cast<int64_t>(s.size()));
  m_out.push_back(L':');
  m_out += s;
}

bool ValuesTextReader::Token(char* buf, size_t cap, size_t& len) {
  if (!m_first) {
    if (m_p == m_end || *m_p != L' ') return false;
    ++m_p;
  }
  len = 0;
  while (m_p != m_end && *m_p != L' ' && *m_p != L':') {
    if (len == cap || *m_p < 0x21 || *m_p > 0x7E) return false;
    buf[len++] = static_cast<char>(*m_p++);
  }
  m_first = false;
  return len > 0;
}

bool ValuesTextReader::Double(double& v) {
  char buf[64];
  size_t len = 0;
  if (!Token(buf, sizeof buf, len)) return false;
  const std::from_chars_result r = std::from_chars(buf, buf + len, v);
  return r.ec == std::errc() && r.ptr == buf + len;
}

bool ValuesTextReader::Int(int64_t& v, int64_t min, int64_t max) {
  char buf[32];
  size_t len = 0;
  if (!Token(buf, sizeof buf, len)) return false;
  int64_t x = 0;
  const std::from_chars_result r = std::from_chars(buf, buf + len, x);
  if (r.ec != std::errc() || r.ptr != buf + len || x < min || x > max) return false;
  v = x;
  return true;
}

bool ValuesTextReader::Text(AString& s) {
  int64_t n = 0;
  if (!Int(n, 0, INT64_MAX)) return false;
  if (m_p == m_end || *m_p != L':') return false;
  ++m_p;
  if (static_cast<uint64_t>(n) > Remaining()) return false;
  s.assign(m_p, static_cast<size_t>(n));
  m_p += n;
  return true;
}

}  // namespace columns
}  // namespace postorvex
