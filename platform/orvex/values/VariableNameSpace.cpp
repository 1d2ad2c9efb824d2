#include "orvex/values/VariableNameSpace.h"

#include <algorithm>

#include "orvex/core/Assert.h"
#include "orvex/core/TestHooks.h"
#include "orvex/values/IVariableNameSpaceSetupper.h"
#include "orvex/values/Variable.h"

namespace {

std::vector<const VariableNameSpace*>& Stack() {
  static std::vector<const VariableNameSpace*> s;
  return s;
}

void ResetNameSpaces() { Stack().clear(); }

std::string NameSpacesLeftOpen() {
  if (Stack().empty()) return std::string();
  std::string out = std::to_string(Stack().size()) + " variable name space(s) left open\n";
  Stack().clear();
  return out;
}

const bool s_registered = orvex::test::RegisterGlobalState({"name spaces", &ResetNameSpaces, &NameSpacesLeftOpen});

}  // namespace

IVariableNameSpaceSetupper::~IVariableNameSpaceSetupper() = default;

VariableNameSpace::VariableNameSpace(int searchIntrinsic, int appendToPrevious, int initialSearchState)
    : m_searchIntrinsic(searchIntrinsic), m_appendToPrevious(appendToPrevious),
      m_initialSearchState(initialSearchState), m_previous(GetCurrent()) {
  Stack().push_back(this);
}

VariableNameSpace::~VariableNameSpace() {
  std::vector<const VariableNameSpace*>& s = Stack();
  if (!s.empty() && s.back() == this) {
    s.pop_back();
    return;
  }
  auto it = std::find(s.begin(), s.end(), this);
  if (it == s.end()) return;  // dropped by a test reset
  ORVEX_ASSERT(!"VariableNameSpace destroyed out of order");
  s.erase(it);
  // Spaces made inside this one must not reach it any more.
  for (const VariableNameSpace* ns : s)
    if (ns->m_previous == this) const_cast<VariableNameSpace*>(ns)->m_previous = m_previous;
}

void VariableNameSpace::AddVariable(Variable* v) {
  if (v) m_variables.push_back(v);
}

Variable* VariableNameSpace::ResolveOwnVariable(const AString& text) const {
  const AString name = text.Trimmed();
  for (const VariableNameSpace* ns = this; ns; ns = ns->m_appendToPrevious ? ns->m_previous : nullptr) {
    for (Variable* v : ns->m_variables)
      if (v->GetName().CompareNoCase(name) == 0) return v;
  }
  return nullptr;
}

bool VariableNameSpace::SearchesIntrinsics() const {
  for (const VariableNameSpace* ns = this; ns; ns = ns->m_appendToPrevious ? ns->m_previous : nullptr)
    if (ns->m_searchIntrinsic) return true;
  return false;
}

Variable* VariableNameSpace::ResolveVariable(const AString& text) const {
  if (Variable* v = ResolveOwnVariable(text)) return v;
  return SearchesIntrinsics() ? Variable::FindIntrinsic(text.Trimmed()) : nullptr;
}

const VariableNameSpace* VariableNameSpace::GetCurrent() { return Stack().empty() ? nullptr : Stack().back(); }
