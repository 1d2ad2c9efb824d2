#include "postorvex/connectivity/ConnectedVVObject.h"

#include "orvex/core/Assert.h"
#include "orvex/values/Value.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableValues.h"
#include "postorvex/connectivity/CompositeVVObject.h"

namespace {

// A current value kept by a node: constants as they are (so a key text written from it reads
// back as the same text), anything that could change with other variables as its value now.
Value KeepableValue(const Value& current) {
  if (current.IsConstant()) return current;
  const val::ParameterType type = current.GetParameterType();
  if (type == val::kTextParam || type == val::kStringParam) {
    Value text;
    text.SetStringValueText(current.GetStringValue());
    return text;
  }
  if (type == val::kComplexParam) return Value(current.GetComplexValue(), current.GetUnits());
  return Value(current.GetValue(), current.GetUnits());
}

}  // namespace

ConnectedVVObject* ConnectedVVObject::CreateConnectedVVObject(const std::vector<Variable*>& variables) {
  return new ConnectedVVObject(variables, std::vector<bool>());
}

ConnectedVVObject* ConnectedVVObject::CreateConnectedVVObjectWithMajorMinorKnowledge(
    const std::vector<Variable*>& variables, const std::vector<bool>& isMajor) {
  if (variables.size() != isMajor.size()) return nullptr;
  return new ConnectedVVObject(variables, isMajor);
}

ConnectedVVObject::ConnectedVVObject(const std::vector<Variable*>& variables, const std::vector<bool>& isMajor)
    : m_variables(variables), m_isMajor(isMajor), m_root(new CompositeVVObject(nullptr, nullptr, Value())) {}

ConnectedVVObject::~ConnectedVVObject() { delete m_root; }

std::vector<CompositeVVObject*> ConnectedVVObject::GetPoints() const { return m_root->GetObjects(GetPointDepth()); }

std::vector<CompositeVVObject*> ConnectedVVObject::GetCurves() const { return m_root->GetObjects(GetCurveDepth()); }

std::vector<CompositeVVObject*> ConnectedVVObject::GetSurfaces() const {
  return m_root->GetObjects(GetSurfaceDepth());
}

bool ConnectedVVObject::IsVariableMajor(size_t level) const { return level < m_isMajor.size() && m_isMajor[level]; }

bool ConnectedVVObject::GetCurrentLevelValues(std::vector<Value>& out) const {
  out.clear();
  out.reserve(m_variables.size());
  for (int depth = 1; depth <= GetMaxTreeDepth(); ++depth) {
    Value current;
    if (!LevelVariable(depth)->GetCurrentValue(current)) return false;
    out.push_back(KeepableValue(current));
  }
  return true;
}

CompositeVVObject* ConnectedVVObject::FindPoint(const std::vector<Value>& levels) const {
  CompositeVVObject* node = m_root;
  for (const Value& level : levels) {
    const int child = node->m_childKeys.Find(postp::ValueKey::FromValue(level));
    if (child < 0) return nullptr;
    node = node->m_children[child];
  }
  return node;
}

CompositeVVObject* ConnectedVVObject::FindOrMakePoint(const std::vector<Value>& levels) {
  CompositeVVObject* node = m_root;
  for (size_t i = 0; i < levels.size(); ++i) {
    const int child = node->m_childKeys.Find(postp::ValueKey::FromValue(levels[i]));
    if (child >= 0) {
      node = node->m_children[child];
      continue;
    }
    node->m_children.push_back(new CompositeVVObject(node, LevelVariable(static_cast<int>(i) + 1), levels[i]));
    node->m_childKeys.push_back(node->m_children.back()->m_key);
    node = node->m_children.back();
  }
  return node;
}

void ConnectedVVObject::AddPointAtCurrVarVals(VVLeafData* data, bool replaceData) {
  std::vector<Value> levels;
  if (!GetCurrentLevelValues(levels)) {
    ORVEX_ASSERT(!"variable without current value");
    return;
  }
  CompositeVVObject* point = FindOrMakePoint(levels);
  if (!point->m_data || replaceData) point->m_data = data;
}

void ConnectedVVObject::AddDeepestLevel(Variable* variable) {
  m_variables.insert(m_variables.begin(), variable);
  if (!m_isMajor.empty()) m_isMajor.insert(m_isMajor.begin(), false);
}

VVLeafData* ConnectedVVObject::GetLeafDataAtCurrVarVals() const {
  std::vector<Value> levels;
  if (!GetCurrentLevelValues(levels)) return nullptr;
  const CompositeVVObject* point = FindPoint(levels);
  return point ? point->m_data : nullptr;
}

