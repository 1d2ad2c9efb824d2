#include "tracedata/TraceDataDatasets.h"

#include <algorithm>

#include "reports/GravikUtils.h"
#include "tracedata/PopulateTraceDataVisitor.h"
#include "tracedata/SimDatasetValueEvaluationContextRestorer2.h"
#include "orvex/core/Assert.h"
#include "orvex/core/Ids.h"
#include "orvex/values/IVariableNameSpaceSetupper.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableNameSpace.h"
#include "postorvex/columns/Column.h"
#include "postorvex/connectivity/SPS2Connectivity.h"
#include "quantities/VersionedQuantityParser.h"
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

void TraceDataDatasets::ExtractDatasets(IProgressMonitor* monitor) {
  ClearDatasets();
  std::vector<long> ids;
  m_quantityInfo.GetAllSimDatasetValues(ids);
  OrderByDependency(ids);
  for (long id : ids) {
    AbstractDynamicDatasetValue* idv = m_parser.FindDatasetByID(id);
    ORVEX_ASSERT(idv);
    if (idv && !m_datasets.count(idv->GetID())) ExtractDatasetsOfValue(*idv, monitor);
  }
}

void TraceDataDatasets::OrderByDependency(std::vector<long>& ids) const {
  std::map<long, std::vector<long>> dependencies;
  for (auto it = ids.rbegin(); it != ids.rend(); ++it) {
    std::vector<long> on;
    m_quantityInfo.GetSimDatasetDependencyInfo(*it, on);
    if (!on.empty()) dependencies[*it] = on;
  }
  std::vector<long> placed, pending;
  auto isPlaced = [&placed](long id) { return std::find(placed.begin(), placed.end(), id) != placed.end(); };
  for (auto it = ids.rbegin(); it != ids.rend(); ++it) {
    if (isPlaced(*it)) continue;
    if (!dependencies.count(*it))
      placed.push_back(*it);
    else if (std::find(pending.begin(), pending.end(), *it) == pending.end())
      pending.push_back(*it);
  }
  while (!pending.empty()) {
    bool any = false;
    for (auto it = pending.begin(); it != pending.end();) {
      bool met = true;
      for (long on : dependencies[*it]) {
        if (on == *it) {
          ORVEX_ASSERT(0);
          continue;
        }
        met = met && isPlaced(on);
      }
      if (met) {
        placed.push_back(*it);
        it = pending.erase(it);
        any = true;
      } else {
        ++it;
      }
    }
    if (!any) {
      ORVEX_ASSERT(!"fail to resolve dynamic dataset");
      placed.insert(placed.end(), pending.begin(), pending.end());
      break;
    }
  }
  ids = placed;
}

void TraceDataDatasets::ExtractDatasetsOfValue(AbstractDynamicDatasetValue& value, IProgressMonitor* monitor) {
  const ValueBase* xExpr = value.GetXExpression();
  const ValueBase* yExpr = value.GetYExpression();
  Variable* primary = m_sweepsInfo.GetNumVariables() > 0 ? m_sweepsInfo.GetVariable(0) : nullptr;
  const ValueBase* xSource = xExpr ? xExpr : primary;
  if (!xSource || !yExpr) return;
  std::unique_ptr<Column> x(Column::CreateColumn(xSource->GetParameterType(), xSource->GetUnits()));
  std::unique_ptr<Column> y(Column::CreateColumn(yExpr->GetParameterType(), yExpr->GetUnits()));
  if (!x || !y) return;
  const AString xText = xExpr ? xExpr->GetValueText() : primary->GetName();
  std::vector<Value> expressions(2, Value(Units::kNoUnit));
  {
    VariableNameSpace names(1, 1, 0);
    if (IVariableNameSpaceSetupper* setupper = m_parser.GetVariableNameSpaceSetupper()) setupper->Setup(names);
    InstalledParserScope installed(&m_parser);
    bool validExpr = SetValueTextIfNotEmpty(expressions[0], xText, Units::kNoUnit);
    ORVEX_ASSERT(validExpr);
    validExpr = SetValueTextIfNotEmpty(expressions[1], yExpr->GetValueText(), Units::kNoUnit);
    ORVEX_ASSERT(validExpr);
  }
  {
    SimDatasetValueEvaluationContextRestorer2 context(m_quantityInfo, m_parser, this);
    PopulateTraceDataVisitor visitor(expressions, {x.get(), y.get()}, &m_parser, this, monitor, false);
    m_connectivity.Accept(visitor);
  }
  BuildDatasetsFromColumns(*x, *y, value);
}

