#include "orvex/values/Dataset.h"

#include "orvex/core/TestHooks.h"

namespace {

void ResetDesignDatasets() { DatasetServer::GetDesignDatasetServer()->Clear(); }

const bool s_registered = orvex::test::RegisterGlobalState({"design datasets", &ResetDesignDatasets, nullptr});

}  // namespace

AbstractDataset::~AbstractDataset() = default;

AbstractDatasetValueBase::AbstractDatasetValueBase() = default;
AbstractDatasetValueBase::~AbstractDatasetValueBase() = default;

size_t AbstractDatasetValueBase::GetNumPointsOfCurrentDataset() const {
  const AbstractDataset* d = GetDatasetForCurrentPoint();
  return d ? d->GetNumPoints() : 0;
}

double AbstractDatasetValueBase::GetXValueOfCurrentDataset(size_t index) const {
  const AbstractDataset* d = GetDatasetForCurrentPoint();
  return d ? d->GetXValue(index) : 0.0;
}

AComplex<double> AbstractDatasetValueBase::GetValueAtX(double) const { return AComplex<double>(); }
AComplex<double> AbstractDatasetValueBase::GetSecondValueAtX(double) const { return AComplex<double>(); }
const ValueBase* AbstractDatasetValueBase::GetYExpression() const { return nullptr; }

AbstractDynamicDatasetValue::~AbstractDynamicDatasetValue() = default;

DatasetServer* DatasetServer::GetDesignDatasetServer() {
  static DatasetServer s;
  return &s;
}

long DatasetServer::AddDataset(const AString& name) {
  long existing = FindDataset(name);
  if (existing >= 0) return existing;
  long id = m_nextID++;
  m_names[id] = name;
  return id;
}

long DatasetServer::FindDataset(const AString& name) const {
  for (const auto& kv : m_names)
    if (kv.second.CompareNoCase(name) == 0) return kv.first;
  return -1;
}

AString DatasetServer::GetDatasetName(long id) const {
  auto it = m_names.find(id);
  return it == m_names.end() ? AString() : it->second;
}

bool DatasetServer::RemoveDataset(long id) { return m_names.erase(id) != 0; }

void DatasetServer::Clear() {
  m_names.clear();
  m_nextID = 1;
}
