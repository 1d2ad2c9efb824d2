#include <memory>
#include <string>

#include "tracedata/CompositeTraceDataColumnValueCollector.h"
#include "tracedata/ConcreteCompositeTraceData.h"
#include "tracedata/EnsureOneDummyPointInComponentVisitor.h"
#include "Gravik/ICompositeTraceComponentData.h"
#include "RepTest.h"
#include "tracedata/TraceComponentData.h"
#include "tracedata/TraceDataComponentCreator.h"
#include "orvex/io/Block.h"
#include "orvex/values/Value.h"
#include "postorvex/columns/Column.h"
#include "postorvex/quantities/QuantityTypeParams.h"

namespace {

using rep::CompositeTraceComponentData;
using rep::TraceDataComponentCreator;

std::string Shape(const IBaseTraceComponentData* node) {
  if (!node) return "null";
  if (auto* leaf = dynamic_cast<const ITraceComponentData*>(node)) {
    const Column* c = leaf->GetDataColumn();
    return leaf->GetExpression().ToUtf8() + ":" + std::to_string(c->GetParameterType()) + "/" +
           std::to_string(c->GetUnits());
  }
  auto* composite = dynamic_cast<const ICompositeTraceComponentData*>(node);
  std::string out = composite->GetExpression().ToUtf8() + "#" + std::to_string(composite->GetCompositeType()) + "(";
  for (unsigned i = 0; i < composite->GetNumChildren(); ++i) out += (i ? "," : "") + Shape(composite->GetChild(i));
  return out + ")";
}

// Two constituents, the second composite of three: P = {a, Q = {b, c, d}}.
CompositeQuantityTypeParam TwoLevels() {
  CompositeQuantityTypeParam inner;
  inner.SetCompositeType(2);
  const QuantityTypeParam real(ValueState(1, 15, 1, 90));
  const QuantityTypeParam complex(ValueState(2, 15, 1, 90));
  inner.SetConstituent(0, L"b", &real);
  inner.SetConstituent(1, L"c", &complex);
  inner.SetConstituent(2, L"d", &real);
  CompositeQuantityTypeParam outer;
  outer.SetCompositeType(7);
  outer.SetConstituent(0, L"a", &real);
  outer.SetConstituent(1, L"Q", &inner);
  return outer;
}

std::unique_ptr<IBaseTraceComponentData> Create(const BaseQuantityTypeParam& param, const AString& name) {
  return std::unique_ptr<IBaseTraceComponentData>(TraceDataComponentCreator::CreateFor(&param, name, 0));
}

TEST(TraceDataComponentCreator, BuildsTheTreeOfTheQuantityType) {
  const CompositeQuantityTypeParam param = TwoLevels();
  EXPECT_EQ("P#7(a:1/90,Q#2(b:1/90,c:2/90,d:1/90))", Shape(Create(param, L"P").get()));

  const EnumQuantityTypeParam mode(ValueState(15, 15, 1, 90), L"ModeType");
  std::unique_ptr<IBaseTraceComponentData> leaf = Create(mode, L"Mode");
  AString name;
  ASSERT_TRUE(dynamic_cast<rep::TraceComponentData&>(*leaf).GetEnumName(name));
  EXPECT_EQ(AString(L"ModeType"), name);

  // Another kind, alone or as a constituent: the fallback leaf keeps the tree whole.
  const OtherQuantityTypeParam other;
  EXPECT_EQ("X:1/90", Shape(Create(other, L"X").get()));
  EXPECT_SOFT_ASSERT("0");
  CompositeQuantityTypeParam withOther = TwoLevels();
  withOther.SetConstituent(2, L"odd", &other);
  withOther.SetConstituent(3, L"none", nullptr);
  EXPECT_EQ("P#7(a:1/90,Q#2(b:1/90,c:2/90,d:1/90),odd:1/90,none:1/90)", Shape(Create(withOther, L"P").get()));
  EXPECT_SOFT_ASSERT("0");
}

TEST(TraceDataComponentCreator, MakesNoTreeDeeperThanTheStoredFormReads) {
  const QuantityTypeParam real(ValueState(1, 15, 1, 90));
  std::unique_ptr<BaseQuantityTypeParam> param(real.Clone());
  const unsigned limit = rep::ConcreteCompositeTraceData::kMaxCompositeDepth;
  const unsigned levels = limit + 6;
  for (unsigned d = 0; d < levels; ++d) {
    auto node = std::make_unique<CompositeQuantityTypeParam>();
    node->SetConstituent(0, L"n", param.get());
    param = std::move(node);
  }
  std::unique_ptr<IBaseTraceComponentData> tree = Create(*param, L"top");
  EXPECT_SOFT_ASSERT("!\"composite quantity nested too deep\"");
  unsigned depth = 0;
  const IBaseTraceComponentData* node = tree.get();
  while (auto* composite = dynamic_cast<const ICompositeTraceComponentData*>(node)) {
    ++depth;
    node = composite->GetChild(0);
  }
  EXPECT_EQ(limit, depth);
}

// The collector gathers the leaves depth first; both visitors step over empty positions.
TEST(CompositeTreeVisitors, CollectAndPlaceholderEveryLeaf) {
  std::unique_ptr<IBaseTraceComponentData> tree = Create(TwoLevels(), L"P");
  auto& top = dynamic_cast<CompositeTraceComponentData&>(*tree);
  top.SetChild(3, TraceDataComponentCreator::MakeFallbackLeaf(L"e"));  // leaves position 2 empty
  for (const wchar_t* name : {L"a", L"e"}) {
    unsigned i = AString(name) == L"a" ? 0 : 3;
    Column* c = dynamic_cast<ITraceComponentData*>(top.GetChild(i))->GetDataColumn();
    c->AppendValue(Value(5.0, Units::kNoUnit));
    c->AppendValue(Value(6.0, Units::kNoUnit));
  }

  rep::CompositeColumnLists lists;
  rep::CompositeTraceDataColumnValueCollector collector(lists);
  tree->Accept(collector);
  ASSERT_EQ(5u, lists.values.size());
  ASSERT_EQ(5u, lists.columns.size());
  ASSERT_EQ(5u, lists.interpColumns.size());
  std::string order;
  for (const Value& v : lists.values) order += v.GetValueText().ToUtf8() + " ";
  EXPECT_EQ("a b c d e ", order);
  for (size_t k = 0; k < 5; ++k) {
    EXPECT_EQ(lists.leaves[k]->GetDataColumn(), lists.columns[k]);
    EXPECT_EQ(nullptr, *lists.interpColumns[k]);
  }

  rep::EnsureOneDummyPointInComponentVisitor placeholder;
  tree->Accept(placeholder);
  for (Column* c : lists.columns) {
    EXPECT_EQ(1u, c->GetCount());
    EXPECT_TRUE(c->IsInvalidAt(0));
  }
}

}  // namespace
