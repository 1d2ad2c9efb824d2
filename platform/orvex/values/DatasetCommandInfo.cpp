#include "orvex/values/DatasetCommandInfo.h"

DatasetCommandInfo::DatasetCommandInfo() = default;

DatasetCommandInfo::~DatasetCommandInfo() = default;

void DatasetCommandInfo::AddEditedDataset(const DatasetServer* server, long datasetID) {
  m_edited[server].insert(datasetID);
}

bool DatasetCommandInfo::IsAnyDatasetEdited() const {
  for (const auto& entry : m_edited)
    if (!entry.second.empty()) return true;
  return false;
}

bool DatasetCommandInfo::IsAnyDatasetEdited(const ReferencedDatasetMap::value_type& entry) const {
  auto found = m_edited.find(entry.first);
  if (found == m_edited.end()) return false;
  for (long id : entry.second)
    if (found->second.count(id)) return true;
  return false;
}

void DatasetCommandInfo::MergeInfo(const VelmorCommandInfo& other) {
  VelmorCommandInfo::MergeInfo(other);
  const auto* datasets = dynamic_cast<const DatasetCommandInfo*>(&other);
  if (!datasets || datasets == this) return;
  for (const auto& entry : datasets->m_edited) m_edited[entry.first].insert(entry.second.begin(), entry.second.end());
}
