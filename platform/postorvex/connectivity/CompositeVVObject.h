// A node of a connectivity tree: the values of the levels from the root down to it, and its
// children.
#pragma once

#include <vector>

#include "orvex/core/OrvexApi.h"
#include "orvex/values/Value.h"
#include "orvex/values/VariableValues.h"
#include "postorvex/connectivity/PostpValueKey.h"
#include "postorvex/connectivity/PostpValueKeyIndex.h"

class ConnectedVVObject;
class Variable;
class VVLeafData;

// Made, owned and deleted by its ConnectedVVObject only.
class POSTORVEX_API CompositeVVObject {
public:
  CompositeVVObject(const CompositeVVObject&) = delete;
  CompositeVVObject& operator=(const CompositeVVObject&) = delete;

  // The values of every level from the root down to this node; empty for the root.
  const VariableValues& GetVariableValues() const { return m_values; }
  // In insertion order.
  const std::vector<CompositeVVObject*>& GetCompositeVVObjects() const { return m_children; }
  // The descendants at that absolute depth, in tree order; the node itself at its own depth.
  std::vector<CompositeVVObject*> GetObjects(int depth) const;
  // 0 for the root.
  int GetTreeDepth() const { return m_depth; }
  CompositeVVObject* GetParent() const { return m_parent; }

private:
  friend class ConnectedVVObject;

  CompositeVVObject(CompositeVVObject* parent, const Variable* variable, const Value& value);
  ~CompositeVVObject();

  void CollectAtDepth(int depth, std::vector<CompositeVVObject*>& out) const;

  CompositeVVObject* m_parent;                // null for the root
  int m_depth;
  const Variable* m_variable;                 // this node's level; null for the root
  postp::ValueKey m_key;                      // the level's value as lookups compare it
  VariableValues m_values;
  std::vector<CompositeVVObject*> m_children;  // owned
  postp::ValueKeyIndex m_childKeys;           // the children's keys, parallel to m_children
  VVLeafData* m_data = nullptr;               // not owned
};
