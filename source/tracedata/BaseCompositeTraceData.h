// The common base of composite trace data, computed or stored, and the nodes of its component tree.
#pragma once

#include <memory>
#include <vector>

#include "Gravik/ICompositeTraceComponentData.h"
#include "Gravik/ITraceDataInterfaces.h"

namespace io {
class CBlock;
}

namespace rep {

class BaseCompositeTraceData : public virtual ICompositeTraceData {
public:
  ~BaseCompositeTraceData() override;

  // Appends "CompositeTraceDataComponents" to `parent`, one block per top-level component. When a
  // column cannot be written, nothing is appended and the answer is false.
  virtual bool WriteComponentsToBlock(io::CBlock& parent);  // 0

  // Keys of the component tree's block, written here and read by the stored composite data.
  static const wchar_t* const kComponents;
  static const wchar_t* const kLeaf;
  static const wchar_t* const kComposite;
  static const wchar_t* const kChildren;
  static const wchar_t* const kTraceDataExpr;
  static const wchar_t* const kCompositeType;

protected:
  BaseCompositeTraceData() = default;
};

class CompositeTraceComponentData : public ICompositeTraceComponentData {
public:
  CompositeTraceComponentData(const AString& expression, int compositeType);
  CompositeTraceComponentData(const CompositeTraceComponentData&) = delete;
  CompositeTraceComponentData& operator=(const CompositeTraceComponentData&) = delete;
  ~CompositeTraceComponentData() override;

  AString GetExpression() const override;
  void Accept(ITraceComponentDataNonConstVisitor& visitor) override;
  void Accept(ITraceComponentDataVisitor& visitor) const override;
  unsigned GetNumChildren() const override;
  const IBaseTraceComponentData* GetChild(unsigned index) const override;
  int GetCompositeType() const override { return m_compositeType; }

  virtual IBaseTraceComponentData* GetChild(unsigned index);  // 3
  // Grows the children to index + 1 when needed and owns the child; fills empty positions only:
  // a child already at the index is not deleted.
  virtual void SetChild(unsigned index, IBaseTraceComponentData* child);  // 4

private:
  AString m_expression;
  int m_compositeType;
  std::vector<IBaseTraceComponentData*> m_children;  // owned; an entry may be null until set
};

// Writes one node of the tree into a block of its own; a fresh visitor serves each node.
class CopyToBlockCompositeTraceDataVisitor : public ITraceComponentDataVisitor {
public:
  CopyToBlockCompositeTraceDataVisitor();
  ~CopyToBlockCompositeTraceDataVisitor() override;

  void VisitComposite(const ICompositeTraceComponentData& node) override;
  void VisitLeaf(const ITraceComponentData& leaf) override;
  void VisitOther(const IBaseTraceComponentData& node) override;

  io::CBlock* GetBlock() const { return m_blk.get(); }
  bool Failed() const { return m_failed; }
  // Hands the block over so that the parent takes it by move; null when the visit made none.
  std::unique_ptr<io::CBlock> TakeBlock() { return std::move(m_blk); }

private:
  std::unique_ptr<io::CBlock> m_blk;  // the visited node's block, owned by the visitor alone
  bool m_failed = false;              // a column of the visited subtree could not be written
};

}  // namespace rep
