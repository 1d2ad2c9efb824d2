#include "orvex/values/ExpressionCompiler.h"

#include <algorithm>
#include <cmath>
#include <cwctype>
#include <limits>
#include <string>

#include "orvex/io/BlockTextFormat.h"
#include "orvex/values/ConstantValues.h"
#include "orvex/values/Dataset.h"
#include "orvex/values/ExpressionNodes.h"
#include "orvex/values/Function.h"
#include "orvex/values/IValueParser.h"
#include "orvex/values/Value.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableNameSpace.h"

namespace exprscan {

bool Scanner::IsIdentStart(wchar_t c) {
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'_' || (c >= 0x80 && std::iswalpha(c));
}

bool Scanner::IsIdentChar(wchar_t c) { return IsIdentStart(c) || (c >= L'0' && c <= L'9') || c == L'.'; }

void Scanner::SkipSpace() {
  while (m_pos < m_text.size() && std::iswspace(m_text[m_pos])) ++m_pos;
}

namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

}  // namespace

Token Scanner::ScanNumber(bool splitBadSuffix) {
  Token t;
  t.kind = TokenKind::kNumber;
  t.begin = m_pos;
  size_t p = m_pos;
  const size_t n = m_text.size();
  while (p < n && IsDigit(m_text[p])) ++p;
  if (p < n && m_text[p] == L'.') {
    ++p;
    while (p < n && IsDigit(m_text[p])) ++p;
  }
  if (p < n && (m_text[p] == L'e' || m_text[p] == L'E')) {
    size_t q = p + 1;
    if (q < n && (m_text[q] == L'+' || m_text[q] == L'-')) ++q;
    if (q < n && IsDigit(m_text[q])) {
      p = q;
      while (p < n && IsDigit(m_text[p])) ++p;
    }
  }
  std::string narrow;
  for (size_t i = m_pos; i < p; ++i) narrow.push_back(static_cast<char>(m_text[i]));
  // Overflow (1e400) and underflow (2e-324) are refused as the block text refuses them, so that
  // a number is valid in both places or in neither.
  const bool inRange = io::detail::ParseCheckedReal(narrow.data(), narrow.data() + narrow.size(), t.number);
  size_t s = p;
  while (s < n && IsAsciiLetter(m_text[s])) ++s;
  AString suffix = m_text.substr(p, s - p);
  if (!inRange) {
    t.kind = TokenKind::kError;
  } else if (suffix == L"i" || suffix == L"j") {
    t.imaginary = true;
    p = s;
  } else if (!suffix.empty()) {
    if (const UnitDefinition* u = Units::GetUnitDef(suffix, Units::kNoUnitType)) {
      t.unit = u->GetFullUnitType();
      p = s;
    } else if (!splitBadSuffix) {
      t.kind = TokenKind::kError;
    }
  }
  t.end = m_pos = p;
  return t;
}

Token Scanner::Next(bool splitBadSuffix) {
  SkipSpace();
  Token t;
  t.begin = t.end = m_pos;
  if (m_pos >= m_text.size()) return t;
  wchar_t c = m_text[m_pos];
  if (IsDigit(c) || (c == L'.' && m_pos + 1 < m_text.size() && IsDigit(m_text[m_pos + 1])))
    return ScanNumber(splitBadSuffix);
  if (IsIdentStart(c)) {
    size_t p = m_pos + 1;
    while (p < m_text.size() && IsIdentChar(m_text[p])) ++p;
    t.kind = TokenKind::kIdentifier;
    t.end = m_pos = p;
    return t;
  }
  if (c == L'+' || c == L'-' || c == L'*' || c == L'/' || c == L'^' || c == L'(' || c == L')' || c == L',') {
    t.kind = TokenKind::kOperator;
    t.op = c;
    t.end = ++m_pos;
    return t;
  }
  t.kind = TokenKind::kError;
  t.end = ++m_pos;
  return t;
}

bool IsNumberKeyword(const AString& word, double& value, bool& imaginary) {
  AString w = word.FoldedCase();
  imaginary = false;
  if (w.size() == 4 && (w.back() == L'i' || w.back() == L'j')) {
    imaginary = true;
    w.pop_back();
  }
  if (w == L"nan") {
    value = std::numeric_limits<double>::quiet_NaN();
    return true;
  }
  if (w == L"inf") {
    value = std::numeric_limits<double>::infinity();
    return true;
  }
  return false;
}

}  // namespace exprscan

