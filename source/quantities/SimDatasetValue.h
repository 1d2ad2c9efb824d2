// A dataset value of simulated quantities: its samples come from the evaluation context of a population.
#pragma once

#include "quantities/DynamicDatasetValue.h"
#include "Gravik/ISimDatasetValueEvaluationContext.h"

template <class Y, int Code>
class SimDatasetValue : public DynamicDatasetValue<double, Y, Code> {
public:
  SimDatasetValue(long id, ValueBase* yExpr, ValueBase* xExpr) : DynamicDatasetValue<double, Y, Code>(id, yExpr, xExpr) {}
  ~SimDatasetValue() override;

  void DoReceiveMsg(Msg& m) override {
    if (m.GetType() == msgtype::kReferencedPostprocessingQuantity)
      if (auto* query = dynamic_cast<ReferencedPostprocessingQuantityMsg*>(&m)) query->AddSimDatasetValue(this->GetID());
    DynamicDatasetValue<double, Y, Code>::DoReceiveMsg(m);
  }

  int GetIndexInsideDataset() const override {
    if (!m_context) {
      ORVEX_ASSERT(!"mSolutionPointSet in SimDataExtractor at BeginPostprocessingUpdate(sps) to be set for ranged functions to work");
      return 0;
    }
    return m_context->GetIndexInsideDataset(this, m_context->GetCurrentPointIndex());
  }

  const AbstractDataset* GetDatasetForCurrentPoint() const override {
    if (!m_context) {
      ORVEX_ASSERT(!"mSolutionPointSet in SimDataExtractor at BeginPostprocessingUpdate(sps) to be set for ranged functions to work");
      return nullptr;
    }
    const AbstractDataset* ads = m_context->GetDatasetForPoint(this->GetID(), m_context->GetCurrentPointIndex());
    ORVEX_ASSERT(ads);
    if (!ads) return nullptr;
    const auto* ds = dynamic_cast<const Dataset<double, Y>*>(ads);
    ORVEX_ASSERT(ds);
    return ds;
  }

  // Answers the context it replaces; null uninstalls.
  ISimDatasetValueEvaluationContext* SetEvaluationContext(ISimDatasetValueEvaluationContext* context) {
    ISimDatasetValueEvaluationContext* previous = m_context;
    m_context = context;
    return previous;
  }
  ISimDatasetValueEvaluationContext* GetEvaluationContext() const { return m_context; }

private:
  ISimDatasetValueEvaluationContext* m_context = nullptr;  // not owned; installed by population
};

template <class Y, int Code>
SimDatasetValue<Y, Code>::~SimDatasetValue() = default;

typedef SimDatasetValue<double, 12> DoubleSimDatasetValue;
typedef SimDatasetValue<AComplex<double>, 11> ComplexSimDatasetValue;

// The two kinds are instantiated once, in SimDatasetValue.cpp.
extern template class DatasetValueBase<double, double, 12>;
extern template class DatasetValueBase<double, AComplex<double>, 11>;
extern template class DynamicDatasetValue<double, double, 12>;
extern template class DynamicDatasetValue<double, AComplex<double>, 11>;
extern template class SimDatasetValue<double, 12>;
extern template class SimDatasetValue<AComplex<double>, 11>;
