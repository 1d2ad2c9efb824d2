// Small rules that every part of the engine must apply the same way.
#pragma once

#include "orvex/core/AString.h"
#include "orvex/values/Value.h"

class IVelmorCommand;
class IReportManagerOwner;
class ISolutionManagerForReports;
class DesignSolutionDefinition;

namespace rep {

class ReportDefinitionCmdInfo;

bool IsNaN(double value);
bool IsNaN(const AComplex<double>& value);
bool IsNaN(const Value& value);

// An empty text leaves the value as it is.
bool SetValueTextIfNotEmpty(Value& value, const AString& text, Units::FullUnitType unitType);

// Integer, character and enumeration.
bool IsDigitalParameterType(val::ParameterType type);

// The command's report info, created and attached on first use; the command owns it. Null
// without a command.
ReportDefinitionCmdInfo* GetOrCreateReportDefinitionCmdInfo(IVelmorCommand* cmd, IReportManagerOwner* owner);
bool MarkTracesUpdatedInCommand(IVelmorCommand* cmd, IReportManagerOwner* owner);

// Posts a user message built the engine's way (14, id, secondID, 6) with one text argument.
void PostReportMessage(int severity, int messageID, int secondID, const AString& argument);

// By its old name while doing or redoing, by its new name while undoing.
bool IsQuantityRenamedByCommand(const IVelmorCommand* cmd, const AString& quantityName);

// id::invalidID when the solution manager knows no such solution.
long GetVersionIDForPostprocessing(const ISolutionManagerForReports* solMgr, const DesignSolutionDefinition& dsd);
long GetSolutionContextVersionID(const ISolutionManagerForReports* solMgr, const DesignSolutionDefinition& dsd);

}  // namespace rep
