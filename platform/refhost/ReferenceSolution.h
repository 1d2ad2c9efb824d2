// A solution of the reference host: a small in-memory model of variables, versions and sweep points.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "hostapi/ISolutionForReports.h"
#include "hostapi/ISolutionInstanceForReports.h"
#include "hostapi/IVariableNameSpaceSetupper.h"
#include "orvex/values/AComplex.h"
#include "orvex/values/Value.h"
#include "orvex/values/ValueState.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableValues.h"
#include "postorvex/solution/ReportTypeSolutionDefinition.h"
#include "postorvex/solution/SimValueContext.h"
#include "postorvex/sweeps/SweepBase.h"
#include "refhost/ReferenceQuantityTypeProvider.h"

class CharColumn;
class Column;
namespace rep {
class ITraceExtendedLoadInfo;
}  // namespace rep

namespace refhost {

class ReferenceSolution;

// Script mode: one call of the product to the engine's container, replayed verbatim. Quantities
// are named; each name becomes the ID that the trace's load info maps it to (an unknown name the
// invalid ID), so a script need not know the IDs the engine hands out.
struct ScriptedPush {
  enum Operation { kSetQuantityValues, kWithInterpolationOrders, kWithPerQuantityPrimaries };
  Operation operation = kSetQuantityValues;
  VariableValues minor;
  std::vector<AString> quantities;
  std::vector<std::shared_ptr<Column>> columns;  // parallel to `quantities`; null passes null
  std::shared_ptr<Column> primary;               // the primary values, or data4 of the last operation
  std::map<AString, std::shared_ptr<CharColumn>> orders;
  std::map<AString, std::shared_ptr<Column>> perQuantityPrimaries;
  AString tag = L"script";
};

// One sweep point of a reference solution.
class ReferenceSolutionInstance : public ISolutionInstanceForReports {
public:
  ReferenceSolutionInstance(const VariableValues& variation, const ReportTypeSolutionDefinition* forDefinition)
      : m_variation(variation), m_hasDefinition(forDefinition != nullptr),
        m_definition(forDefinition ? *forDefinition : ReportTypeSolutionDefinition()) {}
  ~ReferenceSolutionInstance() override;
  void GetVariableValues(VariableValues& out) const override { out = m_variation; }
  void GetParentLoadDefinitions(AutoVectorOfClonablePtrs<IDerivedDataDefinition>& parents,
                                std::vector<long>& versionIDs) const override;
  // Model mode: pushes the model's value of every quantity the trace asks for, at every minor
  // point of this variation (see ReferenceProductPush.cpp).
  bool PopulateQuantityValues(ISimValueQuantityValueContainer* container, IExtendedLoadInfo* info,
                              IProgressMonitor* monitor) override;

  // With a script the instance replays it at each load instead of pushing from the model; an
  // empty script goes back to the model.
  void SetScript(const std::vector<ScriptedPush>& script) { m_script = script; }

  // Failures a product can show while pushing.
  enum class PushFailure { kNone, kAnswerFalse, kThrow, kWrongLength };
  void SetPushFailure(PushFailure failure) { m_pushFailure = failure; }
  int GetNumPushes() const { return m_pushes; }
  int GetNumPopulateCalls() const { return m_populateCalls; }
  void SetSolution(const ReferenceSolution* solution) { m_solution = solution; }

  // A parent load definition reached from this point, with its version.
  void AddParent(long solutionID, const ReportTypeSolutionDefinition& def, long version);
  // Answers one version ID fewer than parents, to exercise callers' length checks.
  void SetDropOneParentVersion(bool drop) { m_dropOneVersion = drop; }
  const VariableValues& GetVariation() const { return m_variation; }
  // A point made for one report type belongs to that type's load definition only.
  bool BelongsTo(const IDerivedDataDefinition& loadDefinition) const;

private:
  // One push of the model's values at the current values (the minor step and special values).
  void PushStep(ISimValueQuantityValueContainer& container,
                const std::map<AString, long, AString::NoCaseLess>& quantities, rep::ITraceExtendedLoadInfo& traceInfo,
                const VariableValues& minorVariation, Variable* primaryVariable, SweepBase* primarySweep, bool major,
                bool special);

