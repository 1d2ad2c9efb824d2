#include "tracedata/ConcreteCompositeTraceData.h"
#include "tracedata/TraceComponentData.h"

#include "RepTest.h"
#include "StoredTraceFixture.h"
#include "orvex/io/BlockFile.h"
#include "orvex/io/NamedValue.h"
#include "postorvex/columns/EnumColumn.h"

namespace {

using rep::CompositeTraceComponentData;
using rep::ConcreteCompositeTraceData;
using reptest::DoubleColumnOf;
using reptest::SameColumn;

rep::TraceComponentData* Leaf(const AString& expression, std::vector<double> values) {
  auto leaf = new rep::TraceComponentData(DoubleColumnOf(values).release(), nullptr, nullptr);
  leaf->SetExpression(expression);
  return leaf;
}

// The tree as text: expressions, composite types and leaf columns, depth first.
std::string Shape(const IBaseTraceComponentData* node) {
  if (!node) return "null";
  if (auto* leaf = dynamic_cast<const ITraceComponentData*>(node)) {
    const Column* c = leaf->GetDataColumn();
    return leaf->GetExpression().ToUtf8() + "=" + (c ? AString(c->GetValuesText()).ToUtf8() : "none");
  }
  auto* composite = dynamic_cast<const ICompositeTraceComponentData*>(node);
  std::string out = composite->GetExpression().ToUtf8() + "#" + std::to_string(composite->GetCompositeType()) + "(";
  for (unsigned i = 0; i < composite->GetNumChildren(); ++i) out += (i ? "," : "") + Shape(composite->GetChild(i));
  return out + ")";
}

std::string Shape(ConcreteCompositeTraceData& data) {
  std::string out;
  for (unsigned i = 0; i < data.GetNumComponents(); ++i) out += (i ? " " : "") + Shape(data.GetComponent(i));
  return out;
}

// Nodes nested `depth` deep around one leaf.
IBaseTraceComponentData* Nested(unsigned depth) {
  IBaseTraceComponentData* inner = Leaf(L"v", {1, 2});
  for (unsigned d = 0; d < depth; ++d) {
    auto node = new CompositeTraceComponentData(L"n" + AString(std::to_wstring(d)), 3);
    node->SetChild(0, inner);
    inner = node;
  }
  return inner;
}

class ConcreteCompositeTraceDataTest : public reptest::StoredTraceFixture {
protected:
  // A plain leaf beside a tree three composite levels deep, over two curves of 1 and 2 points.
  std::unique_ptr<ConcreteCompositeTraceData> MakeStored() {
    auto data = std::make_unique<ConcreteCompositeTraceData>(Mgr(), m_traceID);
    data->AddComponent(Leaf(L"Freq", {1, 2, 3}));
    auto top = new CompositeTraceComponentData(L"Field", 7);
    auto mid = new CompositeTraceComponentData(L"E", 2);
    auto low = new CompositeTraceComponentData(L"Ex", 1);
    low->SetChild(0, Leaf(L"re", {4, 5, 6}));
    low->SetChild(1, Leaf(L"im", {7, 8, 9}));
    mid->SetChild(0, low);
    mid->SetChild(1, Leaf(L"Ey", {0, 0, 1}));
    top->SetChild(0, mid);
    top->SetChild(1, new CompositeTraceComponentData(L"H", 2));
    data->AddComponent(top);
    data->SetPrimarySweepColumn(DoubleColumnOf({1, 2, 3}).release());
    data->SetPrimarySweepName(L"Freq");
    data->SetCurveInfo(0, 1, L"a=1");
    data->SetCurveInfo(1, 2, L"a=2");
    return data;
  }

