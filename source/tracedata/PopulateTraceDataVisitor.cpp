#include "tracedata/PopulateTraceDataVisitor.h"

#include "reports/GravikUtils.h"
#include "quantities/ScopedProfiler.h"
#include "quantities/SimValue2.h"
#include "tracedata/SimValueValueProviderT.h"
#include "tracedata/TraceDataDatasets.h"
#include "quantities/VersionedQuantityParser.h"
#include "orvex/centupd/IProgressMonitor.h"
#include "orvex/core/Assert.h"
#include "orvex/core/VelDebug.h"
#include "orvex/values/IValueColumnSource.h"
#include "orvex/values/ValueUtil.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableValuesContext.h"
#include "postorvex/caches/MinorSweepCache.h"
#include "postorvex/caches/MinorSweepCacheActivateContext.h"
#include "postorvex/columns/Column.h"
#include "postorvex/columns/FileColumnManager.h"
#include "postorvex/columns/ManagedFileService.h"
#include "postorvex/connectivity/CompositeVVObject.h"
#include "postorvex/connectivity/ConnectedVVObject.h"
#include "postorvex/connectivity/MinorPrimaryConnectivityLeafData.h"
#include "postorvex/connectivity/NonNestableCompositeVVObjectContext.h"
#include "postorvex/quantities/CompositeReferencedPostprocessingQuantityMsg.h"
#include "postorvex/caches/PostpCacheUtils.h"
#include "postorvex/connectivity/PostpPopulationUtils.h"
#include "postorvex/columns/SimValueMatrixContext.h"

namespace rep {

namespace {

void UpdateComponentColumn(const TraceComponentColumns& record, PopulateTraceDataVisitor::Provider& provider) {
  if (postp::GetBasicParamType(record.dataColumn->GetParameterType()) == val::kTextParam) {
    if (TextColumn* text = record.dataColumn->GetTextColumn())
      text->AppendText(provider.GetQuantityTextAtCurrentPoint(record.expression->GetValueText()));
    return;
  }
  record.dataColumn->AppendValue(*record.expression);
}

// A record as a walk appends it, decided once per walk: a double expression into a double column
// goes straight into the column's values (what AppendValue does for it, without its general
// input record); any other through UpdateComponentColumn.
struct ResolvedRecord {
  const TraceComponentColumns* record;
  std::vector<double>* doubles;  // null: through UpdateComponentColumn
  Units::FullUnitType from;
  Units::FullUnitType to;
};

std::vector<ResolvedRecord> ResolveRecords(const std::vector<TraceComponentColumns*>& records) {
  std::vector<ResolvedRecord> resolved;
  for (const TraceComponentColumns* record : records) {
    DoubleColumn* doubles = record->dataColumn && record->expression->GetParameterType() == val::kDoubleParam
                                ? record->dataColumn->GetDoubleColumn()
                                : nullptr;
    resolved.push_back(ResolvedRecord{record, doubles ? &doubles->GetValues() : nullptr,
                                      record->expression->GetUnits(), doubles ? doubles->GetUnits() : 0});
  }
  return resolved;
}

void AppendResolved(const ResolvedRecord& r, PopulateTraceDataVisitor::Provider& provider) {
  if (!r.doubles) {
    UpdateComponentColumn(*r.record, provider);
    return;
  }
  const double v = r.record->expression->GetValue();
  r.doubles->push_back(r.from == r.to ? v : Units::Convert(v, r.from, r.to));
}

// Whether a walk may append its records a leaf at a time: each record appends the doubles of an
// expression into a column of its own (records sharing a column interleave their points, which
// only the point by point walk keeps).
bool CanAppendColumns(const std::vector<ResolvedRecord>& records) {
  std::set<const std::vector<double>*> targets;
  for (const ResolvedRecord& r : records)
    if (!r.doubles || r.record->expression->IsEmpty() || !targets.insert(r.doubles).second) return false;
  return true;
}

// The points of one regular leaf whose cache rows run parallel to its primary values, for
// evaluating its expressions a column at a time: quantities are read as rows of their columns;
// anything else at each point, made current as the point by point walk makes it.
class ParallelRowsRun : public IValueColumnSource {
public:
  ParallelRowsRun(PopulateTraceDataVisitor::Provider& provider, TraceDataDatasets* datasets, int firstPointIndex)
      : m_provider(provider), m_datasets(datasets), m_first(firstPointIndex) {}

