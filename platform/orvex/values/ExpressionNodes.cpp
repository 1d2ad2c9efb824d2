#include "orvex/values/ExpressionNodes.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>

#include "orvex/core/Assert.h"
#include "orvex/values/ConstantValues.h"
#include "orvex/values/Dataset.h"
#include "orvex/values/Function.h"
#include "orvex/values/FunctionCall.h"
#include "orvex/values/IValueColumnSource.h"
#include "orvex/values/ReferencedMessages.h"
#include "orvex/values/ValueTextGenerator.h"
#include "orvex/values/Variable.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

val::ParameterType ElementType(val::ParameterType t) {
  if (t == val::kDoubleMatrixParam) return val::kDoubleParam;
  if (t == val::kComplexMatrixParam) return val::kComplexParam;
  return t;
}

bool IsComplexType(val::ParameterType t) { return ElementType(t) == val::kComplexParam; }

double DigitalToDouble(int v, int invalid) { return v == invalid ? kNaN : static_cast<double>(v); }

double LeafSI(const ValueBase* vb, val::ParameterType type) {
  switch (type) {
    case val::kDoubleParam: return Units::ConvertToSI(vb->GetValue(), vb->GetUnits());
    case val::kComplexParam: return Units::ConvertToSI(vb->GetComplexValue().real(), vb->GetUnits());
    case val::kIntParam: return DigitalToDouble(vb->GetIntValue(), IntValue::kInvalidValue);
    case val::kEnumParam: return DigitalToDouble(vb->GetEnumValue(), EnumValue::kInvalidValue);
    case val::kCharParam: {
      char c = vb->GetCharValue();
      return c == CharValue::kInvalidValue ? kNaN : static_cast<double>(static_cast<unsigned char>(c));
    }
    default: return kNaN;
  }
}

AComplex<double> LeafComplexSI(const ValueBase* vb, val::ParameterType type) {
  if (type != val::kComplexParam) return AComplex<double>(LeafSI(vb, type), 0.0);
  AComplex<double> c = vb->GetComplexValue();
  Units::FullUnitType u = vb->GetUnits();
  return AComplex<double>(Units::ConvertToSI(c.real(), u), Units::ConvertToSI(c.imag(), u));
}

AComplex<double> ComplexNaN() { return AComplex<double>(kNaN, kNaN); }

using Reals = std::vector<double>;
using Complexes = std::vector<AComplex<double>>;

void ToComplex(const Reals& r, Complexes& out) {
  out.resize(r.size());
  for (size_t i = 0; i < r.size(); ++i) out[i] = AComplex<double>(r[i], 0.0);
}

void RealParts(const Complexes& c, Reals& out) {
  out.resize(c.size());
  for (size_t i = 0; i < c.size(); ++i) out[i] = c[i].real();
}

// `value` at each point of the run, made current one at a time.
template <class T, class F>
bool AtEachPoint(IValueColumnSource& leaves, size_t n, std::vector<T>& out, F value) {
  out.resize(n);
  return leaves.ForEachPoint(n, [&out, &value](size_t i) { out[i] = value(); });
}

// LeafSI over a run read as a column.
bool LeafSIColumn(const ValueBase* vb, val::ParameterType type, IValueColumnSource& leaves, size_t n, Reals& out) {
  if (type == val::kDoubleParam) {
    if (!leaves.GetValues(*vb, n, out) || out.size() != n) return false;
  } else if (type == val::kComplexParam) {
    Complexes c;
    if (!leaves.GetComplexValues(*vb, n, c) || c.size() != n) return false;
    RealParts(c, out);
  } else {
    return false;
  }
  const Units::FullUnitType u = vb->GetUnits();
  if (u != Units::kNoUnit) Units::ConvertAll(out.data(), out.size(), u, Units::kNoUnit);
  return true;
}

