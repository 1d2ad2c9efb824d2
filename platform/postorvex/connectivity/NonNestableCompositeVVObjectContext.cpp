#include "postorvex/connectivity/NonNestableCompositeVVObjectContext.h"

#include "postorvex/connectivity/CompositeVVObject.h"

NonNestableCompositeVVObjectContext::NonNestableCompositeVVObjectContext(const CompositeVVObject* object)
    : m_context(object ? std::make_unique<NonNestableVariableValuesContext>(object->GetVariableValues()) : nullptr) {}

NonNestableCompositeVVObjectContext::~NonNestableCompositeVVObjectContext() = default;
