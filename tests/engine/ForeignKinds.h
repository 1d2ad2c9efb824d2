// Definitions of other kinds than the engine's own, to show how copies and edits treat them.
#pragma once

#include <vector>

#include "reports/BaseTraceDefinition.h"
#include "Gravik/IPointsetDefinition.h"
#include "Gravik/IReportDefinition.h"
#include "Gravik/ITraceComponentDefinition.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/traceinfo/ExtTraceInfo.h"

namespace reptest {

// A trace definition of the common kind that is not a computed trace (as an imported one is not).
class PlainTrace : public rep::BaseTraceDefinition {
public:
  PlainTrace(rep::ReportManager& mgr, const std::vector<AString>& expressions)
      : IBaseTraceDefinition(), BaseTraceDefinition(mgr, expressions, ExtTraceInfo(), nullptr) {}
  PlainTrace(const PlainTrace& other) : IBaseTraceDefinition(), BaseTraceDefinition(other) {}
  PlainTrace(const PlainTrace& other, rep::ReportManager& mgr)
      : IBaseTraceDefinition(), BaseTraceDefinition(other, mgr) {}

  IBaseTraceDefinition* CloneDefinition() const override { return new PlainTrace(*this); }
  BaseTraceDefinition* CloneForManager(rep::ReportManager& mgr) const override { return new PlainTrace(*this, mgr); }
  bool ValidateDefinition(bool) override { return true; }
  int GetTraceDefinitionType() const override { return 3; }
  AString GetBlockName() const override { return L"PlainTrace"; }
  bool UpdateOnCommand(IVelmorCommand*) override { return false; }
  AString GetSolutionName() const override { return AString(); }
  void ActivateOutputVariables(std::set<long>&) override {}
  void UpdateTraceExpressions(const rep::QuantityRenameMap&, IVelmorCommand*) override {}
};

// A trace definition known only through the interface.
class ForeignTrace : public rep::IBaseTraceDefinition {
public:
  long GetID() const override { return 0; }
  unsigned GetNumComponents() const override { return 0; }
  const rep::ITraceComponentDefinition* GetComponent(unsigned) const override { return nullptr; }
  ExtTraceInfo GetExtendedTraceInfo() const override { return ExtTraceInfo(); }
  const TraceFamiliesDisplayParameters* GetFamiliesDisplayParams() const override { return nullptr; }
  void SetExtendedTraceInfo(const ExtTraceInfo&) override {}
  IBaseTraceDefinition* CloneDefinition() const override { return new ForeignTrace; }
  void CopyFrom(const IBaseTraceDefinition&) override {}
  bool ValidateDefinition(bool) override { return true; }
  AString GetName() const override { return L"foreign"; }
  bool GetIsNameTiedToExpressionFlag() const override { return false; }
  int GetTraceDefinitionType() const override { return 3; }
};

class ForeignComponent : public rep::ITraceComponentDefinition {
public:
  AString GetExpression() const override { return L"foreign"; }
  ITraceComponentDefinition* Clone() const override { return new ForeignComponent; }
  void CopyFrom(const ITraceComponentDefinition&) override {}
};

class ForeignPointset : public rep::IPointsetDefinition {
public:
  IPointsetDefinition* Clone() const override { return new ForeignPointset; }
  void CopyFrom(const IPointsetDefinition&) override {}
  AString GetBlockName() const override { return L"PointsetDefinition"; }
  const SubsweepDefParamsContainer& GetSubsweepDefParamsContainer() const override { return m_none; }
  unsigned GetVariableValuesDefParams(std::vector<VariableValuesDefParams>&) const override { return 0; }
  const SubsweepDefParamsContainer& GetSpecifiableSubsweepsIfInFamilies() const override { return m_none; }

private:
  SubsweepDefParamsContainer m_none;
};

class ForeignReport : public rep::IReportDefinition {
public:
  long GetReportID() const override { return 0; }
  AString GetReportName() const override { return L"foreign"; }
  void GetTraceIDs(std::vector<long>&) const override {}
  rep::IBaseTraceDefinition* GetTraceDefinition(long) const override { return nullptr; }
  IReportDefinition* Clone() const override { return new ForeignReport; }
  void CopyFrom(const IReportDefinition&) override {}
  bool ValidateDefinition() override { return true; }
};

}  // namespace reptest
