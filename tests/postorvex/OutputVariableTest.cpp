#include <memory>

#include "RepTest.h"
#include "orvex/io/BlockFile.h"
#include "orvex/io/BlockFunc.h"
#include "orvex/values/IVariableNameSpaceSetupper.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableNameSpace.h"
#include "orvex/values/VariableValuesContext.h"
#include "postorvex/outputvars/OutputVariable.h"
#include "postorvex/quantities/PostpQuantityUtils.h"

namespace {

class OneVariableSetupper : public IVariableNameSpaceSetupper {
public:
  explicit OneVariableSetupper(Variable* v) : m_v(v) {}
  void SetupForTextRegeneration(VariableNameSpace& ns) override { ns.AddVariable(m_v); }
  void Setup(VariableNameSpace& ns) override { ns.AddVariable(m_v); }

private:
  Variable* m_v;
};

OutputVariable Made(long id, const wchar_t* name, const wchar_t* text, const ValueState& state) {
  OutputVariable ov(name);
  ov.SetID(id);
  ov.SetValueBaseText(text, state);
  return ov;
}

}  // namespace

TEST(OutputVariable, CopiesAndSnapshotsCarryNameTextStateAndID) {
  OutputVariable fresh(L"OV");
  EXPECT_EQ(id::invalidID, fresh.GetID());
  const OutputVariable ov = Made(12, L"Gain", L"2*L", ValueState(1, 4, 1, Units::kMm));

  OutputVariable copy(ov);
  EXPECT_EQ(12, copy.GetID());
  EXPECT_EQ(AString(L"Gain"), copy.GetName());
  EXPECT_EQ(AString(L"2*L"), copy.GetValueBaseText());
  EXPECT_EQ(ValueState(1, 4, 1, Units::kMm), copy.GetValueState());

  std::unique_ptr<MUndoableObject> snapshot(ov.Clone());
  OutputVariable edited = Made(12, L"Gain", L"3*L", ValueState());
  edited.Assign(*snapshot);  // undo of an edit
  EXPECT_EQ(AString(L"2*L"), edited.GetValueBaseText());
  EXPECT_EQ(12, edited.GetID());
}

TEST(OutputVariable, FunctionFormRoundTripsAtAnyArgumentPosition) {
  const OutputVariable ov = Made(40, L"Loss", L"dB(S21) + \"text, \\ quoted\"", ValueState(1, 12, 1, Units::kDB));
  io::CBlock_func func(L"OutputVariable");
  func << AString(L"Loss");  // the caller's own first argument
  ASSERT_TRUE(ov.WriteToFunc(func));
  EXPECT_EQ(4u, func.GetNumArgs());

  io::CBlock block(L"B");
  block << func;
  io::CBlock read;
  ASSERT_TRUE(io::BlockFromText(io::BlockToText(block), read));
  const io::CBlock_func* back = read.FindFunc(L"OutputVariable");
  ASSERT_NE(nullptr, back);
  OutputVariable target(L"Loss");
  EXPECT_EQ(0, target.ReadFromFunc(*back, 1));
  EXPECT_EQ(40, target.GetID());
  EXPECT_EQ(ov.GetValueBaseText(), target.GetValueBaseText());
  EXPECT_EQ(ov.GetValueState(), target.GetValueState());

  OutputVariable noID(L"X");
  io::CBlock_func untouched(L"F");
  EXPECT_FALSE(noID.WriteToFunc(untouched));
  EXPECT_EQ(0u, untouched.GetNumArgs());
}

TEST(OutputVariable, DamagedFunctionsReadAsOneAndChangeNothing) {
  auto state = [] {
    io::CBlock_func s(L"ValueState");
    postp::WriteValueState(s, ValueState(1, 15, 1));
    return s;
  };
  struct Case {
    io::CBlock_func func;
    const char* why;
  };
  Case cases[5];
  cases[0].why = "no arguments";
  cases[1].func << 5L << AString(L"1+1");
  cases[1].why = "no state";
  cases[2].func << AString(L"5") << AString(L"1+1") << state();
  cases[2].why = "ID is text";
  cases[3].func << 5L << AString(L"1+1") << io::CBlock_func(L"Other");
  cases[3].why = "state item of another name";
  cases[4].func << -1L << AString(L"1+1") << state();
  cases[4].why = "invalid ID";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    OutputVariable ov = Made(3, L"OV", L"7", ValueState(2, 15, 1));
    EXPECT_EQ(1, ov.ReadFromFunc(c.func, 0));
    EXPECT_EQ(3, ov.GetID());
    EXPECT_EQ(AString(L"7"), ov.GetValueBaseText());
    EXPECT_EQ(ValueState(2, 15, 1), ov.GetValueState());
  }
}

TEST(OutputVariable, ActivationParsesInTheSetupperNameSpace) {
  Variable length(L"L", Units::kMm);
  OneVariableSetupper setupper(&length);
  OutputVariable ov = Made(1, L"Twice", L"2*L", ValueState(1, 4, 1, Units::kMm));
  ASSERT_TRUE(ov.ActivateWithValueParserAndVariableNameSpace(nullptr, &setupper));
  ASSERT_TRUE(ov.ActivateWithValueParserAndVariableNameSpace(nullptr, &setupper));
  EXPECT_EQ(2, ov.GetActivationCount());
  VariableValues at;
  at.SetVariableValue(&length, Value(3.0, Units::kMm));
  {
    VariableValuesContext current(at);
    EXPECT_DOUBLE_EQ(6.0, ov.GetValue());
  }
  ov.Deactivate();
  EXPECT_TRUE(ov.IsActive());
  ov.Deactivate();
  EXPECT_FALSE(ov.IsActive());

  OutputVariable broken = Made(2, L"Broken", L"2*(", ValueState());
  EXPECT_FALSE(broken.ActivateWithValueParserAndVariableNameSpace(nullptr, &setupper));
  EXPECT_FALSE(broken.IsActive());
}
