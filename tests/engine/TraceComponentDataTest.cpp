#include "tracedata/TraceComponentData.h"

#include "RepTest.h"
#include "TraceColumnSamples.h"

namespace {

std::unique_ptr<Column> EnumColumnOf(const std::vector<int32_t>& values, const wchar_t* name) {
  std::unique_ptr<Column> column(Column::CreateColumn(static_cast<val::ParameterType>(15), 90));
  column->GetEnumColumn()->GetValues() = values;
  if (name) column->GetEnumColumn()->InitializeEnumName(name);
  return column;
}

class CountingVisitor : public ITraceComponentDataNonConstVisitor, public ITraceComponentDataVisitor {
public:
  void VisitComposite(ICompositeTraceComponentData&) override { ++composites; }
  void VisitLeaf(ITraceComponentData& leaf) override { leaves.push_back(&leaf); }
  void VisitOther(IBaseTraceComponentData&) override { ++others; }
  void VisitComposite(const ICompositeTraceComponentData&) override { ++composites; }
  void VisitLeaf(const ITraceComponentData& leaf) override { constLeaves.push_back(&leaf); }
  void VisitOther(const IBaseTraceComponentData&) override { ++others; }

  std::vector<ITraceComponentData*> leaves;
  std::vector<const ITraceComponentData*> constLeaves;
  int composites = 0;
  int others = 0;
};

}  // namespace

TEST(TraceComponentData, EnumerationNameOnlyFromAnEnumerationColumn) {
  struct Case {
    const char* why;
    std::unique_ptr<Column> column;
    bool answers;
    AString name;
  };
  Case cases[] = {
      {"no column", nullptr, false, L"untouched"},
      {"double column", reptest::DoubleColumnOf({1, 2}), false, L"untouched"},
      {"enumeration with a name", EnumColumnOf({1}, L"Color"), true, L"Color"},
      {"enumeration never named", EnumColumnOf({1}, nullptr), true, L""},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.why);
    rep::TraceComponentData component(c.column.release(), nullptr, nullptr);
    AString name = L"untouched";
    EXPECT_EQ(c.answers, component.GetEnumName(name));
    EXPECT_EQ(c.name, name);
  }
}

TEST(TraceComponentData, InitializeEnumNameNamesOnlyEnumerations) {
  rep::TraceComponentData enumeration(EnumColumnOf({1, 2}, nullptr).release(), nullptr, nullptr);
  enumeration.InitializeEnumName(L"Mode");
  AString name;
  EXPECT_TRUE(enumeration.GetEnumName(name));
  EXPECT_EQ(L"Mode", name);

  rep::TraceComponentData doubles(reptest::DoubleColumnOf({1}).release(), nullptr, nullptr);
  doubles.InitializeEnumName(L"Mode");
  EXPECT_SOFT_ASSERT("0");

  rep::TraceComponentData empty;
  empty.InitializeEnumName(L"Mode");  // nothing to name, nothing reported
}

TEST(TraceComponentData, CloneIsDeepAndIndependent) {
  rep::TraceComponentData source(EnumColumnOf({4, 5}, L"Mode").release(),
                                 reptest::TextColumnOf({L"four", L"five"}).release(),
                                 Column::CreateColumn(static_cast<val::ParameterType>(14), 90));
  source.GetInterpColumn()->GetCharColumn()->GetValues() = {0, 1};
  source.SetExpression(L"Mode(1)");
  std::unique_ptr<rep::TraceComponentData> copy = source.Clone();

  EXPECT_EQ(L"Mode(1)", copy->GetExpression());
  for (auto pick : {&rep::TraceComponentData::GetDataColumn, &rep::TraceComponentData::GetTextColumn,
                    &rep::TraceComponentData::GetInterpColumn}) {
    ASSERT_NE(nullptr, (copy.get()->*pick)());
    EXPECT_NE((source.*pick)(), (copy.get()->*pick)());
    EXPECT_TRUE(reptest::SameColumn((source.*pick)(), (copy.get()->*pick)()));
  }
  source.GetDataColumn()->GetEnumColumn()->GetValues()[0] = 9;
  source.SetDataColumn(nullptr);
  source.SetExpression(L"other");
  EXPECT_EQ(4, copy->GetDataColumn()->GetEnumColumn()->GetValues()[0]);
  EXPECT_EQ(L"Mode(1)", copy->GetExpression());
  AString name;
  EXPECT_TRUE(copy->GetEnumName(name));
  EXPECT_EQ(L"Mode", name);
}

TEST(TraceComponentData, AcceptCallsVisitLeafWithItself) {
  rep::TraceComponentData leaf(reptest::DoubleColumnOf({1}).release(), nullptr, nullptr);
  CountingVisitor visitor;
  leaf.Accept(static_cast<ITraceComponentDataNonConstVisitor&>(visitor));
  static_cast<const rep::TraceComponentData&>(leaf).Accept(static_cast<ITraceComponentDataVisitor&>(visitor));
  EXPECT_EQ((std::vector<ITraceComponentData*>{&leaf}), visitor.leaves);
  EXPECT_EQ((std::vector<const ITraceComponentData*>{&leaf}), visitor.constLeaves);
  EXPECT_EQ(0, visitor.composites);
  EXPECT_EQ(0, visitor.others);
}
