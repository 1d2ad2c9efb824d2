#include "tracedata/BaseTraceData.h"

#include "Gravik/IBaseTraceDefinition.h"
#include "Gravik/ITraceComponentDefinition.h"
#include "reports/GravikUtils.h"
#include "orvex/core/Assert.h"
#include "orvex/core/I18n.h"
#include "orvex/io/Block.h"
#include "orvex/io/NamedValue.h"
#include "postorvex/columns/Column.h"
#include "postorvex/columns/FileColumnManager.h"

namespace rep {

const wchar_t* const BaseTraceData::kTraceDataComps = L"TraceDataComps";
const wchar_t* const BaseTraceData::kTraceCompExpr = L"TraceCompExpr";
const wchar_t* const BaseTraceData::kTraceDataCol = L"TraceDataCol";
const wchar_t* const BaseTraceData::kTextDataCol = L"TextDataCol";

namespace {

// The check reads as the condition it states, whatever the index's type.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wtype-limits"
void CheckDimension(unsigned dimensionIndex, const BaseTraceData::ComponentList& mTraceComponentData) {
  ORVEX_ASSERT(dimensionIndex>=0 && dimensionIndex<mTraceComponentData.size());
}
#pragma GCC diagnostic pop

}  // namespace

BaseTraceData::PrimarySweepData::PrimarySweepData(const AString& sweepText, const AString& offsetTimeText,
                                                  Column* sweepColumn, Column* offsetTimeColumn)
    : mSweepColumn(sweepColumn), mSweepText(sweepText), mOffsetTimeColumn(offsetTimeColumn),
      mOffsetTimeText(offsetTimeText) {}

BaseTraceData::PrimarySweepData::~PrimarySweepData() = default;

BaseTraceData::BaseTraceData(long traceDefID) : m_traceDefID(traceDefID) {}

BaseTraceData::~BaseTraceData() = default;

const TraceComponentData* BaseTraceData::FindComponent(unsigned dimensionIndex) const {
  return dimensionIndex < mTraceComponentData.size() ? mTraceComponentData[dimensionIndex].get() : nullptr;
}

bool BaseTraceData::GetEnumName(AString& name, unsigned dimension) const {
  const TraceComponentData* component = FindComponent(dimension);
  return component && component->GetEnumName(name);
}

bool BaseTraceData::WriteComponentsToBlock(io::CBlock& parent) {
  io::CBlock comps(kTraceDataComps);
  for (size_t i = 0; i < mTraceComponentData.size(); ++i) {
    const TraceComponentData& component = *mTraceComponentData[i];
    io::CBlock componentBlock(i18n::MakeNumberString(static_cast<unsigned long long>(i)));
    AString expression = GetDefinitionExpression(static_cast<unsigned>(i));
    if (expression.empty()) expression = component.GetExpression();
    componentBlock << io::NamedValue(kTraceCompExpr, expression);
    // A column whose values live in a file is loaded for the write and left as it was found.
    FileColumnManager::LoadAndOptionallyUnloadCtxt loaded(component.GetDataColumn());
    // A partial block would read back as a trace with fewer components: none is left behind.
    if (!WriteColumnToBlock(componentBlock, component.GetDataColumn(), kTraceDataCol)) return false;
    if (component.GetTextColumn() && !WriteColumnToBlock(componentBlock, component.GetTextColumn(), kTextDataCol))
      return false;
    comps << std::move(componentBlock);
  }
  parent << std::move(comps);
  return true;
}

void BaseTraceData::ClearData() {
  mTraceComponentData.clear();
  mPrimarySweepData.reset();
}

void BaseTraceData::InitializeEnumName(const AString& name, unsigned dimension) {
  if (dimension < mTraceComponentData.size()) mTraceComponentData[dimension]->InitializeEnumName(name);
}

void BaseTraceData::SetPrimarySweepData(PrimarySweepData* record) { mPrimarySweepData.reset(record); }

unsigned BaseTraceData::GetNumComponents() const { return static_cast<unsigned>(mTraceComponentData.size()); }

Column* BaseTraceData::GetDataColumn(unsigned dimensionIndex) const {
  if (dimensionIndex >= mTraceComponentData.size()) CheckDimension(dimensionIndex, mTraceComponentData);
  const TraceComponentData* component = FindComponent(dimensionIndex);
  return component ? component->GetDataColumn() : nullptr;
}

Column* BaseTraceData::GetTextColumn(unsigned dimensionIndex) const {
  const TraceComponentData* component = FindComponent(dimensionIndex);
  return component ? component->GetTextColumn() : nullptr;
}

Column* BaseTraceData::GetInterpColumn(unsigned dimensionIndex) const {
  const TraceComponentData* component = FindComponent(dimensionIndex);
  return component ? component->GetInterpColumn() : nullptr;
}

ITraceDataForProduct* BaseTraceData::GetTraceDataForProduct() { return this; }

Column* BaseTraceData::GetSweepColumn() const {
  return mPrimarySweepData ? mPrimarySweepData->mSweepColumn.get() : nullptr;
}

Column* BaseTraceData::GetOffsetTimeColumn() const {
  return mPrimarySweepData ? mPrimarySweepData->mOffsetTimeColumn.get() : nullptr;
}

Column* BaseTraceData::CloneDataColumn(unsigned dimensionIndex) const {
  const TraceComponentData* component = FindComponent(dimensionIndex);
  const Column* column = component ? component->GetDataColumn() : nullptr;
  return column ? column->CloneColumn() : nullptr;
}

ITraceDataSweepInfo* BaseTraceData::SweepInfoFace() const {
  // Asking for a face changes nothing; the interface only lacks a const form.
  return const_cast<BaseTraceData*>(this)->GetTraceDataSweepInfo();
}

Column* BaseTraceData::ClonePrimarySweepColumn() const {
  ITraceDataSweepInfo* sweepInfo = SweepInfoFace();
  if (!sweepInfo) {
    ORVEX_ASSERT(0);
    return nullptr;
  }
  const Column* column = sweepInfo->GetPrimarySweepColumn();
  return column ? column->CloneColumn() : nullptr;
}

AString BaseTraceData::GetPrimarySweepName() const {
  ITraceDataSweepInfo* sweepInfo = SweepInfoFace();
  if (!sweepInfo) {
    ORVEX_ASSERT(0);
    return AString();
  }
  return sweepInfo->GetPrimarySweepName();
}

ITraceDataSweepInfo* BaseTraceData::GetTraceDataSweepInfo() { return nullptr; }

AString BaseTraceData::GetTraceName() const {
  const IBaseTraceDefinition* definition = GetTraceDefinition();
  return definition ? definition->GetName() : AString();
}

AString BaseTraceData::GetDefinitionExpression(unsigned dimensionIndex) const {
  const IBaseTraceDefinition* definition = GetTraceDefinition();
  // Asked only within the definition's components, which would otherwise assert.
  if (!definition || dimensionIndex >= definition->GetNumComponents()) return AString();
  const ITraceComponentDefinition* component = definition->GetComponent(dimensionIndex);
  return component ? component->GetExpression() : AString();
}

}  // namespace rep