  VariableValues m_variation;
  bool m_hasDefinition;
  ReportTypeSolutionDefinition m_definition;
  struct Parent {
    long solutionID;
    ReportTypeSolutionDefinition def;
    long version;
  };
  std::vector<Parent> m_parents;
  bool m_dropOneVersion = false;
  const ReferenceSolution* m_solution = nullptr;  // the solution that made it
  PushFailure m_pushFailure = PushFailure::kNone;
  std::vector<ScriptedPush> m_script;
  int m_pushes = 0;
  int m_populateCalls = 0;
};

// A quantity of a reference solution's data model.
struct ReferenceQuantity {
  enum Kind { kPlain, kEnum, kComposite, kOther };
  // Its value (in the value state's unit) at the current values of the solution's variables,
  // given as `current`; empty for a quantity whose values no test needs.
  using Function = std::function<AComplex<double>(const VariableValues& current)>;

  Kind kind = kPlain;
  ValueState state;
  AString enumTypeName;               // kEnum
  int compositeType = 0;              // kComposite
  std::vector<AString> constituents;  // kComposite: names of other quantities of the model
  Function function;
};

class ReferenceSolution : public ISolutionForReports {
public:
  ReferenceSolution(long id, const AString& name);
  ~ReferenceSolution() override;

  void BuildContextObjects(const ReportTypeSolutionDefinition& def, ISolutionContextObject*& context,
                           IDerivedDataDefinition*& loadDefinition) override;
  long GetVersionIDForPostprocessing(const IDerivedDataDefinition& loadDefinition) override;
  long GetContextVersionID(const IDerivedDataDefinition& loadDefinition) override;
  void GetValidVersionIDs(std::vector<long>& out, const IDerivedDataDefinition& loadDefinition) override;
  void GetVariables(std::vector<Variable*>& out, const IDerivedDataDefinition& loadDefinition, long version,
                    const VariableValues* variation = nullptr) override;
  void GetSolutionInstances(std::vector<ISolutionInstanceForReports*>& out, const IDerivedDataDefinition& loadDefinition,
                            long version) override;
  bool ProvideSweepPoint(const IDerivedDataDefinition& loadDefinition, long version,
                         const VariableValues& combination) override;
  bool GetQuantityValueState(ValueState& out, const AString& quantity, const ReportTypeSolutionDefinition& def,
                             long version) override;
  bool GetQuantityEnumTypeName(AString& out, const AString& quantity, const ReportTypeSolutionDefinition& def,
                               long version) override;
  bool GetOutputVariableExpression(AString& out, const AString& name) override;
  bool GetSkipVariableClassification(bool asked) override { return asked && m_skipVariableClassification; }
  AString GetName() const override { return m_name; }
  SweepBase* GetSweepOfVariable(const AString& name, const SimValueContext& context, unsigned reportType) override;
  void GetSweeps(std::vector<SweepBase*>& out, const SimValueContext& context, unsigned reportType) override;
  bool IsSimValueQuantity(AString& outName, const AString& expression, const ReportTypeSolutionDefinition& def) override;
  bool DidCommandChangeQuantity(const IVelmorCommand* cmd, const AString& quantity,
                                const ReportTypeSolutionDefinition& def) override;
  bool DidCommandChangeData(const IVelmorCommand* cmd, const ReportTypeSolutionDefinition& def) override;
  bool SupportsReportType(unsigned reportType) override;
  bool DoesContextFitReportType(const SimValueContext& context, unsigned reportType) override;
  bool DidCommandChangeSweeps(const IVelmorCommand* cmd, const ReportTypeSolutionDefinition& def) override;
  // Null unless the solution describes its quantities by type parameters.
  IQuantityTypeProvider* GetQuantityTypeProvider() override;
  bool GetTextQuantityName(AString& out, const AString& expression, const ReportTypeSolutionDefinition& def) override;

