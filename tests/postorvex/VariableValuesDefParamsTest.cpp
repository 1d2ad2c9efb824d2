#include <vector>

#include "RepTest.h"
#include "orvex/values/IVariableNameSpaceSetupper.h"
#include "orvex/values/Units.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableNameSpace.h"
#include "orvex/values/VariableValues.h"
#include "postorvex/variation/VariableValuesDefParams.h"

namespace {

VariableValuesDefParams Family(std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> pairs) {
  VariableValuesDefParams f;
  for (const auto& p : pairs) f.AddVariableValue(AString(p.first), Value(AString(p.second), Units::kNoUnit));
  return f;
}

}  // namespace

// The key is how a point set keeps its families in a block: whatever the texts hold, the key
// must read back to the same names and texts.
TEST(VariableValuesDefParams, VariationKeyRoundTrips) {
  const VariableValuesDefParams cases[] = {
      Family({{L"Freq", L"1GHz"}}),
      Family({{L"a", L"1.5"}, {L"B", L"-2e-3"}, {L"len", L"3mm"}}),
      Family({{L"x", L"max(1, 2)"}}),                       // comma
      Family({{L"x", L"a=b"}}),                             // equals sign
      Family({{L"x", L"say \"hi\" \\ there"}}),             // quotes and a backslash
      Family({{L"x", L"  padded  "}, {L"y", L"\tTab"}}),    // blanks at either end
      Family({{L"Länge", L"µ"}}),                           // not ASCII
      Family({{L"x", L"no such name"}, {L"y", L"2*y"}}),    // texts that name nothing here
  };
  for (const VariableValuesDefParams& f : cases) {
    AString key = f.GetVariationKey();
    SCOPED_TRACE(key.ToUtf8());
    VariableValuesDefParams read;
    EXPECT_EQ(f.size(), read.AssignVariationKey(key));
    EXPECT_EQ(f, read);
    EXPECT_EQ(key, read.GetVariationKey());
  }
  EXPECT_EQ(AString(L"a=1.5, B=-2e-3, len=3mm"), cases[1].GetVariationKey());
  EXPECT_EQ(AString(L"x=\"max(1, 2)\""), cases[2].GetVariationKey());
  EXPECT_EQ(AString(), VariableValuesDefParams().GetVariationKey());
}

TEST(VariableValuesDefParams, AssignedValuesAreParsedInUnit90) {
  VariableValuesDefParams f;
  ASSERT_EQ(2u, f.AssignVariationKey(AString(L" Freq = 2.5GHz ,n=3")));
  const Value* freq = f.GetVariableValue(AString(L"freq"));
  ASSERT_NE(nullptr, freq);
  EXPECT_EQ(Units::kGHz, freq->GetUnits());
  EXPECT_DOUBLE_EQ(2.5, freq->GetValue());
  const Value* n = f.GetVariableValue(AString(L"N"));
  ASSERT_NE(nullptr, n);
  EXPECT_EQ(Units::kNoUnit, n->GetUnits());
  EXPECT_DOUBLE_EQ(3.0, n->GetValue());
}

TEST(VariableValuesDefParams, MalformedKeysChangeNothing) {
  const char* keys[] = {
      "", "   ", "a", "=1", "a=", "a=1,", ",a=1", "a=1 b=2", "a=1,,b=2", "a=\"unterminated",
      "a=\"x\"y", "a=1=2", "a\"b=1", "a=x\"y", "a=\"x\\",
  };
  for (const char* key : keys) {
    SCOPED_TRACE(key);
    VariableValuesDefParams f = Family({{L"kept", L"7"}});
    EXPECT_EQ(0u, f.AssignVariationKey(AString::FromUtf8(key)));
    EXPECT_EQ(Family({{L"kept", L"7"}}), f);
  }
}

