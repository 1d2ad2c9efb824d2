// One simulated quantity inside a parsed expression: it holds the quantity's identity, not its numbers.
#pragma once

#include "orvex/values/ReceiverMgr.h"
#include "orvex/values/ValueBase.h"
#include "postorvex/quantities/SimValueParams.h"

namespace rep {

// Every typed getter asks the value parser installed at the moment of the call, so one parsed
// expression yields the values of whichever provider is installed. Made and owned by a
// VersionedQuantityParser; never copied.
class SimValue2 : public ValueBase {
public:
  SimValue2(long simValueID, const ValueState& state, const AString& quantityText);
  ~SimValue2() override;
  SimValue2(const SimValue2&) = delete;
  SimValue2& operator=(const SimValue2&) = delete;

  long GetSimValueID() const { return m_id; }
  const SimValueParams& GetSimValueParams() const { return m_params; }
  // After a rename; the ID stays.
  void SetQuantityText(const AString& text);

  void DoReceiveMsg(Msg& m) override;
  val::DBType GetDBType() const override;
  double GetValue() const override;
  AComplex<double> GetComplexValue() const override;
  int GetIntValue() const override;
  char GetCharValue() const override;
  int GetEnumValue() const override;
  const ArcParam* GetArcParam() const override;
  const CircleParam* GetCircleParam() const override;
  const RegionParam* GetRegionParam() const override;
  AString GetValueText() const override;
  ValueBase* CloneValueBase() const override;
  bool IsEqual(const ValueBase& other) const override;
  bool IsConstant() const override { return false; }
  Units::FullUnitType GetUnits() const override;
  val::ParameterType GetParameterType() const override;
  void AddRef(IReceiver* r) override;
  void Release(IReceiver* r) override;
  bool HasRef(IReceiver* r) const override;

  bool IsReferenced() const { return !m_receivers.IsEmpty(); }
  // For a parser that goes while expressions still hold this value: from now on the value
  // deletes itself when its last holder releases it. It needs nothing of the parser to work.
  void HandOverToHolders() { m_ownedByHolders = true; }

private:
  long m_id;
  SimValueParams m_params;
  ReceiverMgr m_receivers;  // the values that hold this one, not owned
  bool m_ownedByHolders = false;
};

}  // namespace rep
