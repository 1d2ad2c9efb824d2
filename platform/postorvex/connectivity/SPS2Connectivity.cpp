#include "postorvex/connectivity/SPS2Connectivity.h"

#include <algorithm>
#include <list>

#include "orvex/core/Assert.h"
#include "orvex/values/Value.h"
#include "postorvex/caches/MinorSpecialSweepCache.h"
#include "postorvex/caches/MinorSweepCache.h"
#include "postorvex/columns/Column.h"
#include "postorvex/connectivity/CompositeVVObject.h"
#include "postorvex/connectivity/ConnectedVVObject.h"
#include "postorvex/connectivity/MinorPrimaryConnectivityLeafData.h"

SPS2Connectivity::Visitor::~Visitor() = default;

SPS2Connectivity::SPS2Connectivity(ConnectedVVObject* connected) : m_connected(connected) {}

SPS2Connectivity::~SPS2Connectivity() {
  for (VVLeafData* data : m_owned) delete data;
}

bool SPS2Connectivity::Owns(const VVLeafData* data) const {
  return m_owned.count(const_cast<VVLeafData*>(data)) != 0;
}

void SPS2Connectivity::GetVariables(std::vector<Variable*>& out) const {
  if (!m_connected) return;
  for (Variable* v : m_connected->GetVariables())
    if (std::find(m_specials.begin(), m_specials.end(), v) == m_specials.end()) out.push_back(v);
  out.insert(out.end(), m_specials.begin(), m_specials.end());
}

bool SPS2Connectivity::AddSpecialVariable(Variable* variable) {
  if (!m_connected || !variable) return false;
  const std::vector<Variable*>& levels = m_connected->GetVariables();
  if (std::find(levels.begin(), levels.end(), variable) != levels.end()) return false;
  m_connected->AddDeepestLevel(variable);
  m_specials.push_back(variable);
  return true;
}

void SPS2Connectivity::Replace(VVLeafData* old, VVLeafData* data) {
  if (data && dynamic_cast<MinorPrimaryConnectivityLeafData*>(data)) m_owned.insert(data);
  if (old && old != data && m_owned.erase(old)) delete old;
}

void SPS2Connectivity::AddPointAtCurrVarVals(VVLeafData* data) {
  if (!m_connected) return;
  VVLeafData* old = m_connected->GetLeafDataAtCurrVarVals();
  m_connected->SetLeafDataAtCurrVarVals(data);
  Replace(old, data);
}

void SPS2Connectivity::SetDataAtCurrVarVals(VVLeafData* data) {
  if (!m_connected) return;
  // The points along special levels are made as their values come (from the product or the
  // cache); only a tree without such levels is complete before its data is set.
  if (m_specials.empty() && !m_connected->HasPointAtCurrVarVals()) ORVEX_ASSERT(!"no point at the current values");
  AddPointAtCurrVarVals(data);
}

void SPS2Connectivity::DeleteAssociatedStructures(const VariableValues& major) {
  if (!m_connected) return;
  std::list<VVLeafData*> removed;
  m_connected->DeleteBranchesAssociatedWithVariableValue(removed, major);
  for (VVLeafData* data : removed)
    if (data && m_owned.erase(data)) delete data;
  ResetPointCurveData();
}

void SPS2Connectivity::ResetPointCurveData() {
  m_curves.clear();
  m_numPoints = 0;
  m_surfacesComputed = false;
  m_surfaces.clear();
  m_surfaceCurveCounts.clear();
}

void SPS2Connectivity::UpdatePointCurveDataSerially(const CompositeVVObject* curveObject, unsigned curveIndex,
                                                    unsigned numPoints) {
  ORVEX_ASSERT(curveIndex==GetFamilyCount());
  if (curveIndex != GetFamilyCount()) return;
  m_curves.push_back(Curve{curveObject, numPoints, m_numPoints});
  m_numPoints += numPoints;
}

unsigned SPS2Connectivity::GetNumPointsInFamily(unsigned family) const {
  return family < m_curves.size() ? m_curves[family].numPoints : 0;
}

unsigned SPS2Connectivity::GetFamilyOffset(unsigned family) const {
  return family < m_curves.size() ? m_curves[family].offset : m_numPoints;
}

namespace {

void ValuesWithout(VariableValues& out, const CompositeVVObject* node, const Variable* primary) {
  out = node ? node->GetVariableValues() : VariableValues();
  if (primary) out.RemoveVariableValue(primary);
}

}  // namespace

