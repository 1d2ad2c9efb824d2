// The type parameter of a composite quantity: a composite type and named constituents, each with
// its own type parameter (possibly composite again).
#pragma once

#include <memory>
#include <vector>

#include "orvex/core/AString.h"
#include "postorvex/quantities/BaseQuantityTypeParam.h"

class POSTORVEX_API CompositeQuantityTypeParam : public BaseQuantityTypeParam {
public:
  CompositeQuantityTypeParam() = default;
  CompositeQuantityTypeParam(const CompositeQuantityTypeParam& other);
  CompositeQuantityTypeParam& operator=(const CompositeQuantityTypeParam& other);
  ~CompositeQuantityTypeParam() override;

  void SetCompositeType(int type) { m_type = type; }
  int GetCompositeType() const { return m_type; }

  // Stores a copy of `param` (null stays null); the caller keeps its own. The list grows to
  // index + 1 with unnamed, parameterless constituents where needed.
  void SetConstituent(size_t index, const AString& name, const BaseQuantityTypeParam* param);
  size_t GetNumConstituents() const { return m_constituents.size(); }
  // Out of range: soft assertion "index<GetNumConstituents()", an empty name or null.
  const AString& GetConstituentQuantityName(size_t index) const;
  const BaseQuantityTypeParam* GetConstituentQuantityTypeParam(size_t index) const;

  bool Accept(QuantityTypeParamVisitor& visitor) const override;  // VisitComposite
  BaseQuantityTypeParam* Clone() const override;

private:
  struct Constituent {
    AString name;
    std::unique_ptr<BaseQuantityTypeParam> param;
  };

  int m_type = 0;
  std::vector<Constituent> m_constituents;
};
