#include "orvex/io/TokenStream.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "orvex/core/Assert.h"
#include "orvex/core/Utf8.h"
#include "orvex/io/BigBuffer.h"
#include "orvex/io/BlockTextFormat.h"
#include "orvex/io/ReadError.h"

namespace io {

namespace {

constexpr size_t kChunk = size_t(1) << 16;

bool IsBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

// A short quote of damaged text for an error message.
AString Excerpt(const char* b, const char* e) {
  const size_t kMax = 40;
  AString out;
  detail::AppendUtf8Decoded(out, b, b + std::min<size_t>(static_cast<size_t>(e - b), kMax));
  if (static_cast<size_t>(e - b) > kMax) out += L"...";
  return out;
}

// The quote that closes a quoted text starting at b, or null when [b, e) does not hold it. A
// backslash takes the next byte with it. Long texts are the bulk of a file: searched, not walked.
const char* FindClosingQuote(const char* b, const char* e, bool& escapes) {
  const char* p = b;
  const char* quote = nullptr;  // the next quote at or after p, once searched
  for (;;) {
    if (!quote || quote < p) {
      quote = static_cast<const char*>(std::memchr(p, '"', static_cast<size_t>(e - p)));
      if (!quote) return nullptr;
    }
    const void* bs = std::memchr(p, '\\', static_cast<size_t>(quote - p));
    if (!bs) return quote;
    escapes = true;
    p = static_cast<const char*>(bs) + 2;
    if (p >= e) return nullptr;
  }
}

// Whether no backslash and no byte past ASCII comes before the first '"' of [b, b + n) (or in all
// of it, when none), with where that quote stands in `quote` (npos when none; only set when the
// answer is true): one pass over a piece of a long text.
bool PlainUpToQuote(const char* b, size_t n, size_t& quote) {
  quote = std::string::npos;
  size_t i = 0;
#if defined(__SSE2__)
  for (; n - i >= 16; i += 16) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
    const unsigned quotes = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, _mm_set1_epi8('"'))));
    const unsigned bad = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(x, _mm_cmpeq_epi8(x, _mm_set1_epi8('\\')))));
    if (quotes == 0) {
      if (bad != 0) return false;
      continue;
    }
    const unsigned first = quotes & (0u - quotes);
    if ((bad & (first - 1)) != 0) return false;
    quote = i + static_cast<size_t>(__builtin_ctz(quotes));
    return true;
  }
#endif
  for (; i != n; ++i) {
    const unsigned char c = static_cast<unsigned char>(b[i]);
    if (c == '"') {
      quote = i;
      return true;
    }
    if (c == '\\' || c >= 0x80) return false;
  }
  return true;
}

int CountLineEnds(const char* b, const char* e) {
  int n = 0;
  while (const void* nl = std::memchr(b, '\n', static_cast<size_t>(e - b))) {
    ++n;
    b = static_cast<const char*>(nl) + 1;
  }
  return n;
}

// [+-]?digits[.digits][(e|E)[+-]?digits] with a digit somewhere before any exponent, followed by
// a character that cannot continue a number: its end, else null. `isReal` tells a point or an
// exponent; the same as ClassifyNumber on the run of number characters, which then ends there.
const char* ScanPlainDecimal(const char* p, const char* e, bool& isReal) {
  if (p != e && (*p == '+' || *p == '-')) ++p;
  const char* const start = p;
  while (p != e && detail::IsDigit(static_cast<unsigned char>(*p))) ++p;
  bool digits = p != start;
  isReal = false;
  if (p != e && *p == '.') {
    isReal = true;
    const char* const fraction = ++p;
    while (p != e && detail::IsDigit(static_cast<unsigned char>(*p))) ++p;
    digits = digits || p != fraction;
  }
  if (!digits) return nullptr;
  if (p != e && (*p == 'e' || *p == 'E')) {
    isReal = true;
    ++p;
    if (p != e && (*p == '+' || *p == '-')) ++p;
    const char* const exponent = p;
    while (p != e && detail::IsDigit(static_cast<unsigned char>(*p))) ++p;
    if (p == exponent) return nullptr;
  }
  if (p != e && detail::IsNumberChar(static_cast<unsigned char>(*p))) return nullptr;
  return p;
}

