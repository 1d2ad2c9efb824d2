// The base of everything an expression tree holds: numbers, variables, quantities, operators.
#pragma once

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/values/AComplex.h"
#include "orvex/values/GeometryParams.h"
#include "orvex/values/Msg.h"
#include "orvex/values/Units.h"
#include "orvex/values/ValueCodes.h"
#include "orvex/values/ValueState.h"

// Virtual operations are declared in their fixed slot order; ReservedN fill the undescribed slots.
// Every value base is shared: CloneValueBase answers the object itself, and holders register with
// AddRef and leave with Release. Nodes and literals delete themselves when their last holder leaves;
// objects owned elsewhere (variables, quantities) never do.
class ORVEX_API ValueBase : public SingleVisitReceiver {
public:
  ValueBase();
  ~ValueBase() override;                                   // slot 0
  // slot 1: SingleVisitReceiver::ReceiveMsg
  void DoReceiveMsg(Msg& m) override;                      // slot 2
  virtual val::DBType GetDBType() const;                   // slot 3
  virtual double GetValue() const;                         // slot 4, in GetUnits()
  virtual AComplex<double> GetComplexValue() const;        // slot 5
  virtual int GetIntValue() const;                         // slot 6
  virtual char GetCharValue() const;                       // slot 7
  virtual int GetEnumValue() const;                        // slot 8
  virtual const ArcParam* GetArcParam() const;             // slot 9
  virtual const CircleParam* GetCircleParam() const;       // slot 10
  virtual const RegionParam* GetRegionParam() const;      // slot 11
  virtual AString GetStringValue() const;                  // slot 12
  virtual void Reserved13() const;
  virtual void Reserved14() const;
  virtual void Reserved15() const;
  virtual void Reserved16() const;
  virtual void Reserved17() const;
  virtual void Reserved18() const;
  virtual AString GetValueText() const;                    // slot 19
  virtual void Reserved20() const;
  virtual ValueBase* CloneValueBase() const;               // slot 21
  virtual bool IsEqual(const ValueBase& other) const;      // slot 22
  virtual bool IsConstant() const;                         // slot 23
  virtual void Reserved24() const;
  virtual void Reserved25() const;
  virtual Units::FullUnitType GetUnits() const;            // slot 26
  virtual val::ParameterType GetParameterType() const;     // slot 27
  virtual void AddRef(IReceiver* r);                       // slot 28
  virtual void Release(IReceiver* r);                      // slot 29
  virtual bool HasRef(IReceiver* r) const;                 // slot 30
  virtual int GetNumChildren() const;                      // slot 31: operands of tree nodes
  virtual const ValueBase* GetChild(int index) const;      // slot 32
  virtual void Reserved33() const;
  virtual void Reserved34() const;
  virtual void Reserved35() const;
  virtual void Reserved36() const;
  virtual void Reserved37() const;
  virtual void Reserved38() const;

  // (parameter type, category of GetUnits(), DB type, GetUnits()).
  ValueState GetValueState() const;

protected:
  // Copies carry no holders: subclasses that copy (output variables) start unreferenced.
  ValueBase(const ValueBase&) = default;
  ValueBase& operator=(const ValueBase&) = default;
};
