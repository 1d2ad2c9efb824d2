// A tree over a list of variables with one node per combination of their values: the points of
// a solution's variations, each with an optional datum.
#pragma once

#include <list>
#include <memory>
#include <set>
#include <vector>

#include "orvex/core/OrvexApi.h"

class CompositeVVObject;
class Value;
class Variable;
class VariableValues;
class VVLeafData;

// Level order: the first variable of the list is the deepest level (it varies fastest along the
// tree), the last one the top level; so a curve's points vary along the first variable. Values
// are compared in SI with relative tolerance 1e-12, texts exactly. The data are never owned.
class POSTORVEX_API ConnectedVVObject {
public:
  // Owned by the caller.
  static ConnectedVVObject* CreateConnectedVVObject(const std::vector<Variable*>& variables);
  // Null when the lists differ in length.
  static ConnectedVVObject* CreateConnectedVVObjectWithMajorMinorKnowledge(const std::vector<Variable*>& variables,
                                                                         const std::vector<bool>& isMajor);
  // Deletes the nodes, never the data.
  ~ConnectedVVObject();
  ConnectedVVObject(const ConnectedVVObject&) = delete;
  ConnectedVVObject& operator=(const ConnectedVVObject&) = delete;

  // Depths: the root is 0, a point n (the number of variables), a curve n - 1, a surface n - 2
  // (never below 0). With no variable the root is the one point.
  int GetMaxTreeDepth() const { return static_cast<int>(m_variables.size()); }
  int GetPointDepth() const { return GetMaxTreeDepth(); }
  int GetCurveDepth() const { return GetMaxTreeDepth() > 1 ? GetMaxTreeDepth() - 1 : 0; }
  int GetSurfaceDepth() const { return GetMaxTreeDepth() > 2 ? GetMaxTreeDepth() - 2 : 0; }
  // The nodes at those depths in tree order (depth first, children in insertion order).
  std::vector<CompositeVVObject*> GetPoints() const;
  std::vector<CompositeVVObject*> GetCurves() const;
  std::vector<CompositeVVObject*> GetSurfaces() const;
  const CompositeVVObject* GetRoot() const { return m_root; }

  // Finds or makes the point at the variables' current values and sets its datum when it has
  // none or `replaceData`. A variable without a current value: soft assertion
  // "!\"variable without current value\"", nothing added.
  void AddPointAtCurrVarVals(VVLeafData* data, bool replaceData);
  // The variable becomes the first of the list: the former points become inner nodes.
  void AddDeepestLevel(Variable* variable);

  // The datum at the current values; null when there is no such point or a variable has no
  // current value.
  VVLeafData* GetLeafDataAtCurrVarVals() const;
  // Whether a point exists at the current values (with or without a datum).
  bool HasPointAtCurrVarVals() const;
  // Finds or makes the point at the current values and replaces its datum.
  void SetLeafDataAtCurrVarVals(VVLeafData* data);
  // The datum of a node of this tree; null for a node without one or of another tree.
  VVLeafData* GetDataForCompVVObject(const CompositeVVObject* object) const;
  // Every datum that is not null, in tree order.
  void GetAllData(std::list<VVLeafData*>& out) const;

  const std::vector<Variable*>& GetVariables() const { return m_variables; }
  // False for a level out of range and for objects made without the knowledge.
  bool IsVariableMajor(size_t level) const;

  // Removes every point whose path agrees with `values` on the variables both name (variables
  // of `values` that the tree lacks are ignored; tree variables that `values` lacks match
  // anything), and the inner nodes that this leaves empty; appends the removed points' data,
  // nulls included, and the non-null data of removed inner nodes.
  void DeleteBranchesAssociatedWithVariableValue(std::list<VVLeafData*>& removed, const VariableValues& values);

  // The nodes at the depth of the deepest level whose variable is in `fixed` that agree with the
  // current values on every level in `fixed`: the root when no level is in `fixed`; empty when
  // every level is in `fixed` (the caller then takes the point's datum) or nothing agrees.
  std::vector<CompositeVVObject*> GetCompositeVVObjectsAtCurrVarVals(const std::set<Variable*>& fixed) const;

private:
  ConnectedVVObject(const std::vector<Variable*>& variables, const std::vector<bool>& isMajor);

  // The variable of the level at depth d (1 to n).
  Variable* LevelVariable(int depth) const { return m_variables[m_variables.size() - depth]; }
  // The current value of each level, top first; false when a variable has none.
  bool GetCurrentLevelValues(std::vector<Value>& out) const;
  CompositeVVObject* FindPoint(const std::vector<Value>& levels) const;
  CompositeVVObject* FindOrMakePoint(const std::vector<Value>& levels);
  // True when `node` itself was removed.
  bool DeleteMatching(CompositeVVObject* node, const std::vector<const Value*>& wanted,
                      std::list<VVLeafData*>& removed);
  void CollectAgreeing(const CompositeVVObject* node, int depth, const std::vector<const Value*>& current,
                       std::vector<CompositeVVObject*>& out) const;
  void CollectData(const CompositeVVObject* node, std::list<VVLeafData*>& out) const;

  std::vector<Variable*> m_variables;  // not owned; first = deepest level
  std::vector<bool> m_isMajor;         // parallel to m_variables; empty without the knowledge
  CompositeVVObject* m_root;           // owned
};
