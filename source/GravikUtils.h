// Small rules that every part of the engine must apply the same way.
#pragma once

#include <typeinfo>

#include "orvex/core/AString.h"
#include "orvex/core/IInterfaceQueriable.h"
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

namespace io {
class CBlock;
}

namespace rep {

class ReportDefinitionCmdInfo;

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
