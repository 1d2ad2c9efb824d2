// Small rules that every part of the engine must apply the same way.
#pragma once

#include <map>
#include <set>
#include <vector>

#include "orvex/core/AString.h"
#include "orvex/values/Value.h"

class Column;
class DoubleColumn;
class IntColumn;
class CharColumn;
class EnumColumn;
class IManagedFileService;
class IVelmorCommand;
class IReportManagerOwner;
class ISolutionManagerForReports;
class DesignSolutionDefinition;
class AbstractQuantityInfo;
class CompositeReferencedPostprocessingQuantityMsg;
class ISimValueInfoCache;
class IOutputVariableMgr;
class ValueState;

namespace io {
class CBlock;
}

namespace rep {

class ReportDefinitionCmdInfo;
class TraceDefinition;
class VersionedQuantityParser;

bool IsNaN(double value);
bool IsNaN(const AComplex<double>& value);
bool IsNaN(const Value& value);

// An empty text leaves the value as it is.
bool SetValueTextIfNotEmpty(Value& value, const AString& text, Units::FullUnitType unitType);

// Integer, character and enumeration.
bool IsDigitalParameterType(val::ParameterType type);

// A new column from the parent's sub-block of that name; the caller owns it. Null when the
// sub-block is missing (the parent's found flag is then set back to true) or holds no readable
// column (a soft assertion "col").
Column* ReadColumnFromBlock(const io::CBlock& parent, const AString& name);
// Appends the column as a sub-block of that name only when it was written whole; false otherwise
// (the parent is then unchanged).
bool WriteColumnToBlock(io::CBlock& parent, const Column* column, const AString& name);

// A new double column of the source's unit holding its values; the caller owns it. Invalid
// entries stay invalid. Null, with a soft assertion, for a source that is not digital; with a
// file service the column is managed through it.
DoubleColumn* CreateDoubleColumnFromDigitalColumn(const Column& source, IManagedFileService* fileService);
// Appends the source's values, converted, to the target.
void ConvertDigitalColumnToDoubleColumn(const IntColumn& source, DoubleColumn& target);
// A character counts as unsigned: 0 to 255.
void ConvertDigitalColumnToDoubleColumn(const CharColumn& source, DoubleColumn& target);
void ConvertDigitalColumnToDoubleColumn(const EnumColumn& source, DoubleColumn& target);

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

// Quantities of expressions. Each installs its parser as the global value parser while it works
// and puts the previous one back.

// Appends the leaf quantities of every composite quantity among `quantities`; the cache must be a
// SimValueInfoServer.
void GetLeafQuantitiesOfExpressions(std::vector<AString>& leaves, const std::vector<AString>& quantities,
                                    ISimValueInfoCache& cache, const DesignSolutionDefinition& dsd, long versionID);
// The IDs of the plain quantities and of the leaves of the composite ones that `source` lists.
void MapLeafQuantitiesToSimValueIDs(std::map<AString, long, AString::NoCaseLess>& ids, AbstractQuantityInfo& source,
                                    ISimValueInfoCache* cache, const DesignSolutionDefinition& dsd, long versionID);
void CollectLeafQuantitySimValueIDs(std::set<long>& ids, AbstractQuantityInfo& source, ISimValueInfoCache* cache,
                                    const DesignSolutionDefinition& dsd, long versionID);
void CollectLeafQuantitySimValueIDsForKey(std::set<long>& ids, const AString& expression, AbstractQuantityInfo& source,
                                          ISimValueInfoCache* cache, const DesignSolutionDefinition& dsd,
                                          long versionID);

bool GetValueStateOfExpression(ValueState& out, const AString& expression, const DesignSolutionDefinition& dsd,
                               ISolutionManagerForReports* solMgr, IOutputVariableMgr* outputVariables,
                               ISimValueInfoCache* cache);
// Renames the quantities of the expression; `newText` changes only when one was renamed.
bool GenerateNewValueText(AString& newText, ValueState& state, const AString& expression,
                          const std::map<AString, AString, AString::NoCaseLess>& renames,
                          ISolutionManagerForReports* solMgr, IOutputVariableMgr* outputVariables,
                          ISimValueInfoCache* cache, const DesignSolutionDefinition& dsd);
bool GenerateNewValueTextOfExpression(AString& newText, const AString& expression,
                                      const std::map<AString, AString, AString::NoCaseLess>& renames,
                                      ISolutionManagerForReports* solMgr, IOutputVariableMgr* outputVariables,
                                      ISimValueInfoCache* cache, const DesignSolutionDefinition& dsd);

// What each expression refers to; an expression is valid when it parses or names a composite
// quantity. The caller owns the answer.
CompositeReferencedPostprocessingQuantityMsg* BuildReferencedQuantityMsg(std::vector<bool>& valid,
                                                                         VersionedQuantityParser& parser,
                                                                         const std::vector<AString>& expressions);
// Null unless every expression is valid.
CompositeReferencedPostprocessingQuantityMsg* ValidateExpressions(VersionedQuantityParser& parser,
                                                                  const std::vector<AString>& expressions);
// The record of the trace's component expressions; with `alsoPlainVariables` a component that is
// only a variable standing for a quantity of the solution lists that quantity. Null when some
// expression is invalid; the caller owns the answer.
AbstractQuantityInfo* AddSimValueQuantitiesOfExpression(VersionedQuantityParser& parser, TraceDefinition* trace,
                                                       bool alsoPlainVariables);

}  // namespace rep
