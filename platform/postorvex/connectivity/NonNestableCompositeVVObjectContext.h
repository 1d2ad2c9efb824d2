// Makes a connectivity node's variation the current variable values for the scope's lifetime.
#pragma once

#include <memory>

#include "orvex/core/OrvexApi.h"
#include "orvex/values/VariableValuesContext.h"

class CompositeVVObject;

class POSTORVEX_API NonNestableCompositeVVObjectContext {
public:
  // A null node changes nothing.
  explicit NonNestableCompositeVVObjectContext(const CompositeVVObject* object);
  ~NonNestableCompositeVVObjectContext();
  NonNestableCompositeVVObjectContext(const NonNestableCompositeVVObjectContext&) = delete;
  NonNestableCompositeVVObjectContext& operator=(const NonNestableCompositeVVObjectContext&) = delete;

private:
  std::unique_ptr<NonNestableVariableValuesContext> m_context;  // null for a null node
};
