#include "orvex/values/ExpressionFuzzEntry.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "orvex/core/Assert.h"
#include "orvex/values/Dataset.h"
#include "orvex/values/ExpressionParser.h"
#include "orvex/values/IValueParser.h"
#include "orvex/values/ReceiverMgr.h"
#include "orvex/values/Value.h"
#include "orvex/values/ValueTextGenerator.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableNameSpace.h"
#include "orvex/values/VariableValues.h"
#include "orvex/values/VariableValuesContext.h"

namespace val {

namespace {

class AnyLeaf : public ValueBase {
public:
  AnyLeaf(const AString& name, ParameterType type) : m_name(name), m_type(type) {}
  double GetValue() const override { return 1.5; }
  AComplex<double> GetComplexValue() const override { return AComplex<double>(1.5, -0.5); }
  AString GetValueText() const override { return m_name; }
  ParameterType GetParameterType() const override { return m_type; }

private:
  AString m_name;
  ParameterType m_type;
};

class AnyDataset : public AbstractDatasetValueBase {
public:
  AnyDataset(ValueBase* y, ValueBase* x) : m_y(y->CloneValueBase()), m_x(x ? x->CloneValueBase() : nullptr) {
    m_y->AddRef(AnonymousValueReceiver::GetInstance());
    if (m_x) m_x->AddRef(AnonymousValueReceiver::GetInstance());
  }
  ~AnyDataset() override {
    m_y->Release(AnonymousValueReceiver::GetInstance());
    if (m_x) m_x->Release(AnonymousValueReceiver::GetInstance());
  }
  int GetIndexInsideDataset() const override { return 0; }
  const AbstractDataset* GetDatasetForCurrentPoint() const override { return &m_data; }
  const ValueBase* GetYExpression() const override { return m_y; }
  ParameterType GetParameterType() const override { return kDoubleDatasetParam; }

private:
  ValueBase* m_y;  // held through the anonymous receiver
  ValueBase* m_x;
  Dataset<double, double> m_data;
};

// Every name is a quantity: double, or complex when it starts with a capital letter.
class AnyNameParser : public IValueParser {
public:
  using IValueParser::GetValueForName;
  // A dataset's y may call an earlier dataset: the later ones go first.
  virtual ~AnyNameParser() {
    while (!m_datasets.empty()) m_datasets.pop_back();
  }

  ValueBase* GetValueForName(const AString& name) override {
    ParameterType t = !name.empty() && name[0] >= L'A' && name[0] <= L'Z' ? kComplexParam : kDoubleParam;
    m_leaves.emplace_back(new AnyLeaf(name, t));
    return m_leaves.back().get();
  }
  ValueState GetValueState(const AString& name) override {
    ValueBase* vb = GetValueForName(name);
    return vb->GetValueState();
  }
  ValueBase* GetDatasetValue(ValueBase* y, ValueBase* x) override {
    m_datasets.emplace_back(new AnyDataset(y, x));
    return m_datasets.back().get();
  }
  ValueBase* GetDummyDatasetForValidation(const ValueState& y, const ValueState&) override {
    return y.GetParameterType() == kDoubleParam ? &m_dummy : nullptr;
  }

private:
  std::vector<std::unique_ptr<AnyLeaf>> m_leaves;
  std::vector<std::unique_ptr<AnyDataset>> m_datasets;  // destroyed before the leaves they hold
  AnyLeaf m_dummyY{L"y", kDoubleParam};
  AnyDataset m_dummy{&m_dummyY, nullptr};
};

// Bit for bit, with every NaN equal to every other.
bool SameBits(double a, double b) {
  if (std::isnan(a) && std::isnan(b)) return true;
  return std::memcmp(&a, &b, sizeof a) == 0;
}

bool SameValue(const Value& a, const Value& b) {
  const AComplex<double> ca = a.GetComplexValue();
  const AComplex<double> cb = b.GetComplexValue();
  return SameBits(ca.real(), cb.real()) && SameBits(ca.imag(), cb.imag());
}

// Where the variable's values meet the edges of the functions: zero, a negative, a huge value.
const double kValuesOfX[] = {2.0, 0.0, -1.5, 1e300};

int ParseAll(const AString& text, AnyNameParser& parser, const Variable& x) {
  InstalledParserScope installed(&parser);
  Value v(text, Units::kNoUnit);
  std::vector<AString> labels;
  ExpressionParser::GetAlienLabels(text, {}, labels);
  VariableValues key;
  VariableValues::ResolveVariationKey(key, text, VariableNameSpace::GetCurrent(), false);
  key.GetVariationKey(true);
  Value validated(Units::kGHz);
  ExpressionParser::ValidateExpression(validated, text, {&parser});
  if (!v.IsValidText()) return 0;
  v.GetComplexValue();
  v.GetValueState();
  DefaultValueTextGeneratorStrategy strategy;
  AString again = ValueTextGenerator(v, strategy).GetNewValueText();
  Value reparsed(again, Units::kNoUnit);
  // The canonical text of a valid expression always reads back, as the same expression.
  ORVEX_ASSERT(reparsed.IsValidText());
  if (!reparsed.IsValidText()) return 1;
  ORVEX_ASSERT(reparsed.GetParameterType()==v.GetParameterType());
  for (double at : kValuesOfX) {
    VariableValueContext scope(&x, Value(at, Units::kGHz));
    const bool same = SameValue(v, reparsed);
    ORVEX_ASSERT(same);
    if (!same) {
      std::fprintf(stderr, "x = %.17g: '%s' and its canonical text '%s' differ\n", at, text.ToUtf8().c_str(),
                   again.ToUtf8().c_str());
      break;
    }
  }
  return 1;
}

}  // namespace

int FuzzExpression(const uint8_t* data, size_t size) {
  const AString text = AString::FromUtf8(std::string(reinterpret_cast<const char*>(data), size));
  Variable x(L"x", Units::kGHz);
  VariableNameSpace ns(1, 1, 0);
  ns.AddVariable(&x);
  VariableValueContext at(&x, Value(2.0, Units::kGHz));
  AnyNameParser parser;
  return ParseAll(text, parser, x);
}

}  // namespace val
