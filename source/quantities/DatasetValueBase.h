// The common part of the dataset values of expressions: a quantity sampled over a sweep variable.
#pragma once

#include "orvex/core/Assert.h"
#include "orvex/values/Dataset.h"

// X and Y are the types of the samples, Code the parameter type of the value (12 double, 11
// complex). A dataset value holds no numbers: the dataset of the point being evaluated comes from
// the subclass. Plain value getters have no meaning for it.
template <class X, class Y, int Code>
class DatasetValueBase : public AbstractDatasetValueBase {
public:
  ~DatasetValueBase() override = default;

  double GetValue() const override {
    ORVEX_ASSERT(!"Not Implemented");
    return 0.0;
  }
  AComplex<double> GetComplexValue() const override {
    ORVEX_ASSERT(!"Not Implemented");
    return AComplex<double>(0.0, 0.0);
  }
  // Shared, never copied.
  ValueBase* CloneValueBase() const override { return const_cast<DatasetValueBase*>(this); }
  bool IsEqual(const ValueBase& other) const override { return &other == this; }
  val::ParameterType GetParameterType() const override { return static_cast<val::ParameterType>(Code); }

  size_t GetNumPointsOfCurrentDataset() const override {
    const AbstractDataset* d = GetDatasetForCurrentPoint();
    return d ? d->GetNumPoints() : 0;
  }
  double GetXValueOfCurrentDataset(size_t index) const override {
    const AbstractDataset* d = GetDatasetForCurrentPoint();
    return d ? d->GetXValue(index) : 0.0;
  }
  AComplex<double> GetValueAtX(double) const override {
    ORVEX_ASSERT(!"No Impl");
    return AComplex<double>(0.0, 0.0);
  }
  AComplex<double> GetSecondValueAtX(double) const override {
    ORVEX_ASSERT(!"No Impl");
    return AComplex<double>(0.0, 0.0);
  }

protected:
  DatasetValueBase() = default;
};
