// Statistics computed across the families of a trace: which statistical functions to show.
#pragma once

#include <list>
#include <vector>

#include "orvex/core/AString.h"
#include "orvex/values/ValueCodes.h"
#include "postorvex/families/TraceFamiliesDisplayParameters.h"

class Function;

class POSTORVEX_API DisplayStatisticsOfTraceFamiliesParameters : public TraceFamiliesDisplayParameters {
public:
  // "mean", "min", "max".
  DisplayStatisticsOfTraceFamiliesParameters();

  // Key "StatFunctions": a function item whose arguments are the names.
  io::ReadError DoDataExchange(io::CBlock& block, bool read) override;
  TraceFamiliesDisplayParameters* CloneDisplayParams() const override;
  bool AcceptDisplayParametersVisitor(TraceFamiliesDisplayParametersVisitor& visitor) const override;

  const std::vector<AString>& GetStatFunctionNames() const { return m_functionNames; }
  void SetStatFunctionNames(const std::vector<AString>& names) { m_functionNames = names; }

  // Appends, in the order of the names, the registered functions that are ranged, reduce
  // dimension and accept `type`; answers how many it appended. Unknown names are skipped.
  unsigned GetStatFunctionsToDisplay(std::list<const Function*>& out, val::ParameterType type) const;
  // The names of the functions that the statistics of double datasets (type 12) display, in the
  // same order, so that a list and its names always pair up.
  void GetStatFunctionNamesToDisplay(std::vector<AString>& out) const;

private:
  std::vector<const Function*> FindFunctions(val::ParameterType type) const;

  std::vector<AString> m_functionNames;  // as the user gave them; unknown names are kept
};
