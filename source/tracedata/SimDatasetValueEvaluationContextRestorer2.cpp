#include "tracedata/SimDatasetValueEvaluationContextRestorer2.h"

#include "quantities/SimDatasetValue.h"
#include "quantities/VersionedQuantityParser.h"
#include "orvex/core/Assert.h"
#include "postorvex/quantities/CompositeReferencedPostprocessingQuantityMsg.h"

SimDatasetValueEvaluationContextRestorer2::SimDatasetValueEvaluationContextRestorer2(
    const AbstractQuantityInfo& quantities, rep::VersionedQuantityParser& parser,
    ISimDatasetValueEvaluationContext* context)
    : mCtxt(context) {
  std::vector<long> ids;
  quantities.GetAllSimDatasetValues(ids);
  for (long id : ids) {
    AbstractDynamicDatasetValue* idv = parser.FindDatasetByID(id);
    ORVEX_ASSERT(idv);
    m_values.push_back(idv);
  }
  Install();
}

SimDatasetValueEvaluationContextRestorer2::SimDatasetValueEvaluationContextRestorer2(
    const std::vector<AbstractDynamicDatasetValue*>& values, ISimDatasetValueEvaluationContext* context)
    : m_values(values), mCtxt(context) {
  Install();
}

void SimDatasetValueEvaluationContextRestorer2::Install() {
  for (AbstractDynamicDatasetValue* value : m_values) m_previous.push_back(SetEvaluationContext(value, mCtxt));
}

SimDatasetValueEvaluationContextRestorer2::~SimDatasetValueEvaluationContextRestorer2() {
  for (size_t i = 0; i < m_values.size(); ++i) {
    if (!m_values[i] || !(dynamic_cast<ComplexSimDatasetValue*>(m_values[i]) ||
                          dynamic_cast<DoubleSimDatasetValue*>(m_values[i])))
      continue;
    ISimDatasetValueEvaluationContext* prev = SetEvaluationContext(m_values[i], m_previous[i]);
    ORVEX_ASSERT(prev==mCtxt);
  }
}

ISimDatasetValueEvaluationContext* SimDatasetValueEvaluationContextRestorer2::SetEvaluationContext(
    AbstractDynamicDatasetValue* value, ISimDatasetValueEvaluationContext* context) {
  if (auto* complex = dynamic_cast<ComplexSimDatasetValue*>(value)) return complex->SetEvaluationContext(context);
  if (auto* real = dynamic_cast<DoubleSimDatasetValue*>(value)) return real->SetEvaluationContext(context);
  return nullptr;
}
