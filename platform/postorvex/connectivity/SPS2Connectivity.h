// The points of a trace's solution in the shape population needs: a tree of variations with a
// datum per point, and, once populated, which tree node each curve came from.
#pragma once

#include <memory>
#include <set>
#include <vector>

#include "orvex/core/OrvexApi.h"
#include "orvex/values/VariableValues.h"

class CompositeVVObject;
class ConnectedVVObject;
class MajorPrimarySPS2Connectivity;
class MinorPrimarySPS2Connectivity;
class Variable;
class VVLeafData;

// Owns its tree and the MinorPrimaryConnectivityLeafData given to it; any other datum (a sweep
// cache) belongs to its cache and is never deleted here.
class POSTORVEX_API SPS2Connectivity {
public:
  class Visitor {
  public:
    virtual ~Visitor();
    virtual void Visit(const MinorPrimarySPS2Connectivity& connectivity) = 0;
    virtual void Visit(const MajorPrimarySPS2Connectivity& connectivity) = 0;
  };

  virtual ~SPS2Connectivity();
  SPS2Connectivity(const SPS2Connectivity&) = delete;
  SPS2Connectivity& operator=(const SPS2Connectivity&) = delete;

  virtual void Accept(Visitor& visitor) const = 0;
  const ConnectedVVObject* GetConnectedVVObject() const { return m_connected.get(); }
  ConnectedVVObject* GetConnectedVVObject() { return m_connected.get(); }
  // The primary first, then the tree's variables; special variables added later come last.
  virtual void GetVariables(std::vector<Variable*>& out) const;
  // A special variable as a new deepest level, so that points also key on its values; false
  // when it is already a level.
  bool AddSpecialVariable(Variable* variable);

  // Finds or makes the point at the current values and sets its datum, deleting an owned datum
  // it replaces.
  void AddPointAtCurrVarVals(VVLeafData* data);
  // The same on a point that must exist already (a missing one is made after an assertion), but
  // for a point along a special level, made without one.
  void SetDataAtCurrVarVals(VVLeafData* data);
  // Removes the branches that agree with `major` and deletes their owned data.
  void DeleteAssociatedStructures(const VariableValues& major);

  // Curves as population reports them, in order.
  void ResetPointCurveData();
  void UpdatePointCurveDataSerially(const CompositeVVObject* curveObject, unsigned curveIndex, unsigned numPoints);
  unsigned GetFamilyCount() const { return static_cast<unsigned>(m_curves.size()); }
  unsigned GetNumPointsInFamily(unsigned family) const;
  unsigned GetFamilyOffset(unsigned family) const;
  unsigned GetNumPoints() const { return m_numPoints; }
  // The reported node's values without the primary.
  void GetVariableValuesForCurve(VariableValues& out, unsigned family) const;
  // The variation of trace point `point` in population order, the primary included.
  virtual VariableValues GetVariableValuesAtPointIndex(int point, long quantityID) const = 0;

  bool IsSurfaceCacheComputed() const { return m_surfacesComputed; }
  void SetSurfaceInfoCache(const std::vector<const CompositeVVObject*>& surfaces, const std::vector<unsigned>& curveCounts);
  unsigned GetNumSurfaces() const { return static_cast<unsigned>(m_surfaces.size()); }
  unsigned GetNumCurvesInSurface(unsigned surface) const;
  void GetVariableValuesForSurface(VariableValues& out, unsigned surface) const;

protected:
  explicit SPS2Connectivity(ConnectedVVObject* connected);
  // The variable that GetVariableValuesForCurve leaves out; null when the tree has none.
  virtual const Variable* GetPrimaryForValues() const = 0;
  // The reported curve of a point and the point's index inside it; false out of range.
  bool LocatePoint(int point, unsigned& family, unsigned& indexInFamily) const;
  const CompositeVVObject* GetCurveObject(unsigned family) const { return m_curves[family].object; }
  bool Owns(const VVLeafData* data) const;

private:
  void Replace(VVLeafData* old, VVLeafData* data);

  struct Curve {
    const CompositeVVObject* object;
    unsigned numPoints;
    unsigned offset;
  };
  std::unique_ptr<ConnectedVVObject> m_connected;
  std::vector<Variable*> m_specials;
  std::set<VVLeafData*> m_owned;
  std::vector<Curve> m_curves;
  unsigned m_numPoints = 0;
  bool m_surfacesComputed = false;
  std::vector<const CompositeVVObject*> m_surfaces;
  std::vector<unsigned> m_surfaceCurveCounts;
};

// The primary is the tree's first variable: every point of a curve is a node of its own.
class POSTORVEX_API MajorPrimarySPS2Connectivity : public SPS2Connectivity {
public:
  explicit MajorPrimarySPS2Connectivity(ConnectedVVObject* connected);
  ~MajorPrimarySPS2Connectivity() override;
  void Accept(Visitor& visitor) const override { visitor.Visit(*this); }
  VariableValues GetVariableValuesAtPointIndex(int point, long quantityID) const override;

protected:
  const Variable* GetPrimaryForValues() const override;
};

// The primary varies inside each point's sweep cache: a point of the tree is a whole curve.
class POSTORVEX_API MinorPrimarySPS2Connectivity : public SPS2Connectivity {
public:
  MinorPrimarySPS2Connectivity(Variable* primary, bool special, ConnectedVVObject* connected);
  ~MinorPrimarySPS2Connectivity() override;
  void Accept(Visitor& visitor) const override { visitor.Visit(*this); }
  void GetVariables(std::vector<Variable*>& out) const override;
  VariableValues GetVariableValuesAtPointIndex(int point, long quantityID) const override;

  bool GetIsSpecial() const { return m_special; }
  Variable* GetPrimaryVariable() const { return m_primary; }

protected:
  const Variable* GetPrimaryForValues() const override { return m_primary; }

private:
  Variable* m_primary;  // not owned
  bool m_special;
};
