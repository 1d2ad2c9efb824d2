#include "GravikUtils.h"

#include <cmath>
#include <memory>

#include "ReportDefinitionCmdInfo.h"
#include "hostapi/IReportManagerOwner.h"
#include "hostapi/ISolutionContextObject.h"
#include "hostapi/ISolutionForReports.h"
#include "hostapi/ISolutionManagerForReports.h"
#include "orvex/centupd/IDerivedDataDefinition.h"
#include "orvex/core/Assert.h"
#include "orvex/core/IMessageManager.h"
#include "orvex/core/IVelmorCommand.h"
#include "orvex/core/Ids.h"
#include "orvex/core/RenameQuantitiesCmdInfo.h"
#include "orvex/core/VelmorMessage.h"
#include "orvex/io/Block.h"
#include "postorvex/columns/Column.h"
#include "postorvex/columns/FileColumnManager.h"
#include "postorvex/solution/DesignSolutionDefinition.h"

namespace rep {

bool IsNaN(double value) { return std::isnan(value); }

bool IsNaN(const AComplex<double>& value) { return IsNaN(value.real()) || IsNaN(value.imag()); }

bool IsNaN(const Value& value) {
  switch (value.GetParameterType()) {
    case 1:
      return IsNaN(value.GetValue());
    case 2:
      return IsNaN(value.GetComplexValue());
    default:
      ORVEX_ASSERT(0);
      return false;
  }
}

bool SetValueTextIfNotEmpty(Value& value, const AString& text, Units::FullUnitType unitType) {
  if (text.empty()) return true;
  return value.SetValueText(text, unitType);
}

bool IsDigitalParameterType(val::ParameterType type) { return type == 13 || type == 14 || type == 15; }

// ---- columns in blocks ----

Column* ReadColumnFromBlock(const io::CBlock& parent, const AString& name) {
  const io::CBlock* columnBlock = parent.FindBlock(name);
  if (!columnBlock) {
    // A column that is not there is not a failed lookup of the parent.
    parent.ResetFound(true);
    return nullptr;
  }
  Column* col = Column::ReadAndCreateColumn(*columnBlock);
  ORVEX_ASSERT(col);
  return col;
}

bool WriteColumnToBlock(io::CBlock& parent, const Column* column, const AString& name) {
  if (!column) return false;
  io::CBlock columnBlock(name);
  if (column->WriteColumn(columnBlock) != io::kNoError) return false;
  parent << std::move(columnBlock);
  return true;
}

// ---- digital columns to double columns ----

namespace {

template <class SourceColumn, class Entry>
void AppendConverted(const SourceColumn& source, DoubleColumn& target, Entry invalidMarker,
                     double (*convert)(Entry)) {
  // A file-backed source is loaded for the copy and left as it was found.
  FileColumnManager::LoadAndOptionallyUnloadCtxt loaded(&source);
  for (Entry entry : source.GetValues())
    target.AddValue(entry == invalidMarker ? DoubleColumn::kInvalidValue : convert(entry), true);
}

double IntegerToDouble(int32_t entry) { return static_cast<double>(entry); }
double CharacterToDouble(char entry) { return static_cast<double>(static_cast<unsigned char>(entry)); }

class DoubleColumnConverterForDigitalTypesVisitor : public Column::Visitor {
public:
  explicit DoubleColumnConverterForDigitalTypesVisitor(DoubleColumn* target) : m_target(target) {}