using exprscan::Token;
using exprscan::TokenKind;

namespace {

// Holds every node and literal built during one parse; releasing them at the end deletes those
// that no tree adopted.
class BuildHolder : public IReceiver {
public:
  ~BuildHolder() override {
    for (ValueBase* vb : m_held) vb->Release(this);
  }
  void ReceiveMsg(Msg&) override {}
  ValueBase* Hold(ValueBase* vb) {
    vb->AddRef(this);
    m_held.push_back(vb);
    return vb;
  }

private:
  std::vector<ValueBase*> m_held;
};

enum class Lit { kNone, kReal, kImag, kComplex };

// One parsed operand: a built value base, or a literal not built yet so that signs and
// complex parts can still fold into it.
struct Item {
  ValueBase* vb = nullptr;
  val::ParameterType type = val::kNoParam;
  Lit lit = Lit::kNone;
  AComplex<double> num;                 // literal: the number in `units`
  Units::FullUnitType units = Units::kNoUnit;  // literal: its suffix; built: its natural units
  bool suffix = false;                  // literal written with a unit
  AString token;                        // literal as written, blanks removed
  int depth = 1;                        // height of the tree below it
};

// Trees are walked recursively when evaluated, written and freed, and parsed recursively: a text
// from a file must not nest deep enough to exhaust the stack. A chain of one precedence is one node,
// so only nesting (parentheses, calls, signs, powers) counts.
const int kMaxDepth = 400;

val::ParameterType ArithmeticResult(val::ParameterType a, val::ParameterType b) {
  auto ok = [](val::ParameterType t) {
    return t == val::kDoubleParam || t == val::kComplexParam || val::IsDigitalType(t) ||
           t == val::kDoubleMatrixParam || t == val::kComplexMatrixParam;
  };
  if (!ok(a) || !ok(b)) return val::kNoParam;
  bool matrix = a == val::kDoubleMatrixParam || a == val::kComplexMatrixParam || b == val::kDoubleMatrixParam ||
                b == val::kComplexMatrixParam;
  bool complex = a == val::kComplexParam || a == val::kComplexMatrixParam || b == val::kComplexParam ||
                 b == val::kComplexMatrixParam;
  if (matrix) return complex ? val::kComplexMatrixParam : val::kDoubleMatrixParam;
  return complex ? val::kComplexParam : val::kDoubleParam;
}

class Compiler {
public:
  Compiler(const AString& text, const std::vector<IValueParser*>* listed)
      : m_text(text), m_scan(text), m_listed(listed) {}

  // The root stays held by this compiler until it is destroyed.
  bool Run(Units::FullUnitType units, ValueBase*& root, val::ParameterType& type);

private:
  Token Peek() {
    size_t save = m_scan.Position();
    Token t = m_scan.Next();
    m_scan.SetPosition(save);
    return t;
  }
  bool PeekOp(wchar_t op) {
    Token t = Peek();
    return t.kind == TokenKind::kOperator && t.op == op;
  }
  bool Expect(wchar_t op) {
    Token t = m_scan.Next();
    return t.kind == TokenKind::kOperator && t.op == op;
  }

  bool ParseExpr(Item& out);
  bool ParseTerm(Item& out);
  bool ParseUnary(Item& out);
  bool ParsePower(Item& out);
  bool ParsePrimary(Item& out);
  bool ParseCall(const Function* f, const AString& writtenName, Item& out);
  bool ParseRangedCall(const Function* f, const AString& writtenName, Item& out);
  bool ParseTableCall(const Function* f, const AString& writtenName, Item& out);
  bool ResolveName(const AString& name, Item& out);
  bool FindBalancedClose(size_t openPos, size_t& closePos) const;

