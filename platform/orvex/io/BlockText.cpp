// Reading and writing block trees in their text form: the parser and the writer.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "orvex/io/BlockArena.h"
#include "orvex/io/BlockTextFormat.h"
#include "orvex/io/TokenStream.h"

namespace io {
namespace detail {

namespace {
// Deeper text is refused rather than risking the reader's stack.
constexpr int kMaxDepth = 200;
// Names and texts up to this many bytes are held once per read, up to this many different ones.
constexpr size_t kMaxSharedBytes = 64;
constexpr size_t kMaxSharedTexts = 4096;
}  // namespace

// Recursive descent over the raw tokens of a stream. Every error fails the stream with a
// message naming the line and what was expected.
class BlockTextReader {
public:
  explicit BlockTextReader(CAbstract_istream& in) : m_in(in), m_arena(BlockArena::Create()) {}
  ~BlockTextReader() {
    for (const SharedSlot& slot : m_shared)
      if (slot.prepaid) slot.text.GetRep()->refs.fetch_sub(slot.prepaid, std::memory_order_relaxed);
    BlockArena::Release(m_arena);
  }
  BlockTextReader(const BlockTextReader&) = delete;
  BlockTextReader& operator=(const BlockTextReader&) = delete;

  bool ReadTopBlock(CBlock& out) {
    if (!Next()) return false;
    if (m_t.kind == Raw::kRawEnd) return Error(m_t.line, L"no block found");
    if (!IsName()) return Error(m_t.line, L"a block name was expected, found " + Describe());
    CSharedText name = Shared();
    const int line = m_t.line;
    if (!Next()) return false;
    if (!IsPunct(L'{'))
      return Error(m_t.line, L"'{' was expected after block name '" + name.Get() + L"', found " + Describe());
    out = CBlock(name);
    return ReadBlockBody(out, 1, line);
  }

private:
  using Raw = CAbstract_istream;
  struct SharedSlot;

  bool Next() {
    if (m_in.m_putBack.empty() && LexCommon()) return true;
    if (m_in.Lex(m_t)) return true;
    m_in.FailAt(m_t.line, m_in.m_lexError);
    return false;
  }

  // The tokens that make up nearly all of a file (names, punctuation, integers, reals as writers
  // make them, short texts without escapes), read where they stand without the lexer's round
  // trip, after the spaces and line ends before them. Anything else, and anything that meets the
  // buffer's end, is left to the lexer, which makes the same tokens of the same bytes.
  bool LexCommon() {
    const char* const data = m_in.Data();
    const char* const end = data + m_in.Size();
    const char* p = data + m_in.m_pos;
    int lines = 0;
    while (p != end) {
      if (*p == ' ')
        p = detail::SkipSpaces(p + 1, end);
      else if (*p == '\n')
        ++lines, ++p;
      else
        break;
    }
    m_in.m_pos = static_cast<size_t>(p - data);
    m_in.m_line += lines;
    if (p == end) return false;
    const char* const b = p;
    const unsigned char c = static_cast<unsigned char>(*p);
    Raw::RawToken& t = m_t;
    t.asciiText = t.lazyText = t.hasReal = false;
    t.rawBegin = t.rawEnd = nullptr;
    if (detail::IsNameStart(c)) {
      p = detail::NameEnd(p + 1, end);
      if (p == end) return false;
      t.kind = Raw::kRawWord;
      t.asciiText = true;
      t.numBegin = t.rawBegin = b;
      t.numEnd = t.rawEnd = p;
    } else if (c == '"') {
      const size_t room = std::min(static_cast<size_t>(end - p - 1), detail::kLongText);
      const char* const close = static_cast<const char*>(std::memchr(p + 1, '"', room));
      if (!close || std::memchr(p + 1, '\\', static_cast<size_t>(close - p - 1)) ||
          std::memchr(p + 1, '\n', static_cast<size_t>(close - p - 1)))
        return false;
      t.kind = Raw::kRawString;
      t.rawBegin = p + 1;
      t.rawEnd = close;
      t.lazyText = true;
      p = close + 1;
    } else if (detail::IsDigit(c) || (c == '-' && end - p > 1 && detail::IsDigit(static_cast<unsigned char>(p[1])))) {
      const char* q = p + 1;
      while (q != end && detail::IsDigit(static_cast<unsigned char>(*q))) ++q;
      if (q == end) return false;
      if (!detail::IsNumberChar(static_cast<unsigned char>(*q))) {
        t.kind = Raw::kRawInt;
      } else if (*q == '.' && (q = detail::ScanWrittenReal(p, end, t.real))) {
        t.kind = Raw::kRawReal;
        t.hasReal = true;
      } else {
        return false;
      }
      t.numBegin = p;
      t.numEnd = p = q;
    } else if (c == '{' || c == '}' || c == '=' || c == '(' || c == ')' || c == ',' || c == '[' || c == ']') {
      t.kind = Raw::kRawPunct;
      t.punct = static_cast<wchar_t>(c);
      ++p;
    } else {
      return false;
    }
    t.line = m_in.m_line;
    m_in.m_pos = static_cast<size_t>(p - data);
    return true;
  }

