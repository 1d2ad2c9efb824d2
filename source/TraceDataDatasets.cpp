#include "TraceDataDatasets.h"

#include "GravikUtils.h"
#include "VersionedQuantityParser.h"
#include "orvex/values/Dataset.h"
#include "orvex/values/ValueBase.h"
#include "postorvex/quantities/CompositeReferencedPostprocessingQuantityMsg.h"
#include "postorvex/sweeps/SweepsAbstraction.h"

namespace rep {

TraceDataDatasets::TraceDataDatasets(const SweepsVarInfoAbstraction& sweepsInfo, const SPS2Connectivity& connectivity,
                                     const AbstractQuantityInfo& quantityInfo, VersionedQuantityParser& parser,
                                     ReportManager* manager)
    : m_sweepsInfo(sweepsInfo), m_connectivity(connectivity), m_quantityInfo(quantityInfo), m_parser(parser),
      m_manager(manager) {
  CollectLeafQuantitySimValueIDs(m_leafIDs, const_cast<AbstractQuantityInfo&>(quantityInfo),
                                 parser.GetSimValueInfoCache(), parser.GetDesignSolutionDefinition(),
                                 parser.GetVersionID());
}

TraceDataDatasets::~TraceDataDatasets() { ClearDatasets(); }

int TraceDataDatasets::GetIndexInsideDataset(const AbstractDynamicDatasetValue* value, int pointIndex) const {
  const ValueBase* x = value ? value->GetXExpression() : nullptr;
  const int varying = x ? m_sweepsInfo.GetVariableIndex(x->GetValueText()) : 0;
  return m_indexInside.GetIndexInsideDataset(varying, pointIndex);
}

const AbstractDataset* TraceDataDatasets::GetDatasetForPoint(long datasetValueID, int pointIndex) const {
  auto it = m_datasets.find(datasetValueID);
  return it == m_datasets.end() ? nullptr : it->second->GetDatasetForPoint(pointIndex);
}

void TraceDataDatasets::ClearDatasets() { m_datasets.clear(); }

}  // namespace rep