  void Materialize(Item& it, Units::FullUnitType bareUnits = Units::kNoUnit);
  bool Binary(wchar_t op, Item& l, Item& r, Item& out);
  bool Chain(std::vector<Item>& items, const std::vector<wchar_t>& ops, Item& out);
  bool ParseChain(bool sums, Item& out);
  static bool IsPlainNumber(const Item& it) { return it.lit != Lit::kNone && !it.suffix; }
  static val::ParameterType LiteralType(const Item& it) {
    return it.lit == Lit::kReal ? val::kDoubleParam : val::kComplexParam;
  }

  const AString& m_text;
  exprscan::Scanner m_scan;
  const std::vector<IValueParser*>* m_listed;  // validation: names and datasets from these
  BuildHolder m_holder;
  int m_nesting = 0;  // recursion depth of the parse itself
};

// Counts one level of parser recursion while it lives.
class NestingGuard {
public:
  explicit NestingGuard(int& n) : m_n(n) { ++m_n; }
  ~NestingGuard() { --m_n; }
  bool TooDeep() const { return m_n > kMaxDepth; }

private:
  int& m_n;
};

void Compiler::Materialize(Item& it, Units::FullUnitType bareUnits) {
  if (it.vb || it.lit == Lit::kNone) return;
  Units::FullUnitType u = it.suffix ? it.units : bareUnits;
  if (it.lit == Lit::kReal)
    it.vb = m_holder.Hold(FloatValue::FromUnits(it.num.real(), u, it.token));
  else
    it.vb = m_holder.Hold(ComplexValue::FromUnits(it.num, u, it.token));
  it.type = LiteralType(it);
  it.units = u;
}

bool Compiler::Run(Units::FullUnitType units, ValueBase*& root, val::ParameterType& type) {
  Item it;
  if (!ParseExpr(it)) return false;
  if (m_scan.Next().kind != TokenKind::kEnd) return false;
  // A bare number that is the whole text is a number in the value's units.
  Materialize(it, units);
  if (!it.vb) return false;
  root = it.vb;
  type = it.type;
  return true;
}

bool Compiler::ParseExpr(Item& out) { return ParseChain(true, out); }

bool Compiler::ParseTerm(Item& out) { return ParseChain(false, out); }

// A run of + and - over terms, or of * and / over factors, made into one node.
bool Compiler::ParseChain(bool sums, Item& out) {
  const wchar_t op1 = sums ? L'+' : L'*';
  const wchar_t op2 = sums ? L'-' : L'/';
  auto operand = [&](Item& it) { return sums ? ParseTerm(it) : ParseUnary(it); };
  std::vector<Item> items(1);
  std::vector<wchar_t> ops;
  if (!operand(items[0])) return false;
  while (PeekOp(op1) || PeekOp(op2)) {
    wchar_t op = m_scan.Next().op;
    Item r;
    if (!operand(r)) return false;
    Item& l = items[0];
    const bool fold = sums && items.size() == 1 && !l.suffix && !r.suffix &&
                      ((l.lit == Lit::kReal && r.lit == Lit::kImag) || (l.lit == Lit::kImag && r.lit == Lit::kReal));
    if (fold) {
      // "1.5+ 2.5i" is one complex literal.
      l.num = op == L'+' ? AComplex<double>(l.num + r.num) : AComplex<double>(l.num - r.num);
      l.token = l.token + op + r.token;
      l.lit = Lit::kComplex;
      continue;
    }
    items.push_back(std::move(r));
    ops.push_back(op);
  }
  if (ops.empty()) {
    out = std::move(items[0]);
    return true;
  }
  return Chain(items, ops, out);
}

bool Compiler::ParseUnary(Item& out) {
  NestingGuard guard(m_nesting);
  if (guard.TooDeep()) return false;
  if (!PeekOp(L'-') && !PeekOp(L'+')) return ParsePower(out);
  wchar_t op = m_scan.Next().op;
  Item a;
  if (!ParseUnary(a)) return false;
  if (a.lit != Lit::kNone && !a.vb) {
    // A sign directly before a literal belongs to it.
    out = a;
    if (op == L'-') out.num = AComplex<double>(-a.num);
    out.token = AString(1, op) + a.token;
    return true;
  }
  val::ParameterType t = ArithmeticResult(a.type, val::kDoubleParam);
  if (t == val::kNoParam) return false;
  Units::FullUnitType u = a.vb->GetUnits();
  if (a.depth >= kMaxDepth) return false;
  out = Item();
  out.vb = m_holder.Hold(new UnaryNode(op, a.vb, a.type, t, u));
  out.type = t;
  out.units = u;
  out.depth = a.depth + 1;
  return true;
}

bool Compiler::ParsePower(Item& out) {
  if (!ParsePrimary(out)) return false;
  if (!PeekOp(L'^')) return true;
  m_scan.Next();
  Item e;
  if (!ParseUnary(e)) return false;
  Item b = out;
  return Binary(L'^', b, e, out);
}

bool Compiler::Binary(wchar_t op, Item& l, Item& r, Item& out) {
  std::vector<Item> items{l, r};
  return Chain(items, {op}, out);
}

// The result type of a power, fixed when parsed so that it never depends on values met at run time:
// complex when an operand is complex, or when a constant operand lies outside the real domain (a
// negative base, unless the exponent is a constant integer): (-8)^(1/3) = 1+1.732i. Otherwise real,
// and a negative base met at run time with a fractional exponent gives NaN. sqrt follows the same
// rule in ParseCall.
val::ParameterType PowerType(const ValueBase& base, const ValueBase& exponent, val::ParameterType arithmetic) {
  if (arithmetic != val::kDoubleParam || !base.IsConstant()) return arithmetic;
  const double b = Units::ConvertToSI(base.GetValue(), base.GetUnits());
  if (!(b < 0)) return arithmetic;
  if (exponent.IsConstant()) {
    const double e = Units::ConvertToSI(exponent.GetValue(), exponent.GetUnits());
    if (std::isnan(e) || e == std::floor(e)) return arithmetic;
  }
  return val::kComplexParam;
}

bool Compiler::Chain(std::vector<Item>& items, const std::vector<wchar_t>& ops, Item& out) {
  const bool firstPlain = IsPlainNumber(items[0]);
  std::vector<ValueBase*> vbs;
  std::vector<val::ParameterType> types;
  vbs.reserve(items.size());
  types.reserve(items.size());
  val::ParameterType t = val::kNoParam;
  Units::FullUnitType u = Units::kNoUnit;
  int depth = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    Item& r = items[i];
    const bool rPlain = IsPlainNumber(r);
    Materialize(r);
    depth = std::max(depth, r.depth + 1);
    vbs.push_back(r.vb);
    types.push_back(r.type);
    const Units::FullUnitType ru = r.vb->GetUnits();
    if (i == 0) {
      t = r.type;
      u = ru;
      continue;
    }
    // Each step types and unit-tags the chain as a node of its own would.
    const wchar_t op = ops[i - 1];
    const bool lPlain = i == 1 && firstPlain;
    const Units::FullUnitType lu = u;
    t = ArithmeticResult(t, r.type);
    if (t == val::kNoParam) return false;
    if (op == L'+' || op == L'-')
      u = lu == ru ? lu : Units::kNoUnit;
    else if (op == L'*')
      u = lPlain ? ru : (rPlain ? lu : Units::kNoUnit);
    else if (op == L'/')
      u = rPlain ? lu : Units::kNoUnit;
    else
      u = Units::kNoUnit;
    if (op == L'^') t = PowerType(*vbs[0], *r.vb, t);
  }
  if (depth > kMaxDepth) return false;
  out = Item();
  out.vb = m_holder.Hold(new BinaryNode(ops, vbs, types, t, u));
  out.type = t;
  out.units = u;
  out.depth = depth;
  return true;
}