void SPS2Connectivity::GetVariableValuesForCurve(VariableValues& out, unsigned family) const {
  if (family >= m_curves.size()) {
    out.clear();
    return;
  }
  ValuesWithout(out, m_curves[family].object, GetPrimaryForValues());
}

void SPS2Connectivity::SetSurfaceInfoCache(const std::vector<const CompositeVVObject*>& surfaces,
                                           const std::vector<unsigned>& curveCounts) {
  m_surfaces = surfaces;
  m_surfaceCurveCounts = curveCounts;
  m_surfaceCurveCounts.resize(m_surfaces.size(), 0);
  m_surfacesComputed = true;
}

unsigned SPS2Connectivity::GetNumCurvesInSurface(unsigned surface) const {
  return surface < m_surfaceCurveCounts.size() ? m_surfaceCurveCounts[surface] : 0;
}

void SPS2Connectivity::GetVariableValuesForSurface(VariableValues& out, unsigned surface) const {
  if (surface >= m_surfaces.size()) {
    out.clear();
    return;
  }
  ValuesWithout(out, m_surfaces[surface], GetPrimaryForValues());
}

bool SPS2Connectivity::LocatePoint(int point, unsigned& family, unsigned& indexInFamily) const {
  if (point < 0 || static_cast<unsigned>(point) >= m_numPoints) return false;
  auto it = std::upper_bound(m_curves.begin(), m_curves.end(), static_cast<unsigned>(point),
                             [](unsigned p, const Curve& c) { return p < c.offset; });
  if (it == m_curves.begin()) return false;
  --it;
  family = static_cast<unsigned>(it - m_curves.begin());
  indexInFamily = static_cast<unsigned>(point) - it->offset;
  return indexInFamily < it->numPoints;
}

MajorPrimarySPS2Connectivity::MajorPrimarySPS2Connectivity(ConnectedVVObject* connected)
    : SPS2Connectivity(connected) {}

MajorPrimarySPS2Connectivity::~MajorPrimarySPS2Connectivity() = default;

const Variable* MajorPrimarySPS2Connectivity::GetPrimaryForValues() const {
  const ConnectedVVObject* c = GetConnectedVVObject();
  return c && !c->GetVariables().empty() ? c->GetVariables().front() : nullptr;
}

VariableValues MajorPrimarySPS2Connectivity::GetVariableValuesAtPointIndex(int point, long) const {
  unsigned family = 0, k = 0;
  if (!LocatePoint(point, family, k)) return VariableValues();
  const ConnectedVVObject* c = GetConnectedVVObject();
  const CompositeVVObject* curve = GetCurveObject(family);
  if (!c || !curve) return VariableValues();
  unsigned seen = 0;
  for (const CompositeVVObject* p : curve->GetObjects(c->GetPointDepth())) {
    if (!c->GetDataForCompVVObject(p)) continue;
    if (seen++ == k) return p->GetVariableValues();
  }
  return VariableValues();
}

MinorPrimarySPS2Connectivity::MinorPrimarySPS2Connectivity(Variable* primary, bool special,
                                                           ConnectedVVObject* connected)
    : SPS2Connectivity(connected), m_primary(primary), m_special(special) {}

MinorPrimarySPS2Connectivity::~MinorPrimarySPS2Connectivity() = default;

void MinorPrimarySPS2Connectivity::GetVariables(std::vector<Variable*>& out) const {
  out.push_back(m_primary);
  SPS2Connectivity::GetVariables(out);
}

VariableValues MinorPrimarySPS2Connectivity::GetVariableValuesAtPointIndex(int point, long quantityID) const {
  unsigned family = 0, k = 0;
  if (!LocatePoint(point, family, k)) return VariableValues();
  const ConnectedVVObject* c = GetConnectedVVObject();
  const CompositeVVObject* leaf = GetCurveObject(family);
  if (!c || !leaf) return VariableValues();
  VariableValues out = leaf->GetVariableValues();
  auto* data = dynamic_cast<const MinorPrimaryConnectivityLeafData*>(c->GetDataForCompVVObject(leaf));
  const Column* primary = data ? data->GetPrimaryColumn() : nullptr;
  if (!primary && data && data->GetMinorSweepCache()) {
    const MinorSweepCache* cache = data->GetMinorSweepCache();
    primary = cache->GetSweepColumn();
    auto* special = dynamic_cast<const MinorSpecialSweepCache*>(cache);
    if (!primary && special) primary = special->GetQuantityPrimaryColumn(quantityID);
  }
  Value v;
  if (primary && m_primary && primary->GetEntryValue(k, v)) out.SetVariableValue(m_primary, v);
  return out;
}
