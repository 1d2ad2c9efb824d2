// What the sweep machinery needs to know about a trace's sweep variables: which are major,
// special or demandable, which values each takes, and the explicit families of its point set.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "orvex/values/Value.h"
#include "orvex/values/VariableValues.h"
#include "postorvex/solution/ReportTypeSolutionDefinition.h"
#include "postorvex/sweeps/SweepsAbstraction.h"

class ConnectedVVObject;
class IDerivedDataDefinition;
class ISolutionContextObject;
class ISolutionForReports;
class ISolutionInstanceForReports;
class SweepsIteratorBase;

namespace rep {

class SubsweepsAdapter;
class SweepPointsStore;

class SweepsVariableInfoMediator2 : public SweepsAbstraction {
public:
  // The points of the solution that may belong to the major sweeps (all of them when the sweeps
  // give no major values to sort out by), each with its position, in the order of their variations.
  class SweepPointsIndex {
  public:
    const std::map<VariableValues, size_t>& GetPointPositions() const { return m_positions; }
    // Null when no point has that variation.
    const VariableValues* FindPoint(const VariableValues& values) const;
    // The solution's point object of that variation; null when none.
    ISolutionInstanceForReports* FindInstance(const VariableValues& values) const;

  private:
    friend class SweepsVariableInfoMediator2;
    std::map<VariableValues, size_t> m_positions;
    std::vector<ISolutionInstanceForReports*> m_instances;  // the solution's, by position
  };

  SweepsVariableInfoMediator2(SubsweepsAdapter* subsweeps, const ReportTypeSolutionDefinition& def,
                              ISolutionForReports* solution, const VariableValues& designVariation,
                              bool skipClassification, SweepPointsStore* store = nullptr);
  ~SweepsVariableInfoMediator2() override;
  SweepsVariableInfoMediator2(const SweepsVariableInfoMediator2&) = delete;
  SweepsVariableInfoMediator2& operator=(const SweepsVariableInfoMediator2&) = delete;

  // SweepsVarInfoAbstraction
  unsigned GetNumVariables() const override { return static_cast<unsigned>(mVars.size()); }
  Variable* GetVariable(unsigned index) const override;
  bool DoSpecialSweepsExist() const override;
  bool IsVariableMajor(unsigned varIndex) const override;
  int GetVariableIndex(const AString& name) const override;
  bool IsVariableSpecial(unsigned varIndex) const override;
  const VariableValues& GetDependentVariableValues() const override { return m_dependentValues; }

  // SweepsValuesInfoAbstraction
  unsigned GetNumSweepVariables() const override { return m_numValued; }
  unsigned GetNumValues(unsigned varIndex) const override;
  Variable* GetSweepVariable(unsigned index) const override { return GetVariable(index); }
  bool GetValue(Value& out, unsigned varIndex, unsigned valueIndex, const VariableValues* context) const override;
  const std::vector<VariableValues>* GetExplicitFamiliesIfAny() const override;
  bool IsSpecialVariable(const Variable* variable) const override;

  void GetConstantVariableValues(VariableValues& out) const { out = m_constantVariableValues; }
  bool IsVariableDemandable(unsigned varIndex) const;
  // True when at least one demandable variable was removed.
  bool RemoveDemandableVariableValues(VariableValues& values) const;

  void CreateMinorSweepsIteratorExcludingSpecialsAndPrimary(std::unique_ptr<SweepsIteratorBase>& out) const;
  void CreateMajorSweepsIterator(std::unique_ptr<SweepsIteratorBase>& out) const;
  void CreateDemandableMajorSweepsIterator(std::unique_ptr<SweepsIteratorBase>& out) const;
  // Owned by the caller; null when the core library makes none.
  ConnectedVVObject* CreateConnectedVVObject() const;
  // Built on the first call, which may make the solution provide demandable points.
  const SweepPointsIndex& GetAllSweepPointsVariableValues();

  const IDerivedDataDefinition* GetLoadDefinition() const { return m_loadDefinition.get(); }
  long GetLoadVersion() const { return m_loadVersion; }

  static bool HaveExactlySameVariables(const std::vector<VariableValues>& families);
  static const std::vector<VariableValues>* GetExplicitFamiliesIfAny(const SubsweepsAdapter& subsweeps);

private:
  void CreateIterator(const std::vector<bool>& active, std::unique_ptr<SweepsIteratorBase>& out) const;
  void CollectPoints(std::vector<VariableValues>& out, std::vector<ISolutionInstanceForReports*>* instances) const;
  // Per major swept variable, the sorted SI values a point needs one of to be in the major sweeps.
  using ValueFilters = std::vector<std::pair<Variable*, std::vector<double>>>;
  ValueFilters GetMajorValueFilters() const;
  // Indexes the points at those positions, in their order, that pass every filter.
  void IndexPoints(const std::vector<VariableValues>& points, const std::vector<ISolutionInstanceForReports*>& instances,
                   const std::vector<size_t>& positions, const ValueFilters& filters);

  std::vector<Variable*> mVars;  // not owned; index 0 is the primary sweep
  std::vector<bool> mIsMajor;
  std::vector<bool> mIsSpecial;
  std::vector<bool> mIsDemandable;
  unsigned m_numValued = 0;
  std::unique_ptr<ISolutionContextObject> m_context;
  std::unique_ptr<IDerivedDataDefinition> m_loadDefinition;
  long m_loadVersion = 0;
  std::map<unsigned, Value> m_constantValues;
  VariableValues m_constantVariableValues;
  VariableValues m_dependentValues;
  ISolutionForReports* m_solution;  // not owned
  SubsweepsAdapter* m_subsweeps;    // not owned
  std::unique_ptr<SweepPointsIndex> m_points;
  ReportTypeSolutionDefinition m_def;
  SweepPointsStore* m_store;  // not owned; may be null
};

}  // namespace rep
