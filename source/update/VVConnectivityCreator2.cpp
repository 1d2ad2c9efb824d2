#include "update/VVConnectivityCreator2.h"

#include <memory>

#include "quantities/ScopedProfiler.h"
#include "update/SweepsVariableInfoMediator2.h"
#include "orvex/values/VariableValuesContext.h"
#include "postorvex/connectivity/ConnectedVVObject.h"
#include "postorvex/connectivity/SPS2Connectivity.h"
#include "postorvex/sweeps/SweepsIterator.h"
#include "postorvex/connectivity/PostpPopulationUtils.h"

namespace VVConnectivityCreator2 {

namespace {
const char kLabel[] = "VVConnectivityCreator2::CreateSPS2ConnectivityExcludingSpecialsAndPrimaryMinor";
}

SPS2Connectivity* CreateSPS2ConnectivityExcludingSpecialsAndPrimaryMinor(rep::SweepsVariableInfoMediator2& mediator,
                                                                         const VariableValues* designVariation) {
  ScopedProfiler profile(kLabel);
  std::unique_ptr<ConnectedVVObject> connected(mediator.CreateConnectedVVObject());
  if (!connected || !AddPointsToConnectedVVObject(*connected, mediator, designVariation)) return nullptr;
  return CreateSPS2Connectivity(connected.release(), mediator);
}

bool AddPointsToConnectedVVObject(ConnectedVVObject& connected, rep::SweepsVariableInfoMediator2& mediator,
                                  const VariableValues* designVariation) {
  ScopedProfiler profile(kLabel);
  const rep::SweepsVariableInfoMediator2::SweepPointsIndex& index = mediator.GetAllSweepPointsVariableValues();
  const VariableValues& dependent = mediator.GetDependentVariableValues();
  bool added = false;
  // One iterator serves every point: its constituent test keeps no state between points.
  std::unique_ptr<SweepsIteratorBase> major;
  mediator.CreateMajorSweepsIterator(major);
  for (const auto& entry : index.GetPointPositions()) {
    const VariableValues& point = entry.first;
    VariableValues constantPart;
    if (!major->IsConstituent(point, constantPart, designVariation)) continue;
    if (!postp::DoesConstantVVHaveComputedDependentVV(point, dependent, &constantPart)) continue;
    VariableValuesContext pointValues(point);
    std::unique_ptr<SweepsIteratorBase> minor;
    mediator.CreateMinorSweepsIteratorExcludingSpecialsAndPrimary(minor);
    if (minor->End()) {
      connected.AddPointAtCurrVarVals(nullptr, false);
      added = true;
      continue;
    }
    for (minor->Begin(); !minor->End(); minor->Advance()) {
      VariableValuesContext stepValues(minor->GetVariableValues());
      connected.AddPointAtCurrVarVals(nullptr, false);
      added = true;
    }
  }
  return added;
}

SPS2Connectivity* CreateSPS2Connectivity(ConnectedVVObject* connected, const SweepsVarInfoAbstraction& info) {
  if (info.GetNumVariables() > 0 && info.IsVariableMajor(0)) return new MajorPrimarySPS2Connectivity(connected);
  Variable* primary = info.GetNumVariables() > 0 ? info.GetVariable(0) : nullptr;
  const bool special = info.GetNumVariables() > 0 && info.IsVariableSpecial(0);
  return new MinorPrimarySPS2Connectivity(primary, special, connected);
}

}  // namespace VVConnectivityCreator2
