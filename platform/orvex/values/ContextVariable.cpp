#include "orvex/values/ContextVariable.h"

#include <limits>

#include "orvex/core/Assert.h"
#include "orvex/values/IValueParser.h"
#include "orvex/values/IVariableNameSpaceSetupper.h"
#include "orvex/values/ReferencedMessages.h"
#include "orvex/values/VariableNameSpace.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// Sets a flag for its lifetime.
class BusyScope {
public:
  explicit BusyScope(bool& flag) : m_flag(flag) { m_flag = true; }
  ~BusyScope() { m_flag = false; }

private:
  bool& m_flag;
};

}  // namespace

ContextVariable::ContextVariable(const AString& name) : m_name(name) {}

ContextVariable::ContextVariable(const ContextVariable& other)
    : ValueBase(other), m_name(other.m_name), m_text(other.m_text), m_state(other.m_state) {}

ContextVariable& ContextVariable::operator=(const ContextVariable& other) {
  m_name = other.m_name;
  m_text = other.m_text;
  m_state = other.m_state;
  return *this;
}

ContextVariable::~ContextVariable() = default;

void ContextVariable::SetValueBaseText(const AString& text, const ValueState& state) {
  m_text = text;
  m_state = state;
}

bool ContextVariable::Activate(IValueParser* parser, IVariableNameSpaceSetupper* setupper) {
  if (m_activations > 0) {
    ++m_activations;
    return true;
  }
  InstalledParserScope installed(parser);
  VariableNameSpace ns(1, 1, 0);
  if (setupper) setupper->Setup(ns);
  auto value = std::make_unique<Value>(Units::kNoUnit);
  if (!value->SetValueText(m_text, Units::kNoUnit)) return false;
  m_active = std::move(value);
  m_activations = 1;
  return true;
}

void ContextVariable::Deactivate() {
  ORVEX_ASSERT(IsActive());
  if (m_activations == 0) return;
  if (--m_activations == 0) m_active.reset();
}

double ContextVariable::GetValue() const { return GetComplexValue().real(); }

AComplex<double> ContextVariable::GetComplexValue() const {
  if (m_busy) {
    ORVEX_ASSERT(!"output variable cycle");
    return AComplex<double>(kNaN, kNaN);
  }
  ORVEX_ASSERT(IsActive());
  if (!m_active) return AComplex<double>(kNaN, kNaN);
  BusyScope busy(m_busy);
  AComplex<double> si = m_active->GetSIComplexValue();
  const Units::FullUnitType u = GetUnits();
  return AComplex<double>(Units::ConvertFromSI(si.real(), u), Units::ConvertFromSI(si.imag(), u));
}

void ContextVariable::DoReceiveMsg(Msg& m) {
  switch (m.GetType()) {
    case msgtype::kReferencedPostprocessingQuantity:
      if (auto* q = dynamic_cast<ReferencedPostprocessingQuantityMsg*>(&m)) q->AddOutputVariable(this);
      PassIntoExpression(m);
      return;
    case msgtype::kReferencedVariables:
      if (auto* rv = dynamic_cast<ReferencedVariablesMsg*>(&m); rv && rv->GetThroughOutputVariables())
        PassIntoExpression(m);
      return;
    case msgtype::kReferencedDatasets:
      if (auto* rd = dynamic_cast<ReferencedDatasetsMsg*>(&m); rd && rd->GetThroughOutputVariables())
        PassIntoExpression(m);
      return;
    default:
      if (m.GetPassOn()) m_receivers.ReceiveMsg(m);
  }
}

void ContextVariable::PassIntoExpression(Msg& m) {
  if (m_busy) return;
  BusyScope busy(m_busy);
  if (m_active) {
    m_active->ReceiveMsg(m);
    return;
  }
  if (!Value::GetValueParser()) return;
  auto parsed = std::make_unique<Value>(Units::kNoUnit);
  if (!parsed->SetValueText(m_text, Units::kNoUnit)) return;
  parsed->ReceiveMsg(m);
  // Kept until the message ends: a node freed now could come back at the same address and look
  // visited to this message.
  m.HoldUntilDone(std::move(parsed));
}
