#include "orvex/values/Value.h"

#include <climits>
#include <cmath>
#include <limits>

#include "orvex/core/TestHooks.h"
#include "orvex/values/ConstantValues.h"
#include "orvex/values/ExpressionCompiler.h"
#include "orvex/values/ExpressionNodes.h"
#include "orvex/values/IValueColumnSource.h"
#include "orvex/values/ReferencedMessages.h"
#include "orvex/values/Variable.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

IValueParser*& InstalledParser() {
  static IValueParser* s = nullptr;
  return s;
}

void ResetParser() { InstalledParser() = nullptr; }

std::string ParserLeftOpen() {
  if (!InstalledParser()) return std::string();
  InstalledParser() = nullptr;
  return "a value parser is still installed\n";
}

const bool s_registered = orvex::test::RegisterGlobalState({"value parser", &ResetParser, &ParserLeftOpen});

val::ParameterType ElementType(val::ParameterType t) {
  if (t == val::kDoubleMatrixParam) return val::kDoubleParam;
  if (t == val::kComplexMatrixParam) return val::kComplexParam;
  if (t == val::kStringMatrixParam) return val::kStringParam;
  return t;
}

int RoundedInt(double d) {
  if (!std::isfinite(d)) return IntValue::kInvalidValue;
  double r = std::round(d);
  if (r <= static_cast<double>(INT_MIN) || r > static_cast<double>(INT_MAX)) return IntValue::kInvalidValue;
  return static_cast<int>(r);
}

AComplex<double> ConvertComplex(const AComplex<double>& c, Units::FullUnitType from, Units::FullUnitType to) {
  return AComplex<double>(Units::Convert(c.real(), from, to), Units::Convert(c.imag(), from, to));
}

}  // namespace

Value::Value() : m_units(Units::kNoUnit) {}

Value::Value(Units::FullUnitType units) : m_units(units) {}

Value::Value(double numberInUnits, Units::FullUnitType units) : m_units(units) { *this = numberInUnits; }

Value::Value(const AComplex<double>& numberInUnits, Units::FullUnitType units) : m_units(units) {
  ComplexValue* c = ComplexValue::FromUnits(numberInUnits, units);
  Attach(c);
  m_type = val::kComplexParam;
  m_valid = true;
}

Value::Value(const AString& text, Units::FullUnitType units) : m_units(units) { SetValueText(text, units); }

Value::Value(const Value& other)
    : SingleVisitReceiver(), m_type(other.m_type), m_units(other.m_units), m_text(other.m_text),
      m_fromText(other.m_fromText), m_valid(other.m_valid) {
  if (other.m_root) Attach(other.m_root);
}

Value& Value::operator=(const Value& other) {
  if (this == &other) return *this;
  ValueBase* old = m_root;
  m_root = nullptr;
  m_node = nullptr;
  if (other.m_root) Attach(other.m_root);  // before the release: both may be one root
  if (old) old->Release(this);
  m_type = other.m_type;
  m_units = other.m_units;
  m_text = other.m_text;
  m_fromText = other.m_fromText;
  m_valid = other.m_valid;
  return *this;
}

Value::~Value() { Detach(); }

Value& Value::operator=(double numberInUnits) {
  Detach();
  Attach(FloatValue::FromUnits(numberInUnits, m_units));
  m_type = val::kDoubleParam;
  m_text.clear();
  m_fromText = false;
  m_valid = true;
  return *this;
}

void Value::Attach(ValueBase* root) {
  m_root = root->CloneValueBase();
  m_root->AddRef(this);
  m_node = dynamic_cast<const ExprNode*>(m_root);
}

void Value::Detach() {
  ValueBase* r = m_root;
  m_root = nullptr;
  m_node = nullptr;
  if (r) r->Release(this);
}

bool Value::SetValueText(const AString& text, Units::FullUnitType units) {
  if (Parse(text, units, nullptr)) return true;
  Detach();
  m_units = units;
  m_text = text;
  m_fromText = true;
  m_type = val::kNoParam;
  m_valid = false;
  return false;
}