const CToken& EndToken() {
  static const CToken kEnd;
  return kEnd;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Input

CAbstract_istream::CAbstract_istream() = default;
CAbstract_istream::~CAbstract_istream() = default;

void CAbstract_istream::SetInput(std::string utf8) {
  m_buf = std::move(utf8);
  m_inPlace = nullptr;
  m_inPlaceSize = 0;
  m_pos = 0;
  m_srcEnd = true;
  m_markChecked = false;
}

void CAbstract_istream::SetInputInPlace(const char* utf8, size_t n) {
  m_buf.clear();
  // An empty input still needs an address that is not null.
  m_inPlace = utf8 && n ? utf8 : "";
  m_inPlaceSize = utf8 ? n : 0;
  m_pos = 0;
  m_srcEnd = true;
  m_markChecked = false;
}

size_t CAbstract_istream::ReadBytes(char*, size_t) { return 0; }

bool CAbstract_istream::CanSeekBack() const { return false; }
bool CAbstract_istream::SeekBack(size_t n) { return n == 0; }

bool CAbstract_istream::Grow() const {
  if (m_srcEnd) return false;
  m_buf.erase(0, m_pos);
  m_pos = 0;
  // Growing by at least what is held keeps rescanning a long token linear overall.
  const size_t want = std::max(kChunk, m_buf.size());
  const size_t old = m_buf.size();
  m_buf.resize(old + want);
  size_t got = const_cast<CAbstract_istream*>(this)->ReadBytes(&m_buf[old], want);
  got = std::min(got, want);
  m_buf.resize(old + got);
  if (got == 0) m_srcEnd = true;
  return got > 0;
}

CAbstract_istream::ScanResult CAbstract_istream::Scan(RawToken& t, size_t& consumed, int& lines) {
  const char* const s = Data() + m_pos;
  const char* const end = Data() + Size();
  const char* p = s;
  lines = 0;
  m_openQuote = std::string::npos;
  for (;;) {
    if (p == end) {
      if (!m_srcEnd) return kScanNeedMore;
      t.kind = kRawEnd;
      t.line = m_line + lines;
      consumed = static_cast<size_t>(p - s);
      return kScanOk;
    }
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c == '\n') {
      ++lines;
      ++p;
    } else if (c == ' ') {
      p = detail::SkipSpaces(p + 1, end);
    } else if (IsBlank(c)) {
      ++p;
    } else if (c == '#') {
      const void* nl = std::memchr(p, '\n', static_cast<size_t>(end - p));
      if (!nl && !m_srcEnd) return kScanNeedMore;
      p = nl ? static_cast<const char*>(nl) : end;
    } else {
      break;
    }
  }
  t.line = m_line + lines;
  t.asciiText = false;
  t.rawBegin = t.rawEnd = nullptr;
  t.lazyText = false;
  t.hasReal = false;
  const char* const b = p;
  const unsigned char c = static_cast<unsigned char>(*p);
  // Lookahead of a sign or a dot: "-1", "-.5", "-inf".
  if ((c == '+' || c == '-' || c == '.') && end - p < 5 && !m_srcEnd) return kScanNeedMore;
  const unsigned char c1 = p + 1 < end ? static_cast<unsigned char>(p[1]) : 0;
  const unsigned char c2 = p + 2 < end ? static_cast<unsigned char>(p[2]) : 0;
  const bool startsNumber =
      detail::IsDigit(c) || (c == '.' && detail::IsDigit(c1)) ||
      ((c == '+' || c == '-') &&
       (detail::IsDigit(c1) || (c1 == '.' && detail::IsDigit(c2)) || c1 == 'i' || c1 == 'n'));

  if (detail::IsNameStart(c)) {
    p = detail::NameEnd(p, end);
    if (p == end && !m_srcEnd) return kScanNeedMore;
    // Widened only when asked: a reader finds most names among those it holds already.
    t.kind = kRawWord;
    t.asciiText = true;
    t.numBegin = b;
    t.numEnd = p;
    t.rawBegin = b;
    t.rawEnd = p;
  } else if (startsNumber) {
    // A real as writers make them is converted where it stands, in one pass over its characters.
    // Whatever from_chars does not take whole (a sign '+', integers, words such as inf, numbers
    // out of range, damage) takes the ways below, which give the same answers.
    if (const char* realEnd = detail::ScanWrittenReal(b, end, t.real)) {
      t.kind = kRawReal;
      t.numBegin = b;
      t.numEnd = realEnd;
      t.hasReal = true;
      consumed = static_cast<size_t>(realEnd - s);
      return kScanOk;
    }
    // A plain decimal is read and classified in one pass; anything else takes the general way.
    bool isReal = false;
    const char* const plainEnd = ScanPlainDecimal(b, end, isReal);
    if (plainEnd && plainEnd != end) {
      t.kind = isReal ? kRawReal : kRawInt;
      t.numBegin = b;
      t.numEnd = plainEnd;
      consumed = static_cast<size_t>(plainEnd - s);
      return kScanOk;
    }
    while (p != end && detail::IsNumberChar(static_cast<unsigned char>(*p))) ++p;
    if (p == end && !m_srcEnd) return kScanNeedMore;
    switch (detail::ClassifyNumber(b, p)) {
      case detail::kIntNumber: t.kind = kRawInt; break;
      case detail::kRealNumber: t.kind = kRawReal; break;
      default:
        m_lexError = L"malformed number '" + Excerpt(b, p) + L"'";
        return kScanError;
    }
    t.numBegin = b;
    t.numEnd = p;
  } else if (c == '"') {
    bool escapes = false;
    const char* const close = FindClosingQuote(p + 1, end, escapes);
    if (!close) {
      if (!m_srcEnd) {
        m_openQuote = static_cast<size_t>(p - Data());
        m_linesBefore = lines;
        return kScanNeedMore;
      }
      m_lexError = L"text in quotes never closed";
      return kScanError;
    }
    lines += CountLineEnds(p + 1, close);
    t.kind = kRawString;
    if (!escapes && static_cast<size_t>(close - p) > detail::kLongText && detail::IsAsciiBytes(p + 1, close)) {
      t.asciiText = true;
      t.numBegin = p + 1;
      t.numEnd = close;
    } else if (escapes && !DecodeString(b + 1, close)) {
      return kScanError;
    } else {
      t.rawBegin = b + 1;
      t.rawEnd = close;
      t.lazyText = !escapes;
    }
    p = close + 1;
  } else if (c < 0x80) {
    ++p;
    t.kind = kRawPunct;
    t.punct = static_cast<wchar_t>(c);
  } else {
    if (end - p < 4 && !m_srcEnd) return kScanNeedMore;
    wchar_t w = 0;
    p += orvex::utf8::Decode(reinterpret_cast<const unsigned char*>(p), reinterpret_cast<const unsigned char*>(end), w);
    t.kind = kRawPunct;
    t.punct = w;
  }
  consumed = static_cast<size_t>(p - s);
  return kScanOk;
}

