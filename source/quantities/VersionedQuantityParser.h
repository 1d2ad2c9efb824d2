// The value parser of one design solution at one version: what a name in an expression stands for.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <vector>

#include "quantities/SimDatasetValue.h"
#include "orvex/core/AString.h"
#include "orvex/core/IInterfaceQueriable.h"
#include "orvex/core/VelmorIDServer.h"
#include "orvex/values/IValueParser.h"
#include "orvex/values/ValueState.h"
#include "postorvex/solution/DesignSolutionDefinition.h"

class ContextVariable;
class IOutputVariableMgr;
class ISimValueInfoCache;
class ISolutionForReports;
class ISolutionManagerForReports;
class IVariableNameSpaceSetupper;
class OutputVariable;

namespace rep {

class SimValue2;

// A name is, first hit wins: an output variable that the solution defines, a user output
// variable, or a simulated quantity (a SimValue2 whose ID comes from the quantity information
// cache). The parser also makes and owns the dataset values of ranged functions. It only grows
// while it lives. Made by CreateVersionedQuantityParser; deleted through IInterfaceQueriable.
class VersionedQuantityParser : public IValueParser, public IInterfaceQueriable {
public:
  typedef std::map<AString, OutputVariable*, AString::NoCaseLess> OutputVariableMap;

  VersionedQuantityParser(IVariableNameSpaceSetupper* setupper, const OutputVariableMap& outputVars,
                          const DesignSolutionDefinition& dsd, long versionID, ISolutionForReports* solution,
                          ISimValueInfoCache* infoCache, ISolutionManagerForReports* solMgr);
  // Values that still hold the parser's leaves keep them: such leaves delete themselves when
  // their last holder lets go.
  ~VersionedQuantityParser() override;
  VersionedQuantityParser(const VersionedQuantityParser&) = delete;
  VersionedQuantityParser& operator=(const VersionedQuantityParser&) = delete;

  // IValueParser
  using IValueParser::GetValueForName;
  ValueBase* GetDatasetValue(ValueBase* y, ValueBase* pXExpr) override;
  ValueBase* GetValueForName(const AString& name) override;
  ValueState GetValueState(const AString& name) override;
  ValueBase* GetDummyDatasetForValidation(const ValueState& y, const ValueState& x) override;
  IInterfaceQueriable* GetInterfaceQueriable() override { return this; }

  // IInterfaceQueriable: IAlienTokenParser (the solution manager's), IValueParser, IInterfaceQueriable.
  void* QueryInterface(const std::type_info& type) override;

  ISimValueInfoCache* GetSimValueInfoCache() const { return m_infoCache; }
  IVariableNameSpaceSetupper* GetVariableNameSpaceSetupper() const { return m_setupper; }
  ISolutionForReports* GetSolutionObject() const { return m_solution; }
  ISolutionManagerForReports* GetSolutionManager() const { return m_solMgr; }
  const DesignSolutionDefinition& GetDesignSolutionDefinition() const { return m_dsd; }
  long GetVersionID() const { return m_versionID; }

  // The dataset with that ID, first in creation order; null when none.
  AbstractDynamicDatasetValue* FindDatasetByID(long id) const;
  // The quantity's ID, its SimValue2 made on first use; id::invalidID when the information cache
  // knows no such quantity (asked again next time).
  long GetSimValueID(const AString& name);
  // Appends every quantity resolved so far, ascending ID; the parser keeps them.
  void GetSimValues(std::vector<SimValue2*>& out) const;
  bool IsSolutionOutputVariable(const ContextVariable& variable);
  bool IsSolutionOutputVariable(const AString& name);

private:
  // Looked up, or made from the solution's expression; null when the solution defines none or
  // its expression does not validate. A name met again while its own expression is being
  // validated is a cycle and does not resolve.
  OutputVariable* FindOrMakeSolutionOutputVariable(const AString& name);
  // The state of a variable's expression; a default state when it cannot be activated.
  ValueState StateOfOutputVariable(OutputVariable& variable);
  // Deletes unreferenced solution output variables and datasets until none is left to delete.
  void PurgeUnreferenced();

  // Quantity store.
  DesignSolutionDefinition m_dsd;
  long m_versionID;
  std::map<AString, long, AString::NoCaseLess> m_quantityIDs;
  std::map<long, ValueState> m_quantityStates;
  std::map<long, SimValue2*> m_simValues;  // owned

  // Dataset store.
  std::vector<AbstractDynamicDatasetValue*> m_datasets;  // owned, creation order
  VelmorIDServer m_datasetIDs;
  DoubleSimDatasetValue* mDoubleDynamicDummyDatasetForValidationPurposes;    // owned
  ComplexSimDatasetValue* mComplexDynamicDummyDatasetForValidationPurposes;  // owned

  OutputVariableMap m_solutionVariables;  // owned
  std::set<AString, AString::NoCaseLess> m_inResolution;  // solution output variables being made
  OutputVariableMap mOutputVars;          // the user's, owned by their manager

  IVariableNameSpaceSetupper* m_setupper;  // not owned
  ISolutionForReports* m_solution;         // not owned
  ISolutionManagerForReports* m_solMgr;    // not owned
  ISimValueInfoCache* m_infoCache;         // not owned
};

// The one way to get a parser for a design solution; null when the solution manager has no such
// solution. The caller deletes it through GetInterfaceQueriable().
IValueParser* CreateVersionedQuantityParser(ISolutionManagerForReports* solMgr, IOutputVariableMgr* outputVariables,
                                            ISimValueInfoCache* infoCache, const DesignSolutionDefinition& dsd);

// The ID of a SimValue2; id::invalidID, with an assertion, for any other value.
long GetSimValueIDFromValue(const ValueBase* value);

}  // namespace rep
