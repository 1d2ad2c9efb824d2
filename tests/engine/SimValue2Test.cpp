#include "quantities/SimValue2.h"

#include <cmath>
#include <vector>

#include "RepTest.h"
#include "quantities/VersionedQuantityParser.h"
#include "orvex/core/Ids.h"
#include "orvex/values/IValueParser.h"
#include "orvex/values/ReferencedMessages.h"
#include "orvex/values/Value.h"
#include "orvex/values/Variable.h"

namespace {

// A value provider as population installs one: it answers by the asking quantity's ID.
class IDProvider : public IValueParser {
public:
  double GetValue(const ValueBase* asking) override { return 100.0 + rep::GetSimValueIDFromValue(asking); }
  AComplex<double> GetComplexValue(const ValueBase* asking) override {
    return AComplex<double>(1.0, static_cast<double>(rep::GetSimValueIDFromValue(asking)));
  }
  int GetIntValue(const ValueBase*) override { return 13; }
  char GetCharValue(const ValueBase*) override { return 'c'; }
  int GetEnumValue(const ValueBase*) override { return 15; }
  const ArcParam* GetArcParam(const ValueBase*) override { return &m_arc; }
  const CircleParam* GetCircleParam(const ValueBase*) override { return &m_circle; }
  const RegionParam* GetRegionParam(const ValueBase*) override { return &m_region; }

  ArcParam m_arc{1, 2, 3, 4, 5};
  CircleParam m_circle{1, 2, 3};
  RegionParam m_region;
};

// Counts the messages that reach it.
class CountingReceiver : public IReceiver {
public:
  void ReceiveMsg(Msg&) override { ++m_count; }
  int m_count = 0;
};

}  // namespace

TEST(SimValue2, GettersAskTheInstalledParser) {
  rep::SimValue2 s11(7, ValueState(2, 15, 1), L"S11");
  IDProvider provider;
  {
    InstalledParserScope installed(&provider);
    EXPECT_EQ(107.0, s11.GetValue());
    EXPECT_EQ(AComplex<double>(1.0, 7.0), s11.GetComplexValue());
    EXPECT_EQ(13, s11.GetIntValue());
    EXPECT_EQ('c', s11.GetCharValue());
    EXPECT_EQ(15, s11.GetEnumValue());
    EXPECT_EQ(&provider.m_arc, s11.GetArcParam());
    EXPECT_EQ(&provider.m_circle, s11.GetCircleParam());
    EXPECT_EQ(&provider.m_region, s11.GetRegionParam());
  }
  // No provider: the invalid answer, after the assertion.
  EXPECT_TRUE(std::isnan(s11.GetValue()));
  EXPECT_SOFT_ASSERT("ivp");
  EXPECT_EQ(nullptr, s11.GetArcParam());
  EXPECT_SOFT_ASSERT("ivp");
}

TEST(SimValue2, IdentityStateAndText) {
  rep::SimValue2 q(3, ValueState(1, 1, 1, 113), L"Gain");
  EXPECT_EQ(3, q.GetSimValueID());
  EXPECT_EQ(1, q.GetParameterType());
  EXPECT_EQ(113, q.GetUnits());
  EXPECT_EQ(1, q.GetDBType());
  EXPECT_EQ(AString(L"Gain"), q.GetValueText());
  EXPECT_FALSE(q.IsConstant());
  EXPECT_EQ(&q, q.CloneValueBase());

  q.SetQuantityText(L"Gain2");
  EXPECT_EQ(AString(L"Gain2"), q.GetValueText());
  EXPECT_EQ(3, q.GetSimValueID());
}

TEST(SimValue2, EqualByIDOnly) {
  rep::SimValue2 a(3, ValueState(1, 15, 1), L"A");
  rep::SimValue2 renamed(3, ValueState(1, 15, 1), L"Other");
  rep::SimValue2 b(4, ValueState(1, 15, 1), L"A");
  Variable v(L"A", 90);
  struct Case {
    const ValueBase& other;
    bool equal;
  };
  const Case cases[] = {{renamed, true}, {b, false}, {v, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.equal, a.IsEqual(c.other));
    EXPECT_SOFT_ASSERT("0");  // comparing quantity leaves is not expected
  }
}

TEST(SimValue2, GetSimValueIDFromValue) {
  rep::SimValue2 q(11, ValueState(1, 15, 1), L"Q");
  EXPECT_EQ(11, rep::GetSimValueIDFromValue(&q));
  Variable v(L"Freq", 110);
  EXPECT_EQ(id::invalidID, rep::GetSimValueIDFromValue(&v));
  EXPECT_SOFT_ASSERT("!\"Should not be passing me anything other than SimValue2's!\"");
}

TEST(SimValue2, Messages) {
  rep::SimValue2 q(1, ValueState(1, 15, 1), L"S21");
  CountingReceiver holder;
  q.AddRef(&holder);
  EXPECT_TRUE(q.HasRef(&holder));

  // The referenced-quantity query collects the text and stops here.
  ReferencedPostprocessingQuantityMsg quantities;
  quantities.SetPassOn(true);
  q.ReceiveMsg(quantities);
  std::vector<AString> names;
  quantities.GetSimValueQuantities(names);
  EXPECT_EQ(std::vector<AString>{L"S21"}, names);
  EXPECT_EQ(0, holder.m_count);

  // Other messages reach the holders only when they are to be passed on.
  Msg quiet(0x1234, false), passed(0x1234, true);
  q.ReceiveMsg(quiet);
  EXPECT_EQ(0, holder.m_count);
  q.ReceiveMsg(passed);
  EXPECT_EQ(1, holder.m_count);

  // A message that only carries the query's code is no query: nothing to collect, nothing thrown.
  Msg impostor(msgtype::kReferencedPostprocessingQuantity, true);
  EXPECT_NO_THROW(q.ReceiveMsg(impostor));
  EXPECT_EQ(1, holder.m_count);
  q.Release(&holder);
  EXPECT_FALSE(q.IsReferenced());
}

TEST(SimValue2, HandedOverItGoesWithItsLastHolder) {
  auto* q = new rep::SimValue2(1, ValueState(1, 15, 1), L"S21");
  CountingReceiver a, b;
  q->AddRef(&a);
  q->AddRef(&b);
  q->HandOverToHolders();
  q->Release(&a);
  EXPECT_TRUE(q->HasRef(&b));
  q->Release(&b);  // deletes it; the sanitizer reports a leak or a second delete
}
