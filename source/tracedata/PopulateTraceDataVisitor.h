// Fills the columns of one computed trace from the data the update put into its connectivity:
// each component expression evaluated at each point of each curve.
#pragma once

#include <memory>
#include <set>
#include <vector>

#include "orvex/values/Value.h"
#include "postorvex/connectivity/SPS2Connectivity.h"

class CharColumn;
class CompositeVVObject;
class ConnectedVVObject;
class MinorSweepCache;
class Column;
class IProgressMonitor;
class MinorPrimaryConnectivityLeafData;

template <class Parser>
class SimValueValueProviderT;

namespace rep {

class TraceDataDatasets;
class VersionedQuantityParser;

struct TraceComponentColumns {
  const Value* expression;
  Column* dataColumn;
  CharColumn** interpOrderSlot;  // null when the component keeps no orders
};

// Values evaluated once per family after the visit, into their target columns (may be null).
struct FamilyValueTargets {
  FamilyValueTargets(const Value& v1, Column* c1, const Value& v2, Column* c2)
      : first(v1), firstColumn(c1), second(v2), secondColumn(c2) {}
  Value first;
  Column* firstColumn;
  Value second;
  Column* secondColumn;
};

class PopulateTraceDataVisitor : public SPS2Connectivity::Visitor {
public:
  using Provider = SimValueValueProviderT<VersionedQuantityParser>;

  PopulateTraceDataVisitor(const std::vector<Value>& expressions, const std::vector<Column*>& columns,
                           const std::vector<CharColumn**>& interpOrderSlots, VersionedQuantityParser* parser,
                           TraceDataDatasets* datasets, IProgressMonitor* monitor, bool onlyOnePointPerCurve,
                           const FamilyValueTargets* familyTargets);
  PopulateTraceDataVisitor(const std::vector<Value>& expressions, const std::vector<Column*>& columns,
                           VersionedQuantityParser* parser, TraceDataDatasets* datasets, IProgressMonitor* monitor,
                           bool onlyOnePointPerCurve);
  ~PopulateTraceDataVisitor() override;
  PopulateTraceDataVisitor(const PopulateTraceDataVisitor&) = delete;
  PopulateTraceDataVisitor& operator=(const PopulateTraceDataVisitor&) = delete;

  void Visit(const MinorPrimarySPS2Connectivity& connectivity) override;
  void Visit(const MajorPrimarySPS2Connectivity& connectivity) override;

  // False once a leaf could not be filled: its curve is left out, and the trace needs another update.
  bool IsComplete() const { return m_complete; }

  static unsigned LocalBlindlyUpdateTraceColumns(const std::vector<TraceComponentColumns*>& records, Provider& provider);
  static unsigned UpdateOneComponentColumn(const TraceComponentColumns& record, Provider& provider);

private:
  void PopulateMinorPrimarySPS2ConnectivityUsingRegularAlgo(const MinorPrimarySPS2Connectivity& conn);
  void PopulateMajorPrimarySPS2ConnectivityUsingRegularAlgo(const MajorPrimarySPS2Connectivity& conn);
  void PopulateMinorPrimarySPS2ConnectivityOnePointPerCurve(const MinorPrimarySPS2Connectivity& conn);
  void PopulateMajorPrimarySPS2ConnectivityOnePointPerCurve(const MajorPrimarySPS2Connectivity& conn);
  // False, with nothing appended, when some record's column cannot be filled.
  bool BulkPopulateTraceComponents(const MinorPrimaryConnectivityLeafData& leaf,
                                   std::vector<TraceComponentColumns*>& leftover,
                                   const MinorPrimarySPS2Connectivity& conn, const std::set<long>& quantityIDs);
  void UpdatePerFamilyValues(const SPS2Connectivity& conn);
  bool HasMatrixQuantities(const std::set<long>& ids, const MinorPrimaryConnectivityLeafData& leaf) const;
  std::set<long> CollectQuantityIDs() const;
  std::set<long> CollectQuantityIDsOf(const TraceComponentColumns& record) const;
  std::vector<TraceComponentColumns*> AllRecords();
  // Clears what the connectivity knew of curves; its tree, null when it has none.
  static const ConnectedVVObject* BeginWalk(const SPS2Connectivity& conn);
  std::set<Column*> AllDataColumns() const;
  CharColumn* GetOrCreateInterpOrderColumn(const TraceComponentColumns& record) const;
  void Tick() const;
  void SetPointIndex(int index) const;

  std::vector<TraceComponentColumns> m_records;
  VersionedQuantityParser* m_parser;  // not owned
  TraceDataDatasets* m_datasets;      // not owned, may be null
  bool mPopulateOnlyOnePtPerCurve;
  IProgressMonitor* m_monitor;        // not owned, may be null
  std::unique_ptr<FamilyValueTargets> m_familyTargets;
  bool m_complete = true;
};

}  // namespace rep
