#include "tracedata/ConcreteCompositeTraceData.h"

#include <algorithm>
#include <limits>

#include "tracedata/BaseTraceData.h"
#include "reports/GravikUtils.h"
#include "tracedata/TraceComponentData.h"
#include "orvex/core/Assert.h"
#include "orvex/io/Block.h"
#include "orvex/io/NamedValue.h"
#include "postorvex/columns/Column.h"

namespace rep {

namespace {

const wchar_t* const kBlockName = L"ConcreteCompositeTraceData";

using ComponentPtr = std::unique_ptr<IBaseTraceComponentData>;

ComponentPtr ReadComponent(const io::CBlock& block, unsigned depth);

void LimitByLeaves(const IBaseTraceComponentData* node, uint64_t& rows) {
  if (auto* leaf = dynamic_cast<const ITraceComponentData*>(node)) {
    if (const Column* column = leaf->GetDataColumn()) rows = std::min<uint64_t>(rows, column->GetCount());
    return;
  }
  if (auto* composite = dynamic_cast<const ICompositeTraceComponentData*>(node))
    for (unsigned i = 0; i < composite->GetNumChildren(); ++i) LimitByLeaves(composite->GetChild(i), rows);
}

ComponentPtr ReadLeaf(const io::CBlock& block) {
  AString expression;
  block >> io::NamedValue(BaseCompositeTraceData::kTraceDataExpr, expression);
  if (!block.Found()) {
    block.ResetFound(true);
    ORVEX_ASSERT(0);
    return nullptr;
  }
  Column* col = ReadColumnFromBlock(block, BaseTraceData::kTraceDataCol);
  if (!col) {
    // A present but unreadable column was reported by the reader already.
    if (!block.FindBlock(BaseTraceData::kTraceDataCol)) ORVEX_ASSERT(col);
    block.ResetFound(true);
    return nullptr;
  }
  auto leaf = std::make_unique<TraceComponentData>(col, nullptr, nullptr);
  leaf->SetExpression(expression);
  return leaf;
}

ComponentPtr ReadComposite(const io::CBlock& block, unsigned depth) {
  AString expression;
  int compositeType = 0;
  block >> io::NamedValue(BaseCompositeTraceData::kTraceDataExpr, expression);
  bool whole = block.Found();
  block >> io::NamedValue(BaseCompositeTraceData::kCompositeType, compositeType);
  whole = whole && block.Found();
  const io::CBlock* children = block.FindBlock(BaseCompositeTraceData::kChildren);
  block.ResetFound(true);
  if (!whole || !children || depth >= ConcreteCompositeTraceData::kMaxCompositeDepth) return nullptr;
  auto node = std::make_unique<CompositeTraceComponentData>(expression, compositeType);
  for (size_t i = 0; i < children->GetNumItems(); ++i) {
    const io::CBlock* childBlock = children->GetBlock(i);
    if (!childBlock) return nullptr;
    ComponentPtr child = ReadComponent(*childBlock, depth + 1);
    if (!child) return nullptr;
    node->SetChild(static_cast<unsigned>(i), child.release());
  }
  return node;
}

// `depth` counts the composite nodes above the block.
ComponentPtr ReadComponent(const io::CBlock& block, unsigned depth) {
  if (block.GetName().CompareNoCase(BaseCompositeTraceData::kLeaf) == 0) return ReadLeaf(block);
  if (block.GetName().CompareNoCase(BaseCompositeTraceData::kComposite) == 0) return ReadComposite(block, depth);
  ORVEX_ASSERT(0);
  return nullptr;
}

}  // namespace

ConcreteCompositeTraceData::ConcreteCompositeTraceData(ReportManager& mgr, long traceDefID)
    : m_header(mgr, traceDefID) {}

ConcreteCompositeTraceData::~ConcreteCompositeTraceData() = default;

void ConcreteCompositeTraceData::SetCurveInfo(unsigned curveIndex, unsigned numPoints, const AString& curveName) {
  m_header.GetCurveData().SetCurveInfo(curveIndex, numPoints, curveName);
}

void ConcreteCompositeTraceData::AddComponent(IBaseTraceComponentData* component) {
  m_components.emplace_back(component);
}

bool ConcreteCompositeTraceData::ReadComponentsFromBlock(io::CBlock& parent) {
  const io::CBlock* components = parent.FindBlock(BaseCompositeTraceData::kComponents);
  parent.ResetFound(true);
  if (!components) return false;
  std::vector<ComponentPtr> read;
  for (size_t i = 0; i < components->GetNumItems(); ++i) {
    const io::CBlock* block = components->GetBlock(i);
    if (!block) return false;
    ComponentPtr component = ReadComponent(*block, 0);
    if (!component) return false;
    read.push_back(std::move(component));
  }
  for (auto& component : read) m_components.push_back(std::move(component));
  return true;
}

ConcreteCompositeTraceData* ConcreteCompositeTraceData::Clone() const { return Clone(m_header.GetManager()); }

ConcreteCompositeTraceData* ConcreteCompositeTraceData::Clone(ReportManager& mgr) const {
  auto copy = std::make_unique<ConcreteCompositeTraceData>(mgr, m_header.GetTraceDefID());
  copy->m_header.CopyContentFrom(m_header);
  for (const auto& component : m_components) {
    TraceComponentClonerVisitor cloner;
    if (component) component->Accept(cloner);
    copy->m_components.emplace_back(cloner.TakeCopy());
  }
  return copy.release();
}

uint64_t ConcreteCompositeTraceData::GetRowsOfLeaves() const {
  uint64_t rows = std::numeric_limits<uint64_t>::max();
  for (const auto& component : m_components) LimitByLeaves(component.get(), rows);
  return rows;
}

bool ConcreteCompositeTraceData::HasData() const {
  const Column* sweep = m_header.GetPrimarySweepColumn();
  return !m_components.empty() && sweep && sweep->GetCount() != 0;
}

unsigned ConcreteCompositeTraceData::GetNumCurves() const { return m_header.GetCurveData().GetNumCurves(); }

unsigned ConcreteCompositeTraceData::GetNumPointsInCurve(unsigned curveIndex) const {
  return m_header.GetCurveData().GetNumPointsInCurve(curveIndex);
}

unsigned ConcreteCompositeTraceData::GetCurveOffset(unsigned curveIndex) const {
  return m_header.GetCurveData().GetCurveStartIndex(curveIndex);
}

AString ConcreteCompositeTraceData::GetCurveVariationKey(unsigned curveIndex, bool /*onlyNonNominal*/) const {
  return m_header.GetCurveData().GetCurveName(curveIndex);
}

unsigned ConcreteCompositeTraceData::GetNumComponents() const { return static_cast<unsigned>(m_components.size()); }

IBaseTraceComponentData* ConcreteCompositeTraceData::GetComponent(unsigned index) {
  return index < m_components.size() ? m_components[index].get() : nullptr;
}

AString ConcreteCompositeTraceData::GetBlockName() const { return kBlockName; }

io::ReadError ConcreteCompositeTraceData::DoDataExchange(io::CBlock& block, bool read) {
  ClearReadStatus();
  RecordError(m_header.DoDataExchange(block, read));
  if (!read && !WriteComponentsToBlock(block)) RecordError(io::kWriteFailed);
  if (read && !ReadComponentsFromBlock(block)) RecordError(io::kMissingBlock);
  // No curve may reach past a leaf: readers index the leaves by the curves.
  if (read && !m_header.GetCurveData().KeepCurvesWithinRows(GetRowsOfLeaves())) RecordError(io::kMissingBlock);
  return GetReadStatus();
}

TraceComponentClonerVisitor::TraceComponentClonerVisitor() = default;

TraceComponentClonerVisitor::~TraceComponentClonerVisitor() = default;

void TraceComponentClonerVisitor::VisitLeaf(const ITraceComponentData& leaf) {
  ORVEX_ASSERT(m_cloned.get()==0);
  const auto* tcd = dynamic_cast<const TraceComponentData*>(&leaf);
  ORVEX_ASSERT(tcd);
  if (!tcd) return;
  auto cloneOf = [](const Column* column) { return column ? column->CloneColumn() : nullptr; };
  std::unique_ptr<Column> interp(cloneOf(tcd->GetInterpColumn()));
  if (interp && !interp->GetCharColumn()) interp.reset();
  auto copy = std::make_unique<TraceComponentData>(cloneOf(tcd->GetDataColumn()), cloneOf(tcd->GetTextColumn()),
                                                   interp.release());
  copy->SetExpression(tcd->GetExpression());
  AString enumName;
  if (tcd->GetEnumName(enumName) && !enumName.empty()) copy->InitializeEnumName(enumName);
  m_cloned = std::move(copy);
}

void TraceComponentClonerVisitor::VisitComposite(const ICompositeTraceComponentData& node) {
  ORVEX_ASSERT(m_cloned.get()==0);
  const auto* ctcd = dynamic_cast<const CompositeTraceComponentData*>(&node);
  ORVEX_ASSERT(ctcd);
  if (!ctcd) return;
  auto copy = std::make_unique<CompositeTraceComponentData>(ctcd->GetExpression(), ctcd->GetCompositeType());
  for (unsigned i = 0; i < ctcd->GetNumChildren(); ++i) {
    const IBaseTraceComponentData* child = ctcd->GetChild(i);
    if (!child) continue;
    TraceComponentClonerVisitor cloner;
    child->Accept(cloner);
    copy->SetChild(i, cloner.TakeCopy());
  }
  m_cloned = std::move(copy);
}

void TraceComponentClonerVisitor::VisitOther(const IBaseTraceComponentData& /*node*/) {
  ORVEX_ASSERT(!"unidentified trace-component type");
}

}  // namespace rep
