// A scope of variable names that expressions resolve against; spaces nest on one process stack.
#pragma once

#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"

class Variable;

class ORVEX_API VariableNameSpace {
public:
  // Pushed on the name-space stack here and popped by the destructor. `initialSearchState` is
  // kept and has no effect.
  VariableNameSpace(int searchIntrinsic, int appendToPrevious, int initialSearchState);
  ~VariableNameSpace();
  VariableNameSpace(const VariableNameSpace&) = delete;
  VariableNameSpace& operator=(const VariableNameSpace&) = delete;

  // Not owned.
  void AddVariable(Variable* v);
  const std::vector<Variable*>& GetVariables() const { return m_variables; }

  // The trimmed text names, without case, a variable of this space, of the enclosing spaces while
  // they append, or, when searched, an intrinsic variable; else null.
  Variable* ResolveVariable(const AString& text) const;
  // The same without intrinsic variables.
  Variable* ResolveOwnVariable(const AString& text) const;
  // Whether this space or an enclosing one it appends to searches intrinsic variables.
  bool SearchesIntrinsics() const;

  bool GetSearchIntrinsic() const { return m_searchIntrinsic != 0; }
  bool GetAppendToPrevious() const { return m_appendToPrevious != 0; }
  int GetInitialSearchState() const { return m_initialSearchState; }

  // The innermost open space, or null.
  static const VariableNameSpace* GetCurrent();

private:
  int m_searchIntrinsic;
  int m_appendToPrevious;
  int m_initialSearchState;
  const VariableNameSpace* m_previous;  // the space that enclosed this one when it was made
  std::vector<Variable*> m_variables;   // not owned
};
