#include "postorvex/connectivity/CompositeVVObject.h"

CompositeVVObject::CompositeVVObject(CompositeVVObject* parent, const Variable* variable, const Value& value)
    : m_parent(parent), m_depth(parent ? parent->m_depth + 1 : 0), m_variable(variable) {
  if (!parent) return;
  m_key = postp::ValueKey::FromValue(value);
  m_values = parent->m_values;
  m_values.SetVariableValue(variable, value);
}

CompositeVVObject::~CompositeVVObject() {
  for (CompositeVVObject* child : m_children) delete child;
}

std::vector<CompositeVVObject*> CompositeVVObject::GetObjects(int depth) const {
  std::vector<CompositeVVObject*> out;
  CollectAtDepth(depth, out);
  return out;
}

void CompositeVVObject::CollectAtDepth(int depth, std::vector<CompositeVVObject*>& out) const {
  if (depth < m_depth) return;
  if (depth == m_depth) {
    out.push_back(const_cast<CompositeVVObject*>(this));
    return;
  }
  for (const CompositeVVObject* child : m_children) child->CollectAtDepth(depth, out);
}