void TraceDataDatasets::BuildDatasetsFromColumns(const Column& x, const Column& y,
                                                 const AbstractDynamicDatasetValue& value) {
  const ValueBase* xExpr = value.GetXExpression();
  Variable* primary = m_sweepsInfo.GetNumVariables() > 0 ? m_sweepsInfo.GetVariable(0) : nullptr;
  const AString varying = xExpr ? xExpr->GetValueText() : (primary ? primary->GetName() : AString());
  const int varyingIndex = m_sweepsInfo.GetVariableIndex(varying);
  // An x that names no variable of the trace gives the value no datasets: it then answers NaN.
  ORVEX_ASSERT(varyingIndex >= 0);
  if (varyingIndex < 0) return;
  if (m_datasets.count(value.GetID())) {
    ORVEX_ASSERT(!"Should not be calling datasets have already been extracted");
    return;
  }
  DatasetsForDatasetValue& store = *(m_datasets[value.GetID()] = std::make_unique<DatasetsForDatasetValue>());
  const int n = static_cast<int>(m_connectivity.GetNumPoints());
  std::vector<double> xs;
  if (const DoubleColumn* dx = x.GetDoubleColumn()) xs = dx->GetValues();
  const bool haveX = xs.size() == static_cast<size_t>(n);
  if (!haveX) ORVEX_ASSERT(!"not enough points");
  // Each point needs its y value: a short y column builds no datasets.
  if (y.GetCount() != static_cast<size_t>(n)) {
    ORVEX_ASSERT(!"not enough points");
    return;
  }
  for (int i = 0; i < n; ++i) {
    DatasetKey key;
    FillDatasetKey(key, i, varyingIndex);
    AbstractDataset* dataset = store.GetDatasetForKey(key);
    if (!dataset) {
      CreateDatasetColumnVisitor create;
      y.Accept(create);
      dataset = create.GetCreatedDataset();
      if (!dataset) continue;
      store.SetDatasetForKey(key, dataset);
    }
    store.SetDatasetForPoint(i, dataset);
    AddPointToDatasetColumnVisitor add(haveX ? xs[static_cast<size_t>(i)] : 0.0,
                                       y.GetSingleValueText(static_cast<size_t>(i)), dataset);
    y.Accept(add);
    m_indexInside.SetIndexInsideDataset(varyingIndex, i, add.GetIndexWithinCurve());
  }
}

void TraceDataDatasets::FillDatasetKey(DatasetKey& key, int point, int varyingIndex) const {
  key.SetSize(m_sweepsInfo.GetNumVariables());
  key.SetVaryingIndex(varyingIndex);
  const long quantityID = m_leafIDs.empty() ? id::invalidID : *m_leafIDs.begin();
  const VariableValues values = m_connectivity.GetVariableValuesAtPointIndex(point, quantityID);
  for (unsigned j = 0; j < m_sweepsInfo.GetNumVariables(); ++j) {
    Variable* swpVar = m_sweepsInfo.GetVariable(j);
    ORVEX_ASSERT(swpVar);
    const Value* v = swpVar ? values.GetVariableValue(swpVar) : nullptr;
    key.SetFixedSweepValue(j, v ? v->GetValue() : 0.0);
  }
}

}  // namespace rep