bool ConnectedVVObject::HasPointAtCurrVarVals() const {
  std::vector<Value> levels;
  return GetCurrentLevelValues(levels) && FindPoint(levels) != nullptr;
}

void ConnectedVVObject::SetLeafDataAtCurrVarVals(VVLeafData* data) { AddPointAtCurrVarVals(data, true); }

VVLeafData* ConnectedVVObject::GetDataForCompVVObject(const CompositeVVObject* object) const {
  if (!object) return nullptr;
  const CompositeVVObject* top = object;
  while (top->m_parent) top = top->m_parent;
  return top == m_root ? object->m_data : nullptr;
}

void ConnectedVVObject::GetAllData(std::list<VVLeafData*>& out) const { CollectData(m_root, out); }

void ConnectedVVObject::CollectData(const CompositeVVObject* node, std::list<VVLeafData*>& out) const {
  if (node->m_data) out.push_back(node->m_data);
  for (const CompositeVVObject* child : node->m_children) CollectData(child, out);
}

void ConnectedVVObject::DeleteBranchesAssociatedWithVariableValue(std::list<VVLeafData*>& removed,
                                                                  const VariableValues& values) {
  // wanted[d - 1]: the value asked for the level at depth d, null when `values` does not name it.
  std::vector<const Value*> wanted;
  for (int depth = 1; depth <= GetMaxTreeDepth(); ++depth) wanted.push_back(values.GetVariableValue(LevelVariable(depth)));
  if (m_variables.empty()) {
    removed.push_back(m_root->m_data);
    m_root->m_data = nullptr;
    return;
  }
  DeleteMatching(m_root, wanted, removed);
}

bool ConnectedVVObject::DeleteMatching(CompositeVVObject* node, const std::vector<const Value*>& wanted,
                                       std::list<VVLeafData*>& removed) {
  if (node->m_depth == GetPointDepth()) {
    removed.push_back(node->m_data);
    return true;
  }
  const Value* asked = wanted[node->m_depth];
  const postp::ValueKey askedKey = asked ? postp::ValueKey::FromValue(*asked) : postp::ValueKey();
  std::vector<CompositeVVObject*> kept;
  bool removedChild = false;
  for (CompositeVVObject* child : node->m_children) {
    if ((asked && !child->m_key.Matches(askedKey)) || !DeleteMatching(child, wanted, removed)) {
      kept.push_back(child);
      continue;
    }
    delete child;
    removedChild = true;
  }
  node->m_children.swap(kept);
  if (removedChild) {
    node->m_childKeys.clear();
    for (const CompositeVVObject* child : node->m_children) node->m_childKeys.push_back(child->m_key);
  }
  if (node == m_root || !removedChild || !node->m_children.empty()) return false;
  if (node->m_data) removed.push_back(node->m_data);
  return true;
}

std::vector<CompositeVVObject*> ConnectedVVObject::GetCompositeVVObjectsAtCurrVarVals(
    const std::set<Variable*>& fixed) const {
  int deepestFixed = 0;
  int fixedCount = 0;
  for (int depth = 1; depth <= GetMaxTreeDepth(); ++depth) {
    if (!fixed.count(LevelVariable(depth))) continue;
    deepestFixed = depth;
    ++fixedCount;
  }
  if (deepestFixed == 0) return {m_root};
  if (fixedCount == GetMaxTreeDepth()) return {};
  // current[d - 1]: the current value of a fixed level at depth d, null for a free level.
  std::vector<Value> values(deepestFixed);
  std::vector<const Value*> current(deepestFixed, nullptr);
  for (int depth = 1; depth <= deepestFixed; ++depth) {
    Variable* variable = LevelVariable(depth);
    if (!fixed.count(variable)) continue;
    if (!variable->GetCurrentValue(values[depth - 1])) return {};
    current[depth - 1] = &values[depth - 1];
  }
  std::vector<CompositeVVObject*> out;
  CollectAgreeing(m_root, deepestFixed, current, out);
  return out;
}

void ConnectedVVObject::CollectAgreeing(const CompositeVVObject* node, int depth,
                                        const std::vector<const Value*>& current,
                                        std::vector<CompositeVVObject*>& out) const {
  if (node->m_depth == depth) {
    out.push_back(const_cast<CompositeVVObject*>(node));
    return;
  }
  const Value* wanted = current[node->m_depth];
  const postp::ValueKey key = wanted ? postp::ValueKey::FromValue(*wanted) : postp::ValueKey();
  for (const CompositeVVObject* child : node->m_children)
    if (!wanted || child->m_key.Matches(key)) CollectAgreeing(child, depth, current, out);
}
