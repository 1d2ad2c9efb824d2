#include "reports/ImportedTraceDefinition.h"

#include "tracedata/ConcreteCompositeTraceData.h"
#include "tracedata/ConcreteTraceData.h"
#include "reports/ReportDefinitionCmdInfo.h"
#include "reports/ReportManager.h"
#include "hostapi/IReportManagerOwner.h"
#include "orvex/core/Assert.h"
#include "orvex/io/Block.h"

namespace rep {

namespace {
const wchar_t* const kBlockName = L"ImportedTraceDefinition";
const wchar_t* const kSourceDescription = L"SourceDescription";
const wchar_t* const kTraceData = L"TraceData";
const wchar_t* const kCompositeTraceData = L"CompositeTraceData";

// Reads stored data of one kind from the sub-block; null when the sub-block is missing. `read` is
// what the data's read answered.
template <class Data>
std::unique_ptr<Data> ReadData(io::CBlock& block, const wchar_t* key, ReportManager& mgr, long traceDefID,
                               io::ReadError& read) {
  io::CBlock* sub = block.FindBlockForEdit(key);
  block.ResetFound(true);
  if (!sub) return nullptr;
  auto data = std::make_unique<Data>(mgr, traceDefID);
  read = data->DoDataExchange(*sub, true);
  return data;
}
}  // namespace

ImportedTraceDefinition::ImportedTraceDefinition(ReportManager& mgr) : BaseTraceDefinition(mgr) {}

ImportedTraceDefinition::ImportedTraceDefinition(ReportManager& mgr, const AString& sourceDescription,
                                                 const AString& name, const std::vector<AString>& expressions,
                                                 const ExtTraceInfo& info, bool tiedToExpression)
    : BaseTraceDefinition(mgr, name, expressions, info, tiedToExpression, nullptr),
      m_sourceDescription(sourceDescription) {}

ImportedTraceDefinition::ImportedTraceDefinition(ReportManager& mgr, const AString& sourceDescription,
                                                 const std::vector<AString>& expressions, const ExtTraceInfo& info)
    : BaseTraceDefinition(mgr, expressions, info, nullptr), m_sourceDescription(sourceDescription) {}

ImportedTraceDefinition::~ImportedTraceDefinition() = default;

AString ImportedTraceDefinition::GetStaticBlockName() { return kBlockName; }

IBaseTraceDefinition* ImportedTraceDefinition::CloneDefinition() const {
  return CloneForManager(const_cast<ReportManager&>(GetManager()));
}

BaseTraceDefinition* ImportedTraceDefinition::CloneForManager(ReportManager& mgr) const {
  std::vector<AString> expressions;
  for (unsigned i = 0; i < GetNumComponents(); ++i) expressions.push_back(GetComponent(i)->GetExpression());
  auto* clone = new ImportedTraceDefinition(mgr, m_sourceDescription, GetName(), expressions, GetExtendedTraceInfo(), false);
  // Owners renumber a clone before they rely on its ID; until then it answers the source's.
  clone->BaseTraceDefinition::SetID(GetID());
  if (m_data) clone->SetTraceData(CloneTraceData(m_data.get(), mgr));
  return clone;
}

ImportedTraceDefinition::ImportedTraceDefinition(const ImportedTraceDefinition& other, ReportManager& mgr)
    : IBaseTraceDefinition(), IImportedTraceDefinition(), BaseTraceDefinition(other, mgr),
      m_sourceDescription(other.m_sourceDescription) {
  IAbstractTraceData* data = CloneTraceData(other.m_data.get(), mgr);
  SetTraceDefIDOfTraceData(data, GetID());
  m_data.reset(data);
}

BaseTraceDefinition* ImportedTraceDefinition::CopyForManager(ReportManager& mgr) const {
  return new ImportedTraceDefinition(*this, mgr);
}

BaseTraceDefinition* ImportedTraceDefinition::TakeForManager(ReportManager& mgr) {
  auto* plain = dynamic_cast<ConcreteTraceData*>(m_data.get());
  if (!plain) return CopyForManager(mgr);
  // The copy's own data is the one taken: none is cloned first.
  std::unique_ptr<IAbstractTraceData> held = std::move(m_data);
  auto* copy = new ImportedTraceDefinition(*this, mgr);
  m_data = std::move(held);
  IAbstractTraceData* taken = plain->TakeFor(mgr);
  SetTraceDefIDOfTraceData(taken, copy->GetID());
  copy->m_data.reset(taken);
  return copy;
}

void ImportedTraceDefinition::CopyFrom(const IBaseTraceDefinition& from) {
  const auto* source = dynamic_cast<const ImportedTraceDefinition*>(&from);
  ORVEX_ASSERT(source);
  if (!source || source == this) return;
  BaseTraceDefinition::CopyFrom(from);
  m_sourceDescription = source->m_sourceDescription;
  // The data belongs to this definition's manager: the source's may go first.
  IAbstractTraceData* copy = CloneTraceData(source->m_data.get(), GetManagerForEdit());
  SetTraceDefIDOfTraceData(copy, GetID());
  SetTraceData(copy);
}

AString ImportedTraceDefinition::GetPrimarySweepName() const {
  ITraceDataSweepInfo* info = m_data ? m_data->GetTraceDataSweepInfo() : nullptr;
  if (!info) {
    ORVEX_ASSERT(0);
    return AString();
  }
  return info->GetPrimarySweepName();
}

void ImportedTraceDefinition::SetID(long id) {
  BaseTraceDefinition::SetID(id);
  SetTraceDefIDOfTraceData(m_data.get(), id);
}

AString ImportedTraceDefinition::GetSolutionName() const { return L"Imported"; }

io::ReadError ImportedTraceDefinition::DoDataExchange(io::CBlock& block, bool read) {
  ClearReadStatus();
  RecordError(BaseTraceDefinition::DoDataExchange(block, read));
  RecordError(io::DoDataExchange(block, read, kSourceDescription, m_sourceDescription, io::kReturnCode));
  if (!read) {
    if (!m_data) return GetReadStatus();
    if (auto* plain = dynamic_cast<ConcreteTraceData*>(m_data.get())) {
      io::CBlock sub(kTraceData);
      RecordError(plain->DoDataExchange(sub, false));
      block << std::move(sub);
    } else if (auto* composite = dynamic_cast<ConcreteCompositeTraceData*>(m_data.get())) {
      io::CBlock sub(kCompositeTraceData);
      RecordError(composite->DoDataExchange(sub, false));
      block << std::move(sub);
    } else {
      RecordError(io::kWriteFailed);
    }
    return GetReadStatus();
  }
  ReportManager& mgr = GetManagerForEdit();
  io::ReadError dataRead = io::kNoError;
  if (auto plain = ReadData<ConcreteTraceData>(block, kTraceData, mgr, GetID(), dataRead)) {
    SetTraceData(plain.release());
  } else if (auto composite = ReadData<ConcreteCompositeTraceData>(block, kCompositeTraceData, mgr, GetID(), dataRead)) {
    SetTraceData(composite.release());
  } else {
    RecordError(io::kMissingBlock);
  }
  RecordError(dataRead);
  m_dataReadInPart = dataRead != io::kNoError;
  return GetReadStatus();
}

void ImportedTraceDefinition::SetTraceData(IAbstractTraceData* data) {
  ORVEX_ASSERT(dynamic_cast<ConcreteTraceData*>(data)||dynamic_cast<ConcreteCompositeTraceData*>(data));
  // Given the data it holds, the definition keeps it rather than freeing what it is handed.
  if (data == m_data.get()) return;
  m_data.reset(data);
}

void ImportedTraceDefinition::ConvertDigitalColumnsOnCommand(IVelmorCommand* cmd) {
  if (!dynamic_cast<ConcreteTraceData*>(m_data.get())) return;
  ReportManager& mgr = GetManagerForEdit();
  std::set<long> newIDs;
  if (GetNewTraceIDsOfCommand(newIDs, cmd, mgr, mgr.GetReportIDOfTrace(GetID()))) ConvertDigitalColumnsIfNew(newIDs);
}

void ImportedTraceDefinition::ConvertDigitalColumnsIfNew(const std::set<long>& newTraceIDs) {
  auto* plain = dynamic_cast<ConcreteTraceData*>(m_data.get());
  if (plain && newTraceIDs.count(GetID()) != 0) plain->ConvertDigitalColumnsToDouble();
}

bool ImportedTraceDefinition::GetNewTraceIDsOfCommand(std::set<long>& out, IVelmorCommand* cmd, ReportManager& mgr,
                                                      long reportID) {
  IReportManagerOwner* owner = mgr.GetOwnerForEdit();
  if (!owner) return false;
  auto* info = dynamic_cast<IReportDefinitionCmdInfo*>(
      owner->GetContextedInfoFromCmd(cmd, owner->GetCmdInfoSourceForReports()));
  if (!info) return false;
  info->GetNewTraceIDs(out, reportID);
  return true;
}

IAbstractTraceData* ImportedTraceDefinition::CloneTraceData(const IAbstractTraceData* data, ReportManager& mgr) {
  if (auto* plain = dynamic_cast<const ConcreteTraceData*>(data)) return plain->Clone(mgr);
  if (auto* composite = dynamic_cast<const ConcreteCompositeTraceData*>(data)) return composite->Clone(mgr);
  return nullptr;
}

void ImportedTraceDefinition::SetTraceDefIDOfTraceData(IAbstractTraceData* data, long traceDefID) {
  if (auto* plain = dynamic_cast<ConcreteTraceData*>(data)) plain->SetTraceDefID(traceDefID);
  if (auto* composite = dynamic_cast<ConcreteCompositeTraceData*>(data)) composite->SetTraceDefID(traceDefID);
}

}  // namespace rep
