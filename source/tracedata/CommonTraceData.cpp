#include "tracedata/CommonTraceData.h"

#include "Gravik/IBaseTraceDefinition.h"
#include "reports/GravikUtils.h"
#include "reports/ReportManager.h"
#include "orvex/core/Assert.h"
#include "orvex/io/Block.h"
#include "orvex/io/NamedValue.h"
#include "postorvex/columns/Column.h"

namespace rep {

const wchar_t* const CommonTraceData::kTraceDefID = L"TraceDefID";
const wchar_t* const CommonTraceData::kTraceName = L"TraceName";
const wchar_t* const CommonTraceData::kCurvesInfo = L"CurvesInfo";

namespace {
const wchar_t* const kPrimarySweepInfo = L"PrimarySweepInfo";
const wchar_t* const kPrimarySweepName = L"PrimarySweepName";
const wchar_t* const kPrimarySweepCol = L"PrimarySweepCol";
const wchar_t* const kEnforceTraceTypeFlag = L"EnforceTraceTypeFlag";
const wchar_t* const kTraceTypeToEnforce = L"TraceTypeToEnforce";
}  // namespace

CommonTraceData::CommonTraceData(ReportManager& mgr, long traceDefID) : m_mgr(mgr), m_traceDefID(traceDefID) {}

CommonTraceData::~CommonTraceData() = default;

void CommonTraceData::SetPrimarySweepColumn(Column* column) { m_primarySweepColumn.reset(column); }

bool CommonTraceData::SetTraceTypeToEnforce(bool enforce, unsigned type) {
  const bool before = m_enforceTraceType;
  m_enforceTraceType = enforce;
  m_traceTypeToEnforce = type;
  return before;
}

Column* CommonTraceData::GetPrimarySweepColumn() const { return m_primarySweepColumn.get(); }

AString CommonTraceData::GetPrimarySweepName() const { return m_primarySweepName; }

bool CommonTraceData::GetTraceTypeToEnforce(unsigned& type) const {
  type = m_traceTypeToEnforce;
  return m_enforceTraceType;
}

AString CommonTraceData::GetTraceName() const {
  if (!m_traceName.empty()) return m_traceName;
  const IBaseTraceDefinition* definition = m_mgr.GetTraceDefinition(m_traceDefID);
  return definition ? definition->GetName() : AString();
}

CommonTraceData& CommonTraceData::CopyFrom(const CommonTraceData& from) {
  if (&from == this) return *this;
  ORVEX_ASSERT(&m_mgr==&(from.m_mgr));
  CopyContentFrom(from);
  return *this;
}

void CommonTraceData::CopyContentFrom(const CommonTraceData& from) {
  if (&from == this) return;
  m_traceDefID = from.m_traceDefID;
  m_curveData = from.m_curveData;
  m_primarySweepColumn.reset(from.m_primarySweepColumn ? from.m_primarySweepColumn->CloneColumn() : nullptr);
  m_primarySweepName = from.m_primarySweepName;
  m_enforceTraceType = from.m_enforceTraceType;
  m_traceTypeToEnforce = from.m_traceTypeToEnforce;
  m_traceName = from.m_traceName;
}

io::ReadError CommonTraceData::DoDataExchange(io::CBlock& block, bool read) {
  if (read) return Read(block);
  Write(block);
  return io::kNoError;
}

void CommonTraceData::Write(io::CBlock& block) const {
  block << io::NamedValue(kTraceDefID, m_traceDefID);
  if (!m_traceName.empty()) block << io::NamedValue(kTraceName, m_traceName);
  io::CBlock curves(kCurvesInfo);
  m_curveData.WriteToBlock(curves);
  block << std::move(curves);
  WritePrimarySweepInfo(block, m_primarySweepName, m_primarySweepColumn.get());
  block << io::NamedValue(kEnforceTraceTypeFlag, m_enforceTraceType);
  block << io::NamedValue(kTraceTypeToEnforce, static_cast<int>(m_traceTypeToEnforce));
}

io::ReadError CommonTraceData::Read(io::CBlock& block) {
  block >> io::NamedValue(kTraceDefID, m_traceDefID);
  block >> io::NamedValue(kTraceName, m_traceName);
  // A header without a name shows the definition's.
  block.ResetFound(true);

  io::CBlock* curves = block.FindBlockForEdit(kCurvesInfo);
  if (!curves) return io::kMissingBlock;
  TraceCurveData curveData;
  io::ReadError result = curveData.DataExchange(*curves, true);
  m_curveData = curveData;

  std::unique_ptr<Column> column;
  AString name;
  if (ReadPrimarySweepInfo(block, name, column, SweepColumnRead::kByColumnReader) != io::kNoError)
    result = io::kMissingBlock;
  // Without the sub-block the trace has no primary sweep.
  m_primarySweepName = name;
  m_primarySweepColumn = std::move(column);

  block >> io::NamedValue(kEnforceTraceTypeFlag, m_enforceTraceType);
  int type = 0;
  block >> io::NamedValue(kTraceTypeToEnforce, type);
  if (block.Found()) m_traceTypeToEnforce = static_cast<uint32_t>(type);

  // No curve may reach past the rows of the primary sweep.
  if (m_primarySweepColumn && !m_curveData.KeepCurvesWithinRows(m_primarySweepColumn->GetCount())) result = io::kMissingBlock;
  return result;
}

bool CommonTraceData::WritePrimarySweepInfo(io::CBlock& block, const AString& name, const Column* column) {
  if (!column) return true;
  io::CBlock info(kPrimarySweepInfo);
  info << io::NamedValue(kPrimarySweepName, name);
  const bool written = WriteColumnToBlock(info, column, kPrimarySweepCol);
  block << std::move(info);
  return written;
}

io::ReadError CommonTraceData::ReadPrimarySweepInfo(const io::CBlock& block, AString& name,
                                                    std::unique_ptr<Column>& column, SweepColumnRead how) {
  const io::CBlock* info = block.FindBlock(kPrimarySweepInfo);
  if (!info) {
    block.ResetFound(true);
    return io::kNoError;
  }
  io::ReadError result = io::kNoError;
  *info >> io::NamedValue(kPrimarySweepName, name);
  if (!info->Found()) {
    ORVEX_ASSERT(!"Primary block exists, but no name?!");
    info->ResetFound(true);
    result = io::kMissingBlock;
  }
  if (how == SweepColumnRead::kByColumnReader) {
    column.reset(ReadColumnFromBlock(*info, kPrimarySweepCol));
  } else if (const io::CBlock* columnBlock = info->FindBlock(kPrimarySweepCol)) {
    column.reset(Column::ReadAndCreateColumn(*columnBlock));
  } else {
    ORVEX_ASSERT(!"Primary block exists, but no column?!");
    info->ResetFound(true);
  }
  if (!column) result = io::kMissingBlock;
  return result;
}

}  // namespace rep