bool CAbstract_istream::DecodeString(const char* b, const char* e) {
  m_tokText.clear();
  const char* p = b;
  while (p != e) {
    const char* run = p;
    const void* bs = std::memchr(p, '\\', static_cast<size_t>(e - p));
    p = bs ? static_cast<const char*>(bs) : e;
    detail::AppendUtf8Decoded(m_tokText, run, p);
    if (p == e) break;
    // An escape; the scan made sure that a character follows the backslash.
    const char x = p + 1 != e ? p[1] : '\0';
    p += 2;
    switch (x) {
      case '\\': m_tokText.push_back(L'\\'); continue;
      case '"': m_tokText.push_back(L'"'); continue;
      case 'n': m_tokText.push_back(L'\n'); continue;
      case 'r': m_tokText.push_back(L'\r'); continue;
      case 't': m_tokText.push_back(L'\t'); continue;
      case 'u': break;
      default:
        m_lexError = L"unknown escape '\\" + Excerpt(p - 1, std::min(p, e)) + L"' in quoted text";
        return false;
    }
    // \u{H...}: one to eight hexadecimal digits.
    uint32_t cp = 0;
    size_t digits = 0;
    bool ok = p != e && *p == '{';
    if (ok) ++p;
    while (ok && p != e && *p != '}') {
      const char h = *p;
      const int v = h >= '0' && h <= '9' ? h - '0' : h >= 'A' && h <= 'F' ? h - 'A' + 10 : h >= 'a' && h <= 'f' ? h - 'a' + 10 : -1;
      if (v < 0 || digits == 8) ok = false;
      cp = (cp << 4) | static_cast<uint32_t>(v < 0 ? 0 : v);
      ++digits;
      ++p;
    }
    if (!ok || p == e || digits == 0) {
      m_lexError = L"malformed \\u{...} escape in quoted text";
      return false;
    }
    ++p;  // '}'
    m_tokText.push_back(static_cast<wchar_t>(cp));
  }
  return true;
}

