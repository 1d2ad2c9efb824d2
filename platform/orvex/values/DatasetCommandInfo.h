// The command info of design-dataset edits (kind 57302): which datasets of which server a command edited.
#pragma once

#include <map>
#include <set>

#include "orvex/core/OrvexApi.h"
#include "orvex/core/VelmorCommandInfo.h"
#include "orvex/values/Dataset.h"

class ORVEX_API DatasetCommandInfo : public VelmorCommandInfo {
public:
  static constexpr int kKind = cmdinfo::kDatasetKind;

  DatasetCommandInfo();
  ~DatasetCommandInfo() override;

  void AddEditedDataset(const DatasetServer* server, long datasetID);
  bool IsAnyDatasetEdited() const;
  // Any dataset ID of the entry edited in the entry's server.
  bool IsAnyDatasetEdited(const ReferencedDatasetMap::value_type& entry) const;

  // Also takes the other info's datasets when it is a dataset info.
  void MergeInfo(const VelmorCommandInfo& other) override;

private:
  ReferencedDatasetMap m_edited;
};