// LeafComplexSI over a run read as a column.
bool LeafComplexSIColumn(const ValueBase* vb, val::ParameterType type, IValueColumnSource& leaves, size_t n,
                         Complexes& out) {
  if (type != val::kComplexParam) {
    Reals r;
    if (!LeafSIColumn(vb, type, leaves, n, r)) return false;
    ToComplex(r, out);
    return true;
  }
  if (!leaves.GetComplexValues(*vb, n, out) || out.size() != n) return false;
  const Units::FullUnitType u = vb->GetUnits();
  if (u != Units::kNoUnit)
    for (AComplex<double>& c : out) c = AComplex<double>(Units::ConvertToSI(c.real(), u), Units::ConvertToSI(c.imag(), u));
  return true;
}

using orvex::values::FunctionCall;

}  // namespace

// ---- ExprNode

ExprNode::ExprNode(Kind kind, val::ParameterType type, Units::FullUnitType units)
    : m_kind(kind), m_type(type), m_units(units) {}

ExprNode::~ExprNode() {
  for (Operand& o : m_ops) o.vb->Release(this);
}

void ExprNode::HoldOperand(ValueBase* operand, val::ParameterType staticType) {
  Operand o{};
  o.vb = operand->CloneValueBase();
  o.vb->AddRef(this);
  o.type = ElementType(staticType);
  o.node = dynamic_cast<const ExprNode*>(o.vb);
  if (!o.node) {
    if (auto* f = dynamic_cast<const FloatValue*>(o.vb)) {
      o.isConstant = true;
      o.constSI = AComplex<double>(f->GetDouble(), 0.0);
    } else if (auto* c = dynamic_cast<const ComplexValue*>(o.vb)) {
      o.isConstant = true;
      o.constSI = c->GetComplex();
    } else if (auto* v = dynamic_cast<const Variable*>(o.vb)) {
      o.var = v;
      if (v->IsConstant()) {
        o.isConstant = true;
        o.constSI = v->GetCurrentComplexSI();
      }
    }
  }
  if (o.isConstant && !IsComplexType(o.type)) o.constSI = AComplex<double>(o.constSI.real(), 0.0);
  m_ops.push_back(o);
}

double ExprNode::OperandSI(const Operand& o) const {
  if (o.node) return o.node->EvalSI();
  if (o.isConstant) return o.constSI.real();
  if (o.var) return o.var->GetCurrentSI();
  return LeafSI(o.vb, o.type);
}

AComplex<double> ExprNode::OperandComplexSI(const Operand& o) const {
  if (o.node) return o.node->EvalComplexSI();
  if (o.isConstant) return o.constSI;
  if (o.var) return IsComplexType(o.type) ? o.var->GetCurrentComplexSI() : AComplex<double>(o.var->GetCurrentSI(), 0.0);
  return LeafComplexSI(o.vb, o.type);
}

bool ExprNode::OperandSIColumn(const Operand& o, IValueColumnSource& leaves, size_t n, Reals& out) const {
  if (o.node) return o.node->EvalSIColumn(leaves, n, out);
  if (o.isConstant) {
    out.assign(n, o.constSI.real());
    return true;
  }
  if (!o.var && LeafSIColumn(o.vb, o.type, leaves, n, out)) return true;
  return AtEachPoint(leaves, n, out, [this, &o] { return OperandSI(o); });
}

bool ExprNode::OperandComplexSIColumn(const Operand& o, IValueColumnSource& leaves, size_t n, Complexes& out) const {
  if (o.node) return o.node->EvalComplexSIColumn(leaves, n, out);
  if (o.isConstant) {
    out.assign(n, o.constSI);
    return true;
  }
  if (!o.var && LeafComplexSIColumn(o.vb, o.type, leaves, n, out)) return true;
  return AtEachPoint(leaves, n, out, [this, &o] { return OperandComplexSI(o); });
}

bool ExprNode::RealPartsColumn(IValueColumnSource& leaves, size_t n, Reals& out) const {
  Complexes c;
  if (!EvalComplexSIColumn(leaves, n, c)) return false;
  RealParts(c, out);
  return true;
}

bool ExprNode::RealColumnAsComplex(IValueColumnSource& leaves, size_t n, Complexes& out) const {
  Reals r;
  if (!EvalSIColumn(leaves, n, r)) return false;
  ToComplex(r, out);
  return true;
}