  // The decoded text of the current word or string token.
  AString& Text() { return m_in.TokenText(m_t); }

  // The same, shared with every equal short one read before: a tree then holds each name once.
  CSharedText Shared() {
    if (!m_t.rawBegin || static_cast<size_t>(m_t.rawEnd - m_t.rawBegin) > kMaxSharedBytes) return CSharedText(Text());
    const char* const raw = m_t.rawBegin;
    const size_t n = static_cast<size_t>(m_t.rawEnd - m_t.rawBegin);
    const Key key = KeyOf(raw, n);
    if (m_shared.empty()) m_shared.resize(64);
    const size_t mask = m_shared.size() - 1;
    size_t at = key.hash & mask;
    for (; m_shared[at].bytes; at = (at + 1) & mask) {
      SharedSlot& slot = m_shared[at];
      if (slot.key.hash == key.hash && slot.key.head == key.head && slot.key.tail == key.tail && slot.length == n &&
          (n <= 16 || std::memcmp(slot.bytes, raw, n) == 0))
        return HandOut(slot);
    }
    CSharedText text(Text());
    if (m_sharedCount >= kMaxSharedTexts) return text;
    if (2 * (m_sharedCount + 1) > m_shared.size()) {
      Rehash(2 * m_shared.size());
      for (at = key.hash & (m_shared.size() - 1); m_shared[at].bytes; at = (at + 1) & (m_shared.size() - 1)) {}
    }
    // The bytes are kept in pieces that never move: the slots point at them.
    if (m_sharedBytes.empty() || m_sharedBytes.back().capacity() - m_sharedBytes.back().size() < n + 1) {
      m_sharedBytes.emplace_back();
      m_sharedBytes.back().reserve(std::max<size_t>(4096, n + 1));
    }
    std::string& piece = m_sharedBytes.back();
    const size_t offset = piece.size();
    piece.append(raw, n).push_back('\0');
    m_shared[at] = SharedSlot{key, piece.data() + offset, n, text, 0};
    ++m_sharedCount;
    return text;
  }

  // A reference on the slot's text. References are taken from the text's count in batches: until
  // the read returns, nothing else holds its texts, and one atomic step per name read costs.
  static CSharedText HandOut(SharedSlot& slot) {
    CSharedText::Rep* const rep = slot.text.GetRep();
    if (!rep) return CSharedText();
    if (slot.prepaid == 0) {
      constexpr long kBatch = 1024;
      rep->refs.fetch_add(kBatch, std::memory_order_relaxed);
      slot.prepaid = kBatch;
    }
    --slot.prepaid;
    return CSharedText::Adopt(rep);
  }

