// What the plain and the composite computed trace data share: the parser's scope, the columns they
// make, and the sweeps, mediator and connectivity built before an update object is handed out.
#pragma once

#include <memory>
#include <vector>

#include "orvex/values/IValueParser.h"
#include "orvex/values/Units.h"
#include "orvex/values/Value.h"
#include "orvex/values/VariableNameSpace.h"
#include "orvex/values/VariableValues.h"
#include "postorvex/outputvars/OutputVariableActivator2.h"

class AbstractQuantityInfo;
class Column;
class ContextVariable;
class DesignSolutionDefinition;
class ISolutionForReports;
class ISolutionManagerForReports;
class SPS2Connectivity;

namespace rep {

class ReportManager;
class SubsweepsAdapter;
class SweepPointsStore;
class SweepsVariableInfoMediator2;
class TraceDefinition;
class TraceStateData;
class VersionedQuantityParser;

// Deletes a parser through its IInterfaceQueriable face, as it was made.
struct VersionedQuantityParserDeleter {
  void operator()(VersionedQuantityParser* parser) const;
};
using OwnedQuantityParser = std::unique_ptr<VersionedQuantityParser, VersionedQuantityParserDeleter>;

// The trace's parser for its definition's design solution; null when the solution is unknown.
OwnedQuantityParser MakeQuantityParserForTrace(ReportManager& manager, const TraceDefinition& td);

// The expressions of the definition's components, in order.
std::vector<AString> ComponentExpressionsOf(const TraceDefinition& td);

// The parser installed with a name space and the output variables the record lists activated.
struct ParserScope {
  ParserScope(VersionedQuantityParser& parser, const AbstractQuantityInfo* info);
  static std::vector<ContextVariable*> OutputVariablesOf(const AbstractQuantityInfo* info);
  VariableNameSpace names;
  InstalledParserScope installed;
  OutputVariableActivator2 activator;
};

// A column of the managed file service; null when the type makes none.
Column* NewManagedColumn(val::ParameterType type, Units::FullUnitType units);
// The placeholder rule: exactly one invalid value.
void EnsureOneDummyPoint(Column* column);

// The curves of computed data as its connectivity holds them: one curve of one point without one.
bool HasPopulatedCurves(const TraceStateData& state);
unsigned NumCurvesOf(const TraceStateData& state);
unsigned NumPointsInCurveOf(const TraceStateData& state, unsigned curve);
unsigned CurveOffsetOf(const TraceStateData& state, unsigned curve);
// The key of the values; with `onlyNonNominal` of those whose variables leave their nominal value.
AString VariationKeyOf(const TraceStateData& state, VariableValues values, bool onlyNonNominal);
// Empty without a connectivity or curves.
AString CurveVariationKeyOf(const TraceStateData& state, unsigned curve, bool onlyNonNominal);

// The sweeps, mediator and connectivity of one update of a computed trace.
struct CentralizedUpdatePreparation {
  CentralizedUpdatePreparation();
  ~CentralizedUpdatePreparation();
  CentralizedUpdatePreparation(const CentralizedUpdatePreparation&) = delete;
  CentralizedUpdatePreparation& operator=(const CentralizedUpdatePreparation&) = delete;

  // False, with nothing built, when the trace has neither subsweeps nor explicit variations or
  // its solution is unknown. `designForConnectivity` chooses whether the connectivity creator is
  // given the design variation. The store, when given, shares the solution's sweep points.
  bool Prepare(const TraceDefinition& td, const DesignSolutionDefinition& dsd, long dataVersionID,
               ISolutionManagerForReports* solMgr, bool designForConnectivity, SweepPointsStore* store = nullptr);

  VariableValues design;                          // the design variation of the trace's instance
  std::vector<VariableValues> updateVariations;   // explicit variations less the solution's listed variables
  ISolutionForReports* solution = nullptr;        // not owned
  bool skipClassification = false;                // the solution's answer, passed on to the mediator
  std::unique_ptr<SubsweepsAdapter> subsweeps;
  std::unique_ptr<SweepsVariableInfoMediator2> mediator;
  std::unique_ptr<SPS2Connectivity> connectivity;  // null when no point could be added
};

}  // namespace rep
