// Builds a trace's sweep connectivity from its sweeps mediator: every point of the sweep space
// that the solution can provide, arranged for a major or a minor primary sweep.
#pragma once

class ConnectedVVObject;
class SPS2Connectivity;
class SweepsVarInfoAbstraction;
class VariableValues;

namespace rep {
class SweepsVariableInfoMediator2;
}

namespace VVConnectivityCreator2 {

// Owned by the caller; null when no point could be added. A null design variation means no
// context for the constituent test.
SPS2Connectivity* CreateSPS2ConnectivityExcludingSpecialsAndPrimaryMinor(rep::SweepsVariableInfoMediator2& mediator,
                                                                         const VariableValues* designVariation);
bool AddPointsToConnectedVVObject(ConnectedVVObject& connected, rep::SweepsVariableInfoMediator2& mediator,
                                  const VariableValues* designVariation);
// Takes ownership of the connected object.
SPS2Connectivity* CreateSPS2Connectivity(ConnectedVVObject* connected, const SweepsVarInfoAbstraction& info);

}  // namespace VVConnectivityCreator2