  // The first and last bytes of a text in two words, whole words overlapping where need be (a
  // copy of a part of a word would stall the load that follows it): with its length they are the
  // whole text up to 16 bytes, the length of nearly every name, so that no compare of bytes is
  // needed. And a hash of it all.
  struct Key {
    uint64_t hash, head, tail;
  };
  static Key KeyOf(const char* p, size_t n) {
    const char* const e = p + n;
    Key key{0x9E3779B97F4A7C15ull ^ n, 0, 0};
    if (n >= 8) {
      key.head = Load<uint64_t>(p);
      key.tail = Load<uint64_t>(e - 8);
    } else if (n >= 4) {
      key.head = Load<uint32_t>(p);
      key.tail = Load<uint32_t>(e - 4);
    } else if (n > 0) {
      key.head = (uint64_t(static_cast<unsigned char>(p[0])) << 16) | (uint64_t(static_cast<unsigned char>(p[n / 2])) << 8) |
                 static_cast<unsigned char>(e[-1]);
    }
    uint64_t h = key.hash;
    for (const char* q = p + 8; e - q > 8; q += 8) {
      h = (h ^ Load<uint64_t>(q)) * 0xFF51AFD7ED558CCDull;
      h ^= h >> 32;
    }
    h = (h ^ key.head) * 0xFF51AFD7ED558CCDull;
    h = (h ^ (h >> 32) ^ key.tail) * 0xC4CEB9FE1A85EC53ull;
    key.hash = h ^ (h >> 29);
    return key;
  }

  template <class T>
  static T Load(const char* p) {
    T w;
    std::memcpy(&w, p, sizeof w);
    return w;
  }

  void Rehash(size_t size) {
    std::vector<SharedSlot> old(size);
    old.swap(m_shared);
    const size_t mask = size - 1;
    for (SharedSlot& slot : old) {
      if (!slot.bytes) continue;
      size_t at = slot.key.hash & mask;
      while (m_shared[at].bytes) at = (at + 1) & mask;
      m_shared[at] = std::move(slot);
    }
  }

  bool IsName() const { return m_t.kind == Raw::kRawWord || m_t.kind == Raw::kRawString; }
  bool IsPunct(wchar_t c) const { return m_t.kind == Raw::kRawPunct && m_t.punct == c; }

  bool Error(int line, const AString& why) {
    m_in.FailAt(line, why);
    return false;
  }

  AString Describe() {
    switch (m_t.kind) {
      case Raw::kRawWord: return L"'" + Text() + L"'";
      case Raw::kRawString: {
        const AString& all = Text();
        AString text = all.size() > 40 ? AString(all.substr(0, 40) + L"...") : all;
        return L"the text \"" + text + L"\"";
      }
      case Raw::kRawInt:
      case Raw::kRawReal: return L"the number " + NumberText();
      case Raw::kRawPunct: return L"'" + AString(1, m_t.punct) + L"'";
      default: return L"the end of the text";
    }
  }

  // ParseLong, without its general way for the short integers that most are.
  static bool ParseInt(const char* b, const char* e, long& out) {
    const bool negative = b != e && *b == '-';
    const char* p = b != e && (*b == '-' || *b == '+') ? b + 1 : b;
    if (p == e || e - p > 18) return ParseLong(b, e, out);
    long v = 0;
    for (; p != e; ++p) {
      const unsigned digit = static_cast<unsigned char>(*p) - unsigned('0');
      if (digit > 9) return ParseLong(b, e, out);
      v = v * 10 + static_cast<long>(digit);
    }
    out = negative ? -v : v;
    return true;
  }

  AString NumberText() const { return AString(std::wstring(m_t.numBegin, m_t.numEnd)); }

