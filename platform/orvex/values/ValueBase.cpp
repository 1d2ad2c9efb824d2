#include "orvex/values/ValueBase.h"

#include <climits>
#include <cmath>
#include <limits>

#include "orvex/values/ConstantValues.h"

namespace {
const double kNaN = std::numeric_limits<double>::quiet_NaN();
}  // namespace

const ArcParam ArcParam::kInvalidValue = {kNaN, kNaN, kNaN, kNaN, kNaN};
const CircleParam CircleParam::kInvalidValue = {kNaN, kNaN, kNaN};
const RegionParam RegionParam::kInvalidValue = {{{kNaN, kNaN}}};

ValueBase::ValueBase() = default;
ValueBase::~ValueBase() = default;

void ValueBase::DoReceiveMsg(Msg& m) {
  for (int i = 0, n = GetNumChildren(); i < n; ++i) {
    if (const ValueBase* c = GetChild(i)) const_cast<ValueBase*>(c)->ReceiveMsg(m);
  }
}

val::DBType ValueBase::GetDBType() const { return val::kDefaultDBType; }
double ValueBase::GetValue() const { return 0.0; }
AComplex<double> ValueBase::GetComplexValue() const { return AComplex<double>(GetValue(), 0.0); }
int ValueBase::GetIntValue() const { return IntValue::kInvalidValue; }
char ValueBase::GetCharValue() const { return CharValue::kInvalidValue; }
int ValueBase::GetEnumValue() const { return EnumValue::kInvalidValue; }
const ArcParam* ValueBase::GetArcParam() const { return nullptr; }
const CircleParam* ValueBase::GetCircleParam() const { return nullptr; }
const RegionParam* ValueBase::GetRegionParam() const { return nullptr; }
AString ValueBase::GetStringValue() const { return StringValue::kInvalidValue; }
void ValueBase::Reserved13() const {}
void ValueBase::Reserved14() const {}
void ValueBase::Reserved15() const {}
void ValueBase::Reserved16() const {}
void ValueBase::Reserved17() const {}
void ValueBase::Reserved18() const {}
AString ValueBase::GetValueText() const { return AString(); }
void ValueBase::Reserved20() const {}
ValueBase* ValueBase::CloneValueBase() const { return const_cast<ValueBase*>(this); }
bool ValueBase::IsEqual(const ValueBase& other) const { return &other == this; }
bool ValueBase::IsConstant() const { return false; }
void ValueBase::Reserved24() const {}
void ValueBase::Reserved25() const {}
Units::FullUnitType ValueBase::GetUnits() const { return Units::kNoUnit; }
val::ParameterType ValueBase::GetParameterType() const { return val::kNoParam; }
void ValueBase::AddRef(IReceiver*) {}
void ValueBase::Release(IReceiver*) {}
bool ValueBase::HasRef(IReceiver*) const { return false; }
int ValueBase::GetNumChildren() const { return 0; }
const ValueBase* ValueBase::GetChild(int) const { return nullptr; }
void ValueBase::Reserved33() const {}
void ValueBase::Reserved34() const {}
void ValueBase::Reserved35() const {}
void ValueBase::Reserved36() const {}
void ValueBase::Reserved37() const {}
void ValueBase::Reserved38() const {}

ValueState ValueBase::GetValueState() const {
  Units::FullUnitType u = GetUnits();
  return ValueState(GetParameterType(), Units::GetUnitType(u), GetDBType(), u);
}
