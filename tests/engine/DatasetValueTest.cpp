#include <cmath>
#include <memory>
#include <vector>

#include "RepTest.h"
#include "quantities/SimDatasetValue.h"
#include "quantities/SimValue2.h"
#include "orvex/values/IValueParser.h"
#include "orvex/values/ReferencedMessages.h"
#include "orvex/values/Value.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableNameSpace.h"

namespace {

// The datasets of a population in miniature: one dataset per point, chosen by a settable index.
class PointDatasets : public ISimDatasetValueEvaluationContext {
public:
  int GetCurrentPointIndex() const override { return m_point; }
  int GetIndexInsideDataset(const AbstractDynamicDatasetValue* value, int pointIndex) const override {
    m_askedFor = value;
    return pointIndex * 10;
  }
  const AbstractDataset* GetDatasetForPoint(long id, int pointIndex) const override {
    m_askedID = id;
    if (pointIndex < 0 || pointIndex >= static_cast<int>(m_datasets.size())) return nullptr;
    return m_datasets[pointIndex].get();
  }

  int m_point = 0;
  std::vector<std::unique_ptr<AbstractDataset>> m_datasets;
  mutable const AbstractDynamicDatasetValue* m_askedFor = nullptr;
  mutable long m_askedID = -1;
};

std::unique_ptr<AbstractDataset> DoubleDataset(const std::vector<double>& y) {
  auto d = std::make_unique<Dataset<double, double>>();
  for (size_t i = 0; i < y.size(); ++i) d->AddPoint(static_cast<double>(i), y[i]);
  return d;
}

// Answers every ranged argument with one dataset value that the test owns.
class DatasetMakingParser : public IValueParser {
public:
  ValueBase* GetDatasetValue(ValueBase* y, ValueBase* x) override {
    if (!m_made) m_made = std::make_unique<DoubleSimDatasetValue>(7, y, x);
    return m_made.get();
  }
  std::unique_ptr<DoubleSimDatasetValue> m_made;
};

}  // namespace

TEST(DatasetValue, TextsKindsAndIdentity) {
  Variable s11(L"S11", 90), freq(L"Freq", 110);
  DoubleSimDatasetValue withX(1, &s11, &freq);
  DoubleSimDatasetValue withoutX(2, &s11, nullptr);
  ComplexSimDatasetValue complexY(3, &s11, &freq);

  EXPECT_EQ(AString(L"S11, Freq"), withX.GetValueText());
  EXPECT_EQ(AString(L"S11"), withoutX.GetValueText());
  EXPECT_EQ(12, withX.GetParameterType());
  EXPECT_EQ(11, complexY.GetParameterType());
  EXPECT_EQ(&withX, withX.CloneValueBase());
  DoubleSimDatasetValue sameTexts(4, &s11, &freq);
  EXPECT_FALSE(withX.IsEqual(sameTexts));
  EXPECT_TRUE(withX.IsEqual(withX));
  EXPECT_EQ(&s11, withX.GetYExpression());
  EXPECT_EQ(&freq, withX.GetXExpression());
  EXPECT_EQ(nullptr, withoutX.GetXExpression());
  EXPECT_EQ(1, withX.GetID());

}

TEST(DatasetValue, HoldsItsExpressionsWhileItLives) {
  rep::SimValue2 y(1, ValueState(1, 15, 1), L"Y"), x(2, ValueState(1, 15, 1), L"X");
  {
    DoubleSimDatasetValue d(1, &y, &x);
    EXPECT_TRUE(y.HasRef(AnonymousValueReceiver::GetInstance()));
    EXPECT_TRUE(x.HasRef(AnonymousValueReceiver::GetInstance()));
  }
  EXPECT_FALSE(y.IsReferenced());
  EXPECT_FALSE(x.IsReferenced());
}

TEST(DatasetValue, DeletableOnlyWithoutHolders) {
  Variable y(L"Y", 90);
  DoubleSimDatasetValue d(1, &y, nullptr);
  Value holderA(90), holderB(90);
  EXPECT_TRUE(d.OKtoDelete());
  d.AddRef(&holderA);
  d.AddRef(&holderB);
  EXPECT_FALSE(d.OKtoDelete());
  EXPECT_TRUE(static_cast<AbstractDynamicDatasetValue&>(d).HasRef(&holderA));
  d.Release(&holderA);
  EXPECT_FALSE(d.OKtoDelete());
  static_cast<AbstractDynamicDatasetValue&>(d).Release(&holderB);
  EXPECT_TRUE(d.OKtoDelete());
}

TEST(DatasetValue, HandedOverItGoesWithItsLastHolder) {
  rep::SimValue2 y(1, ValueState(1, 15, 1), L"Y");
  auto* d = new DoubleSimDatasetValue(1, &y, nullptr);
  Value holder(90);
  d->AddRef(&holder);
  d->HandOverToHolders();
  EXPECT_TRUE(y.HasRef(AnonymousValueReceiver::GetInstance()));
  d->Release(&holder);  // deletes it; the sanitizer reports any leak or second delete
  EXPECT_FALSE(y.IsReferenced());
}

