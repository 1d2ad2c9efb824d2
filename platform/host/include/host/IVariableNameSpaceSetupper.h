// Fills a variable name space with a solution's variables.
#pragma once

class VariableNameSpace;

class IVariableNameSpaceSetupper {
public:
  virtual ~IVariableNameSpaceSetupper() = default;                      // 0
  virtual void SetupForTextRegeneration(VariableNameSpace& space) = 0;  // 1
  virtual void Setup(VariableNameSpace& space) = 0;                     // 2
};