  bool Visit(const EnumColumn& column) override {
    ConvertDigitalColumnToDoubleColumn(column, *m_target);
    return true;
  }
  bool Visit(const CharColumn& column) override {
    ConvertDigitalColumnToDoubleColumn(column, *m_target);
    return true;
  }
  bool Visit(const IntColumn& column) override {
    ConvertDigitalColumnToDoubleColumn(column, *m_target);
    return true;
  }
  // Every other kind, present and future, ends here.
  bool Visit(const Column&) override {
    ORVEX_ASSERT(0);
    return false;
  }

private:
  DoubleColumn* m_target;  // not owned
};

}  // namespace

void ConvertDigitalColumnToDoubleColumn(const IntColumn& source, DoubleColumn& target) {
  AppendConverted<IntColumn, int32_t>(source, target, IntColumn::kInvalidValue, IntegerToDouble);
}

void ConvertDigitalColumnToDoubleColumn(const CharColumn& source, DoubleColumn& target) {
  AppendConverted<CharColumn, char>(source, target, CharColumn::kInvalidValue, CharacterToDouble);
}

void ConvertDigitalColumnToDoubleColumn(const EnumColumn& source, DoubleColumn& target) {
  AppendConverted<EnumColumn, int32_t>(source, target, EnumColumn::kInvalidValue, IntegerToDouble);
}

DoubleColumn* CreateDoubleColumnFromDigitalColumn(const Column& source, IManagedFileService* fileService) {
  if (!IsDigitalParameterType(source.GetParameterType())) {
    ORVEX_ASSERT(0);
    return nullptr;
  }
  const val::ParameterType doubleType = static_cast<val::ParameterType>(1);
  std::unique_ptr<Column> created(
      fileService ? Column::CreateColumn2(doubleType, source.GetUnits(), fileService, AString(), AString(), true, true)
                  : Column::CreateColumn(doubleType, source.GetUnits()));
  DoubleColumn* target = created ? created->GetDoubleColumn() : nullptr;
  if (!target) return nullptr;
  DoubleColumnConverterForDigitalTypesVisitor converter(target);
  // A column whose kind does not match its digital type is refused, not answered empty.
  if (!source.Accept(converter)) return nullptr;
  created.release();
  return target;
}

ReportDefinitionCmdInfo* GetOrCreateReportDefinitionCmdInfo(IVelmorCommand* cmd, IReportManagerOwner* owner) {
  // Without a command there is nothing to attach an info to, and the host may drop what it is given.
  if (!owner || !cmd) return nullptr;
  const int source = owner->GetCmdInfoSourceForReports();
  if (VelmorCommandInfo* existing = owner->GetContextedInfoFromCmd(cmd, source))
    return dynamic_cast<ReportDefinitionCmdInfo*>(existing);
  auto* info = new ReportDefinitionCmdInfo;
  owner->AddContextedInfoToCmd(cmd, info, source);
  return info;
}

bool MarkTracesUpdatedInCommand(IVelmorCommand* cmd, IReportManagerOwner* owner) {
  ReportDefinitionCmdInfo* info = cmd ? GetOrCreateReportDefinitionCmdInfo(cmd, owner) : nullptr;
  if (!info) {
    ORVEX_ASSERT(0);
    return false;
  }
  info->SetTracesUpdated(true);
  return true;
}

void PostReportMessage(int severity, int messageID, int secondID, const AString& argument) {
  VelmorMessage msg(severity, 14, messageID, secondID, 6, MessageManagerStrings::kNullStr,
                    MessageManagerStrings::kNullStr, false);
  msg.AddArg(argument, 0);
  GetGlobalIMessageManager()->PostMessage(msg);
}

bool IsQuantityRenamedByCommand(const IVelmorCommand* cmd, const AString& quantityName) {
  if (!cmd) return false;
  const auto* renames = dynamic_cast<const RenameQuantitiesCmdInfo*>(cmd->GetInfo(cmdinfo::kRenameQuantitiesKind));
  if (!renames) return false;
  if (cmd->IsDoing() || cmd->IsRedoing()) return renames->GetIsQuantityRenamedByOldName(quantityName);
  if (cmd->IsUndoing()) return renames->GetIsQuantityRenamedByNewName(quantityName);
  return false;
}

namespace {

enum class VersionKind { kPostprocessing, kSolutionContext };

long AskSolutionVersion(const ISolutionManagerForReports* solMgr, const DesignSolutionDefinition& dsd,
                        VersionKind kind) {
  ISolutionForReports* solution = solMgr ? solMgr->GetSolution(dsd.GetSolutionID()) : nullptr;
  if (!solution) return id::invalidID;
  ISolutionContextObject* context = nullptr;
  IDerivedDataDefinition* loadDef = nullptr;
  solution->BuildContextObjects(dsd.GetReportTypeSolutionDefinitionRef(), context, loadDef);
  long version = id::invalidID;
  if (loadDef) {
    version = kind == VersionKind::kPostprocessing ? solution->GetVersionIDForPostprocessing(*loadDef)
                                                   : solution->GetContextVersionID(*loadDef);
  }
  delete loadDef;
  delete context;
  return version;
}

}  // namespace

long GetVersionIDForPostprocessing(const ISolutionManagerForReports* solMgr, const DesignSolutionDefinition& dsd) {
  return AskSolutionVersion(solMgr, dsd, VersionKind::kPostprocessing);
}

long GetSolutionContextVersionID(const ISolutionManagerForReports* solMgr, const DesignSolutionDefinition& dsd) {
  return AskSolutionVersion(solMgr, dsd, VersionKind::kSolutionContext);
}

}  // namespace rep