TEST(DatasetValue, PlainGettersAreNotImplemented) {
  Variable y(L"Y", 90);
  ComplexSimDatasetValue d(1, &y, nullptr);
  EXPECT_EQ(0.0, d.GetValue());
  EXPECT_SOFT_ASSERT("!\"Not Implemented\"");
  EXPECT_EQ(AComplex<double>(0.0, 0.0), d.GetComplexValue());
  EXPECT_SOFT_ASSERT("!\"Not Implemented\"");
  EXPECT_EQ(AComplex<double>(0.0, 0.0), d.GetValueAtX(1.0));
  EXPECT_SOFT_ASSERT("!\"No Impl\"");
  EXPECT_EQ(AComplex<double>(0.0, 0.0), d.GetSecondValueAtX(1.0));
  EXPECT_SOFT_ASSERT("!\"No Impl\"");
}

TEST(DatasetValue, AsksItsContextForThePointsDataset) {
  Variable y(L"Y", 90);
  DoubleSimDatasetValue d(42, &y, nullptr);
  PointDatasets context;
  context.m_datasets.push_back(DoubleDataset({1, 2}));
  context.m_datasets.push_back(DoubleDataset({5, 6, 7}));
  context.m_point = 1;
  EXPECT_EQ(nullptr, d.SetEvaluationContext(&context));

  EXPECT_EQ(context.m_datasets[1].get(), d.GetDatasetForCurrentPoint());
  EXPECT_EQ(42, context.m_askedID);
  EXPECT_EQ(3u, d.GetNumPointsOfCurrentDataset());
  EXPECT_EQ(2.0, d.GetXValueOfCurrentDataset(2));
  EXPECT_EQ(10, d.GetIndexInsideDataset());
  EXPECT_EQ(&d, context.m_askedFor);

  // A point without a dataset, and a dataset of the other kind.
  context.m_point = 5;
  EXPECT_EQ(nullptr, d.GetDatasetForCurrentPoint());
  EXPECT_SOFT_ASSERT("ads");
  ComplexSimDatasetValue complexValue(43, &y, nullptr);
  complexValue.SetEvaluationContext(&context);
  context.m_point = 0;
  EXPECT_EQ(nullptr, complexValue.GetDatasetForCurrentPoint());
  EXPECT_SOFT_ASSERT("ds");

  EXPECT_EQ(&context, d.SetEvaluationContext(nullptr));
}

TEST(DatasetValue, RangedFunctionWithoutContextIsNaNNotACrash) {
  Variable y(L"Yv", 90), x(L"Xv", 90);
  VariableNameSpace names(1, 1, 0);
  names.AddVariable(&y);
  names.AddVariable(&x);
  DatasetMakingParser parser;
  const char* kNoContext =
      "!\"mSolutionPointSet in SimDataExtractor at BeginPostprocessingUpdate(sps) to be set for ranged functions to work\"";
  {
    InstalledParserScope installed(&parser);
    Value v(90);
    ASSERT_TRUE(v.SetValueText(L"max(Yv, Xv)", 90));
    ASSERT_TRUE(parser.m_made);

    EXPECT_TRUE(std::isnan(v.GetValue()));
    EXPECT_SOFT_ASSERT(kNoContext);
    EXPECT_EQ(0, parser.m_made->GetIndexInsideDataset());
    EXPECT_SOFT_ASSERT(kNoContext);

    PointDatasets context;
    context.m_datasets.push_back(DoubleDataset({1, 5, 3}));
    parser.m_made->SetEvaluationContext(&context);
    EXPECT_EQ(5.0, v.GetValue());
    parser.m_made->SetEvaluationContext(nullptr);
  }
}

TEST(DatasetValue, MessagesReachTheExpressions) {
  Variable y(L"Y", 90), x(L"X", 90);
  DoubleSimDatasetValue d(9, &y, &x);

  ReferencedPostprocessingQuantityMsg quantities;
  d.ReceiveMsg(quantities);
  std::vector<long> ids;
  quantities.GetSimDatasetValues(ids);
  EXPECT_EQ(std::vector<long>{9}, ids);

  ReferencedVariablesMsg variables(false);
  d.ReceiveMsg(variables);
  std::vector<Variable*> found;
  variables.GetVariables(found);
  EXPECT_EQ((std::vector<Variable*>{&x, &y}), found);  // x first, then y

  DatasetDependencyMsg dependents;
  d.ReceiveMsg(dependents);
  std::vector<AbstractDynamicDatasetValue*> values;
  dependents.GetDependentValues(values);
  EXPECT_EQ(std::vector<AbstractDynamicDatasetValue*>{&d}, values);

  // Messages that only carry those codes are passed to the expressions and otherwise ignored.
  for (unsigned code : {msgtype::kReferencedPostprocessingQuantity, msgtype::kDatasetDependency}) {
    Msg impostor(code);
    d.ReceiveMsg(impostor);
  }
}