  bool GetValues(const ValueBase& leaf, size_t n, std::vector<double>& out) override {
    return m_provider.GetQuantityRows(leaf, 0, n, out);
  }
  bool GetComplexValues(const ValueBase& leaf, size_t n, std::vector<AComplex<double>>& out) override {
    return m_provider.GetQuantityRows(leaf, 0, n, out);
  }
  bool ForEachPoint(size_t n, const std::function<void(size_t)>& atPoint) override {
    for (size_t i = 0; i < n; ++i) {
      SetPoint(static_cast<int>(i));
      atPoint(i);
    }
    return true;
  }
  // Where the point by point walk stands at point i.
  void SetPoint(int i) {
    if (m_datasets) m_datasets->SetCurrentPointIndex(m_first + i);
    m_provider.SetCurrentPrimaryIndex(i, true);
  }

private:
  PopulateTraceDataVisitor::Provider& m_provider;
  TraceDataDatasets* m_datasets;  // not owned, may be null
  int m_first;                    // the running point index of the leaf's first point
};

// Every record at the leaf's n points, evaluated a column at a time and appended only when every
// record could be: the same numbers the point by point walk appends. `leavesLeft` leaves of about
// n points each are still to come (this one among them): a column that must grow takes room for
// all of them at once, as growing by doubling touches fresh memory at every step.
bool AppendColumns(const std::vector<ResolvedRecord>& records, IValueColumnSource& leaves, size_t n,
                   size_t leavesLeft) {
  std::vector<std::vector<double>> values(records.size());
  for (size_t k = 0; k < records.size(); ++k)
    if (!GetValueColumn(*records[k].record->expression, leaves, n, values[k])) return false;
  for (size_t k = 0; k < records.size(); ++k) {
    const ResolvedRecord& r = records[k];
    if (r.doubles->capacity() < r.doubles->size() + n) r.doubles->reserve(r.doubles->size() + n * leavesLeft);
    if (r.from != r.to) Units::ConvertAll(values[k].data(), values[k].size(), r.from, r.to);
    r.doubles->insert(r.doubles->end(), values[k].begin(), values[k].end());
  }
  return true;
}

// Whether any quantity column of the cache holds matrices: only those make the matrix context
// walk more than one element.
bool HasMatrixColumns(const MinorSweepCache* cache) {
  if (!cache) return false;
  std::vector<long> ids;
  cache->GetQuantityIDs(ids);
  for (long id : ids)
    if (const Column* column = cache->GetQuantityColumn(id))
      if (postp::IsMatrixParamType(column->GetParameterType())) return true;
  return false;
}

// LocalBlindlyUpdateTraceColumns over resolved records; without matrices in the scope's cache,
// one row without the matrix context.
unsigned AppendRows(const std::vector<ResolvedRecord>& records, PopulateTraceDataVisitor::Provider& provider,
                    bool matrices = true) {
  if (!matrices) {
    for (const ResolvedRecord& r : records) AppendResolved(r, provider);
    return 1;
  }
  SimValueMatrixContext::Reset();
  unsigned rows = 0;
  do {
    for (const ResolvedRecord& r : records) AppendResolved(r, provider);
    ++rows;
  } while (SimValueMatrixContext::IncrIteratorIfHaveNext());
  return rows;
}

// The rows appended at a point whose cache holds one row per variation.
unsigned EvaluateAtCachedVariation(const CompositeVVObject* point, const MinorSweepCache& cache,
                                   const std::set<long>& quantityIDs, const std::vector<ResolvedRecord>& records,
                                   VersionedQuantityParser* parser, IProgressMonitor* monitor) {
  NonNestableCompositeVVObjectContext pointValues(point);
  MinorSweepCacheActivateContext active(&cache, quantityIDs, monitor);
  PopulateTraceDataVisitor::Provider provider(&cache, parser, nullptr, nullptr);
  provider.SetCurrentIndexFromCache();
  return AppendRows(records, provider);
}

// One curve's count of points, reported to the connectivity when it has any.
void ReportCurve(const SPS2Connectivity& conn, const CompositeVVObject* curve, unsigned& curveIndex, unsigned points) {
  if (points == 0) return;
  const_cast<SPS2Connectivity&>(conn).UpdatePointCurveDataSerially(curve, curveIndex, points);
  ++curveIndex;
}

// The object itself when it lies at the deepest level of the tree, else its children.
std::vector<CompositeVVObject*> SelfOrChildren(const CompositeVVObject* object, const ConnectedVVObject& connected) {
  if (object->GetTreeDepth() == connected.GetMaxTreeDepth()) return {const_cast<CompositeVVObject*>(object)};
  return object->GetCompositeVVObjects();
}

// The curves of the regular major-primary walk under an outer object: the object itself when it
// lies at the curve level (one or two levels: the outer objects are the curves), else its children.
// Compared with the point level instead, a curve would look for its points among its points'
// children and give none.
std::vector<CompositeVVObject*> CurvesUnder(const CompositeVVObject* outer, const ConnectedVVObject& connected) {
  if (outer->GetTreeDepth() >= connected.GetCurveDepth()) return {const_cast<CompositeVVObject*>(outer)};
  return outer->GetCompositeVVObjects();
}

// The cache's row for primary value i is row i when its sweep column holds exactly the primary
// values, strictly ascending (so no other row could match first): the row lookup per point is
// then skipped.
bool AreRowsParallel(const MinorSweepCache* cache, const Column* primary) {
  const Column* sweep = cache ? cache->GetSweepColumn() : nullptr;
  if (!sweep || !primary || sweep->GetCount() != primary->GetCount()) return false;
  const DoubleColumn* a = sweep->GetDoubleColumn();
  const DoubleColumn* b = primary->GetDoubleColumn();
  if (a && b && a->GetUnits() == b->GetUnits()) {
    const std::vector<double>& x = a->GetValues();
    const std::vector<double>& y = b->GetValues();
    // NaN (an invalid entry) fails both tests.
    for (size_t i = 0; i < x.size(); ++i)
      if (!(x[i] == y[i]) || (i > 0 && !(x[i - 1] < x[i]))) return false;
    return true;
  }
  AComplex<double> previous;
  for (size_t i = 0; i < sweep->GetCount(); ++i) {
    AComplex<double> a, b;
    if (!sweep->GetEntryComplexSI(i, a) || !primary->GetEntryComplexSI(i, b) || a != b || a.imag() != 0.0) return false;
    if (i > 0 && !(previous.real() < a.real())) return false;
    previous = a;
  }
  return true;
}

Variable* PrimaryVariableOf(const SPS2Connectivity& conn) {
  std::vector<Variable*> variables;
  conn.GetVariables(variables);
  return variables.empty() ? nullptr : variables.front();
}

}  // namespace

PopulateTraceDataVisitor::PopulateTraceDataVisitor(const std::vector<Value>& expressions,
                                                   const std::vector<Column*>& columns,
                                                   const std::vector<CharColumn**>& interpOrderSlots,
                                                   VersionedQuantityParser* parser, TraceDataDatasets* datasets,
                                                   IProgressMonitor* monitor, bool onlyOnePointPerCurve,
                                                   const FamilyValueTargets* familyTargets)
    : m_parser(parser), m_datasets(datasets), mPopulateOnlyOnePtPerCurve(onlyOnePointPerCurve), m_monitor(monitor),
      m_familyTargets(familyTargets ? std::make_unique<FamilyValueTargets>(*familyTargets) : nullptr) {
  for (size_t i = 0; i < expressions.size(); ++i)
    m_records.push_back(TraceComponentColumns{&expressions[i], i < columns.size() ? columns[i] : nullptr,
                                              i < interpOrderSlots.size() ? interpOrderSlots[i] : nullptr});
}

PopulateTraceDataVisitor::PopulateTraceDataVisitor(const std::vector<Value>& expressions,
                                                   const std::vector<Column*>& columns,
                                                   VersionedQuantityParser* parser, TraceDataDatasets* datasets,
                                                   IProgressMonitor* monitor, bool onlyOnePointPerCurve)
    : PopulateTraceDataVisitor(expressions, columns, {}, parser, datasets, monitor, onlyOnePointPerCurve, nullptr) {}

PopulateTraceDataVisitor::~PopulateTraceDataVisitor() = default;

void PopulateTraceDataVisitor::Visit(const MinorPrimarySPS2Connectivity& connectivity) {
  if (mPopulateOnlyOnePtPerCurve)
    PopulateMinorPrimarySPS2ConnectivityOnePointPerCurve(connectivity);
  else
    PopulateMinorPrimarySPS2ConnectivityUsingRegularAlgo(connectivity);
  UpdatePerFamilyValues(connectivity);
}

void PopulateTraceDataVisitor::Visit(const MajorPrimarySPS2Connectivity& connectivity) {
  if (mPopulateOnlyOnePtPerCurve)
    PopulateMajorPrimarySPS2ConnectivityOnePointPerCurve(connectivity);
  else
    PopulateMajorPrimarySPS2ConnectivityUsingRegularAlgo(connectivity);
  UpdatePerFamilyValues(connectivity);
}

void PopulateTraceDataVisitor::Tick() const {
  if (m_monitor) m_monitor->Tick();
}

void PopulateTraceDataVisitor::SetPointIndex(int index) const {
  if (m_datasets) m_datasets->SetCurrentPointIndex(index);
}

std::set<long> PopulateTraceDataVisitor::CollectQuantityIDs() const {
  std::set<long> ids;
  if (m_datasets && m_parser)
    CollectLeafQuantitySimValueIDs(ids, const_cast<AbstractQuantityInfo&>(m_datasets->GetQuantityInfo()),
                                   m_parser->GetSimValueInfoCache(), m_parser->GetDesignSolutionDefinition(),
                                   m_parser->GetVersionID());
  return ids;
}

std::set<long> PopulateTraceDataVisitor::CollectQuantityIDsOf(const TraceComponentColumns& record) const {
  std::set<long> ids;
  if (m_datasets && m_parser)
    CollectLeafQuantitySimValueIDsForKey(ids, record.expression->GetValueText(),
                                         const_cast<AbstractQuantityInfo&>(m_datasets->GetQuantityInfo()),
                                         m_parser->GetSimValueInfoCache(), m_parser->GetDesignSolutionDefinition(),
                                         m_parser->GetVersionID());
  return ids;
}

const ConnectedVVObject* PopulateTraceDataVisitor::BeginWalk(const SPS2Connectivity& conn) {
  const_cast<SPS2Connectivity&>(conn).ResetPointCurveData();
  return conn.GetConnectedVVObject();
}

std::vector<TraceComponentColumns*> PopulateTraceDataVisitor::AllRecords() {
  std::vector<TraceComponentColumns*> all;
  for (TraceComponentColumns& r : m_records) all.push_back(&r);
  return all;
}

std::set<Column*> PopulateTraceDataVisitor::AllDataColumns() const {
  std::set<Column*> columns;
  for (const TraceComponentColumns& r : m_records) columns.insert(r.dataColumn);
  return columns;
}

unsigned PopulateTraceDataVisitor::LocalBlindlyUpdateTraceColumns(const std::vector<TraceComponentColumns*>& records,
                                                                  Provider& provider) {
  SimValueMatrixContext::Reset();
  unsigned rows = 0;
  do {
    for (TraceComponentColumns* record : records) UpdateComponentColumn(*record, provider);
    ++rows;
  } while (SimValueMatrixContext::IncrIteratorIfHaveNext());
  return rows;
}

unsigned PopulateTraceDataVisitor::UpdateOneComponentColumn(const TraceComponentColumns& record, Provider& provider) {
  SimValueMatrixContext::Reset();
  unsigned rows = 0;
  do {
    UpdateComponentColumn(record, provider);
    ++rows;
  } while (SimValueMatrixContext::IncrIteratorIfHaveNext());
  return rows;
}

bool PopulateTraceDataVisitor::HasMatrixQuantities(const std::set<long>& ids,
                                                   const MinorPrimaryConnectivityLeafData& leaf) const {
  const MinorSweepCache* cache = leaf.GetMinorSweepCache();
  if (!cache) return false;
  for (long id : ids)
    if (const Column* column = cache->GetQuantityColumn(id))
      if (postp::IsMatrixParamType(column->GetParameterType())) return true;
  return false;
}

void PopulateTraceDataVisitor::PopulateMinorPrimarySPS2ConnectivityUsingRegularAlgo(
    const MinorPrimarySPS2Connectivity& conn) {
  ScopedProfiler profile("PopulateTraceDataVisitor::PopulateMinorPrimarySPS2ConnectivityUsingRegularAlgo");
  ORVEX_ASSERT(!mPopulateOnlyOnePtPerCurve);
  const std::set<long> quantityIDs = CollectQuantityIDs();
  Variable* primaryVariable = PrimaryVariableOf(conn);
  const ConnectedVVObject* connected = BeginWalk(conn);
  if (!connected) return;
  unsigned curveIndex = 0;
  int running = 0;
  const std::vector<ResolvedRecord> records = ResolveRecords(AllRecords());
  const bool byColumns = CanAppendColumns(records);
  size_t leavesLeft = connected->GetPoints().size() + 1;
  for (const CompositeVVObject* point : connected->GetPoints()) {
    --leavesLeft;
    VelDebug::CategoryPrintf("PopulateTraceDataVisitor", 1,
                             L"PopulateTraceDataVisitor::PopulateMinorPrimarySPS2ConnectivityUsingRegularAlgo\n");
    Tick();
    auto* leaf = dynamic_cast<const MinorPrimaryConnectivityLeafData*>(connected->GetDataForCompVVObject(point));
    if (!leaf) continue;
    NonNestableCompositeVVObjectContext pointValues(point);
    MinorSweepCacheActivateContext activeLeaf(leaf->GetMinorSweepCache(), {}, m_monitor);
    unsigned points = 0;
    if (conn.GetIsSpecial()) {
      const Column* primaryCol = postp::GetPrimaryColumnFromCache(quantityIDs, *leaf, m_monitor);
      ORVEX_ASSERT(primaryCol);
      if (!primaryCol) continue;
      FileColumnManager::LoadAndOptionallyUnloadCtxt dataLoaded(AllDataColumns(), m_monitor);
      FileColumnManager::LoadAndOptionallyUnloadCtxt primaryLoaded(primaryCol, m_monitor);
      const int n = static_cast<int>(primaryCol->GetCount());
      if (HasMatrixQuantities(quantityIDs, *leaf)) {
        MinorSweepCacheActivateContext active(leaf->GetMinorSweepCache(), quantityIDs, m_monitor);
        Provider provider(leaf->GetMinorSweepCache(), m_parser, primaryCol, primaryVariable);
        for (int i = 0; i < n; ++i) {
          SetPointIndex(running++);
          provider.SetCurrentPrimaryIndex(i, true);
          points += AppendRows(records, provider);
        }
      } else {
        std::vector<TraceComponentColumns*> leftover;
        if (!BulkPopulateTraceComponents(*leaf, leftover, conn, quantityIDs)) {
          m_complete = false;
          continue;
        }
        points = static_cast<unsigned>(n);
        for (size_t r = 0; r < leftover.size(); ++r) {
          const std::set<long> ids = CollectQuantityIDsOf(*leftover[r]);
          MinorSweepCacheActivateContext active(leaf->GetMinorSweepCache(), ids, m_monitor);
          Provider provider(leaf->GetMinorSweepCache(), m_parser, primaryCol, primaryVariable);
          unsigned sum = 0;
          for (int i = 0; i < n; ++i) {
            SetPointIndex(running + i);
            provider.SetCurrentPrimaryIndex(i, true);
            sum += UpdateOneComponentColumn(*leftover[r], provider);
          }
          if (r == 0) points = sum;
        }
        running += n;
      }
    } else {
      const Column* primary = leaf->GetPrimaryColumn();
      const int n = primary ? static_cast<int>(primary->GetCount()) : 0;
      MinorSweepCacheActivateContext active(leaf->GetMinorSweepCache(), quantityIDs, m_monitor);
      Provider provider(leaf->GetMinorSweepCache(), m_parser, primary, primaryVariable);
      const bool rowsParallel = AreRowsParallel(leaf->GetMinorSweepCache(), primary);
      const bool matrices = HasMatrixColumns(leaf->GetMinorSweepCache());
      ScopedProfiler profile("PopulateTraceDataVisitor::LocalBlindlyUpdateTraceColumns");
      bool appended = false;
      if (n > 0 && rowsParallel && !matrices && byColumns) {
        ParallelRowsRun run(provider, m_datasets, running);
        run.SetPoint(0);
        appended = AppendColumns(records, run, static_cast<size_t>(n), leavesLeft);
        // The walk goes on from where the point by point walk ends.
        run.SetPoint(n - 1);
        if (appended) {
          running += n;
          points = static_cast<unsigned>(n);
        }
      }
      for (int i = 0; !appended && i < n; ++i) {
        SetPointIndex(running++);
        provider.SetCurrentPrimaryIndex(i, rowsParallel);
        points += AppendRows(records, provider, matrices);
      }
    }
    ReportCurve(conn, point, curveIndex, points);
  }
}

CharColumn* PopulateTraceDataVisitor::GetOrCreateInterpOrderColumn(const TraceComponentColumns& record) const {
  if (!record.interpOrderSlot) return nullptr;
  if (*record.interpOrderSlot) return *record.interpOrderSlot;
  ORVEX_ASSERT_TEXT(!*record.interpOrderSlot, "!\"Why initializing more than once?\"");
  Column* newCol = Column::CreateColumn2(val::kCharParam, Units::kNoUnit, ManagedFileService::GetInstance(), AString(),
                                         AString(), true, true);
  // Creation can fail: the check covers a column that is not there as one of another kind.
  CharColumn* orders = newCol ? newCol->GetCharColumn() : nullptr;
  ORVEX_ASSERT_TEXT(orders, "newCol->GetCharColumn()");
  if (!orders) {
    delete newCol;
    return nullptr;
  }
  *record.interpOrderSlot = orders;
  return orders;
}

bool PopulateTraceDataVisitor::BulkPopulateTraceComponents(const MinorPrimaryConnectivityLeafData& leaf,
                                                           std::vector<TraceComponentColumns*>& leftover,
                                                           const MinorPrimarySPS2Connectivity& conn,
                                                           const std::set<long>& quantityIDs) {
  ScopedProfiler profile("PopulateTraceDataVisitor::BulkPopulateTraceComponents");
  ORVEX_ASSERT(!mPopulateOnlyOnePtPerCurve);
  ORVEX_ASSERT(conn.GetIsSpecial());
  Variable* primaryVariable = PrimaryVariableOf(conn);
  const MinorSweepCache* cache = leaf.GetMinorSweepCache();

  // What each record appends from, decided for all records before any column grows, so that one
  // trace's columns always keep equal lengths.
  struct Plan {
    TraceComponentColumns* record;
    const Function* fn;
    const Column* source;
    const Column* orders;
    CharColumn* target;  // the record's orders column, when there are orders
  };
  std::vector<Plan> plans;
  for (TraceComponentColumns& record : m_records) {
    Tick();
    const ValueBase* base = record.expression->GetValueBase();
    auto* sv = dynamic_cast<const SimValue2*>(base);
    const Function* fn = nullptr;
    const ValueBase* arg = nullptr;
    if (!sv && !ValueUtil::GetUnaryNonRangedFunctionAndValueBase(*record.expression, fn, arg)) {
      leftover.push_back(&record);
      continue;
    }
    if (!sv) sv = dynamic_cast<const SimValue2*>(arg);
    if (!sv && arg && arg == primaryVariable) {
      const Column* primary = postp::GetPrimaryColumnFromCache(quantityIDs, leaf, m_monitor);
      if (!primary) return false;
      plans.push_back(Plan{&record, fn, primary, nullptr, nullptr});
      continue;
    }
    if (!sv) {
      leftover.push_back(&record);
      continue;
    }
    const Column* qtyCol = cache ? cache->GetQuantityColumn(GetSimValueIDFromValue(sv)) : nullptr;
    ORVEX_ASSERT_TEXT(qtyCol, "&qtyCol");
    if (!qtyCol) return false;
    const Column* orders = record.interpOrderSlot && !fn && cache
                               ? cache->GetQuantityInterpOrderColumn(GetSimValueIDFromValue(sv))
                               : nullptr;
    // Made here, before any column grows: an orders column missing from some leaves on would no
    // longer line up with its values.
    CharColumn* tcInterpCol = nullptr;
    if (orders) {
      tcInterpCol = GetOrCreateInterpOrderColumn(record);
      ORVEX_ASSERT(tcInterpCol);
      if (!tcInterpCol) return false;
    }
    plans.push_back(Plan{&record, fn, qtyCol, orders, tcInterpCol});
  }
  for (const Plan& plan : plans) {
    FileColumnManager::LoadAndOptionallyUnloadCtxt sourceLoaded(plan.source, m_monitor);
    plan.record->dataColumn->AppendFrom(*plan.source, plan.fn);
    if (!plan.orders) continue;
    FileColumnManager::LoadAndOptionallyUnloadCtxt ordersLoaded(plan.orders, m_monitor);
    FileColumnManager::LoadAndOptionallyUnloadCtxt targetLoaded(plan.target, m_monitor);
    plan.target->AppendFrom(*plan.orders, nullptr);
  }
  return true;
}

void PopulateTraceDataVisitor::PopulateMajorPrimarySPS2ConnectivityUsingRegularAlgo(
    const MajorPrimarySPS2Connectivity& conn) {
  ORVEX_ASSERT(!mPopulateOnlyOnePtPerCurve);
  const std::set<long> quantityIDs = CollectQuantityIDs();
  const ConnectedVVObject* connected = BeginWalk(conn);
  if (!connected) return;
  unsigned curveIndex = 0;
  int running = 0;
  const std::vector<ResolvedRecord> records = ResolveRecords(AllRecords());
  for (const CompositeVVObject* curve : connected->GetCurves()) {
    Tick();
    unsigned points = 0;
    for (const CompositeVVObject* point : curve->GetCompositeVVObjects()) {
      SetPointIndex(running);
      auto* cache = dynamic_cast<const MinorSweepCache*>(connected->GetDataForCompVVObject(point));
      if (!cache) continue;
      points += EvaluateAtCachedVariation(point, *cache, quantityIDs, records, m_parser, m_monitor);
      ++running;
    }
    ReportCurve(conn, curve, curveIndex, points);
  }
}

void PopulateTraceDataVisitor::PopulateMinorPrimarySPS2ConnectivityOnePointPerCurve(
    const MinorPrimarySPS2Connectivity& conn) {
  ORVEX_ASSERT(mPopulateOnlyOnePtPerCurve);
  FileColumnManager::LoadAndOptionallyUnloadCtxt dataLoaded(AllDataColumns(), m_monitor);
  const std::set<long> quantityIDs = CollectQuantityIDs();
  Variable* primaryVariable = PrimaryVariableOf(conn);
  const ConnectedVVObject* connected = BeginWalk(conn);
  if (!connected) return;
  unsigned curveIndex = 0;
  int running = 0;
  const std::vector<ResolvedRecord> records = ResolveRecords(AllRecords());
  const std::vector<CompositeVVObject*> curves =
      connected->GetCurveDepth() == 0 ? connected->GetPoints() : connected->GetCurves();
  for (const CompositeVVObject* curve : curves) {
    Tick();
    unsigned points = 0;
    for (const CompositeVVObject* object : SelfOrChildren(curve, *connected)) {
      auto* leaf = dynamic_cast<const MinorPrimaryConnectivityLeafData*>(connected->GetDataForCompVVObject(object));
      if (!leaf) continue;
      NonNestableCompositeVVObjectContext objectValues(object);
      MinorSweepCacheActivateContext activeLeaf(leaf->GetMinorSweepCache(), {}, m_monitor);
      if (conn.GetIsSpecial()) {
        const Column* primaryCol = postp::GetPrimaryColumnFromCache(quantityIDs, *leaf, m_monitor);
        ORVEX_ASSERT(primaryCol);
        if (!primaryCol) continue;
        const int n = static_cast<int>(primaryCol->GetCount());
        if (n == 0) {
          ORVEX_ASSERT(!"Number of primary sweep values 0?");
          continue;
        }
        for (const ResolvedRecord& r : records) {
          const TraceComponentColumns* record = r.record;
          MinorSweepCacheActivateContext active(leaf->GetMinorSweepCache(), CollectQuantityIDsOf(*record), m_monitor);
          Provider provider(leaf->GetMinorSweepCache(), m_parser, primaryCol, primaryVariable);
          SetPointIndex(running);
          provider.SetCurrentPrimaryIndex(0, true);
          unsigned numMultiVals = UpdateOneComponentColumn(*record, provider);
          ORVEX_ASSERT(numMultiVals==1);
        }
        running += n;
        ++points;
      } else {
        const Column* primary = leaf->GetPrimaryColumn();
        const int n = primary ? static_cast<int>(primary->GetCount()) : 0;
        if (n == 0) {
          ORVEX_ASSERT(!"Number of primary sweep values 0?");
          continue;
        }
        MinorSweepCacheActivateContext active(leaf->GetMinorSweepCache(), quantityIDs, m_monitor);
        Provider provider(leaf->GetMinorSweepCache(), m_parser, primary, primaryVariable);
        SetPointIndex(running);
        provider.SetCurrentPrimaryIndex(0, false);
        unsigned numMultiVals = AppendRows(records, provider);
        ORVEX_ASSERT(numMultiVals==1);
        running += n;
        ++points;
      }
    }
    ReportCurve(conn, curve, curveIndex, points);
  }
}

void PopulateTraceDataVisitor::PopulateMajorPrimarySPS2ConnectivityOnePointPerCurve(
    const MajorPrimarySPS2Connectivity& conn) {
  ORVEX_ASSERT(mPopulateOnlyOnePtPerCurve);
  FileColumnManager::LoadAndOptionallyUnloadCtxt dataLoaded(AllDataColumns(), m_monitor);
  const std::set<long> quantityIDs = CollectQuantityIDs();
  const ConnectedVVObject* connected = BeginWalk(conn);
  if (!connected) return;
  unsigned curveIndex = 0;
  int running = 0;
  const std::vector<ResolvedRecord> records = ResolveRecords(AllRecords());
  const std::vector<CompositeVVObject*> outers =
      connected->GetSurfaceDepth() == 0 ? connected->GetCurves() : connected->GetSurfaces();
  for (const CompositeVVObject* outer : outers) {
    Tick();
    unsigned points = 0;
    for (const CompositeVVObject* child : CurvesUnder(outer, *connected)) {
      const std::vector<CompositeVVObject*>& pointObjects = child->GetCompositeVVObjects();
      if (pointObjects.empty()) continue;
      SetPointIndex(running);
      auto* cache = dynamic_cast<const MinorSweepCache*>(connected->GetDataForCompVVObject(pointObjects.front()));
      if (!cache) continue;
      unsigned numMultiVals = EvaluateAtCachedVariation(pointObjects.front(), *cache, quantityIDs, records,
                                                            m_parser, m_monitor);
      ORVEX_ASSERT(numMultiVals==1);
      int withData = 0;
      for (const CompositeVVObject* p : pointObjects)
        if (connected->GetDataForCompVVObject(p)) ++withData;
      running += withData;
      ++points;
    }
    ReportCurve(conn, outer, curveIndex, points);
  }
}

void PopulateTraceDataVisitor::UpdatePerFamilyValues(const SPS2Connectivity& conn) {
  if (!m_familyTargets) return;
  for (unsigned i = 0; i < conn.GetFamilyCount(); ++i) {
    VariableValues family;
    conn.GetVariableValuesForCurve(family, i);
    NonNestableVariableValuesContext current(family);
    if (m_familyTargets->firstColumn) m_familyTargets->firstColumn->AppendValue(m_familyTargets->first);
    if (m_familyTargets->secondColumn) m_familyTargets->secondColumn->AppendValue(m_familyTargets->second);
  }
}

}  // namespace rep
