// Where a dataset value finds, while a trace is populated, the dataset of the point being evaluated.
#pragma once

class AbstractDataset;
class AbstractDynamicDatasetValue;

class ISimDatasetValueEvaluationContext {
public:
  virtual ~ISimDatasetValueEvaluationContext() = default;  // 0
  virtual int GetCurrentPointIndex() const = 0;             // 1
  virtual int GetIndexInsideDataset(const AbstractDynamicDatasetValue* value, int pointIndex) const = 0;  // 2
  // Null when the ID has no datasets.
  virtual const AbstractDataset* GetDatasetForPoint(long datasetValueID, int pointIndex) const = 0;  // 3
};