void ExprNode::DoReceiveMsg(Msg& m) {
  for (Operand& o : m_ops) o.vb->ReceiveMsg(m);
}

double ExprNode::GetValue() const { return Units::ConvertFromSI(EvalSI(), m_units); }

AComplex<double> ExprNode::GetComplexValue() const {
  AComplex<double> c = EvalComplexSI();
  return AComplex<double>(Units::ConvertFromSI(c.real(), m_units), Units::ConvertFromSI(c.imag(), m_units));
}

AString ExprNode::GetValueText() const {
  DefaultValueTextGeneratorStrategy strategy;
  return ValueTextGenerator(*this, strategy).GetNewValueText();
}

bool ExprNode::IsConstant() const {
  for (const Operand& o : m_ops)
    if (!o.vb->IsConstant()) return false;
  return true;
}

const ValueBase* ExprNode::GetChild(int index) const {
  return index >= 0 && index < static_cast<int>(m_ops.size()) ? m_ops[index].vb : nullptr;
}

val::ParameterType ExprNode::GetOperandType(int index) const {
  return index >= 0 && index < static_cast<int>(m_ops.size()) ? m_ops[index].type : val::kNoParam;
}

// ---- UnaryNode

UnaryNode::UnaryNode(wchar_t op, ValueBase* arg, val::ParameterType argType, val::ParameterType type,
                     Units::FullUnitType units)
    : ExprNode(kUnary, type, units), m_op(op) {
  HoldOperand(arg, argType);
}

UnaryNode::~UnaryNode() = default;

double UnaryNode::EvalSI() const {
  double a = OperandSI(m_ops[0]);
  return m_op == L'-' ? -a : a;
}

AComplex<double> UnaryNode::EvalComplexSI() const {
  AComplex<double> a = OperandComplexSI(m_ops[0]);
  return m_op == L'-' ? AComplex<double>(-a) : a;
}

bool UnaryNode::EvalSIColumn(IValueColumnSource& leaves, size_t n, Reals& out) const {
  if (!OperandSIColumn(m_ops[0], leaves, n, out)) return false;
  if (m_op == L'-')
    for (double& a : out) a = -a;
  return true;
}

bool UnaryNode::EvalComplexSIColumn(IValueColumnSource& leaves, size_t n, Complexes& out) const {
  if (!OperandComplexSIColumn(m_ops[0], leaves, n, out)) return false;
  if (m_op == L'-')
    for (AComplex<double>& a : out) a = AComplex<double>(-a);
  return true;
}

// ---- BinaryNode

namespace {

double RealStep(wchar_t op, double a, double b) {
  switch (op) {
    case L'+': return a + b;
    case L'-': return a - b;
    case L'*': return a * b;
    case L'/': return a / b;
    default: return std::pow(a, b);
  }
}

// Integer exponents up to this size go by repeated squaring: exact where exp/log is not ((1+2i)^2).
const double kMaxSquaringExponent = 64;

AComplex<double> ComplexPower(const AComplex<double>& a, const AComplex<double>& b) {
  using C = std::complex<double>;
  const double n = b.real();
  if (b.imag() == 0.0 && n == std::floor(n) && std::fabs(n) <= kMaxSquaringExponent) {
    C result(1.0, 0.0);
    C base = a;
    for (unsigned k = static_cast<unsigned>(std::fabs(n)); k; k >>= 1) {
      if (k & 1u) result *= base;
      if (k > 1) base *= base;
    }
    return n < 0 ? C(1.0, 0.0) / result : result;
  }
  if (b.imag() == 0.0) return std::pow(static_cast<const C&>(a), n);
  return std::pow(static_cast<const C&>(a), static_cast<const C&>(b));
}

AComplex<double> ComplexStep(wchar_t op, const AComplex<double>& a, const AComplex<double>& b) {
  switch (op) {
    case L'+': return a + b;
    case L'-': return a - b;
    case L'*': return a * b;
    case L'/': return a / b;
    default: return ComplexPower(a, b);
  }
}

void RealSteps(wchar_t op, Reals& acc, const Reals& b) {
  for (size_t i = 0; i < acc.size(); ++i) acc[i] = RealStep(op, acc[i], b[i]);
}

}  // namespace

