#include "refhost/ReferenceQuantityTypeProvider.h"

#include "postorvex/quantities/QuantityTypeParams.h"
#include "refhost/ReferenceSolution.h"

namespace refhost {

namespace {

// Deeper nesting than any model holds: the composite contains itself.
const int kMaxNesting = 32;

}  // namespace

ReferenceQuantityTypeProvider::~ReferenceQuantityTypeProvider() = default;

bool ReferenceQuantityTypeProvider::GetQuantityTypeParam(std::unique_ptr<BaseQuantityTypeParam>& out,
                                                         const AString& quantity,
                                                         const ReportTypeSolutionDefinition& def, long) {
  ++m_queries;
  if (!m_solution.OffersQuantitiesFor(def)) return false;
  std::unique_ptr<BaseQuantityTypeParam> built(Build(quantity, 0));
  if (!built) return false;
  out = std::move(built);
  return true;
}

BaseQuantityTypeParam* ReferenceQuantityTypeProvider::Build(const AString& quantity, int depth) const {
  const ReferenceQuantity* q = m_solution.FindQuantity(quantity);
  if (!q || depth > kMaxNesting) return nullptr;
  switch (q->kind) {
    case ReferenceQuantity::kPlain: return new QuantityTypeParam(q->state);
    case ReferenceQuantity::kEnum: return new EnumQuantityTypeParam(q->state, q->enumTypeName);
    case ReferenceQuantity::kOther: return new OtherQuantityTypeParam();
    case ReferenceQuantity::kComposite: break;
  }
  auto composite = std::make_unique<CompositeQuantityTypeParam>();
  composite->SetCompositeType(q->compositeType);
  for (size_t i = 0; i < q->constituents.size(); ++i) {
    std::unique_ptr<BaseQuantityTypeParam> constituent(Build(q->constituents[i], depth + 1));
    if (!constituent) return nullptr;
    composite->SetConstituent(i, q->constituents[i], constituent.get());
  }
  return composite.release();
}

}  // namespace refhost