TEST(VariableValuesDefParams, NamesAreUniqueWithoutCase) {
  VariableValuesDefParams f = Family({{L"Freq", L"1"}, {L"len", L"2"}});
  f.AddVariableValue(AString(L"FREQ"), Value(5.0, Units::kGHz));  // replaces in place, keeps the name
  std::vector<AString> names{AString(L"first")};
  f.GetVariableNames(names);
  EXPECT_EQ((std::vector<AString>{AString(L"first"), AString(L"Freq"), AString(L"len")}), names);
  EXPECT_EQ(AString(L"Freq=5GHz, len=2"), f.GetVariationKey());

  EXPECT_TRUE(f.DoesVariableExist(AString(L"LEN")));
  EXPECT_FALSE(f.DoesVariableExist(AString(L"le")));
  EXPECT_TRUE(f.RemoveVariableValue(AString(L"fReQ")));
  EXPECT_FALSE(f.RemoveVariableValue(AString(L"Freq")));
  EXPECT_EQ(1u, f.size());

  // A key that names one variable twice keeps the last value.
  EXPECT_EQ(1u, f.AssignVariationKey(AString(L"a=1, A=2")));
  EXPECT_EQ(AString(L"a=2"), f.GetVariationKey());
}

TEST(VariableValuesDefParams, ConvertsVariationsInTheirOwnOrder) {
  Variable b(AString(L"b"), Units::kMm), a(AString(L"A"), Units::kGHz);
  VariableValues first;
  first.SetVariableValue(&b, Value(2.0, Units::kMm));
  first.SetVariableValue(&a, Value(1.0, Units::kGHz));
  VariableValues second;

  std::vector<VariableValuesDefParams> out(1);
  VariableValuesDefParams::ConvertToVariableValuesDefParams({first, second}, out);
  ASSERT_EQ(3u, out.size());
  EXPECT_TRUE(out[0].empty());
  EXPECT_EQ(AString(L"A=1GHz, b=2mm"), out[1].GetVariationKey());
  EXPECT_TRUE(out[2].empty());

  VariableValuesDefParams byVariable;
  byVariable.AddVariableValue(&a, Value(3.0, Units::kGHz));
  EXPECT_EQ(AString(L"A=3GHz"), byVariable.GetVariationKey());
  byVariable.AddVariableValue(static_cast<const Variable*>(nullptr), Value(1.0, Units::kGHz));
  EXPECT_SOFT_ASSERT("variable");
  EXPECT_EQ(1u, byVariable.size());
}

namespace {

class ListSetupper : public IVariableNameSpaceSetupper {
public:
  std::vector<Variable*> variables;
  int calls = 0;
  void SetupForTextRegeneration(VariableNameSpace&) override { ADD_FAILURE() << "not for conversion"; }
  void Setup(VariableNameSpace& space) override {
    ++calls;
    for (Variable* v : variables) space.AddVariable(v);
  }
};

}  // namespace

TEST(VariableValuesDefParams, ConvertsToTheSolutionsVariables) {
  Variable len(AString(L"Len"), Units::kMm), width(AString(L"w"), Units::kMm);
  ListSetupper setupper;
  setupper.variables = {&len, &width};

  VariableValuesDefParams f;
  ASSERT_EQ(3u, f.AssignVariationKey(AString(L"len=2, W=3um, freq=1.5")));
  VariableValues out;
  EXPECT_TRUE(f.ConvertToVariableValues(out, &setupper));
  EXPECT_EQ(1, setupper.calls);
  ASSERT_EQ(3u, out.size());
  // A bare number is in the variable's units; a suffix wins.
  ASSERT_NE(nullptr, out.GetVariableValue(&len));
  EXPECT_EQ(Units::kMm, out.GetVariableValue(&len)->GetUnits());
  EXPECT_DOUBLE_EQ(2.0, out.GetVariableValue(&len)->GetValue());
  EXPECT_DOUBLE_EQ(0.003, out.GetVariableValue(&width)->GetValue());
  Variable* freq = Variable::FindIntrinsic(AString(L"Freq"));
  ASSERT_NE(nullptr, freq);
  ASSERT_NE(nullptr, out.GetVariableValue(freq));
  EXPECT_DOUBLE_EQ(1.5, out.GetVariableValue(freq)->GetValue());

  // Without a setupper only intrinsic names resolve; the rest is left out.
  VariableValues partial;
  EXPECT_FALSE(f.ConvertToVariableValues(partial, nullptr));
  EXPECT_EQ(1u, partial.size());
  EXPECT_TRUE(partial.HasVariable(freq));

  VariableValuesDefParams badText;
  badText.AddVariableValue(AString(L"len"), Value(AString(L"2 apples"), Units::kNoUnit));
  VariableValues none;
  EXPECT_FALSE(badText.ConvertToVariableValues(none, &setupper));
  EXPECT_TRUE(none.empty());
}
