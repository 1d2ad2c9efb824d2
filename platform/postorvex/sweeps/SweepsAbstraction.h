// What the engine's sweeps mediator tells the iterators, caches and connectivity about the
// variables of a trace's point set.
#pragma once

#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"

class Value;
class Variable;
class VariableValues;

class POSTORVEX_API SweepsVarInfoAbstraction {
public:
  virtual ~SweepsVarInfoAbstraction();                                  // 0
  virtual unsigned GetNumVariables() const = 0;                         // 1
  virtual Variable* GetVariable(unsigned index) const = 0;              // 2
  virtual bool DoSpecialSweepsExist() const = 0;                        // 3
  virtual bool IsVariableMajor(unsigned index) const = 0;               // 4
  // -1 when no variable has that name.
  virtual int GetVariableIndex(const AString& name) const = 0;          // 5
  virtual bool IsVariableSpecial(unsigned index) const = 0;             // 6
  virtual const VariableValues& GetDependentVariableValues() const = 0;  // 7
};

class POSTORVEX_API SweepsValuesInfoAbstraction {
public:
  virtual ~SweepsValuesInfoAbstraction();                                                                   // 0
  virtual unsigned GetNumSweepVariables() const = 0;                                                       // 1
  virtual unsigned GetNumValues(unsigned var) const = 0;                                                   // 2
  virtual Variable* GetSweepVariable(unsigned var) const = 0;                                              // 3
  virtual bool GetValue(Value& out, unsigned var, unsigned valueIndex, const VariableValues* context) const = 0;  // 4
  // Null when the point set has no explicit families.
  virtual const std::vector<VariableValues>* GetExplicitFamiliesIfAny() const = 0;                         // 5
  virtual bool IsSpecialVariable(const Variable* variable) const = 0;                                      // 6
};

class POSTORVEX_API SweepsAbstraction : public virtual SweepsVarInfoAbstraction,
                                        public virtual SweepsValuesInfoAbstraction {
public:
  ~SweepsAbstraction() override;
};