bool Compiler::FindBalancedClose(size_t openPos, size_t& closePos) const {
  int depth = 0;
  for (size_t p = openPos; p < m_text.size(); ++p) {
    if (m_text[p] == L'(') ++depth;
    if (m_text[p] == L')' && --depth == 0) {
      closePos = p;
      return true;
    }
  }
  return false;
}

bool Compiler::ParsePrimary(Item& out) {
  Token t = m_scan.Next();
  out = Item();
  if (t.kind == TokenKind::kNumber) {
    out.lit = t.imaginary ? Lit::kImag : Lit::kReal;
    out.num = t.imaginary ? AComplex<double>(0.0, t.number) : AComplex<double>(t.number, 0.0);
    out.suffix = t.unit != 0;
    out.units = t.unit ? t.unit : Units::kNoUnit;
    out.token = m_text.substr(t.begin, t.end - t.begin);
    out.type = LiteralType(out);
    return true;
  }
  if (t.kind == TokenKind::kOperator && t.op == L'(') {
    Item inner;
    if (!ParseExpr(inner) || !Expect(L')')) return false;
    Materialize(inner);
    if (inner.depth >= kMaxDepth) return false;
    out.vb = m_holder.Hold(new ParenNode(inner.vb, inner.type));
    out.type = inner.type;
    out.units = inner.vb->GetUnits();
    out.depth = inner.depth + 1;
    return true;
  }
  if (t.kind != TokenKind::kIdentifier) return false;
  AString word = m_text.substr(t.begin, t.end - t.begin);
  double number = 0;
  bool imaginary = false;
  if (exprscan::IsNumberKeyword(word, number, imaginary)) {
    out.lit = imaginary ? Lit::kImag : Lit::kReal;
    out.num = imaginary ? AComplex<double>(0.0, number) : AComplex<double>(number, 0.0);
    out.token = word;
    out.type = LiteralType(out);
    return true;
  }
  if (PeekOp(L'(')) {
    if (const Function* f = Function::Find(word)) {
      m_scan.Next();
      return ParseCall(f, word, out);
    }
    // "S(1,1)", "V(out)": one name, parentheses included.
    m_scan.SkipSpace();
    size_t close = 0;
    if (!FindBalancedClose(m_scan.Position(), close)) return false;
    m_scan.SetPosition(close + 1);
    return ResolveName(m_text.substr(t.begin, close + 1 - t.begin), out);
  }
  return ResolveName(word, out);
}

