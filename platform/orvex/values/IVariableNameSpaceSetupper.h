// Fills a name space with the variables of a solution; given by hosts with their value parsers.
#pragma once

#include "orvex/core/OrvexApi.h"

class VariableNameSpace;

class ORVEX_API IVariableNameSpaceSetupper {
public:
  virtual ~IVariableNameSpaceSetupper();
  virtual void SetupForTextRegeneration(VariableNameSpace& ns) = 0;  // 1
  virtual void Setup(VariableNameSpace& ns) = 0;                     // 2
};
