// Makes one trace's datasets the evaluation context of its dataset values for a population run,
// and puts each value's previous context back at the end.
#pragma once

#include <vector>

class AbstractDynamicDatasetValue;
class AbstractQuantityInfo;
class ISimDatasetValueEvaluationContext;

namespace rep {
class VersionedQuantityParser;
}

class SimDatasetValueEvaluationContextRestorer2 {
public:
  SimDatasetValueEvaluationContextRestorer2(const AbstractQuantityInfo& quantities, rep::VersionedQuantityParser& parser,
                                            ISimDatasetValueEvaluationContext* context);
  SimDatasetValueEvaluationContextRestorer2(const std::vector<AbstractDynamicDatasetValue*>& values,
                                            ISimDatasetValueEvaluationContext* context);
  ~SimDatasetValueEvaluationContextRestorer2();
  SimDatasetValueEvaluationContextRestorer2(const SimDatasetValueEvaluationContextRestorer2&) = delete;
  SimDatasetValueEvaluationContextRestorer2& operator=(const SimDatasetValueEvaluationContextRestorer2&) = delete;

  // The value's previous context; null, and nothing changed, for a value of no dataset kind.
  static ISimDatasetValueEvaluationContext* SetEvaluationContext(AbstractDynamicDatasetValue* value,
                                                                 ISimDatasetValueEvaluationContext* context);

private:
  void Install();

  std::vector<ISimDatasetValueEvaluationContext*> m_previous;
  std::vector<AbstractDynamicDatasetValue*> m_values;  // not owned
  ISimDatasetValueEvaluationContext* mCtxt;            // not owned
};