bool Value::Parse(const AString& text, Units::FullUnitType units, const std::vector<IValueParser*>* listed) {
  if (!ExpressionCompiler::Compile(text, units, listed, *this)) return false;
  m_units = units;
  m_text = text;
  m_fromText = true;
  m_valid = true;
  return true;
}

bool Value::SetStringValueText(const AString& text) {
  Detach();
  Attach(new StringValue(text));
  m_type = val::kStringParam;
  m_text = text;
  m_fromText = true;
  m_valid = true;
  return true;
}

void Value::SetValueBase(ValueBase* root) {
  Detach();
  m_text.clear();
  m_fromText = false;
  m_valid = root != nullptr;
  m_type = root ? root->GetParameterType() : val::kNoParam;
  if (root) Attach(root);
}

void Value::Clear() {
  Detach();
  m_text.clear();
  m_type = val::kNoParam;
  m_fromText = false;
  m_valid = false;
}

AString Value::GetValueText() const {
  if (m_fromText || !m_root) return m_text;
  return m_root->GetValueText();
}

val::ParameterType Value::GetParameterType() const { return m_root ? m_type : val::kNoParam; }

Units::FullUnitType Value::GetUnits() const {
  if (m_units != Units::kNoUnit || !m_root) return m_units;
  return m_root->GetUnits();
}

ValueState Value::GetValueState() const {
  const Units::FullUnitType u = GetUnits();
  return ValueState(GetParameterType(), Units::GetUnitType(u), m_root ? m_root->GetDBType() : val::kDefaultDBType, u);
}

double Value::GetValue() const {
  if (!m_root) return kNaN;
  if (m_node) return Units::ConvertFromSI(m_node->EvalSI(), GetUnits());
  switch (ElementType(m_type)) {
    case val::kDoubleParam: return Units::Convert(m_root->GetValue(), m_root->GetUnits(), GetUnits());
    case val::kComplexParam: return Units::Convert(m_root->GetComplexValue().real(), m_root->GetUnits(), GetUnits());
    case val::kIntParam:
    case val::kEnumParam: {
      int v = m_type == val::kIntParam ? m_root->GetIntValue() : m_root->GetEnumValue();
      return v == IntValue::kInvalidValue ? kNaN : static_cast<double>(v);
    }
    case val::kCharParam: {
      char c = m_root->GetCharValue();
      return c == CharValue::kInvalidValue ? kNaN : static_cast<double>(static_cast<unsigned char>(c));
    }
    default: return kNaN;
  }
}

// GetValue over a run of points.
bool GetValueColumn(const Value& v, IValueColumnSource& leaves, size_t n, std::vector<double>& out) {
  const ValueBase* root = v.GetValueBase();
  if (!root) return false;
  const Units::FullUnitType units = v.GetUnits();
  if (const auto* node = dynamic_cast<const ExprNode*>(root)) {
    if (!node->EvalSIColumn(leaves, n, out)) return false;
    if (units != Units::kNoUnit) Units::ConvertAll(out.data(), out.size(), Units::kNoUnit, units);
    return true;
  }
  const val::ParameterType type = ElementType(v.GetParameterType());
  bool read = false;
  if (type == val::kDoubleParam) {
    read = leaves.GetValues(*root, n, out) && out.size() == n;
  } else if (type == val::kComplexParam) {
    std::vector<AComplex<double>> c;
    read = leaves.GetComplexValues(*root, n, c) && c.size() == n;
    out.resize(c.size());
    for (size_t i = 0; i < c.size(); ++i) out[i] = c[i].real();
  }
  if (!read) {
    out.resize(n);
    return leaves.ForEachPoint(n, [&out, &v](size_t i) { out[i] = v.GetValue(); });
  }
  Units::ConvertAll(out.data(), out.size(), root->GetUnits(), units);
  return true;
}

AComplex<double> Value::GetComplexValue() const {
  if (!m_root) return AComplex<double>(kNaN, kNaN);
  if (m_node) return ConvertComplex(m_node->EvalComplexSI(), Units::kNoUnit, GetUnits());
  if (ElementType(m_type) == val::kComplexParam)
    return ConvertComplex(m_root->GetComplexValue(), m_root->GetUnits(), GetUnits());
  return AComplex<double>(GetValue(), 0.0);
}

