// Walks over the points of the sweeps a trace uses: the product of the active variables'
// values, or the explicit families combined with the free variables.
#pragma once

#include <memory>
#include <set>
#include <vector>

#include "orvex/core/OrvexApi.h"
#include "orvex/values/Value.h"
#include "orvex/values/VariableValues.h"

class SweepsValuesInfoAbstraction;
class Variable;

class POSTORVEX_API SweepsIteratorBase {
public:
  virtual ~SweepsIteratorBase();
  virtual void Begin() = 0;
  // Asked before Begin: whether there is nothing to walk.
  virtual bool End() const = 0;
  virtual void Advance() = 0;
  // The active variables' values at the current step.
  virtual const VariableValues& GetVariableValues() const = 0;
  // Whether the point lies in the iteration space; `constantPart` receives its active values.
  virtual bool IsConstituent(const VariableValues& point, VariableValues& constantPart,
                             const VariableValues* designVariation) const = 0;
};

// The Cartesian product of the active valued variables, the first active one fastest.
class POSTORVEX_API SweepsIterator : public SweepsIteratorBase {
public:
  SweepsIterator(const std::vector<bool>& active, const SweepsValuesInfoAbstraction* info);
  ~SweepsIterator() override;

  void Begin() override;
  bool End() const override;
  void Advance() override;
  const VariableValues& GetVariableValues() const override { return m_current; }
  bool IsConstituent(const VariableValues& point, VariableValues& constantPart,
                     const VariableValues* designVariation) const override;

protected:
  // The value list of each active valued variable, in index order.
  struct Axis {
    Variable* variable;
    std::vector<Value> values;
    // The values in SI, sorted, when all are real numbers: constituent tests search them.
    std::vector<double> sortedSI;
  };
  explicit SweepsIterator(const SweepsValuesInfoAbstraction* info);
  // Adds the active variable of index i as an axis; one without values empties the space.
  void AddAxis(unsigned i);
  // Moves the axes one step, the first fastest; false, with every axis back at its start, when
  // they were at their last combination.
  bool StepAxes();
  void Compose();
  // The rule for the axes and the valueless active variables; adds their values to `constantPart`.
  bool AxesAccept(const VariableValues& point, VariableValues& constantPart,
                  const VariableValues* designVariation) const;
  // Whether `value` equals one of the axis's values (relative 1e-12).
  static bool IsOneOf(const Value& value, const Axis& axis);

  const SweepsValuesInfoAbstraction* m_info;  // not owned
  std::vector<Axis> m_axes;
  std::vector<Variable*> m_activeWithoutValues;  // active, listed by the abstraction, with no value
  std::vector<size_t> m_position;
  bool m_empty = false;
  bool m_done = true;
  VariableValues m_fixed;  // merged under every step
  VariableValues m_current;
};

// The explicit families restricted to the active variables (equal ones once, in family order),
// each combined with the product of the free active variables; the family varies slowest.
class POSTORVEX_API SweepsAndFamiliesIterator : public SweepsIterator {
public:
  SweepsAndFamiliesIterator(const std::set<Variable*>& active, const SweepsValuesInfoAbstraction* info);
  ~SweepsAndFamiliesIterator() override;

  void Begin() override;
  bool End() const override;
  void Advance() override;
  bool IsConstituent(const VariableValues& point, VariableValues& constantPart,
                     const VariableValues* designVariation) const override;

private:
  std::vector<VariableValues> m_families;
  std::vector<Variable*> m_familyVariables;
  size_t m_family = 0;
};

// A space without any step still yields one step with empty values.
class POSTORVEX_API DegeneracyAwareSweepsIterator : public SweepsIteratorBase {
public:
  explicit DegeneracyAwareSweepsIterator(std::unique_ptr<SweepsIteratorBase> wrapped);
  ~DegeneracyAwareSweepsIterator() override;

  void Begin() override;
  bool End() const override;
  void Advance() override;
  const VariableValues& GetVariableValues() const override;
  bool IsConstituent(const VariableValues& point, VariableValues& constantPart,
                     const VariableValues* designVariation) const override;

private:
  std::unique_ptr<SweepsIteratorBase> m_wrapped;
  bool m_degenerate;
  bool m_degenerateDone = false;
  VariableValues m_none;
};
