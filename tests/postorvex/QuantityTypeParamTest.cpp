#include <memory>
#include <string>
#include <vector>

#include "RepTest.h"
#include "postorvex/quantities/PostpQuantityUtils.h"
#include "postorvex/quantities/QuantityTypeParams.h"

namespace {

// Records which operation each parameter reached.
class RecordingVisitor : public QuantityTypeParamVisitor {
public:
  bool VisitComposite(const CompositeQuantityTypeParam&) override { return Note("composite"); }
  bool VisitEnum(const EnumQuantityTypeParam&) override { return Note("enum"); }
  bool VisitPlain(const QuantityTypeParam&) override { return Note("plain"); }
  bool VisitOther(const BaseQuantityTypeParam&) override { return Note("other"); }
  std::string seen;

private:
  bool Note(const char* what) {
    seen = what;
    return true;
  }
};

// Overrides only the fallback, to see where every kind ends when not handled.
class FallbackVisitor : public QuantityTypeParamVisitor {
public:
  bool VisitOther(const BaseQuantityTypeParam&) override {
    ++others;
    return true;
  }
  int others = 0;
};

const ValueState kDouble(1, 15, 1);
const ValueState kEnum(15, 15, 1);

}  // namespace

TEST(QuantityTypeParam, EachKindReachesItsOwnVisitOperation) {
  const QuantityTypeParam plain(kDouble);
  const EnumQuantityTypeParam enumeration(kEnum, L"Colors");
  CompositeQuantityTypeParam composite;
  const OtherQuantityTypeParam other;
  struct Case {
    const BaseQuantityTypeParam* param;
    const char* expected;
  };
  const Case cases[] = {{&plain, "plain"}, {&enumeration, "enum"}, {&composite, "composite"}, {&other, "other"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    RecordingVisitor v;
    EXPECT_TRUE(c.param->Accept(v));
    EXPECT_EQ(c.expected, v.seen);
    // A clone is of the same kind.
    std::unique_ptr<BaseQuantityTypeParam> clone(c.param->Clone());
    RecordingVisitor w;
    clone->Accept(w);
    EXPECT_EQ(c.expected, w.seen);
  }
  // An enumeration is a plain parameter to those who only know plain ones.
  EXPECT_NE(nullptr, dynamic_cast<const QuantityTypeParam*>(&enumeration));
}

TEST(QuantityTypeParam, UnhandledKindsFallBackToVisitOther) {
  QuantityTypeParamVisitor base;
  EXPECT_FALSE(QuantityTypeParam(kDouble).Accept(base));
  EXPECT_FALSE(OtherQuantityTypeParam().Accept(base));
  FallbackVisitor v;
  QuantityTypeParam(kDouble).Accept(v);
  EnumQuantityTypeParam(kEnum, L"E").Accept(v);
  CompositeQuantityTypeParam().Accept(v);
  OtherQuantityTypeParam().Accept(v);
  EXPECT_EQ(4, v.others);
}

TEST(CompositeQuantityTypeParam, KeepsItsOwnCopiesOfConstituents) {
  CompositeQuantityTypeParam composite;
  composite.SetCompositeType(3);
  {
    auto given = std::make_unique<EnumQuantityTypeParam>(kEnum, L"Colors");
    composite.SetConstituent(1, L"Color", given.get());
  }  // the caller deletes its own, as the type cache does
  ASSERT_EQ(2u, composite.GetNumConstituents());
  EXPECT_EQ(AString(), composite.GetConstituentQuantityName(0));
  EXPECT_EQ(nullptr, composite.GetConstituentQuantityTypeParam(0));
  const auto* kept = dynamic_cast<const EnumQuantityTypeParam*>(composite.GetConstituentQuantityTypeParam(1));
  ASSERT_NE(nullptr, kept);
  EXPECT_EQ(AString(L"Colors"), kept->GetEnumTypeName());

  // Setting a constituent from the composite's own constituent is safe.
  composite.SetConstituent(1, L"Color", composite.GetConstituentQuantityTypeParam(1));
  EXPECT_EQ(AString(L"Color"), composite.GetConstituentQuantityName(1));

  // A clone is deep: replacing the original's constituent leaves the clone's.
  std::unique_ptr<BaseQuantityTypeParam> clone(composite.Clone());
  composite.SetConstituent(1, L"Re", nullptr);
  const auto& c = dynamic_cast<const CompositeQuantityTypeParam&>(*clone);
  EXPECT_EQ(3, c.GetCompositeType());
  EXPECT_EQ(AString(L"Color"), c.GetConstituentQuantityName(1));
  EXPECT_NE(nullptr, c.GetConstituentQuantityTypeParam(1));

  EXPECT_EQ(nullptr, c.GetConstituentQuantityTypeParam(2));
  EXPECT_SOFT_ASSERT("index<GetNumConstituents()");
}

TEST(CompositeQuantityTypeParam, LeafConstituentsAreCollectedDepthFirst) {
  CompositeQuantityTypeParam inner;
  inner.SetCompositeType(1);
  inner.SetConstituent(0, L"Re", std::make_unique<QuantityTypeParam>(kDouble).get());
  inner.SetConstituent(1, L"Im", std::make_unique<QuantityTypeParam>(kDouble).get());
  CompositeQuantityTypeParam outer;
  outer.SetCompositeType(2);
  outer.SetConstituent(0, L"Mode", std::make_unique<EnumQuantityTypeParam>(kEnum, L"Modes").get());
  outer.SetConstituent(1, L"Field", &inner);
  outer.SetConstituent(2, L"Power", std::make_unique<OtherQuantityTypeParam>().get());

  std::vector<AString> leaves;
  postp::GetLeafConstituentQuantities(outer, leaves);
  EXPECT_EQ((std::vector<AString>{L"Mode", L"Re", L"Im", L"Power"}), leaves);
  postp::GetLeafConstituentQuantities(QuantityTypeParam(kDouble), leaves);
  EXPECT_EQ(4u, leaves.size()) << "a plain parameter appends nothing";

  EXPECT_TRUE(postp::IsCompositeQuantityType(&outer));
  EXPECT_TRUE(postp::IsCompositeQuantityType(outer.GetConstituentQuantityTypeParam(1)));
  EXPECT_FALSE(postp::IsCompositeQuantityType(outer.GetConstituentQuantityTypeParam(0)));
  EXPECT_FALSE(postp::IsCompositeQuantityType(nullptr));
}