BinaryNode::BinaryNode(wchar_t op, ValueBase* lhs, val::ParameterType lhsType, ValueBase* rhs,
                       val::ParameterType rhsType, val::ParameterType type, Units::FullUnitType units)
    : BinaryNode(std::vector<wchar_t>{op}, {lhs, rhs}, {lhsType, rhsType}, type, units) {}

BinaryNode::BinaryNode(const std::vector<wchar_t>& ops, const std::vector<ValueBase*>& operands,
                       const std::vector<val::ParameterType>& operandTypes, val::ParameterType type,
                       Units::FullUnitType units)
    : ExprNode(kBinary, type, units), m_opChars(ops) {
  ORVEX_ASSERT(operands.size() == ops.size() + 1 && operandTypes.size() == operands.size());
  m_ops.reserve(operands.size());
  for (size_t i = 0; i < operands.size(); ++i) HoldOperand(operands[i], operandTypes[i]);
  m_complexFrom = m_ops.size();
  for (size_t i = 1; i < m_ops.size() && m_complexFrom == m_ops.size(); ++i)
    if (IsComplexType(m_ops[0].type) || IsComplexType(m_ops[i].type)) m_complexFrom = i;
  // A power of real operands typed complex ((-8)^(1/3)) is complex in its last step.
  if (IsComplexType(type) && m_complexFrom == m_ops.size()) m_complexFrom = m_ops.size() - 1;
}

BinaryNode::~BinaryNode() = default;

double BinaryNode::EvalSI() const {
  if (IsComplexType(GetParameterType())) return EvalComplexSI().real();
  double acc = OperandSI(m_ops[0]);
  for (size_t i = 1; i < m_ops.size(); ++i) acc = RealStep(m_opChars[i - 1], acc, OperandSI(m_ops[i]));
  return acc;
}

AComplex<double> BinaryNode::EvalComplexSI() const {
  if (!IsComplexType(GetParameterType())) return AComplex<double>(EvalSI(), 0.0);
  AComplex<double> acc;
  if (m_complexFrom <= 1) {
    acc = OperandComplexSI(m_ops[0]);
  } else {
    double real = OperandSI(m_ops[0]);
    for (size_t i = 1; i < m_complexFrom; ++i) real = RealStep(m_opChars[i - 1], real, OperandSI(m_ops[i]));
    acc = AComplex<double>(real, 0.0);
  }
  for (size_t i = std::max<size_t>(m_complexFrom, 1); i < m_ops.size(); ++i)
    acc = ComplexStep(m_opChars[i - 1], acc, OperandComplexSI(m_ops[i]));
  return acc;
}

bool BinaryNode::EvalSIColumn(IValueColumnSource& leaves, size_t n, Reals& out) const {
  if (IsComplexType(GetParameterType())) return RealPartsColumn(leaves, n, out);
  if (!OperandSIColumn(m_ops[0], leaves, n, out)) return false;
  Reals b;
  for (size_t i = 1; i < m_ops.size(); ++i) {
    if (!OperandSIColumn(m_ops[i], leaves, n, b)) return false;
    RealSteps(m_opChars[i - 1], out, b);
  }
  return true;
}

bool BinaryNode::EvalComplexSIColumn(IValueColumnSource& leaves, size_t n, Complexes& out) const {
  if (!IsComplexType(GetParameterType())) return RealColumnAsComplex(leaves, n, out);
  if (m_complexFrom <= 1) {
    if (!OperandComplexSIColumn(m_ops[0], leaves, n, out)) return false;
  } else {
    Reals real, b;
    if (!OperandSIColumn(m_ops[0], leaves, n, real)) return false;
    for (size_t i = 1; i < m_complexFrom; ++i) {
      if (!OperandSIColumn(m_ops[i], leaves, n, b)) return false;
      RealSteps(m_opChars[i - 1], real, b);
    }
    ToComplex(real, out);
  }
  Complexes b;
  for (size_t i = std::max<size_t>(m_complexFrom, 1); i < m_ops.size(); ++i) {
    if (!OperandComplexSIColumn(m_ops[i], leaves, n, b)) return false;
    for (size_t k = 0; k < n; ++k) out[k] = ComplexStep(m_opChars[i - 1], out[k], b[k]);
  }
  return true;
}

