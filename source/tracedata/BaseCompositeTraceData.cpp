#include "tracedata/BaseCompositeTraceData.h"

#include "tracedata/BaseTraceData.h"
#include "reports/GravikUtils.h"
#include "orvex/core/Assert.h"
#include "orvex/io/Block.h"
#include "orvex/io/NamedValue.h"

namespace rep {

const wchar_t* const BaseCompositeTraceData::kComponents = L"CompositeTraceDataComponents";
const wchar_t* const BaseCompositeTraceData::kLeaf = L"TraceComponentData";
const wchar_t* const BaseCompositeTraceData::kComposite = L"CompositeTraceComponentData";
const wchar_t* const BaseCompositeTraceData::kChildren = L"ChildrenComps";
const wchar_t* const BaseCompositeTraceData::kTraceDataExpr = L"TraceDataExpr";
const wchar_t* const BaseCompositeTraceData::kCompositeType = L"CompositeType";

BaseCompositeTraceData::~BaseCompositeTraceData() = default;

bool BaseCompositeTraceData::WriteComponentsToBlock(io::CBlock& parent) {
  io::CBlock components(BaseCompositeTraceData::kComponents);
  const unsigned count = GetNumComponents();
  for (unsigned i = 0; i < count; ++i) {
    const IBaseTraceComponentData* component = GetComponent(i);
    // A missing component has nothing to write; skipping it keeps the others.
    if (!component) continue;
    CopyToBlockCompositeTraceDataVisitor visitor;
    component->Accept(visitor);
    if (visitor.Failed()) return false;
    std::unique_ptr<io::CBlock> block = visitor.TakeBlock();
    if (block) components << std::move(*block);
  }
  parent << std::move(components);
  return true;
}

CompositeTraceComponentData::CompositeTraceComponentData(const AString& expression, int compositeType)
    : m_expression(expression), m_compositeType(compositeType) {}

CompositeTraceComponentData::~CompositeTraceComponentData() {
  for (IBaseTraceComponentData* child : m_children) delete child;
}

AString CompositeTraceComponentData::GetExpression() const { return m_expression; }

void CompositeTraceComponentData::Accept(ITraceComponentDataNonConstVisitor& visitor) {
  visitor.VisitComposite(*this);
}

void CompositeTraceComponentData::Accept(ITraceComponentDataVisitor& visitor) const { visitor.VisitComposite(*this); }

unsigned CompositeTraceComponentData::GetNumChildren() const { return static_cast<unsigned>(m_children.size()); }

const IBaseTraceComponentData* CompositeTraceComponentData::GetChild(unsigned index) const {
  ORVEX_ASSERT(index<m_children.size());
  return index < m_children.size() ? m_children[index] : nullptr;
}

IBaseTraceComponentData* CompositeTraceComponentData::GetChild(unsigned index) {
  ORVEX_ASSERT(index<m_children.size());
  return index < m_children.size() ? m_children[index] : nullptr;
}

void CompositeTraceComponentData::SetChild(unsigned index, IBaseTraceComponentData* child) {
  if (index >= m_children.size()) m_children.resize(static_cast<size_t>(index) + 1, nullptr);
  m_children[index] = child;
}

CopyToBlockCompositeTraceDataVisitor::CopyToBlockCompositeTraceDataVisitor() = default;

CopyToBlockCompositeTraceDataVisitor::~CopyToBlockCompositeTraceDataVisitor() = default;

void CopyToBlockCompositeTraceDataVisitor::VisitLeaf(const ITraceComponentData& leaf) {
  ORVEX_ASSERT(m_blk==0);
  m_blk = std::make_unique<io::CBlock>(BaseCompositeTraceData::kLeaf);
  *m_blk << io::NamedValue(BaseCompositeTraceData::kTraceDataExpr, leaf.GetExpression());
  if (!WriteColumnToBlock(*m_blk, leaf.GetDataColumn(), BaseTraceData::kTraceDataCol)) m_failed = true;
}

void CopyToBlockCompositeTraceDataVisitor::VisitComposite(const ICompositeTraceComponentData& node) {
  m_blk = std::make_unique<io::CBlock>(BaseCompositeTraceData::kComposite);
  *m_blk << io::NamedValue(BaseCompositeTraceData::kTraceDataExpr, node.GetExpression());
  *m_blk << io::NamedValue(BaseCompositeTraceData::kCompositeType, node.GetCompositeType());
  io::CBlock children(BaseCompositeTraceData::kChildren);
  for (unsigned i = 0; i < node.GetNumChildren(); ++i) {
    const IBaseTraceComponentData* child = node.GetChild(i);
    // An empty position writes nothing, as a tree with that child absent would.
    if (!child) continue;
    CopyToBlockCompositeTraceDataVisitor childVisitor;
    child->Accept(childVisitor);
    if (childVisitor.Failed()) {
      m_failed = true;
      return;
    }
    std::unique_ptr<io::CBlock> block = childVisitor.TakeBlock();
    if (block) children << std::move(*block);
  }
  *m_blk << std::move(children);
}

void CopyToBlockCompositeTraceDataVisitor::VisitOther(const IBaseTraceComponentData& /*node*/) { ORVEX_ASSERT(0); }

}  // namespace rep