  // The value of the current token.
  bool ReadValue(CBlock_value& out) {
    switch (m_t.kind) {
      case Raw::kRawInt: {
        long v = 0;
        if (!ParseInt(m_t.numBegin, m_t.numEnd, v)) return Error(m_t.line, L"integer out of range: " + NumberText());
        out = CBlock_value(v);
        return true;
      }
      case Raw::kRawReal: {
        double d = m_t.real;
        if (!m_t.hasReal && !ParseCheckedReal(m_t.numBegin, m_t.numEnd, d)) return Error(m_t.line, L"number out of range: " + NumberText());
        out = CBlock_value(d);
        return true;
      }
      case Raw::kRawString:
        // A long text (a column's values) goes into its value as the bytes it was in the file.
        if (m_t.asciiText)
          out = CBlock_value::FromAscii(m_in.TakeAsciiText(m_t));
        else
          out = CBlock_value(Shared());
        return true;
      case Raw::kRawWord:
        if (ValueFromWord(Text(), out)) return true;
        return Error(m_t.line, L"a value was expected, found " + Describe());
      default:
        return Error(m_t.line, L"a value was expected, found " + Describe());
    }
  }

  // The items gather on m_items and move into the block once it is closed: each block's items
  // are then one allocation of their exact size.
  bool ReadBlockBody(CBlock& block, int depth, int openLine) {
    const size_t base = m_items.size();
    const bool ok = ReadBlockItems(block, depth, openLine);
    if (ok) block.AdoptItems(m_items.data() + base, m_items.data() + m_items.size(), m_arena);
    m_items.resize(base);
    return ok;
  }

  bool ReadBlockItems(const CBlock& block, int depth, int openLine) {
    if (depth > kMaxDepth) return Error(openLine, L"blocks and functions nested too deep");
    for (;;) {
      if (!Next()) return false;
      if (IsPunct(L'}')) return true;
      if (m_t.kind == Raw::kRawEnd)
        return Error(m_t.line, AString::Format(L"block '%s' opened on line %d is not closed", block.GetName(), openLine));
      if (!IsName()) return Error(m_t.line, L"an item name or '}' was expected, found " + Describe());
      CSharedText name = Shared();
      const int nameLine = m_t.line;
      if (!Next()) return false;
      if (IsPunct(L'{')) {
        CBlock sub(std::move(name));
        if (!ReadBlockBody(sub, depth + 1, nameLine)) return false;
        m_items.emplace_back(std::in_place_index<CBlock::kBlock>, std::move(sub));
      } else if (IsPunct(L'(')) {
        CBlock::FuncHolder f(std::move(name), *m_arena);
        if (!ReadFuncArgs(*f.get(), depth + 1, nameLine)) return false;
        m_items.emplace_back(std::in_place_index<CBlock::kFunc>, std::move(f));
      } else if (IsPunct(L'=')) {
        if (!Next()) return false;
        if (IsPunct(L'[')) {
          auto v = std::make_unique<CBlock_vec>(name);
          if (!ReadVecItems(*v, nameLine)) return false;
          m_items.emplace_back(std::move(v));
        } else {
          CBlock_value value;
          if (!ReadValue(value)) return false;
          m_items.emplace_back(std::in_place_index<CBlock::kNamedValue>, std::move(name), std::move(value));
        }
      } else {
        return Error(m_t.line, L"'{', '(' or '=' was expected after '" + name.Get() + L"', found " + Describe());
      }
    }
  }

  // After "Name(": the arguments up to the closing ")". Plain values gather in m_pending and
  // m_reals first, so that an argument list is stored in one allocation of its exact size.
  bool ReadFuncArgs(CBlock_func& f, int depth, int openLine) {
    if (depth > kMaxDepth) return Error(openLine, L"blocks and functions nested too deep");
    const Pending base = PendingMark();
    const bool ok = ReadFuncArgList(f, depth, openLine, base);
    FlushPending(f, base);
    return ok;
  }

  // Where a function's pending arguments start in m_pending, m_reals and m_realRuns.
  struct Pending {
    size_t values, reals, runs;
  };
  Pending PendingMark() const { return Pending{m_pending.size(), m_reals.size(), m_realRuns.size()}; }