bool Compiler::ResolveName(const AString& name, Item& out) {
  out = Item();
  const VariableNameSpace* ns = VariableNameSpace::GetCurrent();
  Variable* v = ns ? ns->ResolveOwnVariable(name) : nullptr;
  if (!v && (!ns || ns->SearchesIntrinsics())) v = Variable::FindIntrinsic(name);
  if (!v) v = Variable::FindConstant(name);
  if (v) {
    out.vb = v;
    out.type = v->GetParameterType();
    out.units = v->GetUnits();
    return true;
  }
  if (m_listed) {
    for (IValueParser* p : *m_listed) {
      if (!p) continue;
      if (ValueBase* vb = p->GetValueForName(name)) {
        out.vb = vb;
        out.type = p->GetValueState(name).GetParameterType();
        out.units = vb->GetUnits();
        return true;
      }
    }
    return false;
  }
  IValueParser* p = Value::GetValueParser();
  ValueBase* vb = p ? p->GetValueForName(name) : nullptr;
  if (!vb) return false;
  out.vb = vb;
  out.type = vb->GetParameterType();
  out.units = vb->GetUnits();
  return true;
}

bool Compiler::ParseCall(const Function* f, const AString& writtenName, Item& out) {
  if (f->IsRanged()) return ParseRangedCall(f, writtenName, out);
  if (f->GetName().CompareNoCase(L"table") == 0) return ParseTableCall(f, writtenName, out);
  std::vector<Item> args;
  if (!PeekOp(L')')) {
    do {
      Item a;
      if (!ParseExpr(a)) return false;
      Materialize(a);
      args.push_back(a);
    } while (PeekOp(L',') && m_scan.Next().op == L',');
  }
  if (!Expect(L')')) return false;
  if (static_cast<int>(args.size()) != f->GetNumArgs()) return false;
  std::vector<ValueBase*> vbs;
  std::vector<val::ParameterType> types;
  int depth = 1;
  for (const Item& a : args) {
    if (!f->AcceptsArgumentType(a.type)) return false;
    vbs.push_back(a.vb);
    types.push_back(a.type);
    depth = std::max(depth, a.depth + 1);
  }
  if (depth > kMaxDepth) return false;
  val::ParameterType t = f->GetResultType(types);
  if (t == val::kNoParam) return false;
  // sqrt(-4): a constant argument outside the real domain gives a complex result.
  const Function::ScalarKernels* k = f->GetScalarKernels();
  if (k && k->rr && k->rc && t == val::kDoubleParam && args.size() == 1 && types[0] == val::kDoubleParam &&
      args[0].vb->IsConstant()) {
    double si = Units::ConvertToSI(args[0].vb->GetValue(), args[0].vb->GetUnits());
    if (!std::isnan(si) && std::isnan(k->rr(si))) t = val::kComplexParam;
  }
  Units::FullUnitType u = f->PreservesUnits() && !vbs.empty() ? vbs[0]->GetUnits() : Units::kNoUnit;
  out = Item();
  out.vb = m_holder.Hold(new CallNode(f, writtenName, vbs, types, t, u));
  out.type = t;
  out.units = u;
  out.depth = depth;
  return true;
}