bool CAbstract_istream::LexLongText(RawToken& t) {
  // The text is searched ahead in pieces, then read once more into a string of exactly its size:
  // a long text (a column's values) is neither held twice nor grown by copies. Anything but plain
  // ASCII without escapes goes back to the buffer's way.
  const char* const head = m_buf.data() + m_openQuote + 1;
  const size_t headSize = m_buf.size() - m_openQuote - 1;
  bool plain = detail::IsAsciiBytes(head, head + headSize) && !std::memchr(head, '\\', headSize);
  size_t ahead = 0;  // bytes read past the buffer
  size_t close = std::string::npos;
  BigString& piece = m_longText;
  while (plain && close == std::string::npos) {
    piece.resize(kChunk);
    const size_t got = std::min(ReadBytes(&piece[0], kChunk), kChunk);
    size_t quote = std::string::npos;
    plain = PlainUpToQuote(piece.data(), got, quote) && (got > 0 || quote != std::string::npos);
    if (quote != std::string::npos) close = ahead + quote;
    ahead += got;
  }
  if (!SeekBack(ahead)) {
    NoteIoError();
    m_lexError = L"the file could not be read to its end";
    t.kind = kRawError;
    return false;
  }
  if (!plain) {
    m_longRefused = true;
    return LexFromBytes(t);
  }
  m_line += m_linesBefore;
  t.line = m_line;
  t.kind = kRawString;
  t.rawBegin = t.rawEnd = nullptr;
  BigString text;
  text.reserve(headSize + close);
  PrepareBigFillOfCapacity(text);
  text.assign(head, headSize);
  text.resize(headSize + close);
  const size_t got = close ? ReadBytes(&text[headSize], close) : 0;
  // The closing quote: the buffer goes on after it.
  char quote = 0;
  if (got != close || ReadBytes(&quote, 1) != 1 || quote != '"') {
    NoteIoError();  // the file changed under the reader
    m_lexError = L"the file could not be read to its end";
    t.kind = kRawError;
    return false;
  }
  m_buf.clear();
  m_pos = 0;
  m_line += CountLineEnds(text.data(), text.data() + text.size());
  m_longText.swap(text);
  t.asciiText = true;
  t.numBegin = m_longText.data();
  t.numEnd = m_longText.data() + m_longText.size();
  return true;
}

BigString CAbstract_istream::TakeAsciiText(RawToken& t) {
  if (t.asciiText && t.numBegin == m_longText.data() && t.numEnd == m_longText.data() + m_longText.size()) {
    t.asciiText = false;
    return std::move(m_longText);
  }
  return BigString(t.numBegin, t.numEnd);
}

void CAbstract_istream::SkipByteOrderMark() {
  if (m_markChecked) return;
  m_markChecked = true;
  static const char kMark[] = "\xEF\xBB\xBF";
  while (Size() - m_pos < 3 && Grow()) {
  }
  if (Size() - m_pos >= 3 && std::memcmp(Data() + m_pos, kMark, 3) == 0) m_pos += 3;
}

bool CAbstract_istream::LexFromBytes(RawToken& t) {
  SkipByteOrderMark();
  for (;;) {
    size_t consumed = 0;
    int lines = 0;
    const ScanResult r = Scan(t, consumed, lines);
    if (r == kScanNeedMore) {
      if (m_openQuote != std::string::npos && Size() - m_openQuote >= detail::kLongText && !m_longRefused &&
          CanSeekBack())
        return LexLongText(t);
      Grow();
      continue;
    }
    m_longRefused = false;
    if (r == kScanError) {
      t.kind = kRawError;
      return false;
    }
    m_pos += consumed;
    m_line += lines;
    if (t.kind == kRawEnd && m_ioError) {
      m_lexError = L"the file could not be read to its end";
      t.kind = kRawError;
      return false;
    }
    return true;
  }
}

