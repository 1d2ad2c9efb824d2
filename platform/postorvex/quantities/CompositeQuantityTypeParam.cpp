#include "postorvex/quantities/CompositeQuantityTypeParam.h"

#include "orvex/core/Assert.h"
#include "postorvex/quantities/QuantityTypeParamVisitor.h"

CompositeQuantityTypeParam::CompositeQuantityTypeParam(const CompositeQuantityTypeParam& other)
    : BaseQuantityTypeParam(other), m_type(other.m_type) {
  m_constituents.reserve(other.m_constituents.size());
  for (const Constituent& c : other.m_constituents)
    m_constituents.push_back({c.name, std::unique_ptr<BaseQuantityTypeParam>(c.param ? c.param->Clone() : nullptr)});
}

CompositeQuantityTypeParam& CompositeQuantityTypeParam::operator=(const CompositeQuantityTypeParam& other) {
  if (this == &other) return *this;
  CompositeQuantityTypeParam copy(other);
  m_type = copy.m_type;
  m_constituents = std::move(copy.m_constituents);
  return *this;
}

CompositeQuantityTypeParam::~CompositeQuantityTypeParam() = default;

void CompositeQuantityTypeParam::SetConstituent(size_t index, const AString& name,
                                                const BaseQuantityTypeParam* param) {
  // Cloned before the list changes: `param` may be one of this composite's own constituents.
  std::unique_ptr<BaseQuantityTypeParam> copy(param ? param->Clone() : nullptr);
  if (index >= m_constituents.size()) m_constituents.resize(index + 1);
  m_constituents[index].name = name;
  m_constituents[index].param = std::move(copy);
}

const AString& CompositeQuantityTypeParam::GetConstituentQuantityName(size_t index) const {
  static const AString kNone;
  ORVEX_ASSERT(index<GetNumConstituents());
  return index < m_constituents.size() ? m_constituents[index].name : kNone;
}

const BaseQuantityTypeParam* CompositeQuantityTypeParam::GetConstituentQuantityTypeParam(size_t index) const {
  ORVEX_ASSERT(index<GetNumConstituents());
  return index < m_constituents.size() ? m_constituents[index].param.get() : nullptr;
}

bool CompositeQuantityTypeParam::Accept(QuantityTypeParamVisitor& visitor) const {
  return visitor.VisitComposite(*this);
}

BaseQuantityTypeParam* CompositeQuantityTypeParam::Clone() const { return new CompositeQuantityTypeParam(*this); }