  void FlushPending(CBlock_func& f, const Pending& base) {
    const size_t n = (m_pending.size() - base.values) + (m_reals.size() - base.reals);
    if (n == 0) return;
    // Room of exactly their size when they are all the arguments, as nearly always.
    if (f.GetNumArgs() == 0) f.reserve(n);
    CBlock_value* const values = m_pending.data();
    const double* const reals = m_reals.data();
    size_t v = base.values;
    size_t r = base.reals;
    for (size_t i = base.runs; i < m_realRuns.size(); ++i) {
      const RealRun& run = m_realRuns[i];
      f.AppendValues(values + v, values + run.after);
      f.AppendReals(reals + r, reals + run.end);
      v = run.after;
      r = run.end;
    }
    f.AppendValues(values + v, values + m_pending.size());
    m_pending.resize(base.values);
    m_reals.resize(base.reals);
    m_realRuns.resize(base.runs);
  }

  bool ReadFuncArgList(CBlock_func& f, int depth, int openLine, const Pending& base) {
    if (!Next()) return false;
    if (IsPunct(L')')) return true;
    for (;;) {
      if (IsName()) {
        const bool quoted = m_t.kind == Raw::kRawString;
        CSharedText name = Shared();
        const int nameLine = m_t.line;
        if (!Next()) return false;
        if (IsPunct(L'=')) {
          CBlock_value value;
          if (!Next() || !ReadValue(value)) return false;
          FlushPending(f, base);
          f << CBlock_named_value(std::move(name), std::move(value));
          if (!Next()) return false;
        } else if (IsPunct(L'(')) {
          CBlock_func sub(std::move(name), m_arena);
          if (!ReadFuncArgs(sub, depth + 1, nameLine)) return false;
          FlushPending(f, base);
          f << std::move(sub);
          if (!Next()) return false;
        } else if (quoted) {
          m_pending.emplace_back(std::move(name));
        } else {
          CBlock_value value;
          if (!ValueFromWord(name.Get(), value))
            return Error(nameLine, L"a value was expected, found '" + name.Get() + L"'");
          m_pending.push_back(std::move(value));
        }
      } else {
        if (m_t.kind == Raw::kRawEnd) return FuncNotClosed(f, openLine);
        m_pending.emplace_back();
        if (!ReadValue(m_pending.back())) return false;
        MoreReals();
        if (!Next()) return false;
      }
      if (IsPunct(L')')) return true;
      if (m_t.kind == Raw::kRawEnd) return FuncNotClosed(f, openLine);
      if (!IsPunct(L','))
        return Error(m_t.line, L"',' or ')' was expected in function '" + f.GetName() + L"', found " + Describe());
      if (!Next()) return false;
    }
  }

  // After a plain argument: the reals that follow as ", <real>" (a column's values) go from the
  // buffer straight to the pending reals, without a token each. Anything else, the buffer's end
  // included, is left to the tokens.
  void MoreReals() {
    if (!m_in.m_putBack.empty()) return;
    const char* const data = m_in.Data();
    const char* const end = data + m_in.Size();
    const char* p = data + m_in.m_pos;
    const size_t before = m_reals.size();
    double d = 0;
    while (end - p > 2 && p[0] == ',' && p[1] == ' ') {
      const char* const next = ScanWrittenReal(p + 2, end, d);
      if (!next) break;
      m_reals.push_back(d);
      p = next;
    }
    m_in.m_pos = static_cast<size_t>(p - data);
    if (m_reals.size() != before) m_realRuns.push_back(RealRun{m_pending.size(), m_reals.size()});
  }

  bool FuncNotClosed(const CBlock_func& f, int openLine) {
    return Error(m_t.line, AString::Format(L"function '%s' opened on line %d is not closed", f.GetName(), openLine));
  }