void CAbstract_istream::FromPutBack(const CToken& token, RawToken& t) {
  t.line = token.GetLine() > 0 ? token.GetLine() : m_line;
  t.asciiText = false;
  t.rawBegin = t.rawEnd = nullptr;
  t.lazyText = false;
  t.hasReal = false;
  switch (token.GetKind()) {
    case CToken::kWord:
    case CToken::kString:
      t.kind = token.GetKind() == CToken::kWord ? kRawWord : kRawString;
      m_tokText = token.Text();
      return;
    case CToken::kInt:
    case CToken::kReal:
      m_numScratch.clear();
      for (wchar_t c : token.Text()) m_numScratch.push_back(static_cast<unsigned long>(c) < 0x80 ? static_cast<char>(c) : '?');
      t.numBegin = m_numScratch.data();
      t.numEnd = m_numScratch.data() + m_numScratch.size();
      // A token made in memory may hold anything; the parser trusts only what the lexer would make.
      switch (detail::ClassifyNumber(t.numBegin, t.numEnd)) {
        case detail::kIntNumber: t.kind = kRawInt; return;
        case detail::kRealNumber: t.kind = kRawReal; return;
        default: t.kind = kRawWord; m_tokText = token.Text(); return;
      }
    case CToken::kPunct:
      t.kind = kRawPunct;
      t.punct = token.Text().empty() ? L'\0' : token.Text()[0];
      return;
    case CToken::kEnd:
      t.kind = kRawEnd;
      return;
  }
}

bool CAbstract_istream::Lex(RawToken& t) {
  if (m_putBack.empty()) return LexFromBytes(t);
  const CToken token = std::move(m_putBack.back());
  m_putBack.pop_back();
  FromPutBack(token, t);
  return true;
}

AString& CAbstract_istream::TokenText(RawToken& t) {
  if (t.lazyText) {
    m_tokText.clear();
    detail::AppendUtf8Decoded(m_tokText, t.rawBegin, t.rawEnd);
    t.lazyText = false;
    return m_tokText;
  }
  if (!t.asciiText) return m_tokText;
  if (t.kind == kRawWord) {
    // Widened in place: assign() from a byte range would build a temporary wide string first.
    m_tokText.resize(static_cast<size_t>(t.numEnd - t.numBegin));
    std::copy(t.numBegin, t.numEnd, m_tokText.begin());
  } else {
    m_tokText.clear();
    detail::AppendUtf8Decoded(m_tokText, t.numBegin, t.numEnd);
  }
  t.asciiText = false;
  return m_tokText;
}

CToken CAbstract_istream::MakeToken(RawToken& t) {
  switch (t.kind) {
    case kRawWord: return CToken(CToken::kWord, TokenText(t), t.line);
    case kRawString: return CToken(CToken::kString, TokenText(t), t.line);
    case kRawInt:
    case kRawReal:
      return CToken(t.kind == kRawInt ? CToken::kInt : CToken::kReal, AString(std::wstring(t.numBegin, t.numEnd)), t.line);
    case kRawPunct: return CToken(CToken::kPunct, AString(1, t.punct), t.line);
    default: return CToken(CToken::kEnd, AString(), t.line);
  }
}

