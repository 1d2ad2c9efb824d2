#include "postorvex/quantities/CompositeReferencedPostprocessingQuantityMsg.h"

#include <algorithm>
#include <set>

#include "orvex/values/ReferencedMessages.h"

namespace {

// Appends what is not there yet, keeping the first-seen order.
template <class T, class Less = std::less<T>>
void AppendUnique(std::vector<T>& out, const std::vector<T>& items) {
  std::set<T, Less> seen(out.begin(), out.end());
  for (const T& item : items)
    if (seen.insert(item).second) out.push_back(item);
}

}  // namespace

AbstractQuantityInfo::~AbstractQuantityInfo() = default;

CompositeReferencedPostprocessingQuantityMsg::CompositeReferencedPostprocessingQuantityMsg(
    IValueParser* parser, IVariableNameSpaceSetupper* setupper, bool flag)
    : m_parser(parser), m_setupper(setupper), m_flag(flag) {}

CompositeReferencedPostprocessingQuantityMsg::~CompositeReferencedPostprocessingQuantityMsg() = default;

ReferencedPostprocessingQuantityMsg& CompositeReferencedPostprocessingQuantityMsg::GetMsgForExprForEdit(
    const AString& exprText) {
  auto it = m_partIndex.find(exprText);
  if (it != m_partIndex.end()) return *m_parts[it->second];
  m_parts.push_back(std::make_unique<ReferencedPostprocessingQuantityMsg>());
  m_partIndex.emplace(exprText, m_parts.size() - 1);
  return *m_parts.back();
}

const ReferencedPostprocessingQuantityMsg* CompositeReferencedPostprocessingQuantityMsg::FindPart(
    const AString& expr) const {
  auto it = m_partIndex.find(expr);
  return it == m_partIndex.end() ? nullptr : m_parts[it->second].get();
}

void CompositeReferencedPostprocessingQuantityMsg::SetSimDatasetDependencyInfo(long datasetID,
                                                                               const std::vector<long>& dependsOn) {
  m_datasetDependencies[datasetID] = dependsOn;
}

template <class T, class Less>
void CompositeReferencedPostprocessingQuantityMsg::AppendUnion(
    void (ReferencedPostprocessingQuantityMsg::*get)(std::vector<T>&) const, std::vector<T>& out) const {
  std::vector<T> all;
  for (const auto& part : m_parts) {
    std::vector<T> items;
    ((*part).*get)(items);
    AppendUnique<T, Less>(all, items);
  }
  out.insert(out.end(), all.begin(), all.end());
}

void CompositeReferencedPostprocessingQuantityMsg::GetAllSimValueQuantities(std::vector<AString>& out) const {
  AppendUnion<AString, AString::NoCaseLess>(&ReferencedPostprocessingQuantityMsg::GetSimValueQuantities, out);
}

void CompositeReferencedPostprocessingQuantityMsg::GetAllCompositeQuantities(std::vector<AString>& out) const {
  AppendUnion<AString, AString::NoCaseLess>(&ReferencedPostprocessingQuantityMsg::GetCompositeQuantities, out);
}

void CompositeReferencedPostprocessingQuantityMsg::GetAllOutputVariables(std::vector<ContextVariable*>& out) const {
  AppendUnion<ContextVariable*, std::less<ContextVariable*>>(&ReferencedPostprocessingQuantityMsg::GetOutputVariables,
                                                             out);
}

void CompositeReferencedPostprocessingQuantityMsg::GetAllSimDatasetValues(std::vector<long>& out) const {
  AppendUnion<long, std::less<long>>(&ReferencedPostprocessingQuantityMsg::GetSimDatasetValues, out);
}

void CompositeReferencedPostprocessingQuantityMsg::GetSimValueQuantitiesForExpr(const AString& expr,
                                                                                std::vector<AString>& out) const {
  if (const auto* part = FindPart(expr)) part->GetSimValueQuantities(out);
}

void CompositeReferencedPostprocessingQuantityMsg::GetOutputVariablesForExpr(const AString& expr,
                                                                             std::vector<ContextVariable*>& out) const {
  if (const auto* part = FindPart(expr)) part->GetOutputVariables(out);
}

void CompositeReferencedPostprocessingQuantityMsg::GetSimDatasetValuesForExpr(const AString& expr,
                                                                              std::vector<long>& out) const {
  if (const auto* part = FindPart(expr)) part->GetSimDatasetValues(out);
}

void CompositeReferencedPostprocessingQuantityMsg::GetCompositeQuantitiesForExpr(const AString& expr,
                                                                                 std::vector<AString>& out) const {
  if (const auto* part = FindPart(expr)) part->GetCompositeQuantities(out);
}

void CompositeReferencedPostprocessingQuantityMsg::GetSimDatasetDependencyInfo(long datasetID,
                                                                               std::vector<long>& out) const {
  auto it = m_datasetDependencies.find(datasetID);
  if (it != m_datasetDependencies.end()) out.insert(out.end(), it->second.begin(), it->second.end());
}
