#include "orvex/values/Variable.h"

#include <limits>
#include <unordered_set>

#include "orvex/core/Assert.h"
#include "orvex/core/TestHooks.h"
#include "orvex/values/ConstantValues.h"
#include "orvex/values/ReferencedMessages.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

std::unordered_set<const Variable*>& LiveVariables() {
  static std::unordered_set<const Variable*> s;
  return s;
}

int& NextSerial() {
  static int s = 1;
  return s;
}

long& NextToken() {
  static long s = 1;
  return s;
}

class ConstantVariable : public Variable {
public:
  ConstantVariable(const wchar_t* name, double si) : Variable(name, Units::kNoUnit, AComplex<double>(si, 0.0)) {}
};

struct VariableTables {
  std::vector<std::unique_ptr<Variable>> intrinsics;
  std::vector<std::unique_ptr<Variable>> registered;  // by tests and hosts, dropped by the reset
  std::vector<std::unique_ptr<Variable>> constants;

  VariableTables() {
    intrinsics.emplace_back(new Variable(L"Freq", Units::kHz));
    intrinsics.emplace_back(new Variable(L"Time", Units::kSecond));
    intrinsics.emplace_back(new Variable(L"Phase", Units::kDeg));
    constants.emplace_back(new ConstantVariable(L"pi", 3.14159265358979323846));
    constants.emplace_back(new ConstantVariable(L"e", 2.71828182845904523536));
    constants.emplace_back(new ConstantVariable(L"c0", 299792458.0));
    constants.emplace_back(new ConstantVariable(L"mu0", 1.25663706212e-6));
    constants.emplace_back(new ConstantVariable(L"e0", 8.8541878128e-12));
    constants.emplace_back(new ConstantVariable(L"boltz", 1.380649e-23));
  }
};

VariableTables& Tables() {
  static VariableTables* t = new VariableTables;  // outlives every static Value that names one
  return *t;
}

void ResetVariables() {
  Tables().registered.clear();
  for (const Variable* v : LiveVariables()) v->ClearCurrentValues();
}

std::string VariablesLeftOpen() {
  std::string out;
  for (const Variable* v : LiveVariables()) {
    if (v->GetCurrentValueDepth() == 0) continue;
    out += "variable " + v->GetName().ToUtf8() + " keeps " + std::to_string(v->GetCurrentValueDepth()) +
           " current value(s): a variable context was left open\n";
  }
  return out;
}

const bool s_registered = orvex::test::RegisterGlobalState({"variables", &ResetVariables, &VariablesLeftOpen});

}  // namespace

IVariableValueSource::~IVariableValueSource() = default;

bool IVariableValueSource::GetCurrentComplexSI(AComplex<double>& out) const {
  Value v;
  if (!GetCurrentValue(v)) return false;
  out = v.GetSIComplexValue();
  return true;
}

Variable::Variable(const AString& name, Units::FullUnitType units, val::ParameterType type)
    : m_name(name), m_units(units), m_type(type), m_serial(NextSerial()++) {
  LiveVariables().insert(this);
}

Variable::Variable(const AString& name, Units::FullUnitType units, const AComplex<double>& constantSI)
    : Variable(name, units, val::kDoubleParam) {
  m_constant = true;
  m_constantSI = constantSI;
}

Variable::~Variable() { LiveVariables().erase(this); }

bool Variable::HasCurrentValue() const { return m_constant || !m_stack.empty(); }

bool Variable::GetCurrentValue(Value& out) const {
  if (m_constant) {
    out = Value(Units::ConvertFromSI(m_constantSI.real(), m_units), m_units);
    return true;
  }
  const Entry* e = Top();
  if (!e) return false;
  if (e->source) return e->source->GetCurrentValue(out);
  out = e->value;
  return true;
}

long Variable::PushCurrentValue(const Value& v) const {
  Entry e{NextToken()++, v, nullptr, false, AComplex<double>()};
  if (v.IsValidText() && v.IsConstant()) {
    e.constant = true;
    e.si = v.GetSIComplexValue();
  }
  m_stack.push_back(e);
  return e.token;
}

long Variable::PushCurrentSource(const IVariableValueSource* source) const {
  Entry e{NextToken()++, Value(), source, false, AComplex<double>()};
  m_stack.push_back(e);
  return e.token;
}

void Variable::PopCurrentValue(long token) const {
  if (!m_stack.empty() && m_stack.back().token == token) {
    m_stack.pop_back();
    return;
  }
  ORVEX_ASSERT(!"variable contexts restored out of order");
  for (auto it = m_stack.begin(); it != m_stack.end(); ++it) {
    if (it->token == token) {
      m_stack.erase(it);
      return;
    }
  }
}

AComplex<double> Variable::GetCurrentComplexSI() const {
  if (m_constant) return m_constantSI;
  const Entry* e = Top();
  if (!e) {
    ORVEX_ASSERT(!"variable has no current value");
    return AComplex<double>(kNaN, kNaN);
  }
  if (e->constant) return e->si;
  if (e->source) {
    AComplex<double> si;
    return e->source->GetCurrentComplexSI(si) ? si : AComplex<double>(kNaN, kNaN);
  }
  return e->value.GetSIComplexValue();
}

void Variable::SetDefinition(const AString& text) {
  if (text.empty()) {
    m_definition.reset();
    return;
  }
  m_definition.reset(new Value(text, m_units));
}

Variable* Variable::FindIntrinsic(const AString& name) {
  VariableTables& t = Tables();
  for (auto it = t.registered.rbegin(); it != t.registered.rend(); ++it)
    if ((*it)->GetName().CompareNoCase(name) == 0) return it->get();
  for (auto& v : t.intrinsics)
    if (v->GetName().CompareNoCase(name) == 0) return v.get();
  return nullptr;
}

Variable* Variable::RegisterIntrinsic(std::unique_ptr<Variable> v) {
  Tables().registered.push_back(std::move(v));
  return Tables().registered.back().get();
}

Variable* Variable::FindConstant(const AString& name) {
  for (auto& v : Tables().constants)
    if (v->GetName() == name) return v.get();
  return nullptr;
}

void Variable::DoReceiveMsg(Msg& m) {
  if (m.GetType() != msgtype::kReferencedVariables) return;
  if (auto* rv = dynamic_cast<ReferencedVariablesMsg*>(&m)) rv->AddVariable(this);
}

double Variable::GetValue() const { return Units::ConvertFromSI(GetCurrentSI(), m_units); }

AComplex<double> Variable::GetComplexValue() const {
  AComplex<double> si = GetCurrentComplexSI();
  return AComplex<double>(Units::ConvertFromSI(si.real(), m_units), Units::ConvertFromSI(si.imag(), m_units));
}

int Variable::GetIntValue() const {
  Value v;
  return GetCurrentValue(v) ? v.GetIntValue() : IntValue::kInvalidValue;
}

char Variable::GetCharValue() const {
  Value v;
  return GetCurrentValue(v) ? v.GetCharValue() : CharValue::kInvalidValue;
}

int Variable::GetEnumValue() const {
  Value v;
  return GetCurrentValue(v) ? v.GetEnumValue() : EnumValue::kInvalidValue;
}

AString Variable::GetStringValue() const {
  Value v;
  return GetCurrentValue(v) ? v.GetStringValue() : StringValue::kInvalidValue;
}