AString EscapeControlChars(const AString& text) {
  AString out;
  out.reserve(text.size());
  for (wchar_t c : text) {
    if (c < 0x20 || c == 0x7f) {
      static const wchar_t kHex[] = L"0123456789abcdef";
      out += L"\\x";
      out.push_back(kHex[(c >> 4) & 0xf]);
      out.push_back(kHex[c & 0xf]);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

void CAbstract_istream::FailAt(int line, const AString& why) {
  m_fail = true;
  if (!m_errorText.empty()) return;
  m_errorLine = line;
  m_errorText = AString::Format(L"line %d: ", line) + EscapeControlChars(why);
}

void CAbstract_istream::SetFail(const AString& why) { FailAt(m_line, why); }

void CAbstract_istream::ClearFail() {
  m_fail = false;
  m_errorText.clear();
  m_errorLine = 0;
}

const CToken* CAbstract_istream::Peek() {
  if (m_fail) return nullptr;
  if (!m_putBack.empty()) return &m_putBack.back();
  RawToken t;
  if (!LexFromBytes(t)) {
    FailAt(t.line, m_lexError);
    return nullptr;
  }
  if (t.kind == kRawEnd) return &EndToken();
  m_putBack.push_back(MakeToken(t));
  return &m_putBack.back();
}

bool CAbstract_istream::IsNextToken(const wchar_t* word) {
  const CToken* t = Peek();
  return t && word && (t->GetKind() == CToken::kWord || t->GetKind() == CToken::kString) && t->Text() == word;
}

bool CAbstract_istream::IsNextChar(wchar_t c) {
  const CToken* t = Peek();
  return t && t->IsPunct(c);
}

bool CAbstract_istream::ReadToken(CToken& out) {
  if (m_fail) return false;
  if (!m_putBack.empty()) {
    out = std::move(m_putBack.back());
    m_putBack.pop_back();
  } else {
    RawToken t;
    if (!LexFromBytes(t)) {
      FailAt(t.line, m_lexError);
      m_lastUndoable = false;
      return false;
    }
    out = MakeToken(t);
  }
  m_last = out;
  m_lastUndoable = out.GetKind() != CToken::kEnd;
  return m_lastUndoable;
}

void CAbstract_istream::PutBack(const CToken& token) {
  m_lastUndoable = false;
  if (token.GetKind() != CToken::kEnd) m_putBack.push_back(token);
}

void CAbstract_istream::Recover() {
  if (!m_lastUndoable) return;
  m_putBack.push_back(m_last);
  m_lastUndoable = false;
}

CAbstract_istream& CAbstract_istream::operator>>(CStreamio_object& obj) {
  if (!m_fail) obj.Read(*this);
  return *this;
}

CAbstract_istream& CAbstract_istream::operator>>(CBlock_named_value& nv) {
  if (!m_fail) nv.Read(*this);
  return *this;
}

CAbstract_istream& CAbstract_istream::operator>>(CStreamio_manip& manip) {
  manip.read(*this);
  return *this;
}

CAbstract_istream& CAbstract_istream::operator>>(CStreamio_manip&& manip) {
  manip.read(*this);
  return *this;
}

CAbstract_istream& CAbstract_istream::operator>>(CBlockPtr& block) {
  if (!block) block = CBlockPtr(new CBlock);
  return *this >> *block;
}

CAbstract_istream& CAbstract_istream::operator>>(CAbstract_istream& (*manip)(CAbstract_istream&)) {
  return manip ? manip(*this) : *this;
}

void CAbstract_istream::SkipBlanks() {
  for (;;) {
    const char* const data = Data();
    const char* const end = data + Size();
    const char* p = data + m_pos;
    bool needMore = false;
    while (p != end) {
      const unsigned char c = static_cast<unsigned char>(*p);
      if (c == '\n') {
        ++m_line;
        ++p;
      } else if (c == ' ') {
        p = detail::SkipSpaces(p + 1, end);
      } else if (IsBlank(c)) {
        ++p;
      } else if (c == '#') {
        const void* nl = std::memchr(p, '\n', static_cast<size_t>(end - p));
        if (!nl && !m_srcEnd) {
          needMore = true;  // keep the comment's start: the rest of it is still to come
          break;
        }
        p = nl ? static_cast<const char*>(nl) : end;
      } else {
        break;
      }
    }
    m_pos = static_cast<size_t>(p - data);
    if ((p != end && !needMore) || m_srcEnd) return;
    Grow();
  }
}

bool CAbstract_istream::AtEndOfInput() {
  if (!m_putBack.empty()) return false;
  SkipBlanks();
  return !m_ioError && m_pos == Size() && m_srcEnd;
}

AString CAbstract_istream::NewLine() {
  const char* b = nullptr;
  const char* e = nullptr;
  if (!NextLineBytes(b, e)) return AString();
  AString line;
  line.reserve(static_cast<size_t>(e - b));
  detail::AppendUtf8Decoded(line, b, e);
  return line;
}

bool CAbstract_istream::NextLineBytes(const char*& begin, const char*& end) {
  if (m_ioError) throw ReadErrorException{kConversionFailed};
  if (AtEof()) {
    m_fail = true;
    return false;
  }
  size_t searched = 0;  // bytes after m_pos known to hold no line end
  const char* nl = nullptr;
  for (;;) {
    const char* from = Data() + m_pos + searched;
    nl = static_cast<const char*>(std::memchr(from, '\n', Size() - m_pos - searched));
    if (nl) break;
    searched = Size() - m_pos;
    if (!Grow()) break;
  }
  if (m_ioError) throw ReadErrorException{kConversionFailed};
  const char* b = Data() + m_pos;
  const char* e = nl ? nl : Data() + Size();
  const size_t next = nl ? static_cast<size_t>(nl - Data()) + 1 : Size();
  if (nl && e != b && e[-1] == '\r') --e;
  // The bytes stay where they are until the next read moves the buffer.
  m_pos = next;
  ++m_line;
  begin = b;
  end = e;
  return true;
}

bool CAbstract_istream::AtEof() const {
  while (m_pos == Size() && !m_srcEnd) Grow();
  return !m_ioError && m_pos == Size();
}

CAbstract_istream& ws(CAbstract_istream& in) {
  in.SkipBlanks();
  return in;
}

// ---------------------------------------------------------------------------------------------
// Output

CAbstract_ostream::CAbstract_ostream(size_t flushAt) : m_flushAt(flushAt) {}
CAbstract_ostream::~CAbstract_ostream() = default;

void CAbstract_ostream::FlushBytes(const char*, size_t) {}

void CAbstract_ostream::FlushNow() {
  if (m_out.empty()) return;
  FlushBytes(m_out.data(), m_out.size());
  m_out.clear();
}

void CAbstract_ostream::GrowAhead() {
  // Room reserved but not yet written takes no memory, while each move to a bigger buffer copies
  // what is held into pages never touched: by doubling, a 20 MB text is copied 31 MB in all, into
  // fresh pages, and its first write takes twice as long as to a file. Grown eightfold, 9 MB.
  // Past kGrowFarUpTo by doubling again, so that the room reserved stays within twice the text.
  const size_t factor = m_out.capacity() < kGrowFarUpTo ? 8 : 2;
  // Advised before the bytes move in: the copy is the first touch of the new buffer.
  std::string grown;
  grown.reserve(factor * m_out.capacity());
  AdviseBigFillOfCapacity(grown);
  grown.append(m_out);
  m_out.swap(grown);
}

void CAbstract_ostream::WriteThrough(const char* data, size_t n) {
  if (m_flushAt == SIZE_MAX) {
    m_out.append(data, n);
    return;
  }
  FlushNow();
  FlushBytes(data, n);
}

void CAbstract_ostream::StartItemLine() {
  if (m_lineStart) return;
  m_out.push_back('\n');
  m_lineStart = true;
}

void CAbstract_ostream::EndLine() {
  m_out.push_back('\n');
  m_lineStart = true;
  MaybeFlush();
}

CAbstract_ostream& CAbstract_ostream::operator<<(const CStreamio_manip& manip) {
  manip.write(*this);
  return *this;
}

CAbstract_ostream& CAbstract_ostream::operator<<(const CStreamio_object& obj) {
  obj.Write(*this);
  return *this;
}

CAbstract_ostream& CAbstract_ostream::operator<<(const CBlock_named_value& nv) {
  nv.Write(*this);
  return *this;
}

CAbstract_ostream& CAbstract_ostream::operator<<(const CBlockPtr& block) {
  ORVEX_ASSERT(block.get());
  if (block) *this << *block;
  return *this;
}

CAbstract_ostream& CAbstract_ostream::operator<<(const CToken& token) {
  if (!m_lineStart) m_out.push_back(' ');
  detail::AppendToken(m_out, token);
  m_lineStart = false;
  MaybeFlush();
  return *this;
}

void CAbstract_ostream::WriteValue(const CBlock_value& v) {
  if (!m_lineStart) m_out.push_back(' ');
  detail::AppendValue(m_out, v);
  m_lineStart = false;
  MaybeFlush();
}

void CAbstract_ostream::WriteNamedValue(const CBlock_named_value& nv) {
  StartItemLine();
  detail::AppendName(m_out, nv.GetKey());
  m_out += " = ";
  detail::AppendValue(m_out, nv.GetValue());
  EndLine();
}

// ---------------------------------------------------------------------------------------------
// In memory

CStringToken_istream::CStringToken_istream(const AString& text) { SetInput(text.ToUtf8()); }
CStringToken_istream::CStringToken_istream(const char* utf8, size_t n) { SetInputInPlace(utf8, n); }
CStringToken_istream::CStringToken_istream(std::string utf8) { SetInput(std::move(utf8)); }
CStringToken_istream::~CStringToken_istream() = default;

CStringToken_ostream::CStringToken_ostream() : CAbstract_ostream(SIZE_MAX) {}
CStringToken_ostream::~CStringToken_ostream() = default;

}  // namespace io