// ---- ParenNode

ParenNode::ParenNode(ValueBase* inner, val::ParameterType innerType)
    : ExprNode(kParen, innerType, inner->GetUnits()) {
  HoldOperand(inner, innerType);
}

ParenNode::~ParenNode() = default;

double ParenNode::EvalSI() const { return OperandSI(m_ops[0]); }

AComplex<double> ParenNode::EvalComplexSI() const { return OperandComplexSI(m_ops[0]); }

bool ParenNode::EvalSIColumn(IValueColumnSource& leaves, size_t n, Reals& out) const {
  return OperandSIColumn(m_ops[0], leaves, n, out);
}

bool ParenNode::EvalComplexSIColumn(IValueColumnSource& leaves, size_t n, Complexes& out) const {
  return OperandComplexSIColumn(m_ops[0], leaves, n, out);
}

// ---- CallNode

CallNode::CallNode(const Function* f, const AString& writtenName, const std::vector<ValueBase*>& args,
                   const std::vector<val::ParameterType>& argTypes, val::ParameterType type,
                   Units::FullUnitType units)
    : ExprNode(kCall, type, units), m_fn(f), m_writtenName(writtenName) {
  for (size_t i = 0; i < args.size(); ++i) HoldOperand(args[i], i < argTypes.size() ? argTypes[i] : val::kNoParam);
  if (m_fn->IsRanged() && !m_ops.empty()) {
    m_dataset = dynamic_cast<const AbstractDatasetValueBase*>(m_ops[0].vb);
    if (m_dataset && m_dataset->GetYExpression()) m_yUnits = m_dataset->GetYExpression()->GetUnits();
    return;
  }
  const Function::ScalarKernels* k = m_fn->GetScalarKernels();
  if (!k || m_ops.size() != 1) return;
  if (IsComplexType(m_ops[0].type)) {
    m_cr = k->cr;
    m_cc = k->cc;
  } else {
    m_rr = k->rr;
    m_rc = k->rc;
    m_cc = k->cc;
  }
}

CallNode::~CallNode() = default;

double CallNode::EvalSI() const {
  if (IsComplexType(GetParameterType())) return EvalComplexSI().real();
  if (m_rr) return m_rr(OperandSI(m_ops[0]));
  if (m_cr) return m_cr(OperandComplexSI(m_ops[0]));
  if (m_fn->IsRanged()) return EvalRanged().real();
  return EvalGeneric().real();
}

AComplex<double> CallNode::EvalComplexSI() const {
  if (!IsComplexType(GetParameterType())) return AComplex<double>(EvalSI(), 0.0);
  if (m_rc) return m_rc(OperandSI(m_ops[0]));
  if (m_cc) return m_cc(OperandComplexSI(m_ops[0]));
  if (m_fn->IsRanged()) return EvalRanged();
  return EvalGeneric();
}

bool CallNode::EvalSIColumn(IValueColumnSource& leaves, size_t n, Reals& out) const {
  if (IsComplexType(GetParameterType())) return RealPartsColumn(leaves, n, out);
  if (m_rr) {
    if (!OperandSIColumn(m_ops[0], leaves, n, out)) return false;
    for (double& x : out) x = m_rr(x);
    return true;
  }
  if (m_cr) {
    Complexes c;
    if (!OperandComplexSIColumn(m_ops[0], leaves, n, c)) return false;
    out.resize(n);
    for (size_t i = 0; i < n; ++i) out[i] = m_cr(c[i]);
    return true;
  }
  // A ranged call reads the dataset of its point; a generic one builds its argument per call.
  return AtEachPoint(leaves, n, out, [this] { return EvalSI(); });
}

