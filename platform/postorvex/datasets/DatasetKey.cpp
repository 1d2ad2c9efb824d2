#include "postorvex/datasets/DatasetKey.h"

#include <cmath>
#include <cstring>

#include "orvex/values/Dataset.h"
#include "orvex/values/Value.h"

namespace {

// Bitwise, so that NaN equals NaN.
int CompareBits(double a, double b) {
  uint64_t x, y;
  std::memcpy(&x, &a, sizeof x);
  std::memcpy(&y, &b, sizeof y);
  return x < y ? -1 : (x > y ? 1 : 0);
}

}  // namespace

void DatasetKey::SetFixedSweepValue(unsigned j, double value) {
  if (j >= m_values.size()) m_values.resize(j + 1, 0.0);
  m_values[j] = value;
}

int DatasetKey::Compare(const DatasetKey& o) const {
  if (m_values.size() != o.m_values.size()) return m_values.size() < o.m_values.size() ? -1 : 1;
  if (m_varying != o.m_varying) return m_varying < o.m_varying ? -1 : 1;
  for (size_t j = 0; j < m_values.size(); ++j) {
    if (static_cast<int>(j) == m_varying) continue;
    if (int c = CompareBits(m_values[j], o.m_values[j])) return c;
  }
  return 0;
}

DatasetsForDatasetValue::DatasetsForDatasetValue() = default;
DatasetsForDatasetValue::~DatasetsForDatasetValue() = default;

AbstractDataset* DatasetsForDatasetValue::GetDatasetForKey(const DatasetKey& key) const {
  auto it = m_byKey.find(key);
  return it == m_byKey.end() ? nullptr : it->second.get();
}

void DatasetsForDatasetValue::SetDatasetForKey(const DatasetKey& key, AbstractDataset* dataset) {
  m_byKey[key].reset(dataset);
}

void DatasetsForDatasetValue::SetDatasetForPoint(int point, AbstractDataset* dataset) {
  if (point < 0) return;
  if (static_cast<size_t>(point) >= m_byPoint.size()) m_byPoint.resize(static_cast<size_t>(point) + 1, nullptr);
  m_byPoint[static_cast<size_t>(point)] = dataset;
}

AbstractDataset* DatasetsForDatasetValue::GetDatasetForPoint(int point) const {
  if (point < 0 || static_cast<size_t>(point) >= m_byPoint.size()) return nullptr;
  return m_byPoint[static_cast<size_t>(point)];
}

void IndexInsideDataset::SetIndexInsideDataset(int varyingIndex, int point, int index) {
  if (point < 0) return;
  std::vector<int>& indices = m_indices[varyingIndex];
  if (static_cast<size_t>(point) >= indices.size()) indices.resize(static_cast<size_t>(point) + 1, -1);
  indices[static_cast<size_t>(point)] = index;
}

int IndexInsideDataset::GetIndexInsideDataset(int varyingIndex, int point) const {
  auto it = m_indices.find(varyingIndex);
  if (it == m_indices.end() || point < 0 || static_cast<size_t>(point) >= it->second.size()) return -1;
  return it->second[static_cast<size_t>(point)];
}

CreateDatasetColumnVisitor::~CreateDatasetColumnVisitor() = default;

bool CreateDatasetColumnVisitor::Visit(const DoubleColumn&) {
  m_created = new Dataset<double, double>();
  return true;
}

bool CreateDatasetColumnVisitor::Visit(const ComplexColumn&) {
  m_created = new Dataset<double, AComplex<double>>();
  return true;
}

AddPointToDatasetColumnVisitor::AddPointToDatasetColumnVisitor(double x, const AString& yText,
                                                               AbstractDataset* dataset)
    : m_x(x), m_yText(yText), m_dataset(dataset) {}

AddPointToDatasetColumnVisitor::~AddPointToDatasetColumnVisitor() = default;

bool AddPointToDatasetColumnVisitor::Visit(const DoubleColumn& column) {
  auto* dataset = dynamic_cast<Dataset<double, double>*>(m_dataset);
  if (!dataset) return false;
  Value y(column.GetUnits());
  double v = y.SetValueText(m_yText, column.GetUnits()) ? y.GetValue() : std::nan("");
  m_index = static_cast<int>(dataset->AddPoint(m_x, v));
  return true;
}

bool AddPointToDatasetColumnVisitor::Visit(const ComplexColumn& column) {
  auto* dataset = dynamic_cast<Dataset<double, AComplex<double>>*>(m_dataset);
  if (!dataset) return false;
  Value y(column.GetUnits());
  AComplex<double> v = y.SetValueText(m_yText, column.GetUnits()) ? y.GetComplexValue()
                                                                   : AComplex<double>(std::nan(""), std::nan(""));
  m_index = static_cast<int>(dataset->AddPoint(m_x, v));
  return true;
}
