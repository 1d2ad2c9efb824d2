#include "orvex/core/VelmorDeltaState.h"

VelmorDeltaState::VelmorDeltaState(bool inEffect) : m_inEffect(inEffect) {}

VelmorDeltaState::~VelmorDeltaState() = default;

void VelmorDeltaState::UndoIt() { m_inEffect = false; }

void VelmorDeltaState::RedoIt() { m_inEffect = true; }

bool VelmorDeltaState::IsEquivalent(const VelmorDeltaState&) const { return false; }
