// What a list of expressions refers to, one part per expression text.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"

class ContextVariable;
class IValueParser;
class IVariableNameSpaceSetupper;
class ReferencedPostprocessingQuantityMsg;

// Every getter appends. The "All" forms give the union over the parts in the order the parts were
// made, without duplicates; an expression without a part gives nothing.
class POSTORVEX_API AbstractQuantityInfo {
public:
  virtual ~AbstractQuantityInfo();                                                                   // 0
  virtual void GetAllSimValueQuantities(std::vector<AString>& out) const = 0;                         // 1
  virtual void GetAllOutputVariables(std::vector<ContextVariable*>& out) const = 0;                   // 2
  virtual void GetAllSimDatasetValues(std::vector<long>& out) const = 0;                              // 3
  virtual void GetAllCompositeQuantities(std::vector<AString>& out) const = 0;                        // 4
  virtual void GetSimValueQuantitiesForExpr(const AString& expr, std::vector<AString>& out) const = 0;  // 5
  virtual void GetOutputVariablesForExpr(const AString& expr, std::vector<ContextVariable*>& out) const = 0;  // 6
  virtual void GetSimDatasetValuesForExpr(const AString& expr, std::vector<long>& out) const = 0;     // 7
  virtual void GetCompositeQuantitiesForExpr(const AString& expr, std::vector<AString>& out) const = 0;  // 8
  virtual void GetSimDatasetDependencyInfo(long datasetID, std::vector<long>& out) const = 0;         // 9
  virtual IValueParser* GetIValueParser() const = 0;                                                 // 10
};

class POSTORVEX_API CompositeReferencedPostprocessingQuantityMsg : public AbstractQuantityInfo {
public:
  // `flag` is kept and has no effect.
  CompositeReferencedPostprocessingQuantityMsg(IValueParser* parser, IVariableNameSpaceSetupper* setupper, bool flag);
  ~CompositeReferencedPostprocessingQuantityMsg() override;
  CompositeReferencedPostprocessingQuantityMsg(const CompositeReferencedPostprocessingQuantityMsg&) = delete;
  CompositeReferencedPostprocessingQuantityMsg& operator=(const CompositeReferencedPostprocessingQuantityMsg&) = delete;

  void GetAllSimValueQuantities(std::vector<AString>& out) const override;
  void GetAllOutputVariables(std::vector<ContextVariable*>& out) const override;
  void GetAllSimDatasetValues(std::vector<long>& out) const override;
  void GetAllCompositeQuantities(std::vector<AString>& out) const override;
  void GetSimValueQuantitiesForExpr(const AString& expr, std::vector<AString>& out) const override;
  void GetOutputVariablesForExpr(const AString& expr, std::vector<ContextVariable*>& out) const override;
  void GetSimDatasetValuesForExpr(const AString& expr, std::vector<long>& out) const override;
  void GetCompositeQuantitiesForExpr(const AString& expr, std::vector<AString>& out) const override;
  void GetSimDatasetDependencyInfo(long datasetID, std::vector<long>& out) const override;
  IValueParser* GetIValueParser() const override { return m_parser; }

  IVariableNameSpaceSetupper* GetVariableNameSpaceSetupper() const { return m_setupper; }
  bool GetFlag() const { return m_flag; }
  // Made on first use; texts are compared without case.
  ReferencedPostprocessingQuantityMsg& GetMsgForExprForEdit(const AString& exprText);
  // Replaces what was recorded for that dataset.
  void SetSimDatasetDependencyInfo(long datasetID, const std::vector<long>& dependsOn);

private:
  // The union over the parts, first-seen order, appended to `out`.
  template <class T, class Less>
  void AppendUnion(void (ReferencedPostprocessingQuantityMsg::*get)(std::vector<T>&) const, std::vector<T>& out) const;
  const ReferencedPostprocessingQuantityMsg* FindPart(const AString& expr) const;

  IValueParser* m_parser;                  // not owned
  IVariableNameSpaceSetupper* m_setupper;  // not owned
  bool m_flag;
  std::vector<std::unique_ptr<ReferencedPostprocessingQuantityMsg>> m_parts;  // creation order
  std::map<AString, size_t, AString::NoCaseLess> m_partIndex;
  std::map<long, std::vector<long>> m_datasetDependencies;
};