  const std::string kShape = "Freq=1 2 3 Field#7(E#2(Ex#1(re=4 5 6,im=7 8 9),Ey=0 0 1),H#2())";
};

TEST_F(ConcreteCompositeTraceDataTest, TreeRoundTripsThroughItsBlock) {
  std::unique_ptr<ConcreteCompositeTraceData> data = MakeStored();
  ASSERT_EQ(kShape, Shape(*data));
  io::CBlock block(data->GetBlockName());
  ASSERT_EQ(io::kNoError, data->DoDataExchange(block, false));
  // Through the block text as the project keeps it.
  io::CBlock reread;
  ASSERT_TRUE(io::BlockFromText(io::BlockToText(block), reread));
  ConcreteCompositeTraceData back(Mgr(), 0);
  EXPECT_EQ(io::kNoError, back.DoDataExchange(reread, true));
  EXPECT_EQ(kShape, Shape(back));
  EXPECT_EQ(m_traceID, back.GetTraceDefID());
  EXPECT_EQ(2u, back.GetNumCurves());
  EXPECT_EQ(1u, back.GetCurveOffset(1));
  EXPECT_EQ(AString(L"a=2"), back.GetCurveVariationKey(1, true));
  EXPECT_EQ(AString(L"Freq"), back.GetTraceDataSweepInfo()->GetPrimarySweepName());
  EXPECT_TRUE(back.HasData());
  EXPECT_EQ(nullptr, back.GetComponent(2));
}

TEST_F(ConcreteCompositeTraceDataTest, EmptyTreesAndNodesWrite) {
  ConcreteCompositeTraceData data(Mgr(), m_traceID);
  data.SetPrimarySweepColumn(DoubleColumnOf({1}).release());
  EXPECT_FALSE(data.HasData());
  io::CBlock parent(L"p");
  EXPECT_TRUE(data.WriteComponentsToBlock(parent));
  ASSERT_NE(nullptr, parent.FindBlock(L"CompositeTraceDataComponents"));
  EXPECT_EQ(0u, parent.FindBlock(L"CompositeTraceDataComponents")->GetNumItems());

  // Data without a primary sweep column, or with an empty one, has no data.
  std::unique_ptr<ConcreteCompositeTraceData> stored = MakeStored();
  stored->SetPrimarySweepColumn(DoubleColumnOf({}).release());
  EXPECT_FALSE(stored->HasData());
  stored->SetPrimarySweepColumn(nullptr);
  EXPECT_FALSE(stored->HasData());
}

TEST_F(ConcreteCompositeTraceDataTest, SetChildGrowsWithEmptyPositions) {
  CompositeTraceComponentData node(L"n", 1);
  node.SetChild(0, Leaf(L"a", {1}));
  node.SetChild(3, Leaf(L"d", {4}));
  EXPECT_EQ(4u, node.GetNumChildren());
  EXPECT_EQ("n#1(a=1,null,null,d=4)", Shape(&node));
  EXPECT_EQ(nullptr, node.GetChild(4));
  EXPECT_SOFT_ASSERT("index<m_children.size()");
  // Empty positions are written as absent children.
  io::CBlock parent(L"p");
  rep::CopyToBlockCompositeTraceDataVisitor visitor;
  node.Accept(visitor);
  ASSERT_NE(nullptr, visitor.GetBlock());
  EXPECT_EQ(2u, visitor.GetBlock()->FindBlock(L"ChildrenComps")->GetNumItems());
}

TEST_F(ConcreteCompositeTraceDataTest, FailedColumnWritesNothing) {
  // A leaf without a column cannot be written, at the top level or deep in the tree.
  for (bool deep : {false, true}) {
    SCOPED_TRACE(deep);
    std::unique_ptr<ConcreteCompositeTraceData> data = MakeStored();
    auto broken = new rep::TraceComponentData(nullptr, nullptr, nullptr);
    if (deep) {
      auto node = new CompositeTraceComponentData(L"n", 1);
      node->SetChild(0, Leaf(L"ok", {1, 2, 3}));
      node->SetChild(1, broken);
      data->AddComponent(node);
    } else {
      data->AddComponent(broken);
    }
    io::CBlock parent(L"p");
    EXPECT_FALSE(data->WriteComponentsToBlock(parent));
    EXPECT_EQ(0u, parent.GetNumItems());
    io::CBlock block(data->GetBlockName());
    EXPECT_EQ(io::kWriteFailed, data->DoDataExchange(block, false));
    EXPECT_EQ(nullptr, block.FindBlock(L"CompositeTraceDataComponents"));
  }
}

// Damaged trees read all or nothing; the header read before them stays.
TEST_F(ConcreteCompositeTraceDataTest, DamagedTreesReadAllOrNothing) {
  std::unique_ptr<ConcreteCompositeTraceData> data = MakeStored();
  io::CBlock good(data->GetBlockName());
  ASSERT_EQ(io::kNoError, data->DoDataExchange(good, false));
  const AString text = io::BlockToText(good);
  struct Case {
    const wchar_t* from;
    const wchar_t* to;
    const char* assertText;
    const char* why;
  };
  const Case cases[] = {
      {L"CompositeTraceComponentData {", L"Other {", "0", "a second top-level block of an unknown key"},
      {L"TraceDataExpr = \"re\"", L"Expr = \"re\"", "0", "a leaf without its expression"},
      {L"TraceDataCol {", L"Col {", "col", "a leaf without its column"},
      {L"CompositeType = 1", L"Kind = 1", nullptr, "a node without its type"},
      {L"ChildrenComps {", L"Kids {", nullptr, "a node without its children"},
      {L"ChildrenComps {", L"ChildrenComps {\n X = 1", nullptr, "a child that is no block"},
      {L"CompositeTraceDataComponents {", L"Comps {", nullptr, "no tree at all"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    std::wstring damaged = text.c_str();
    const size_t at = damaged.find(c.from);
    ASSERT_NE(std::wstring::npos, at) << text.ToUtf8();
    damaged.replace(at, wcslen(c.from), c.to);
    io::CBlock block;
    ASSERT_TRUE(io::BlockFromText(damaged, block)) << AString(damaged).ToUtf8();
    ConcreteCompositeTraceData back(Mgr(), 0);
    EXPECT_EQ(io::kMissingBlock, back.DoDataExchange(block, true));
    if (c.assertText) {
      EXPECT_SOFT_ASSERT(c.assertText);
    }
    EXPECT_EQ(0u, back.GetNumComponents());
    EXPECT_EQ(m_traceID, back.GetTraceDefID());
    EXPECT_EQ(2u, back.GetNumCurves());
  }
}

// A leaf shorter than the curves: the curves that reach past it are dropped.
TEST_F(ConcreteCompositeTraceDataTest, CurvesPastALeafAreDropped) {
  std::unique_ptr<ConcreteCompositeTraceData> data = MakeStored();
  data->AddComponent(Leaf(L"short", {1, 2}));
  io::CBlock block(data->GetBlockName());
  ASSERT_EQ(io::kNoError, data->DoDataExchange(block, false));
  ConcreteCompositeTraceData back(Mgr(), 0);
  EXPECT_EQ(io::kMissingBlock, back.DoDataExchange(block, true));
  EXPECT_EQ(1u, back.GetNumCurves());
  EXPECT_EQ(2u, back.GetRowsOfLeaves());
}

TEST_F(ConcreteCompositeTraceDataTest, TreesDeeperThanTheLimitFailTheRead) {
  for (unsigned depth : {ConcreteCompositeTraceData::kMaxCompositeDepth, ConcreteCompositeTraceData::kMaxCompositeDepth + 1}) {
    SCOPED_TRACE(depth);
    ConcreteCompositeTraceData data(Mgr(), m_traceID);
    data.AddComponent(Nested(depth));
    io::CBlock parent(L"p");
    ASSERT_TRUE(data.WriteComponentsToBlock(parent));
    ConcreteCompositeTraceData back(Mgr(), 0);
    EXPECT_EQ(depth <= ConcreteCompositeTraceData::kMaxCompositeDepth, back.ReadComponentsFromBlock(parent));
  }
}

TEST_F(ConcreteCompositeTraceDataTest, ClonesAreDeepAndKeepEnumerationNames) {
  std::unique_ptr<ConcreteCompositeTraceData> data = MakeStored();
  std::unique_ptr<Column> enumColumn(Column::CreateColumn(static_cast<val::ParameterType>(15), 90));
  enumColumn->GetEnumColumn()->InitializeEnumName(L"Mode");
  auto enumLeaf = new rep::TraceComponentData(enumColumn.release(), nullptr, DoubleColumnOf({1}).release());
  data->AddComponent(enumLeaf);
  std::unique_ptr<ConcreteCompositeTraceData> clone(data->Clone());
  EXPECT_EQ(Shape(*data), Shape(*clone));
  EXPECT_EQ(2u, clone->GetNumCurves());
  EXPECT_NE(data->GetTraceDataSweepInfo()->GetPrimarySweepColumn(), clone->GetTraceDataSweepInfo()->GetPrimarySweepColumn());
  auto* copied = dynamic_cast<rep::TraceComponentData*>(clone->GetComponent(2));
  ASSERT_NE(nullptr, copied);
  AString name;
  EXPECT_TRUE(copied->GetEnumName(name));
  EXPECT_EQ(AString(L"Mode"), name);
  EXPECT_NE(enumLeaf->GetDataColumn(), copied->GetDataColumn());
  // An interpolation column of another kind than flags is not copied.
  EXPECT_EQ(nullptr, copied->GetInterpColumn());
  data.reset();
  EXPECT_EQ(kShape + " =", Shape(*clone));
}

}  // namespace
