// The datasets of a trace's dataset-valued quantities at every point of its connectivity, and
// the evaluation context that answers them during population.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <vector>

#include "Gravik/ISimDatasetValueEvaluationContext.h"
#include "postorvex/datasets/DatasetKey.h"

class AbstractQuantityInfo;
class Column;
class IProgressMonitor;
class SPS2Connectivity;
class SweepsVarInfoAbstraction;

namespace rep {

class ReportManager;
class VersionedQuantityParser;

class TraceDataDatasets : public ISimDatasetValueEvaluationContext {
public:
  TraceDataDatasets(const SweepsVarInfoAbstraction& sweepsInfo, const SPS2Connectivity& connectivity,
                    const AbstractQuantityInfo& quantityInfo, VersionedQuantityParser& parser, ReportManager* manager);
  ~TraceDataDatasets() override;
  TraceDataDatasets(const TraceDataDatasets&) = delete;
  TraceDataDatasets& operator=(const TraceDataDatasets&) = delete;

  int GetCurrentPointIndex() const override { return m_currentPoint; }
  void SetCurrentPointIndex(int index) { m_currentPoint = index; }
  const AbstractQuantityInfo& GetQuantityInfo() const { return m_quantityInfo; }
  int GetIndexInsideDataset(const AbstractDynamicDatasetValue* value, int pointIndex) const override;
  const AbstractDataset* GetDatasetForPoint(long datasetValueID, int pointIndex) const override;
  void ClearDatasets();
  // Builds the datasets of every dataset value of the trace at every point of the connectivity,
  // a value after those its expressions use.
  void ExtractDatasets(IProgressMonitor* monitor);
  const std::set<long>& GetLeafQuantityIDs() const { return m_leafIDs; }
  ReportManager* GetReportManager() const { return m_manager; }

private:
  void OrderByDependency(std::vector<long>& ids) const;
  void ExtractDatasetsOfValue(AbstractDynamicDatasetValue& value, IProgressMonitor* monitor);
  void BuildDatasetsFromColumns(const Column& x, const Column& y, const AbstractDynamicDatasetValue& value);
  void FillDatasetKey(DatasetKey& key, int point, int varyingIndex) const;

  const SweepsVarInfoAbstraction& m_sweepsInfo;
  const SPS2Connectivity& m_connectivity;
  const AbstractQuantityInfo& m_quantityInfo;
  VersionedQuantityParser& m_parser;
  ReportManager* m_manager;  // not owned
  int m_currentPoint = -1;
  std::map<long, std::unique_ptr<DatasetsForDatasetValue>> m_datasets;
  IndexInsideDataset m_indexInside;
  std::set<long> m_leafIDs;
};

}  // namespace rep
