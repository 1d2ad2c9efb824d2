#include "quantities/SimValue2.h"

#include <limits>

#include "orvex/core/Assert.h"
#include "orvex/values/ConstantValues.h"
#include "orvex/values/IValueParser.h"
#include "orvex/values/ReferencedMessages.h"
#include "orvex/values/Value.h"

namespace rep {

namespace {

// Callers install a provider before they evaluate; without one the answer is the invalid value.
IValueParser* InstalledParser() {
  IValueParser* ivp = Value::GetValueParser();
  ORVEX_ASSERT(ivp);
  return ivp;
}

}  // namespace

SimValue2::SimValue2(long simValueID, const ValueState& state, const AString& quantityText)
    : m_id(simValueID), m_params(state, quantityText) {}

SimValue2::~SimValue2() = default;

void SimValue2::SetQuantityText(const AString& text) { m_params.SetQuantityText(text); }

void SimValue2::DoReceiveMsg(Msg& m) {
  if (m.GetType() == msgtype::kReferencedPostprocessingQuantity) {
    // A message of that code but another class has nothing to collect into.
    if (auto* query = dynamic_cast<ReferencedPostprocessingQuantityMsg*>(&m)) query->AddSimValueQuantity(GetValueText());
    return;
  }
  if (m.GetPassOn()) m_receivers.ReceiveMsg(m);
}

val::DBType SimValue2::GetDBType() const { return m_params.GetValueStateRef().GetDBType(); }

double SimValue2::GetValue() const {
  IValueParser* p = InstalledParser();
  return p ? p->GetValue(this) : std::numeric_limits<double>::quiet_NaN();
}

AComplex<double> SimValue2::GetComplexValue() const {
  IValueParser* p = InstalledParser();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  return p ? p->GetComplexValue(this) : AComplex<double>(nan, nan);
}

int SimValue2::GetIntValue() const {
  IValueParser* p = InstalledParser();
  return p ? p->GetIntValue(this) : IntValue::kInvalidValue;
}

char SimValue2::GetCharValue() const {
  IValueParser* p = InstalledParser();
  return p ? p->GetCharValue(this) : CharValue::kInvalidValue;
}

int SimValue2::GetEnumValue() const {
  IValueParser* p = InstalledParser();
  return p ? p->GetEnumValue(this) : EnumValue::kInvalidValue;
}

const ArcParam* SimValue2::GetArcParam() const {
  IValueParser* p = InstalledParser();
  return p ? p->GetArcParam(this) : nullptr;
}

const CircleParam* SimValue2::GetCircleParam() const {
  IValueParser* p = InstalledParser();
  return p ? p->GetCircleParam(this) : nullptr;
}

const RegionParam* SimValue2::GetRegionParam() const {
  IValueParser* p = InstalledParser();
  return p ? p->GetRegionParam(this) : nullptr;
}

AString SimValue2::GetValueText() const { return m_params.GetQuantityText(); }

ValueBase* SimValue2::CloneValueBase() const { return const_cast<SimValue2*>(this); }

bool SimValue2::IsEqual(const ValueBase& other) const {
  // Expressions are not expected to compare quantity leaves; the answer is still given.
  ORVEX_ASSERT(0);
  const auto* sv = dynamic_cast<const SimValue2*>(&other);
  return sv && sv->m_id == m_id;
}

Units::FullUnitType SimValue2::GetUnits() const { return m_params.GetValueStateRef().GetFullUnitType(); }

val::ParameterType SimValue2::GetParameterType() const { return m_params.GetValueStateRef().GetParameterType(); }

void SimValue2::AddRef(IReceiver* r) { m_receivers.AddReceiver(r); }

void SimValue2::Release(IReceiver* r) {
  m_receivers.RemoveReceiver(r);
  if (m_ownedByHolders && m_receivers.IsEmpty()) delete this;
}

bool SimValue2::HasRef(IReceiver* r) const { return m_receivers.HasReceiver(r); }

}  // namespace rep
