#include "orvex/values/MatrixValue.h"

#include <cmath>
#include <memory>

#include "RepTest.h"
#include "orvex/values/Value.h"

TEST(MatrixValue, ElementTextsReadBackToTheElements) {
  DoubleMatrixValue d(Units::kNoUnit);
  ASSERT_TRUE(d.SetMatrix(3, 2, {0.1, -2.5e-300, 1.0 / 3, 1e300, std::nan(""), -0.0}));
  ComplexMatrixValue c(Units::kNoUnit);
  ASSERT_TRUE(c.SetMatrix(3, 2, {{0.1, -0.2}, {1, 0}, {-1.0 / 3, 1e-9}, {0, -1}, {2, std::nan("")}, {-3, 3}}));
  StringMatrixValue s(Units::kNoUnit);
  ASSERT_TRUE(s.SetMatrix(3, 2, {L"a", L"", L"b, c", L"\"q\"", L" x ", L"1+2"}));
  EXPECT_EQ(val::kDoubleParam, d.GetParameterType());
  EXPECT_EQ(val::kComplexParam, c.GetParameterType());
  EXPECT_EQ(val::kStringParam, s.GetParameterType());
  for (int r = 0; r < 3; ++r) {
    for (int col = 0; col < 2; ++col) {
      SCOPED_TRACE(std::to_string(r) + "," + std::to_string(col));
      Value dv(d.GetElementText(r, col), Units::kNoUnit);
      ASSERT_TRUE(dv.IsValidText()) << d.GetElementText(r, col).ToUtf8();
      const double de = d.GetElement(r, col);
      if (std::isnan(de)) {
        EXPECT_TRUE(std::isnan(dv.GetValue()));
      } else {
        EXPECT_EQ(de, dv.GetValue());
        EXPECT_EQ(std::signbit(de), std::signbit(dv.GetValue()));
      }
      Value cv(c.GetElementText(r, col), Units::kNoUnit);
      ASSERT_TRUE(cv.IsValidText()) << c.GetElementText(r, col).ToUtf8();
      const AComplex<double> ce = c.GetElement(r, col);
      EXPECT_EQ(ce.real(), cv.GetComplexValue().real());
      if (std::isnan(ce.imag())) {
        EXPECT_TRUE(std::isnan(cv.GetComplexValue().imag()));
      } else {
        EXPECT_EQ(ce.imag(), cv.GetComplexValue().imag());
      }
      Value sv(Units::kNoUnit);
      ASSERT_TRUE(sv.SetStringValueText(s.GetElementText(r, col)));
      EXPECT_EQ(s.GetElement(r, col), sv.GetStringValue());
    }
  }
}

TEST(MatrixValue, EvaluationReadsTheCurrentElement) {
  DoubleMatrixValue m(Units::kGHz);
  ASSERT_TRUE(m.SetMatrix(3, 2, {1, 2, 3, 4, 5, 6}));
  EXPECT_FALSE(m.SetMatrix(2, 2, {1, 2, 3}));
  EXPECT_EQ(3, m.GetNumRows());
  Value v(Units::kNoUnit);
  v.SetValueBase(&m);
  m.SetCurrentElement(1, 1);
  EXPECT_EQ(4.0, v.GetValue());
  EXPECT_EQ(Units::kGHz, v.GetUnits());
  EXPECT_EQ(4e9, v.GetSIValue());
  m.SetCurrentElement(3, 0);
  EXPECT_TRUE(std::isnan(v.GetValue()));
  EXPECT_EQ(AString(), m.GetElementText(3, 0));
  EXPECT_TRUE(m.HasRef(&v));
  v.Clear();
  EXPECT_FALSE(m.HasRef(&v));

  StringMatrixValue s(Units::kNoUnit);
  ASSERT_TRUE(s.SetMatrix(1, 2, {L"a", L"b"}));
  s.SetCurrentElement(0, 1);
  EXPECT_EQ(AString(L"b"), s.GetStringValue());
  s.SetCurrentElement(0, 2);
  EXPECT_EQ(AString(), s.GetStringValue());
}
