#include "reports/BatchNamer.h"

#include <algorithm>

#include "reports/BaseTraceDefinition.h"
#include "orvex/core/I18n.h"

namespace rep {

namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// A number past this is no index a batch reaches, and would not fit the parse.
const size_t kMostIndexDigits = 18;

}  // namespace

BatchNamer::BatchNamer(const std::list<BaseTraceDefinition*>& traces) {
  m_held.reserve(traces.size());
  for (const BaseTraceDefinition* t : traces) Take(t->GetName());
}

BatchNamer::BatchNamer(const std::list<BaseTraceDefinition*>& traces, long leftOutID) {
  m_held.reserve(traces.size());
  for (const BaseTraceDefinition* t : traces)
    if (t->GetID() != leftOutID) Take(t->GetName());
}

int BatchNamer::Count(const std::wstring& folded) const {
  auto it = m_held.find(folded);
  return it == m_held.end() ? 0 : it->second;
}

AString BatchNamer::UniqueName(const AString& wanted) {
  std::wstring candidate = wanted.FoldedCase();
  if (Count(candidate) == 0) return wanted;
  unsigned long& k = m_next[candidate];
  const size_t base = candidate.size();
  for (k = std::max(k, 1UL);; ++k) {
    const AString number = i18n::MakeNumberString(k);
    candidate.resize(base);
    candidate += number;
    if (Count(candidate) == 0) return wanted + number;
  }
}

AString BatchNamer::DefaultName(const BaseTraceDefinition& trace) {
  AString expression;
  if (trace.GetNumComponents() > 0)
    if (const ITraceComponentDefinition* last = trace.GetComponent(trace.GetNumComponents() - 1))
      expression = last->GetExpression();
  if (Count(expression.FoldedCase()) == 0) return expression;
  return UniqueName(expression + L"_");
}

void BatchNamer::NameJoining(BaseTraceDefinition& trace) {
  const AString name = trace.GetIsNameTiedToExpressionFlag() ? DefaultName(trace) : UniqueName(trace.GetName());
  trace.SetName(name);
  Take(name);
}

void BatchNamer::NameHeld(BaseTraceDefinition& trace) {
  const AString held = trace.GetName();
  if (trace.GetIsNameTiedToExpressionFlag()) {
    // Made against the others: the trace's own name may be its default.
    Release(held);
    NameJoining(trace);
    return;
  }
  if (Count(held.FoldedCase()) <= 1) return;
  // The trace's own name is no candidate: each ends in a number the name lacks.
  const AString name = UniqueName(held);
  Release(held);
  trace.SetName(name);
  Take(name);
}

void BatchNamer::Take(const AString& name) { ++m_held[name.FoldedCase()]; }

void BatchNamer::Release(const AString& name) {
  const std::wstring folded = name.FoldedCase();
  auto it = m_held.find(folded);
  if (it == m_held.end() || --it->second > 0) return;
  m_held.erase(it);
  // The name given up may be a wanted name followed by a number its hint has passed: each split
  // into a name and a number as UniqueName writes it brings that hint back.
  size_t digits = folded.size();
  while (digits > 0 && IsDigit(folded[digits - 1])) --digits;
  for (size_t at = std::max(digits, folded.size() - std::min(folded.size(), kMostIndexDigits)); at < folded.size();
       ++at) {
    if (folded[at] == L'0') continue;
    unsigned long k = 0;
    for (size_t i = at; i < folded.size(); ++i) k = k * 10 + static_cast<unsigned long>(folded[i] - L'0');
    auto hint = m_next.find(folded.substr(0, at));
    if (hint != m_next.end() && hint->second > k) hint->second = k;
  }
}

}  // namespace rep