  // After "Name = [": the elements up to the closing "]".
  bool ReadVecItems(CBlock_vec& v, int openLine) {
    if (!Next()) return false;
    if (IsPunct(L']')) return true;
    for (;;) {
      if (m_t.kind == Raw::kRawEnd)
        return Error(m_t.line, AString::Format(L"list '%s' opened on line %d is not closed", v.GetName(), openLine));
      if (m_t.kind == Raw::kRawString) {
        v << CToken(CToken::kString, std::move(Text()), m_t.line);
      } else {
        CBlock_value value;
        if (!ReadValue(value)) return false;
        v << CToken::FromValue(value);
      }
      if (!Next()) return false;
      if (IsPunct(L']')) return true;
      if (!IsPunct(L','))
        return Error(m_t.line, L"',' or ']' was expected in list '" + v.GetName() + L"', found " + Describe());
      if (!Next()) return false;
    }
  }

  CAbstract_istream& m_in;
  BlockArena* m_arena;  // one reference; the tree read holds its own
  CAbstract_istream::RawToken m_t;
  std::vector<CBlock_value> m_pending;  // plain arguments not yet moved into their function
  // Reals that MoreReals read, as they are cheaper to gather than values. Each run of them comes
  // after the pending values before `after` and ends at `end` in m_reals.
  struct RealRun {
    size_t after, end;
  };
  std::vector<double> m_reals;
  std::vector<RealRun> m_realRuns;
  std::vector<CBlock::Item> m_items;    // items not yet moved into their block
  // The texts held once: open addressing over a power of two slots, at most half of them used.
  struct SharedSlot {
    Key key{};
    const char* bytes = nullptr;  // in m_sharedBytes; null for an empty slot
    size_t length = 0;
    CSharedText text;
    long prepaid = 0;  // references on `text` taken and not yet handed out
  };
  std::vector<SharedSlot> m_shared;
  size_t m_sharedCount = 0;
  std::vector<std::string> m_sharedBytes;  // each reserved once, so that its bytes stay put
};

// Appends the text of block-tree items to a stream's buffer, flushing as it goes.
class BlockTextWriter {
public:
  explicit BlockTextWriter(CAbstract_ostream& out) : m_stream(out), m_out(out.m_out) {}

  void Block(const CBlock& b, int depth) {
    Indent(depth);
    AppendName(m_out, b.GetName());
    m_out += " {\n";
    for (size_t i = 0, n = b.GetNumItems(); i < n; ++i) {
      if (const CBlock* sub = b.GetBlock(i)) {
        Block(*sub, depth + 1);
        continue;
      }
      Indent(depth + 1);
      if (const CBlock_named_value* nv = b.GetNamedValue(i)) {
        NamedValue(*nv);
      } else if (const CBlock_func* f = b.GetFunc(i)) {
        Func(*f);
      } else if (const CBlock_vec* v = b.GetVec(i)) {
        Vec(*v);
      }
      m_out.push_back('\n');
      m_stream.MaybeFlush();
    }
    Indent(depth);
    m_out += "}\n";
    m_stream.MaybeFlush();
  }

private:
  void Indent(int depth) { m_out.append(static_cast<size_t>(depth) * 2, ' '); }

  void NamedValue(const CBlock_named_value& nv) {
    AppendName(m_out, nv.GetKey());
    m_out += " = ";
    const CBlock_value& v = nv.GetValue();
    if (const BigString* ascii = v.GetAscii(); ascii && ascii->size() >= kDirectText)
      LongAscii(*ascii, v.IsPlainAscii());
    else if (v.GetKind() == CBlock_value::kString)
      AppendQuotedInPieces(m_out, v, [this] { m_stream.MaybeFlush(); });
    else
      AppendValue(m_out, v);
  }

  // A long text (a column's values) goes to the stream's target piece by piece where it stands,
  // not through the buffer, wherever no character needs an escape (all at once when `plain`).
  static constexpr size_t kDirectText = size_t(1) << 16;
  void LongAscii(const BigString& text, bool plain) {
    m_out.push_back('"');
    const char* const b = text.data();
    if (plain) {
      // Whole, in one write: each write asked of the system has a cost of its own.
      m_stream.WriteThrough(b, text.size());
      m_out.push_back('"');
      return;
    }
    for (size_t at = 0, n = text.size(); at < n; at += kDirectText) {
      const char* const pb = b + at;
      const char* const pe = b + std::min(n, at + kDirectText);
      if (IsPlainQuotedBody(pb, pe))
        m_stream.WriteThrough(pb, static_cast<size_t>(pe - pb));
      else
        AppendQuotedBody(m_out, pb, pe);
      m_stream.MaybeFlush();
    }
    m_out.push_back('"');
  }