bool CallNode::EvalComplexSIColumn(IValueColumnSource& leaves, size_t n, Complexes& out) const {
  if (!IsComplexType(GetParameterType())) return RealColumnAsComplex(leaves, n, out);
  if (m_rc) {
    Reals r;
    if (!OperandSIColumn(m_ops[0], leaves, n, r)) return false;
    out.resize(n);
    for (size_t i = 0; i < n; ++i) out[i] = m_rc(r[i]);
    return true;
  }
  if (m_cc) {
    if (!OperandComplexSIColumn(m_ops[0], leaves, n, out)) return false;
    for (AComplex<double>& c : out) c = m_cc(c);
    return true;
  }
  return AtEachPoint(leaves, n, out, [this] { return EvalComplexSI(); });
}

AComplex<double> CallNode::EvalGeneric() const {
  if (m_ops.empty()) return ComplexNaN();
  // Functions read their argument as a number in SI with unit 90.
  const Operand& o = m_ops[0];
  const bool complexArg = IsComplexType(o.type);
  FloatValue realArg(complexArg ? 0.0 : OperandSI(o), Units::kNoUnit);
  ComplexValue complexArg_(complexArg ? OperandComplexSI(o) : AComplex<double>(), Units::kNoUnit);
  const ValueBase* arg = complexArg ? static_cast<const ValueBase*>(&complexArg_) : &realArg;
  FunctionCall call(m_fn, arg);
  return call.Run(IsComplexType(GetParameterType()));
}

AComplex<double> CallNode::EvalRanged() const {
  if (!m_dataset) return ComplexNaN();
  const AbstractDataset* ads = m_dataset->GetDatasetForCurrentPoint();
  if (!ads) return ComplexNaN();
  FunctionCall call(m_fn, m_dataset);
  if (auto* d = dynamic_cast<const Dataset<double, double>*>(ads)) {
    call.SetVectors(&d->GetX(), &d->GetY(), nullptr);
  } else if (auto* c = dynamic_cast<const Dataset<double, AComplex<double>>*>(ads)) {
    call.SetVectors(&c->GetX(), nullptr, &c->GetY());
  } else {
    return ComplexNaN();
  }
  AComplex<double> r = call.Run(IsComplexType(GetParameterType()));
  if (m_yUnits == Units::kNoUnit) return r;
  // Dataset values are in the units of the y expression.
  for (int p = m_fn->GetRangedResultUnitPower(); p > 0; --p)
    r = AComplex<double>(Units::ConvertToSI(r.real(), m_yUnits), Units::ConvertToSI(r.imag(), m_yUnits));
  return r;
}

// ---- TableCallNode

TableCallNode::TableCallNode(const Function* f, const AString& writtenName, const AString& datasetName,
                             const DatasetServer* server, long datasetID, ValueBase* x, val::ParameterType xType)
    : CallNode(f, writtenName, std::vector<ValueBase*>{x}, std::vector<val::ParameterType>{xType},
               val::kDoubleParam, Units::kNoUnit),
      m_datasetName(datasetName), m_server(server), m_datasetID(datasetID) {}

TableCallNode::~TableCallNode() = default;

void TableCallNode::DoReceiveMsg(Msg& m) {
  if (m.GetType() == msgtype::kReferencedDatasets) {
    if (auto* rd = dynamic_cast<ReferencedDatasetsMsg*>(&m)) rd->AddDataset(m_server, m_datasetID);
  }
  CallNode::DoReceiveMsg(m);
}

double TableCallNode::EvalSI() const { return kNaN; }

AComplex<double> TableCallNode::EvalComplexSI() const { return ComplexNaN(); }

bool TableCallNode::EvalSIColumn(IValueColumnSource&, size_t n, Reals& out) const {
  out.assign(n, kNaN);
  return true;
}

bool TableCallNode::EvalComplexSIColumn(IValueColumnSource&, size_t n, Complexes& out) const {
  out.assign(n, ComplexNaN());
  return true;
}
