// The nodes of a trace's component tree and the visitors that walk it.
#pragma once

#include "orvex/core/AString.h"

class Column;
class ITraceComponentData;
class ICompositeTraceComponentData;
class ITraceComponentDataVisitor;
class ITraceComponentDataNonConstVisitor;

// A node of a trace's component tree: a leaf or a composite node.
class IBaseTraceComponentData {
public:
  virtual ~IBaseTraceComponentData() = default;                                    // 0
  virtual AString GetExpression() const = 0;                                        // 1
  virtual void Accept(ITraceComponentDataNonConstVisitor& visitor) = 0;            // 2
  virtual void Accept(ITraceComponentDataVisitor& visitor) const = 0;              // 3
};

// A leaf: the columns of one quantity's values.
class ITraceComponentData : public IBaseTraceComponentData {
public:
  ~ITraceComponentData() override = default;
  virtual Column* GetDataColumn() const = 0;                                        // 4
  // One flag per point; null until the trace is populated.
  virtual Column* GetInterpColumn() const = 0;                                      // 5
};

// Every node calls exactly one Visit with itself; no node calls VisitOther, so visitors treat it
// as a programmer error.
class ITraceComponentDataVisitor {
public:
  virtual ~ITraceComponentDataVisitor() = default;                                 // 0
  virtual void VisitComposite(const ICompositeTraceComponentData& node) = 0;       // 1
  virtual void VisitLeaf(const ITraceComponentData& leaf) = 0;                     // 2
  virtual void VisitOther(const IBaseTraceComponentData& node) = 0;                // 3
};

class ITraceComponentDataNonConstVisitor {
public:
  virtual ~ITraceComponentDataNonConstVisitor() = default;                         // 0
  virtual void VisitComposite(ICompositeTraceComponentData& node) = 0;             // 1
  virtual void VisitLeaf(ITraceComponentData& leaf) = 0;                           // 2
  virtual void VisitOther(IBaseTraceComponentData& node) = 0;                      // 3
};