  void Func(const CBlock_func& f) {
    AppendName(m_out, f.GetName());
    m_out.push_back('(');
    for (size_t i = 0, n = f.GetNumArgs(); i < n;) {
      if (f.GetArgKind(i) == CBlock_func::kUnnamedValue) {
        i = PlainArgs(f, i, n);
        continue;
      }
      if (i) m_out += ", ";
      if (const CBlock_named_value* nv = f.GetNamedValue(i)) {
        NamedValue(*nv);
      } else if (const CBlock_func* sub = f.GetFunc(i)) {
        Func(*sub);
      }
      m_stream.MaybeFlush();
      ++i;
    }
    m_out.push_back(')');
  }

  // Unnamed numbers from argument i on (a column's values): written straight into a piece of
  // text of their own, which joins the buffer whole. Answers the first argument not written.
  size_t PlainArgs(const CBlock_func& f, size_t i, size_t n) {
    char* const piece = m_piece;
    char* p = piece;
    size_t count = 0;
    const CBlock_value* const run = f.GetUnnamedRun(i, count);
    for (const size_t first = i; i < first + count; ++i) {
      const CBlock_value* v = run + (i - first);
      if (v->GetKind() == CBlock_value::kString) break;
      if (static_cast<size_t>(piece + kPiece - p) < kMaxRealChars + 2) {
        m_out.append(piece, static_cast<size_t>(p - piece));
        m_stream.MaybeFlush();
        p = piece;
      }
      if (i) {
        *p++ = ',';
        *p++ = ' ';
      }
      switch (v->GetKind()) {
        case CBlock_value::kReal: p = WriteReal(p, v->GetReal()); break;
        case CBlock_value::kInt: p = std::to_chars(p, p + kMaxRealChars, v->GetInt()).ptr; break;
        default: {
          const char* const word = v->GetBool() ? "true" : "false";
          const size_t len = std::strlen(word);
          std::memcpy(p, word, len);
          p += len;
        }
      }
    }
    m_out.append(piece, static_cast<size_t>(p - piece));
    if (i < n && f.GetArgKind(i) == CBlock_func::kUnnamedValue) {
      // A text: quoted as it may be long.
      if (i) m_out += ", ";
      AppendValue(m_out, *f.GetUnnamedValue(i));
      ++i;
    }
    m_stream.MaybeFlush();
    return i;
  }

  void Vec(const CBlock_vec& v) {
    AppendName(m_out, v.GetName());
    m_out += " = [";
    for (size_t i = 0, n = v.GetCount(); i < n; ++i) {
      if (i) m_out += ", ";
      AppendToken(m_out, v.GetItem(i));
      m_stream.MaybeFlush();
    }
    m_out.push_back(']');
  }

  static constexpr size_t kPiece = size_t(1) << 14;
  CAbstract_ostream& m_stream;
  std::string& m_out;
  char m_piece[kPiece];
};

}  // namespace detail

CAbstract_istream& CAbstract_istream::operator>>(CBlock& block) {
  if (m_fail) return *this;
  CBlock read;
  SkipByteOrderMark();
  detail::BlockTextReader reader(*this);
  m_lastUndoable = false;
  if (reader.ReadTopBlock(read))
    block = std::move(read);
  else
    block.Clear();
  return *this;
}

CAbstract_ostream& CAbstract_ostream::operator<<(const CBlock& block) {
  StartItemLine();
  detail::BlockTextWriter(*this).Block(block, 0);
  m_lineStart = true;
  MaybeFlush();
  return *this;
}

}  // namespace io
