#include "tracedata/TraceDataComponentCreator.h"

#include <memory>

#include "tracedata/BaseCompositeTraceData.h"
#include "tracedata/ComputedTraceDataSupport.h"
#include "tracedata/ConcreteCompositeTraceData.h"
#include "tracedata/TraceComponentData.h"
#include "orvex/core/Assert.h"
#include "orvex/io/Block.h"
#include "postorvex/columns/Column.h"
#include "postorvex/quantities/QuantityTypeParams.h"

namespace rep {

TraceDataComponentCreator::TraceDataComponentCreator(const AString& name, unsigned depth)
    : m_name(name), m_depth(depth) {}

TraceDataComponentCreator::~TraceDataComponentCreator() { delete m_result; }

IBaseTraceComponentData* TraceDataComponentCreator::TakeResult() {
  IBaseTraceComponentData* result = m_result;
  m_result = nullptr;
  return result;
}

TraceComponentData* TraceDataComponentCreator::MakeLeaf(const AString& expression, val::ParameterType type,
                                                        Units::FullUnitType units) {
  Column* column = NewManagedColumn(type, units);
  if (!column) column = NewManagedColumn(val::kDoubleParam, units);
  auto* leaf = new TraceComponentData(column, nullptr, nullptr);
  leaf->SetExpression(expression);
  return leaf;
}

TraceComponentData* TraceDataComponentCreator::MakeFallbackLeaf(const AString& expression) {
  return MakeLeaf(expression, val::kDoubleParam, Units::kNoUnit);
}

IBaseTraceComponentData* TraceDataComponentCreator::CreateFor(const BaseQuantityTypeParam* param, const AString& name,
                                                              unsigned depth) {
  if (!param) return MakeFallbackLeaf(name);
  TraceDataComponentCreator creator(name, depth);
  param->Accept(creator);
  IBaseTraceComponentData* result = creator.TakeResult();
  return result ? result : MakeFallbackLeaf(name);
}

bool TraceDataComponentCreator::VisitPlain(const QuantityTypeParam& param) {
  const ValueState& state = param.GetValueState();
  delete m_result;
  m_result = MakeLeaf(m_name, state.GetParameterType(), state.GetFullUnitType());
  return true;
}

bool TraceDataComponentCreator::VisitEnum(const EnumQuantityTypeParam& param) {
  const ValueState& state = param.GetValueState();
  TraceComponentData* leaf = MakeLeaf(m_name, state.GetParameterType(), state.GetFullUnitType());
  leaf->InitializeEnumName(param.GetEnumTypeName());
  delete m_result;
  m_result = leaf;
  return true;
}

bool TraceDataComponentCreator::VisitComposite(const CompositeQuantityTypeParam& param) {
  // Deeper trees would not read back: the stored form stops at this depth.
  if (m_depth >= ConcreteCompositeTraceData::kMaxCompositeDepth) {
    ORVEX_ASSERT(!"composite quantity nested too deep");
    delete m_result;
    m_result = MakeFallbackLeaf(m_name);
    return true;
  }
  auto node = std::make_unique<CompositeTraceComponentData>(m_name, param.GetCompositeType());
  for (size_t i = 0; i < param.GetNumConstituents(); ++i)
    node->SetChild(static_cast<unsigned>(i), CreateFor(param.GetConstituentQuantityTypeParam(i),
                                                       param.GetConstituentQuantityName(i), m_depth + 1));
  delete m_result;
  m_result = node.release();
  return true;
}

bool TraceDataComponentCreator::VisitOther(const BaseQuantityTypeParam& /*param*/) {
  ORVEX_ASSERT(0);
  delete m_result;
  m_result = MakeFallbackLeaf(m_name);
  return true;
}

}  // namespace rep
