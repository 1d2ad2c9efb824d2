// Turns the type parameter of a quantity into a tree of trace components: a leaf per plain or
// enumeration quantity, a composite node per composite quantity with one child per constituent.
#pragma once

#include "orvex/core/AString.h"
#include "orvex/values/ValueCodes.h"
#include "orvex/values/Units.h"
#include "postorvex/quantities/QuantityTypeParamVisitor.h"

class BaseQuantityTypeParam;
class IBaseTraceComponentData;

namespace rep {

class TraceComponentData;

class TraceDataComponentCreator : public QuantityTypeParamVisitor {
public:
  // `depth` counts the composite nodes above the one this creator builds.
  explicit TraceDataComponentCreator(const AString& name, unsigned depth = 0);
  ~TraceDataComponentCreator() override;
  TraceDataComponentCreator(const TraceDataComponentCreator&) = delete;
  TraceDataComponentCreator& operator=(const TraceDataComponentCreator&) = delete;

  bool VisitComposite(const CompositeQuantityTypeParam& param) override;  // 1
  bool VisitEnum(const EnumQuantityTypeParam& param) override;            // 2
  bool VisitPlain(const QuantityTypeParam& param) override;               // 3
  // Another kind: a fallback leaf, so that a tree never misses a component.
  bool VisitOther(const BaseQuantityTypeParam& param) override;           // 4

  // The caller owns the component; the creator then holds none.
  IBaseTraceComponentData* TakeResult();

  // A leaf whose column has the given type and unit (of parameter type 1 when that makes none).
  static TraceComponentData* MakeLeaf(const AString& expression, val::ParameterType type, Units::FullUnitType units);
  // The leaf of a quantity whose type is unknown: parameter type 1, unit type 90.
  static TraceComponentData* MakeFallbackLeaf(const AString& expression);
  // The tree of `param`, or the fallback leaf when there is no parameter.
  static IBaseTraceComponentData* CreateFor(const BaseQuantityTypeParam* param, const AString& name, unsigned depth);

private:
  IBaseTraceComponentData* m_result = nullptr;  // owned until taken
  AString m_name;                               // the expression or quantity name the component receives
  unsigned m_depth;
};

}  // namespace rep
