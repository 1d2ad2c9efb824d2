#include "tracedata/ConcreteTraceData.h"

#include <algorithm>
#include <limits>
#include <numeric>

#include "tracedata/CommonTraceData.h"
#include "Gravik/IBaseTraceDefinition.h"
#include "reports/GravikUtils.h"
#include "reports/ReportManager.h"
#include "hostapi/IReportManagerOwner.h"
#include "orvex/core/Assert.h"
#include "orvex/core/I18n.h"
#include "orvex/io/Block.h"
#include "orvex/io/NamedValue.h"
#include "orvex/io/NamedValueVectors.h"
#include "postorvex/columns/Column.h"
#include "postorvex/columns/ManagedFileService.h"

namespace rep {

namespace {

const wchar_t* const kBlockName = L"ConcreteTraceData";
const wchar_t* const kSurfsInfo = L"SurfsInfo";
const wchar_t* const kSurfNames = L"SurfNames";
const wchar_t* const kColsBlock = L"ColsBlock";
const wchar_t* const kTxtCol = L"TxtCol";

// The index checks read as the conditions they state, whatever the index's type.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wtype-limits"
bool CheckCurveIndex(unsigned curveIndex, const std::vector<uint32_t>& mNumPointsInCurve) {
  ORVEX_ASSERT(curveIndex>=0 && curveIndex<mNumPointsInCurve.size());
  return curveIndex < mNumPointsInCurve.size();
}
#pragma GCC diagnostic pop

bool CheckDimension(unsigned dimensionIndex, const BaseTraceData::ComponentList& tcDataVec) {
  ORVEX_ASSERT(dimensionIndex < tcDataVec.size());
  return dimensionIndex < tcDataVec.size();
}

AString NumberName(size_t i) { return i18n::MakeNumberString(static_cast<unsigned long long>(i)); }

bool IsNumbered(const AString& name, size_t i) { return name.CompareNoCase(NumberName(i)) == 0; }

// A column read as a text column, or null (with the column deleted) when it is of another kind.
std::unique_ptr<Column> OnlyText(Column* column) {
  std::unique_ptr<Column> owned(column);
  return owned && owned->GetTextColumn() ? std::move(owned) : nullptr;
}

}  // namespace

ConcreteTraceData::ConcreteTraceData(ReportManager& mgr, long traceDefID) : BaseTraceData(traceDefID), m_mgr(mgr) {}

ConcreteTraceData::~ConcreteTraceData() = default;

ConcreteTraceData* ConcreteTraceData::Clone() const { return Clone(m_mgr); }

ConcreteTraceData* ConcreteTraceData::Clone(ReportManager& mgr) const {
  std::unique_ptr<ConcreteTraceData> copy = CopyAllButColumns(mgr);
  copy->m_primarySweepColumn.reset(m_primarySweepColumn ? m_primarySweepColumn->CloneColumn() : nullptr);
  for (const auto& component : GetTraceComponentData()) copy->GetTraceComponentData().push_back(component->Clone());
  return copy.release();
}

std::unique_ptr<ConcreteTraceData> ConcreteTraceData::CopyAllButColumns(ReportManager& mgr) const {
  auto copy = std::make_unique<ConcreteTraceData>(mgr, GetTraceDefID());
  copy->m_curves = m_curves;
  copy->m_curvesPerSurface = m_curvesPerSurface;
  copy->m_surfaceNames = m_surfaceNames;
  copy->m_primarySweepName = m_primarySweepName;
  copy->m_traceName = m_traceName;
  copy->m_enforceTraceType = m_enforceTraceType;
  copy->m_traceTypeToEnforce = m_traceTypeToEnforce;
  return copy;
}

ConcreteTraceData* ConcreteTraceData::TakeFor(ReportManager& mgr) {
  std::unique_ptr<ConcreteTraceData> taken = CopyAllButColumns(mgr);
  taken->m_primarySweepColumn = std::move(m_primarySweepColumn);
  taken->GetTraceComponentData().swap(GetTraceComponentData());
  m_curves = TraceCurveData();
  m_curvesPerSurface.clear();
  m_surfaceNames.clear();
  return taken.release();
}

void ConcreteTraceData::SetPrimarySweepColumn(Column* column) { m_primarySweepColumn.reset(column); }

void ConcreteTraceData::SetCurveInfo(unsigned curveIndex, unsigned numPoints, const AString& curveName) {
  m_curves.SetCurveInfo(curveIndex, numPoints, curveName);
}

void ConcreteTraceData::SetSurfaceInfo(const std::vector<unsigned>& curvesPerSurface,
                                       const std::vector<AString>& surfaceNames) {
  m_curvesPerSurface.assign(curvesPerSurface.begin(), curvesPerSurface.end());
  m_surfaceNames = surfaceNames;
}

void ConcreteTraceData::SetDataColumns(const std::vector<Column*>& columns) {
  ClearData();
  for (Column* column : columns)
    GetTraceComponentData().push_back(std::make_unique<TraceComponentData>(column, nullptr, nullptr));
}

void ConcreteTraceData::SetComponentExpression(const AString& expr, unsigned dimensionIndex) {
  const ComponentList& tcDataVec = GetTraceComponentData();
  if (!CheckDimension(dimensionIndex, tcDataVec)) return;
  TraceComponentData* tcData = tcDataVec[dimensionIndex].get();
  ORVEX_ASSERT(tcData);
  if (!tcData) return;
  ORVEX_ASSERT(expr.empty() == false);
  tcData->SetExpression(expr);
}

bool ConcreteTraceData::SetTraceTypeToEnforce(bool enforce, unsigned type) {
  const bool before = m_enforceTraceType;
  m_enforceTraceType = enforce;
  m_traceTypeToEnforce = type;
  return before;
}

bool ConcreteTraceData::ReadComponentsFromBlock(io::CBlock& parent) {
  const io::CBlock* comps = parent.FindBlock(kTraceDataComps);
  if (!comps) {
    // The older layout keeps the numbered component blocks in the parent itself.
    parent.ResetFound(true);
    comps = &parent;
  }
  // A parent without items is a trace without components.
  bool success = true;
  ComponentList read;
  for (size_t i = 0; i < comps->GetNumItems(); ++i) {
    const io::CBlock* componentBlock = comps->GetBlock(i);
    if (!componentBlock || !IsNumbered(componentBlock->GetName(), i)) {
      success = false;
      continue;
    }
    AString expression;
    *componentBlock >> io::NamedValue(kTraceCompExpr, expression);
    componentBlock->ResetFound(true);
    Column* col = ReadColumnFromBlock(*componentBlock, kTraceDataCol);
    ORVEX_ASSERT(col);
    // Not a success: the components after it would sit under the wrong expressions.
    if (!col) {
      success = false;
      continue;
    }
    std::unique_ptr<Column> dataColumn(col);
    std::unique_ptr<Column> textColumn;
    if (componentBlock->FindBlock(kTextDataCol)) {
      // A text column lost on the way is no success either.
      textColumn = OnlyText(ReadColumnFromBlock(*componentBlock, kTextDataCol));
      if (!textColumn) success = false;
    }
    componentBlock->ResetFound(true);
    auto component = std::make_unique<TraceComponentData>(dataColumn.release(), textColumn.release(), nullptr);
    component->SetExpression(expression);
    read.push_back(std::move(component));
  }
  ClearData();
  for (auto& component : read) GetTraceComponentData().push_back(std::move(component));
  return success;
}

void ConcreteTraceData::ConvertDigitalColumnsToDouble() {
  const long reportID = m_mgr.GetReportIDOfTrace(GetTraceDefID());
  IReportManagerOwner* owner = m_mgr.GetOwnerForEdit();
  if (owner && owner->DoesReportKeepDigitalColumns(reportID)) return;
  for (auto& component : GetTraceComponentData()) {
    const Column* column = component->GetDataColumn();
    if (!column || !IsDigitalParameterType(column->GetParameterType())) continue;
    DoubleColumn* converted = CreateDoubleColumnFromDigitalColumn(*column, ManagedFileService::GetInstance());
    // A column that cannot be converted is kept as it is rather than lost.
    if (converted) component->SetDataColumn(converted);
  }
}

bool ConcreteTraceData::HasData() const {
  const Column* first = GetTraceComponentData().empty() ? nullptr : GetTraceComponentData()[0]->GetDataColumn();
  return first && first->GetCount() != 0;
}

ITraceDataSweepInfo* ConcreteTraceData::GetTraceDataSweepInfo() { return this; }

unsigned ConcreteTraceData::GetNumCurves() const { return m_curves.GetNumCurves(); }

unsigned ConcreteTraceData::GetNumPointsInCurve(unsigned curveIndex) const {
  if (!CheckCurveIndex(curveIndex, m_curves.GetPointCounts())) return 0;
  return m_curves.GetNumPointsInCurve(curveIndex);
}

unsigned ConcreteTraceData::GetCurveOffset(unsigned curveIndex) const {
  if (!CheckCurveIndex(curveIndex, m_curves.GetPointCounts())) return 0;
  return m_curves.GetCurveStartIndex(curveIndex);
}

AString ConcreteTraceData::GetCurveVariationKey(unsigned curveIndex, bool /*onlyNonNominal*/) const {
  if (!CheckCurveIndex(curveIndex, m_curves.GetPointCounts())) return AString();
  return m_curves.GetCurveName(curveIndex);
}

bool ConcreteTraceData::GetTraceTypeToEnforce(unsigned& type) const {
  type = m_traceTypeToEnforce;
  return m_enforceTraceType;
}

AString ConcreteTraceData::GetTraceName() const {
  if (!m_traceName.empty()) return m_traceName;
  return BaseTraceData::GetTraceName();
}

AString ConcreteTraceData::GetComponentExpression(unsigned dimensionIndex) const {
  const ComponentList& tcDataVec = GetTraceComponentData();
  if (!CheckDimension(dimensionIndex, tcDataVec)) return AString();
  const TraceComponentData* tcData = tcDataVec[dimensionIndex].get();
  ORVEX_ASSERT(tcData);
  if (tcData && !tcData->GetExpression().empty()) return tcData->GetExpression();
  return GetDefinitionExpression(dimensionIndex);
}

IBaseTraceDefinition* ConcreteTraceData::GetTraceDefinition() const {
  return m_mgr.GetTraceDefinition(GetTraceDefID());
}

Column* ConcreteTraceData::GetPrimarySweepColumn() const { return m_primarySweepColumn.get(); }

AString ConcreteTraceData::GetPrimarySweepName() const { return m_primarySweepName; }

unsigned ConcreteTraceData::GetNumSurfaces() const { return static_cast<unsigned>(m_curvesPerSurface.size()); }

bool ConcreteTraceData::HasSurface(unsigned surfaceIndex) const {
  return surfaceIndex < m_curvesPerSurface.size() && surfaceIndex < m_surfaceNames.size();
}

unsigned ConcreteTraceData::GetNumCurvesInSurface(unsigned surfaceIndex) const {
  if (surfaceIndex >= m_curvesPerSurface.size()) {
    ORVEX_ASSERT(0);
    return 0;
  }
  return m_curvesPerSurface[surfaceIndex];
}

AString ConcreteTraceData::GetSurfaceVariationKey(unsigned surfaceIndex, bool /*onlyNonNominal*/) const {
  if (!HasSurface(surfaceIndex)) {
    ORVEX_ASSERT(0);
    return AString();
  }
  return m_surfaceNames[surfaceIndex];
}

AString ConcreteTraceData::GetBlockName() const { return kBlockName; }

io::ReadError ConcreteTraceData::DoDataExchange(io::CBlock& block, bool read) {
  // The status tells about this exchange only.
  ClearReadStatus();
  if (read)
    Read(block);
  else
    Write(block);
  return GetReadStatus();
}

void ConcreteTraceData::Write(io::CBlock& block) {
  block << io::NamedValue(CommonTraceData::kTraceDefID, GetTraceDefID());
  if (!m_traceName.empty()) block << io::NamedValue(CommonTraceData::kTraceName, m_traceName);
  io::CBlock curves(CommonTraceData::kCurvesInfo);
  m_curves.WriteToBlock(curves);
  block << std::move(curves);
  std::vector<unsigned> curvesPerSurface(m_curvesPerSurface.begin(), m_curvesPerSurface.end());
  io::DoDataExchange(block, false, kSurfsInfo, curvesPerSurface);
  io::DoDataExchange(block, false, kSurfNames, m_surfaceNames);

  io::CBlock cols(kColsBlock);
  const ComponentList& components = GetTraceComponentData();
  for (size_t j = 0; j < components.size(); ++j) {
    io::CBlock colBlock(NumberName(j));
    const Column* dataColumn = components[j]->GetDataColumn();
    RecordError(dataColumn ? dataColumn->WriteColumn(colBlock) : io::kWriteFailed);
    if (const Column* textColumn = components[j]->GetTextColumn()) {
      io::CBlock txtBlock(kTxtCol);
      RecordError(textColumn->WriteColumn(txtBlock));
      colBlock << std::move(txtBlock);
    }
    cols << std::move(colBlock);
  }
  block << std::move(cols);
  if (!CommonTraceData::WritePrimarySweepInfo(block, m_primarySweepName, m_primarySweepColumn.get()))
    RecordError(io::kWriteFailed);
}

void ConcreteTraceData::Read(io::CBlock& block) {
  long traceDefID = GetTraceDefID();
  block >> io::NamedValue(CommonTraceData::kTraceDefID, traceDefID);
  SetTraceDefID(traceDefID);
  block >> io::NamedValue(CommonTraceData::kTraceName, m_traceName);
  // Data without a name of its own shows the definition's.
  block.ResetFound(true);

  ReadCurves(block);
  ReadSurfaces(block);
  ReadColumns(block);
  AString name;
  std::unique_ptr<Column> column;
  const auto how = CommonTraceData::SweepColumnRead::kColumnBlockRequired;
  if (CommonTraceData::ReadPrimarySweepInfo(block, name, column, how) != io::kNoError) RecordError(io::kMissingBlock);
  // Without the sub-block the trace has no primary sweep.
  m_primarySweepName = name;
  m_primarySweepColumn = std::move(column);
  DropWhatDoesNotFit();
}

void ConcreteTraceData::ReadCurves(io::CBlock& block) {
  io::CBlock* curves = block.FindBlockForEdit(CommonTraceData::kCurvesInfo);
  if (!curves) {
    ORVEX_ASSERT(block.Found());
    block.ResetFound(true);
    RecordError(io::kMissingBlock);
    return;
  }
  TraceCurveData read;
  RecordError(read.DataExchange(*curves, true));
  m_curves = read;
}

void ConcreteTraceData::ReadSurfaces(io::CBlock& block) {
  std::vector<unsigned> counts;
  std::vector<AString> names;
  const io::ReadError countsRead = io::DoDataExchange(block, true, kSurfsInfo, counts);
  const io::ReadError namesRead = io::DoDataExchange(block, true, kSurfNames, names);
  block.ResetFound(true);
  // Both are optional; present, they must read whole.
  if (countsRead == io::kConversionFailed || namesRead == io::kConversionFailed) RecordError(io::kConversionFailed);
  m_curvesPerSurface.assign(counts.begin(), counts.end());
  m_surfaceNames = names;
}

void ConcreteTraceData::ReadColumns(const io::CBlock& block) {
  const io::CBlock* cols = block.FindBlock(kColsBlock);
  if (!cols) {
    ORVEX_ASSERT(block.Found());
    block.ResetFound(true);
    RecordError(io::kMissingBlock);
    return;
  }
  size_t counter = 0;
  for (size_t i = 0; i < cols->GetNumItems(); ++i) {
    const io::CBlock* colBlock = cols->GetBlock(i);
    if (!colBlock) continue;
    if (!IsNumbered(colBlock->GetName(), counter)) {
      RecordError(io::kMissingBlock);
      return;
    }
    ++counter;
    std::unique_ptr<Column> dataColumn(Column::ReadAndCreateColumn(*colBlock));
    std::unique_ptr<Column> textColumn;
    if (const io::CBlock* txtBlock = colBlock->FindBlock(kTxtCol)) {
      textColumn = OnlyText(Column::ReadAndCreateColumn(*txtBlock));
      if (!textColumn) RecordError(io::kConversionFailed);
    }
    if (!dataColumn) {
      // This index yields no component; the next block still bears the next number.
      RecordError(io::kConversionFailed);
      continue;
    }
    GetTraceComponentData().push_back(
        std::make_unique<TraceComponentData>(dataColumn.release(), textColumn.release(), nullptr));
  }
}

void ConcreteTraceData::DropWhatDoesNotFit() {
  uint64_t rows = std::numeric_limits<uint64_t>::max();
  auto limitBy = [&rows](const Column* column) {
    if (column) rows = std::min<uint64_t>(rows, column->GetCount());
  };
  for (const auto& component : GetTraceComponentData()) {
    limitBy(component->GetDataColumn());
    limitBy(component->GetTextColumn());
  }
  limitBy(m_primarySweepColumn.get());
  if (!m_curves.KeepCurvesWithinRows(rows)) RecordError(io::kMissingBlock);

  const uint64_t curvesInSurfaces =
      std::accumulate(m_curvesPerSurface.begin(), m_curvesPerSurface.end(), uint64_t(0));
  if (m_curvesPerSurface.size() == m_surfaceNames.size() && curvesInSurfaces <= m_curves.GetNumCurves()) return;
  m_curvesPerSurface.clear();
  m_surfaceNames.clear();
  RecordError(io::kMissingBlock);
}

}  // namespace rep