double Value::GetSIValue() const {
  if (!m_root) return kNaN;
  if (m_node) return m_node->EvalSI();
  return Units::ConvertToSI(GetValue(), GetUnits());
}

AComplex<double> Value::GetSIComplexValue() const {
  if (!m_root) return AComplex<double>(kNaN, kNaN);
  if (m_node) return m_node->EvalComplexSI();
  return ConvertComplex(GetComplexValue(), GetUnits(), Units::kNoUnit);
}

int Value::GetIntValue() const {
  if (!m_root) return IntValue::kInvalidValue;
  switch (m_type) {
    case val::kIntParam: return m_root->GetIntValue();
    case val::kEnumParam: return m_root->GetEnumValue();
    case val::kCharParam: {
      char c = m_root->GetCharValue();
      return c == CharValue::kInvalidValue ? IntValue::kInvalidValue : static_cast<unsigned char>(c);
    }
    default: return RoundedInt(GetValue());
  }
}

char Value::GetCharValue() const {
  if (!m_root) return CharValue::kInvalidValue;
  if (m_type == val::kCharParam) return m_root->GetCharValue();
  int v = GetIntValue();
  if (v == IntValue::kInvalidValue || v < 0 || v > 255) return CharValue::kInvalidValue;
  return static_cast<char>(v);
}

int Value::GetEnumValue() const {
  if (!m_root) return EnumValue::kInvalidValue;
  if (m_type == val::kEnumParam) return m_root->GetEnumValue();
  int v = GetIntValue();
  return v == IntValue::kInvalidValue ? EnumValue::kInvalidValue : v;
}

AString Value::GetStringValue() const {
  if (!m_root) return StringValue::kInvalidValue;
  val::ParameterType t = ElementType(m_type);
  if (t == val::kStringParam || t == val::kTextParam) return m_root->GetStringValue();
  return StringValue::kInvalidValue;
}

const ArcParam* Value::GetArcParam() const { return m_root ? m_root->GetArcParam() : nullptr; }
const CircleParam* Value::GetCircleParam() const { return m_root ? m_root->GetCircleParam() : nullptr; }
const RegionParam* Value::GetRegionParam() const { return m_root ? m_root->GetRegionParam() : nullptr; }

bool Value::IsConstant() const { return !m_root || m_root->IsConstant(); }

bool Value::IsEqual(const Value& other) const {
  if (GetParameterType() != other.GetParameterType()) return false;
  switch (ElementType(GetParameterType())) {
    case val::kNoParam: return true;
    case val::kStringParam:
    case val::kTextParam: return GetStringValue() == other.GetStringValue();
    case val::kIntParam:
    case val::kCharParam:
    case val::kEnumParam: return GetIntValue() == other.GetIntValue();
    case val::kDoubleParam: return GetSIValue() == other.GetSIValue();
    case val::kComplexParam: return GetSIComplexValue() == other.GetSIComplexValue();
    default: return m_root == other.m_root || (m_root && other.m_root && m_root->IsEqual(*other.m_root));
  }
}

void Value::GetReferencedDatasets(ReferencedDatasetMap& out, bool throughOutputVariables) const {
  ReferencedDatasetsMsg msg(out, throughOutputVariables);
  const_cast<Value*>(this)->ReceiveMsg(msg);
}

void Value::DoReceiveMsg(Msg& m) {
  if (m_root) m_root->ReceiveMsg(m);
}

IValueParser* Value::SetValueParser(IValueParser* parser) {
  IValueParser* prev = InstalledParser();
  InstalledParser() = parser;
  return prev;
}

IValueParser* Value::GetValueParser() { return InstalledParser(); }

Variable* Value::GetIntrinsicVariable(const AString& name) { return Variable::FindIntrinsic(name); }

Variable* Value::GetConstantVariable(const AString& name) { return Variable::FindConstant(name); }
