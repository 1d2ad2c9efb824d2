// Small rules that every part of the engine must apply the same way.
#pragma once

#include <map>
#include <set>
#include <vector>
#include <typeinfo>

#include "orvex/core/AString.h"
#include "orvex/core/IInterfaceQueriable.h"
#include "orvex/values/Value.h"

class VariableValues;
class IOutputVariableMgr;
class ISimValueCache;
class IDerivedDataManager;
class IProgressMonitor;
class ReportExtractionUtil;
class SubsweepDefParamsContainer;
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

class ITraceData;
class ITraceDataForProduct;
class ReportDefinitionCmdInfo;
struct TraceExtractionRequest;
class TraceDefinition;
class VersionedQuantityParser;

bool IsNaN(double value);
bool IsNaN(const AComplex<double>& value);
bool IsNaN(const Value& value);

// An empty text leaves the value as it is.
bool SetValueTextIfNotEmpty(Value& value, const AString& text, Units::FullUnitType unitType);

// Trace data of temporary reports. Each call installs this copy's creator of temporary report
// managers while it runs.

// Result i receives the data of request i, owned by the caller from then on, or stays null with a
// message posted; true when every request got data.
bool ExtractTraceDataIntoTemporaryReport(std::vector<ITraceDataForProduct*>& results,
                                         const std::vector<TraceExtractionRequest>& requests,
                                         ISolutionManagerForReports* solMgr, IOutputVariableMgr* outputVariables,
                                         ISimValueCache* cache, IDerivedDataManager* derivedData,
                                         IProgressMonitor* monitor);
// The output variable's expression at one variation of the solution, through a temporary
// one-trace report; false when no value could be put into the result. Along a special first
// sweep the value is interpolated, NaN outside the sweep's range.
bool EvaluateOutputVariable(Value& result, const AString& expression, const VariableValues& variation,
                            long designInstanceID, ISolutionManagerForReports* solMgr,
                            IOutputVariableMgr* outputVariables, const DesignSolutionDefinition& dsd,
                            ISimValueCache* cache, IDerivedDataManager* derivedData);
// Appends the subsweep definitions that select the variation: the whole range of a special
// sweep, the one value of any other; dependent variables are left to their definitions.
bool GetPostprocessingSweepVariableValues(SubsweepDefParamsContainer& out, const VariableValues& variation,
                                          const DesignSolutionDefinition& dsd, long designInstanceID,
                                          ISolutionManagerForReports* solMgr);
// The computed data of a one-trace report of the owner's manager, which keeps it; null, with
// message 24729, when it has none.
ITraceData* UpdateTraceDataOfTemporaryReport(ReportExtractionUtil& owner, const AString& expression,
                                             const SubsweepDefParamsContainer& subsweeps,
                                             ISolutionManagerForReports* solMgr, const DesignSolutionDefinition& dsd,
                                             IDerivedDataManager* derivedData);
// The first component at that value of the primary sweep, interpolated within the first curve.
bool ReadPrimaryVariableValues(Value& result, const Value& priVarVal, ITraceData& td);

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
// quantity. The caller owns the answer. `parsed`, when given, receives the value of each
// expression (untouched for one that did not parse), so that a caller need not parse it again.
CompositeReferencedPostprocessingQuantityMsg* BuildReferencedQuantityMsg(std::vector<bool>& valid,
                                                                         VersionedQuantityParser& parser,
                                                                         const std::vector<AString>& expressions,
                                                                         std::vector<Value>* parsed = nullptr);
// Null unless every expression is valid.
CompositeReferencedPostprocessingQuantityMsg* ValidateExpressions(VersionedQuantityParser& parser,
                                                                  const std::vector<AString>& expressions);
// The record of the trace's component expressions; with `alsoPlainVariables` a component that is
// only a variable standing for a quantity of the solution lists that quantity. Null when some
// expression is invalid; the caller owns the answer.
AbstractQuantityInfo* AddSimValueQuantitiesOfExpression(VersionedQuantityParser& parser, TraceDefinition* trace,
                                                       bool alsoPlainVariables);
// The object's face of type T: by a cast, else by asking the object. False, with `out` untouched,
// when it has none.
template <class T>
bool QueryInterfaceOf(IInterfaceQueriable* object, T*& out) {
  if (!object) return false;
  if (T* cast = dynamic_cast<T*>(object)) {
    out = cast;
    return true;
  }
  void* face = object->QueryInterface(typeid(T));
  if (!face) return false;
  out = static_cast<T*>(face);
  return true;
}

}  // namespace rep
