#include <cmath>
#include <memory>
#include <vector>

#include "RepTest.h"
#include "orvex/values/Dataset.h"
#include "orvex/values/Function.h"
#include "orvex/values/MatrixValue.h"
#include "orvex/values/Value.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableNameSpace.h"
#include "postorvex/columns/Column.h"
#include "postorvex/columns/LinkVariableToColumnContext.h"
#include "postorvex/datasets/DatasetKey.h"
#include "postorvex/columns/SimValueMatrixContext.h"

namespace {

const Units::FullUnitType kGHz = 113;  // as the sweep tests use it

TEST(ColumnCurrentValue, LinkedVariableReadsTheCurrentRow) {
  DoubleColumn freq(kGHz);
  freq.AppendValues({1.0, 2.0, 3.0});
  Variable f(L"F", kGHz);
  VariableNameSpace names(0, 1, 0);
  names.AddVariable(&f);
  {
    LinkVariableToColumnContext link(freq, &f);
    freq.SetValue(1);
    Value v(L"F*2", kGHz);
    EXPECT_DOUBLE_EQ(4.0, v.GetValue());
    freq.SetValue(2);
    EXPECT_DOUBLE_EQ(6.0, v.GetValue());
    freq.SetValue(7);
    EXPECT_TRUE(std::isnan(v.GetValue())) << "a row outside the column gives no value";
  }
  EXPECT_EQ(0u, f.GetCurrentValueDepth());
  {
    LinkVariableToColumnContext none(freq, nullptr);
  }
  EXPECT_SOFT_ASSERT("variable");
}

TEST(ColumnCurrentValue, MatrixRowLoadsIntoTheValueBase) {
  ComplexMatrixColumn column(Units::kNoUnit);
  column.AppendMatrix({1, 2, {{1, 1}, {2, 0}}});
  column.AppendMatrix({2, 1, {{3, 0}, {4, -1}}});
  ComplexMatrixValue value(Units::kNoUnit);
  column.SetValueBase(&value);
  column.SetValue(1);
  EXPECT_EQ(2, value.GetNumRows());
  EXPECT_EQ(AComplex<double>(4, -1), value.GetElement(1, 0));
  column.SetValue(0);
  EXPECT_EQ(2, value.GetNumCols());
  column.ClearValueBase();
  column.SetValue(1);
  EXPECT_EQ(1, value.GetNumRows()) << "without a value base nothing is loaded";
}

TEST(ColumnCurrentValue, AppendFromCopiesConvertsOrMaps) {
  DoubleColumn hz(Units::kNoUnit);
  DoubleColumn ghz(kGHz);
  ghz.AppendValues({1.5, 2.0});
  ghz.AppendInvalidValues(1);
  EXPECT_TRUE(hz.AppendFrom(ghz, nullptr));
  ASSERT_EQ(3u, hz.GetCount());
  EXPECT_DOUBLE_EQ(1.5e9, hz.GetValues()[0]);
  EXPECT_TRUE(hz.IsInvalidAt(2));

  ComplexColumn s(Units::kNoUnit);
  s.AddValue({3, 4});
  s.AddValue({0, 1});
  DoubleColumn mag(Units::kNoUnit);
  EXPECT_TRUE(mag.AppendFrom(s, Function::Find(L"mag")));
  EXPECT_EQ(std::vector<double>({5.0, 1.0}), mag.GetValues());
  EXPECT_FALSE(mag.AppendFrom(s, nullptr)) << "another kind without a function";
  EXPECT_EQ(2u, mag.GetCount());

  std::vector<Value> values;
  ColumnValueExtractionVisitor::GetColumnValues(ghz, values);
  ASSERT_EQ(3u, values.size());
  EXPECT_DOUBLE_EQ(2.0, values[1].GetValue());
  EXPECT_TRUE(values[1].IsConstant());
  EXPECT_TRUE(values[2].IsEmpty());
}

TEST(SimValueMatrixContext, WalksTheLargestShapeRowMajor) {
  int r = -1, c = -1, rows = 1;
  SimValueMatrixContext::Reset();
  EXPECT_FALSE(SimValueMatrixContext::IncrIteratorIfHaveNext()) << "a scalar evaluation yields one row";
  SimValueMatrixContext::GetCurrentRowCol(2, 2, r, c);
  while (SimValueMatrixContext::IncrIteratorIfHaveNext()) ++rows;
  EXPECT_EQ(4, rows);
  SimValueMatrixContext::GetCurrentRowCol(2, 2, r, c);
  EXPECT_EQ(1, r);
  EXPECT_EQ(1, c);

  DoubleMatrixValue m(Units::kNoUnit);
  m.SetMatrix(3, 2, {1, 2, 3, 4, 5, 6});
  SimValueMatrixContext::SetCurrentRowColForTest(1, 1);
  SimValueMatrixContext::GetCurrentRowCol(3, 2, r, c);
  m.SetCurrentElement(r, c);
  EXPECT_DOUBLE_EQ(4.0, m.GetValue());
  SimValueMatrixContext::SetCurrentRowColForTest(3, 0);
  SimValueMatrixContext::GetCurrentRowCol(3, 2, r, c);
  m.SetCurrentElement(r, c);
  EXPECT_TRUE(std::isnan(m.GetValue()));
  SimValueMatrixContext::Reset();
}

TEST(DatasetKey, EqualKeysShareADataset) {
  auto key = [](int varying, std::vector<double> values) {
    DatasetKey k;
    k.SetSize(static_cast<unsigned>(values.size()));
    k.SetVaryingIndex(varying);
    for (unsigned j = 0; j < values.size(); ++j) k.SetFixedSweepValue(j, values[j]);
    return k;
  };
  EXPECT_TRUE(key(0, {1, 2}) == key(0, {9, 2})) << "the varying entry is not compared";
  EXPECT_FALSE(key(0, {1, 2}) == key(1, {1, 2}));
  EXPECT_TRUE(key(1, {NAN, 5}) == key(1, {NAN, 7}));
  EXPECT_TRUE(key(-1, {NAN}) == key(-1, {NAN})) << "NaN equals NaN";
  EXPECT_FALSE(key(-1, {1}) == key(-1, {1, 1}));

  DatasetsForDatasetValue store;
  DoubleColumn y(Units::kNoUnit);
  CreateDatasetColumnVisitor create;
  y.Accept(create);
  store.SetDatasetForKey(key(0, {0, 2}), create.GetCreatedDataset());
  AbstractDataset* ds = store.GetDatasetForKey(key(0, {5, 2}));
  ASSERT_TRUE(ds);
  store.SetDatasetForPoint(3, ds);
  EXPECT_EQ(ds, store.GetDatasetForPoint(3));
  EXPECT_EQ(nullptr, store.GetDatasetForPoint(1));
  AddPointToDatasetColumnVisitor add1(1.0, L"0.5", ds), add2(2.0, L"oops(", ds);
  y.Accept(add1);
  y.Accept(add2);
  EXPECT_EQ(1, add2.GetIndexWithinCurve());
  auto* typed = dynamic_cast<Dataset<double, double>*>(ds);
  EXPECT_DOUBLE_EQ(0.5, typed->GetY()[0]);
  EXPECT_TRUE(std::isnan(typed->GetY()[1]));

  IndexInsideDataset index;
  index.SetIndexInsideDataset(0, 4, 2);
  EXPECT_EQ(2, index.GetIndexInsideDataset(0, 4));
  EXPECT_EQ(-1, index.GetIndexInsideDataset(0, 3));
  EXPECT_EQ(-1, index.GetIndexInsideDataset(1, 4));

  TextColumn text;
  CreateDatasetColumnVisitor none;
  text.Accept(none);
  EXPECT_EQ(nullptr, none.GetCreatedDataset());
}

}  // namespace