  // The data model.
  long GetID() const { return m_id; }
  // A variable of the solution with its nominal value; major variables key the sweep points.
  Variable* AddVariable(const AString& name, const Value& nominal, bool major);
  Variable* FindVariable(const AString& name) const;
  const std::vector<std::unique_ptr<Variable>>& GetAllVariables() const { return m_variables; }
  // The nominal value of every variable.
  void GetNominalVariation(VariableValues& out) const;
  // A sweep point; with a definition, it is given only for that report type's load definition.
  ReferenceSolutionInstance& AddInstance(const VariableValues& variation,
                                         const ReportTypeSolutionDefinition* forDefinition = nullptr);
  const std::vector<std::unique_ptr<ReferenceSolutionInstance>>& GetInstances() const { return m_instances; }
  void SetVersionIDs(long postprocessing, long context) {
    m_ppVersion = postprocessing;
    m_contextVersion = context;
  }
  // A re-solve: both version IDs move on.
  void NewVersion() {
    ++m_ppVersion;
    ++m_contextVersion;
  }
  void SetValidVersionIDs(const std::vector<long>& ids) { m_validVersions = ids; }
  void AddSupportedReportType(unsigned reportType) { m_reportTypes.push_back(reportType); }
  // Op 19 answers from these once one is given; until then every context fits a supported type.
  void AddFittingContext(const SimValueContext& context, unsigned reportType) {
    m_fittingContexts.insert({reportType, context});
  }
  void SetSkipVariableClassification(bool skip) { m_skipVariableClassification = skip; }
  int GetNumContextObjectsBuilt() const { return m_contextObjectsBuilt; }

  // Sweeps, offered for every context and report type the solution supports; owned.
  SweepBase& AddSweep(std::unique_ptr<SweepBase> sweep);
  // A single sweep over a variable of the solution, with the given values in the variable's units.
  SweepBase& AddSweep(Variable* variable, const std::vector<double>& values, bool special = false,
                      int defaultKind = 2);
  // Fills a name space with the solution's variables (host op 3 of the solution manager).
  IVariableNameSpaceSetupper& GetNameSpaceSetupper() { return m_setupper; }

  // Quantities, found without regard to case; adding a name again replaces the quantity. A
  // solution offers its quantities for the report types it supports, at every version.
  ReferenceQuantity& AddQuantity(const AString& name, const ValueState& state,
                                 ReferenceQuantity::Function function = {});
  ReferenceQuantity& AddEnumQuantity(const AString& name, const ValueState& state, const AString& enumTypeName,
                                     ReferenceQuantity::Function function = {});
  // Its value state is ValueState() (type 0); the constituents name other quantities.
  ReferenceQuantity& AddCompositeQuantity(const AString& name, int compositeType,
                                          const std::vector<AString>& constituents);
  // A quantity whose type parameter is of no known kind.
  ReferenceQuantity& AddOtherQuantity(const AString& name, const ValueState& state);
  bool RemoveQuantity(const AString& name);
  const ReferenceQuantity* FindQuantity(const AString& name) const;
  bool OffersQuantitiesFor(const ReportTypeSolutionDefinition& def) const;
  // The quantity's function at the current values of the solution's variables; false when the
  // quantity or its function is missing.
  bool EvaluateQuantity(const AString& name, AComplex<double>& out) const;
  bool IsMajorVariable(const Variable* variable) const;
  // How the product pushes values over a special primary sweep.
  enum class SpecialPush { kCommonPrimary, kInterpolationOrders, kPerQuantityPrimaries };
  void SetSpecialPush(SpecialPush how) { m_specialPush = how; }
  SpecialPush GetSpecialPush() const { return m_specialPush; }
  // The orders pushed with kInterpolationOrders, one per primary point; points past the list get 1.
  void SetPushedInterpolationOrders(const std::vector<char>& orders) { m_pushedOrders = orders; }
  const std::vector<char>& GetPushedInterpolationOrders() const { return m_pushedOrders; }

  // A variable that stands for a quantity of the solution (op 15); by default a variable stands
  // for the quantity of its own name, when there is one.
  void SetVariableQuantity(const AString& variable, const AString& quantity);

  // Output variables the solution defines (found without regard to case).
  void AddOutputVariable(const AString& name, const AString& expression);