bool Compiler::ParseRangedCall(const Function* f, const AString& writtenName, Item& out) {
  Item y;
  if (!ParseExpr(y)) return false;
  Materialize(y);
  Item x;
  if (PeekOp(L',')) {
    m_scan.Next();
    if (!ParseExpr(x)) return false;
    Materialize(x);
    if (!dynamic_cast<Variable*>(x.vb)) return false;
  }
  if (!Expect(L')')) return false;
  if (ArithmeticResult(y.type, val::kDoubleParam) == val::kNoParam) return false;
  if (y.depth + 2 > kMaxDepth) return false;
  ValueBase* ds = nullptr;
  if (m_listed) {
    const Units::FullUnitType yu = y.vb->GetUnits();
    ValueState ys(y.type, Units::GetUnitType(yu), val::kDefaultDBType, yu);
    ValueState xs(val::kDoubleParam, Units::kNoUnitType, val::kDefaultDBType);
    if (x.vb) xs = ValueState(x.type, Units::GetUnitType(x.vb->GetUnits()), val::kDefaultDBType, x.vb->GetUnits());
    for (IValueParser* p : *m_listed)
      if (p && (ds = p->GetDummyDatasetForValidation(ys, xs))) break;
  } else if (IValueParser* p = Value::GetValueParser()) {
    ds = p->GetDatasetValue(y.vb, x.vb);
  }
  if (!ds) return false;
  val::ParameterType dsType = ds->GetParameterType();
  if (!f->AcceptsArgumentType(dsType)) return false;
  val::ParameterType t = f->GetResultType({dsType});
  if (t == val::kNoParam) return false;
  Units::FullUnitType u = f->PreservesUnits() ? y.vb->GetUnits() : Units::kNoUnit;
  out = Item();
  out.vb = m_holder.Hold(new CallNode(f, writtenName, {ds}, {dsType}, t, u));
  out.type = t;
  out.units = u;
  out.depth = y.depth + 2;
  return true;
}

bool Compiler::ParseTableCall(const Function* f, const AString& writtenName, Item& out) {
  Token nameTok = m_scan.Next();
  if (nameTok.kind != TokenKind::kIdentifier || !Expect(L',')) return false;
  AString name = m_text.substr(nameTok.begin, nameTok.end - nameTok.begin);
  DatasetServer* server = DatasetServer::GetDesignDatasetServer();
  long id = server->FindDataset(name);
  if (id < 0) return false;
  Item x;
  if (!ParseExpr(x) || !Expect(L')')) return false;
  Materialize(x);
  if (ArithmeticResult(x.type, val::kDoubleParam) == val::kNoParam) return false;
  if (x.depth >= kMaxDepth) return false;
  out = Item();
  out.depth = x.depth + 1;
  out.vb = m_holder.Hold(new TableCallNode(f, writtenName, name, server, id, x.vb, x.type));
  out.type = val::kDoubleParam;
  out.units = Units::kNoUnit;
  return true;
}

}  // namespace

bool ExpressionCompiler::Compile(const AString& text, Units::FullUnitType units,
                                 const std::vector<IValueParser*>* listedParsers, Value& out) {
  Compiler c(text, listedParsers);
  ValueBase* root = nullptr;
  val::ParameterType type = val::kNoParam;
  if (!c.Run(units, root, type)) return false;
  out.Detach();
  out.Attach(root);
  out.m_type = type;
  return true;
}
