// One solution of a design, as the report engine asks it about versions, variables and quantities.
#pragma once

#include <memory>
#include <vector>

#include "orvex/core/AString.h"

class ReportTypeSolutionDefinition;
class SimValueContext;
class ISolutionContextObject;
class IDerivedDataDefinition;
class ISolutionInstanceForReports;
class Variable;
class VariableValues;
class ValueState;
class SweepBase;
class IVelmorCommand;
class IQuantityTypeProvider;

class ISolutionForReports {
public:
  virtual ~ISolutionForReports() = default;  // 0
  // Two new objects owned by the caller, who deletes the load definition first.
  virtual void BuildContextObjects(const ReportTypeSolutionDefinition& def, ISolutionContextObject*& context,
                                   IDerivedDataDefinition*& loadDefinition) = 0;  // 1
  virtual long GetVersionIDForPostprocessing(const IDerivedDataDefinition& loadDefinition) = 0;  // 2
  virtual long GetContextVersionID(const IDerivedDataDefinition& loadDefinition) = 0;            // 3
  virtual void GetValidVersionIDs(std::vector<long>& out, const IDerivedDataDefinition& loadDefinition) = 0;  // 4
  // Appends the major variables; with a variation, only those it names.
  virtual void GetVariables(std::vector<Variable*>& out, const IDerivedDataDefinition& loadDefinition,
                            long version, const VariableValues* variation = nullptr) = 0;  // 5
  // Appends the sweep points; they stay owned by the solution.
  virtual void GetSolutionInstances(std::vector<ISolutionInstanceForReports*>& out,
                                    const IDerivedDataDefinition& loadDefinition, long version) = 0;  // 6
  virtual bool ProvideSweepPoint(const IDerivedDataDefinition& loadDefinition, long version,
                                 const VariableValues& combination) = 0;  // 7
  virtual bool GetQuantityValueState(ValueState& out, const AString& quantity,
                                     const ReportTypeSolutionDefinition& def, long version) = 0;  // 8
  virtual bool GetQuantityEnumTypeName(AString& out, const AString& quantity,
                                       const ReportTypeSolutionDefinition& def, long version) = 0;  // 9
  virtual bool GetOutputVariableExpression(AString& out, const AString& name) = 0;  // 10
  virtual bool GetSkipVariableClassification(bool asked) = 0;                       // 11
  virtual AString GetName() const = 0;                                              // 12
  virtual SweepBase* GetSweepOfVariable(const AString& name, const SimValueContext& context,
                                        unsigned reportType) = 0;  // 13
  virtual void GetSweeps(std::vector<SweepBase*>& out, const SimValueContext& context, unsigned reportType) = 0;  // 14
  virtual bool IsSimValueQuantity(AString& outName, const AString& expression,
                                  const ReportTypeSolutionDefinition& def) = 0;  // 15
  virtual bool DidCommandChangeQuantity(const IVelmorCommand* cmd, const AString& quantity,
                                        const ReportTypeSolutionDefinition& def) = 0;  // 16
  virtual bool DidCommandChangeData(const IVelmorCommand* cmd, const ReportTypeSolutionDefinition& def) = 0;  // 17
  virtual bool SupportsReportType(unsigned reportType) = 0;                                        // 18
  virtual bool DoesContextFitReportType(const SimValueContext& context, unsigned reportType) = 0;   // 19
  virtual bool DidCommandChangeSweeps(const IVelmorCommand* cmd, const ReportTypeSolutionDefinition& def) = 0;  // 20
  virtual IQuantityTypeProvider* GetQuantityTypeProvider() = 0;                                    // 21
  virtual bool GetTextQuantityName(AString& out, const AString& expression,
                                   const ReportTypeSolutionDefinition& def) = 0;  // 22
};
