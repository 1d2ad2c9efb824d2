// How the datasets of a trace's dataset values are found again: by the fixed sweep values of a
// point, and the point's index inside its dataset.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "postorvex/columns/Column.h"

class AbstractDataset;

// Equal keys share a dataset: same size, same varying index and bitwise the same fixed values
// (the varying entry is not compared).
class POSTORVEX_API DatasetKey {
public:
  void SetSize(unsigned n) { m_values.assign(n, 0.0); }
  void SetVaryingIndex(int index) { m_varying = index; }
  void SetFixedSweepValue(unsigned j, double value);
  bool operator<(const DatasetKey& o) const { return Compare(o) < 0; }
  bool operator==(const DatasetKey& o) const { return Compare(o) == 0; }

private:
  int Compare(const DatasetKey& o) const;
  std::vector<double> m_values;
  int m_varying = -1;
};

class POSTORVEX_API DatasetsForDatasetValue {
public:
  DatasetsForDatasetValue();
  ~DatasetsForDatasetValue();
  DatasetsForDatasetValue(const DatasetsForDatasetValue&) = delete;
  DatasetsForDatasetValue& operator=(const DatasetsForDatasetValue&) = delete;

  AbstractDataset* GetDatasetForKey(const DatasetKey& key) const;
  // Takes ownership; a dataset already held under the key is deleted.
  void SetDatasetForKey(const DatasetKey& key, AbstractDataset* dataset);
  // Not owning.
  void SetDatasetForPoint(int point, AbstractDataset* dataset);
  AbstractDataset* GetDatasetForPoint(int point) const;

private:
  std::map<DatasetKey, std::unique_ptr<AbstractDataset>> m_byKey;
  std::vector<AbstractDataset*> m_byPoint;
};

class POSTORVEX_API IndexInsideDataset {
public:
  void SetIndexInsideDataset(int varyingIndex, int point, int index);
  // -1 when unknown.
  int GetIndexInsideDataset(int varyingIndex, int point) const;

private:
  std::map<int, std::vector<int>> m_indices;  // varying index -> per point
};

// An empty dataset for a double or complex y column; nothing for other kinds.
class POSTORVEX_API CreateDatasetColumnVisitor : public Column::Visitor {
public:
  ~CreateDatasetColumnVisitor() override;
  using Column::Visitor::Visit;
  bool Visit(const DoubleColumn& column) override;
  bool Visit(const ComplexColumn& column) override;
  // The caller takes it.
  AbstractDataset* GetCreatedDataset() const { return m_created; }

private:
  AbstractDataset* m_created = nullptr;
};

// Appends (x, y) to the dataset, y parsed from its text in the y column's unit; a text that
// does not parse appends NaN, so indexes stay aligned.
class POSTORVEX_API AddPointToDatasetColumnVisitor : public Column::Visitor {
public:
  AddPointToDatasetColumnVisitor(double x, const AString& yText, AbstractDataset* dataset);
  ~AddPointToDatasetColumnVisitor() override;
  using Column::Visitor::Visit;
  bool Visit(const DoubleColumn& column) override;
  bool Visit(const ComplexColumn& column) override;
  int GetIndexWithinCurve() const { return m_index; }

private:
  double m_x;
  AString m_yText;
  AbstractDataset* m_dataset;  // not owned
  int m_index = -1;
};
