// Reading and writing block trees in their text form: the parser and the writer.
#include <string>
#include <vector>

#include "orvex/io/BlockTextFormat.h"
#include "orvex/io/TokenStream.h"

namespace io {
namespace detail {

namespace {
// Deeper text is refused rather than risking the reader's stack.
constexpr int kMaxDepth = 200;
}  // namespace

// Recursive descent over the raw tokens of a stream. Every error fails the stream with a
// message naming the line and what was expected.
class BlockTextReader {
public:
  explicit BlockTextReader(CAbstract_istream& in) : m_in(in) {}

  bool ReadTopBlock(CBlock& out) {
    if (!Next()) return false;
    if (m_t.kind == Raw::kRawEnd) return Error(m_t.line, L"no block found");
    if (!IsName()) return Error(m_t.line, L"a block name was expected, found " + Describe());
    AString name = std::move(Text());
    const int line = m_t.line;
    if (!Next()) return false;
    if (!IsPunct(L'{')) return Error(m_t.line, L"'{' was expected after block name '" + name + L"', found " + Describe());
    out = CBlock(name);
    return ReadBlockBody(out, 1, line);
  }

private:
  using Raw = CAbstract_istream;

  bool Next() {
    if (m_in.Lex(m_t)) return true;
    m_in.FailAt(m_t.line, m_in.m_lexError);
    return false;
  }

  // The decoded text of the current word or string token.
  AString& Text() { return m_in.TokenText(m_t); }

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

  AString NumberText() const { return AString(std::wstring(m_t.numBegin, m_t.numEnd)); }

  // The value of the current token.
  bool ReadValue(CBlock_value& out) {
    switch (m_t.kind) {
      case Raw::kRawInt: {
        long v = 0;
        if (!ParseLong(m_t.numBegin, m_t.numEnd, v)) return Error(m_t.line, L"integer out of range: " + NumberText());
        out = CBlock_value(v);
        return true;
      }
      case Raw::kRawReal: {
        double d = 0;
        if (!ParseCheckedReal(m_t.numBegin, m_t.numEnd, d)) return Error(m_t.line, L"number out of range: " + NumberText());
        out = CBlock_value(d);
        return true;
      }
      case Raw::kRawString:
        // A long text (a column's values) goes into its value as the bytes it was in the file.
        if (m_t.asciiText)
          out = CBlock_value::FromAscii(m_in.TakeAsciiText(m_t));
        else
          out = CBlock_value(std::move(m_in.m_tokText));
        return true;
      case Raw::kRawWord:
        if (ValueFromWord(Text(), out)) return true;
        return Error(m_t.line, L"a value was expected, found " + Describe());
      default:
        return Error(m_t.line, L"a value was expected, found " + Describe());
    }
  }

  bool ReadBlockBody(CBlock& block, int depth, int openLine) {
    if (depth > kMaxDepth) return Error(openLine, L"blocks and functions nested too deep");
    for (;;) {
      if (!Next()) return false;
      if (IsPunct(L'}')) return true;
      if (m_t.kind == Raw::kRawEnd)
        return Error(m_t.line, AString::Format(L"block '%s' opened on line %d is not closed", block.GetName(), openLine));
      if (!IsName()) return Error(m_t.line, L"an item name or '}' was expected, found " + Describe());
      AString name = std::move(Text());
      const int nameLine = m_t.line;
      if (!Next()) return false;
      if (IsPunct(L'{')) {
        CBlock sub(name);
        if (!ReadBlockBody(sub, depth + 1, nameLine)) return false;
        block << std::move(sub);
      } else if (IsPunct(L'(')) {
        CBlock_func f(name);
        if (!ReadFuncArgs(f, depth + 1, nameLine)) return false;
        block << std::move(f);
      } else if (IsPunct(L'=')) {
        if (!Next()) return false;
        if (IsPunct(L'[')) {
          CBlock_vec v(name);
          if (!ReadVecItems(v, nameLine)) return false;
          block << std::move(v);
        } else {
          CBlock_value value;
          if (!ReadValue(value)) return false;
          block << CBlock_named_value(name, std::move(value));
        }
      } else {
        return Error(m_t.line, L"'{', '(' or '=' was expected after '" + name + L"', found " + Describe());
      }
    }
  }