  // Per-command answers of the quantity and data tests (ops 16 and 17). A data change given
  // without a definition holds for every definition.
  void SetCommandChangesQuantity(const IVelmorCommand* cmd, const AString& quantity);
  void SetCommandChangesData(const IVelmorCommand* cmd, const ReportTypeSolutionDefinition* def = nullptr);
  // Per-command answer of the sweep test (op 20), likewise.
  void SetCommandChangesSweeps(const IVelmorCommand* cmd, const ReportTypeSolutionDefinition* def = nullptr);
  // Takes the sweep of that name (no case) out of the solution under the command, which then
  // answers op 20 true for every definition; undo puts the sweep back at its place, redo takes it
  // out again. False, changing nothing, without a command or such a sweep. The variable stays.
  bool RemoveSweep(const AString& name, IVelmorCommand* cmd);

  // Switches op 21 between the provider and null (the default).
  void SetDescribesQuantitiesByTypeParams(bool describes) { m_describesByTypeParams = describes; }
  ReferenceQuantityTypeProvider& GetReferenceQuantityTypeProvider() { return m_provider; }

  // Calls of the value-state, enumeration-name and command queries (ops 8, 9, 16, 17).
  int GetNumValueStateQueries() const { return m_valueStateQueries; }
  int GetNumEnumTypeNameQueries() const { return m_enumNameQueries; }
  int GetNumQuantityChangeQueries() const { return m_quantityChangeQueries; }
  int GetNumDataChangeQueries() const { return m_dataChangeQueries; }

private:
  class NameSpaceSetupper : public IVariableNameSpaceSetupper {
  public:
    explicit NameSpaceSetupper(const ReferenceSolution& solution) : m_solution(solution) {}
    void SetupForTextRegeneration(VariableNameSpace& ns) override { Setup(ns); }
    void Setup(VariableNameSpace& ns) override;

  private:
    const ReferenceSolution& m_solution;
  };

  long m_id;
  AString m_name;
  std::vector<std::unique_ptr<SweepBase>> m_sweeps;
  NameSpaceSetupper m_setupper{*this};
  std::vector<std::unique_ptr<Variable>> m_variables;
  std::map<const Variable*, Value> m_nominal;
  std::vector<const Variable*> m_majors;
  std::vector<std::unique_ptr<ReferenceSolutionInstance>> m_instances;
  std::vector<ISolutionInstanceForReports*> m_instancePointers;  // those of m_instances, in order
  bool m_anyInstanceForADefinition = false;
  long m_ppVersion = 1;
  long m_contextVersion = 1;
  std::vector<long> m_validVersions;
  std::vector<unsigned> m_reportTypes;
  std::set<std::pair<unsigned, SimValueContext>> m_fittingContexts;
  bool m_skipVariableClassification = false;
  int m_contextObjectsBuilt = 0;
  std::map<AString, ReferenceQuantity, AString::NoCaseLess> m_quantities;
  std::map<AString, AString, AString::NoCaseLess> m_outputVariables;  // name -> expression
  std::map<AString, AString, AString::NoCaseLess> m_variableQuantities;
  std::set<std::pair<const IVelmorCommand*, AString>> m_quantityChanges;  // names folded
  struct DataChange {
    const IVelmorCommand* cmd;
    bool anyDefinition;
    ReportTypeSolutionDefinition def;
  };
  std::vector<DataChange> m_dataChanges;
  std::vector<DataChange> m_sweepChanges;
  static bool DoesCommandChange(const std::vector<DataChange>& changes, const IVelmorCommand* cmd,
                                const ReportTypeSolutionDefinition& def);
  bool m_describesByTypeParams = false;
  SpecialPush m_specialPush = SpecialPush::kCommonPrimary;
  std::vector<char> m_pushedOrders;
  ReferenceQuantityTypeProvider m_provider{*this};
  int m_valueStateQueries = 0;
  int m_enumNameQueries = 0;
  int m_quantityChangeQueries = 0;
  int m_dataChangeQueries = 0;
  class SweepRemoval;
};

}  // namespace refhost