  // After "Name(": the arguments up to the closing ")". Plain values gather in m_pending first, so
  // that a long argument list is stored with one allocation instead of many regrowths.
  bool ReadFuncArgs(CBlock_func& f, int depth, int openLine) {
    if (depth > kMaxDepth) return Error(openLine, L"blocks and functions nested too deep");
    const size_t base = m_pending.size();
    const bool ok = ReadFuncArgList(f, depth, openLine, base);
    FlushPending(f, base);
    return ok;
  }

  void FlushPending(CBlock_func& f, size_t base) {
    if (m_pending.size() == base) return;
    f.reserve(f.GetNumArgs() + (m_pending.size() - base));
    for (size_t i = base; i < m_pending.size(); ++i) f << std::move(m_pending[i]);
    m_pending.resize(base);
  }

  bool ReadFuncArgList(CBlock_func& f, int depth, int openLine, size_t base) {
    if (!Next()) return false;
    if (IsPunct(L')')) return true;
    for (;;) {
      if (IsName()) {
        const bool quoted = m_t.kind == Raw::kRawString;
        AString name = std::move(Text());
        const int nameLine = m_t.line;
        if (!Next()) return false;
        if (IsPunct(L'=')) {
          CBlock_value value;
          if (!Next() || !ReadValue(value)) return false;
          FlushPending(f, base);
          f << CBlock_named_value(name, std::move(value));
          if (!Next()) return false;
        } else if (IsPunct(L'(')) {
          CBlock_func sub(name);
          if (!ReadFuncArgs(sub, depth + 1, nameLine)) return false;
          FlushPending(f, base);
          f << std::move(sub);
          if (!Next()) return false;
        } else if (quoted) {
          m_pending.emplace_back(std::move(name));
        } else {
          CBlock_value value;
          if (!ValueFromWord(name, value)) return Error(nameLine, L"a value was expected, found '" + name + L"'");
          m_pending.push_back(std::move(value));
        }
      } else {
        if (m_t.kind == Raw::kRawEnd) return FuncNotClosed(f, openLine);
        m_pending.emplace_back();
        if (!ReadValue(m_pending.back())) return false;
        if (!Next()) return false;
      }
      if (IsPunct(L')')) return true;
      if (m_t.kind == Raw::kRawEnd) return FuncNotClosed(f, openLine);
      if (!IsPunct(L','))
        return Error(m_t.line, L"',' or ')' was expected in function '" + f.GetName() + L"', found " + Describe());
      if (!Next()) return false;
    }
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
  CAbstract_istream::RawToken m_t;
  std::vector<CBlock_value> m_pending;  // plain arguments not yet moved into their function
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
    if (v.GetKind() == CBlock_value::kString)
      AppendQuotedInPieces(m_out, v, [this] { m_stream.MaybeFlush(); });
    else
      AppendValue(m_out, v);
  }

  void Func(const CBlock_func& f) {
    AppendName(m_out, f.GetName());
    m_out.push_back('(');
    for (size_t i = 0, n = f.GetNumArgs(); i < n; ++i) {
      if (i) m_out += ", ";
      if (const CBlock_value* v = f.GetUnnamedValue(i)) {
        AppendValue(m_out, *v);
      } else if (const CBlock_named_value* nv = f.GetNamedValue(i)) {
        NamedValue(*nv);
      } else if (const CBlock_func* sub = f.GetFunc(i)) {
        Func(*sub);
      }
      m_stream.MaybeFlush();
    }
    m_out.push_back(')');
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

  CAbstract_ostream& m_stream;
  std::string& m_out;
};

}  // namespace detail

CAbstract_istream& CAbstract_istream::operator>>(CBlock& block) {
  if (m_fail) return *this;
  CBlock read;
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
