#include <map>

#include "RepTest.h"
#include "orvex/io/Block.h"
#include "orvex/io/BlockFile.h"
#include "orvex/io/BlockFunc.h"
#include "postorvex/quantities/PostpQuantityUtils.h"
#include "postorvex/quantities/SimValueParams.h"

namespace {

const ValueState kDouble(1, 15, 1);
const ValueState kComplex(2, 15, 1);
const ValueState kEnum(15, 15, 1);

SimValueParams Enum(const wchar_t* text, const wchar_t* typeName) {
  SimValueParams p(kEnum, text);
  EXPECT_TRUE(p.SetEnumTypeName(typeName));
  return p;
}

bool Equivalent(const SimValueParams& a, const SimValueParams& b) { return !(a < b) && !(b < a); }

}  // namespace

TEST(ValueStateBlock, RoundTripsAndAcceptsThreeArguments) {
  const ValueState states[] = {ValueState(), ValueState(1, 1, 1, Units::kGHz), ValueState(2, 6, 3, Units::kNs),
                               ValueState(15, 15, 1)};
  for (const ValueState& s : states) {
    io::CBlock_func f(L"ValueState");
    postp::WriteValueState(f, s);
    EXPECT_EQ(4u, f.GetNumArgs());
    ValueState back(9, 9, 9, Units::kMm);
    EXPECT_TRUE(postp::ReadValueState(f, back));
    EXPECT_EQ(s, back);
  }
  io::CBlock_func three(L"ValueState");
  three << 1 << 1 << 1;
  ValueState s;
  EXPECT_TRUE(postp::ReadValueState(three, s));
  EXPECT_EQ(ValueState(1, 1, 1, Units::kHz), s) << "the unit is the category's default";
}

TEST(ValueStateBlock, RefusesDamagedItemsAndKeepsTheState) {
  struct Case {
    io::CBlock_func func;
    const char* why;
  };
  auto make = [](auto... args) {
    io::CBlock_func f(L"ValueState");
    (f << ... << args);
    return f;
  };
  Case cases[] = {
      {io::CBlock_func(L"ValueState"), "no arguments"},
      {make(1, 15), "two ints"},
      {make(1, 15, 1.5), "a real where an int stands"},
      {make(1, AString(L"15"), 1), "a text where an int stands"},
      {make(1, 15, 1, AString(L"GHz")), "a fourth argument that is not a unit number"},
      {make(1, 1, 1, 99999), "an unknown unit"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    ValueState s(2, 6, 1, Units::kNs);
    EXPECT_FALSE(postp::ReadValueState(c.func, s));
    EXPECT_EQ(ValueState(2, 6, 1, Units::kNs), s);
  }
}

TEST(SimValueParams, OrderIgnoresCaseOfTextAndEnumName) {
  // Ascending; neighbours differ in exactly one part.
  const SimValueParams ordered[] = {
      SimValueParams(kDouble, L"Mag"),  SimValueParams(kComplex, L"mag"), Enum(L"MAG", L"alpha"),
      Enum(L"mag", L"Beta"),            SimValueParams(kDouble, L"S11"),
  };
  const size_t n = sizeof(ordered) / sizeof(ordered[0]);
  for (size_t i = 0; i < n; ++i)
    for (size_t j = 0; j < n; ++j) {
      SCOPED_TRACE(testing::Message() << i << " vs " << j);
      EXPECT_EQ(i < j, ordered[i] < ordered[j]);
    }
  EXPECT_TRUE(Equivalent(SimValueParams(kDouble, L"Mag"), SimValueParams(kDouble, L"mAG")));
  EXPECT_TRUE(Equivalent(Enum(L"E", L"Colors"), Enum(L"e", L"COLORS")));

  // So one sim-value ID serves both spellings.
  std::map<SimValueParams, long> ids;
  ids[SimValueParams(kDouble, L"Mag")] = 7;
  EXPECT_EQ(1u, ids.count(SimValueParams(kDouble, L"mag")));
}

TEST(SimValueParams, EnumerationNameOnlyForEnumerations) {
  SimValueParams plain(kDouble, L"S11");
  EXPECT_FALSE(plain.SetEnumTypeName(L"Colors"));
  EXPECT_EQ(AString(), plain.GetEnumTypeName());
  SimValueParams enumeration(kEnum, L"Mode");
  EXPECT_TRUE(enumeration.SetEnumTypeName(L""));  // an empty name is stored like any other
  EXPECT_TRUE(enumeration.SetEnumTypeName(L"Modes"));
  EXPECT_EQ(AString(L"Modes"), enumeration.GetEnumTypeName());
}

TEST(SimValueParams, BlockRoundTripThroughAFileText) {
  const SimValueParams cases[] = {SimValueParams(ValueState(1, 1, 1, Units::kGHz), L"Freq \"peak\", 1"),
                                  Enum(L"Mode", L"Modes"), Enum(L"Mode", L""), SimValueParams()};
  for (const SimValueParams& p : cases) {
    io::CBlock written(L"SimValueParams");
    EXPECT_EQ(io::kNoError, SimValueParams(p).DoDataExchange(written, false));
    io::CBlock block;
    ASSERT_TRUE(io::BlockFromText(io::BlockToText(written), block));
    SimValueParams back(kComplex, L"other");
    EXPECT_EQ(io::kNoError, back.DoDataExchange(block, true));
    EXPECT_EQ(p.GetQuantityText(), back.GetQuantityText());
    EXPECT_EQ(p.GetValueStateRef(), back.GetValueStateRef());
    EXPECT_EQ(p.GetEnumTypeName(), back.GetEnumTypeName());
    EXPECT_EQ(p.GetEnumTypeName().empty(), written.FindNamedValue(L"EnumTypeName") == nullptr);
  }
}

TEST(SimValueParams, DamagedBlocksAnswerAnErrorAndChangeNothing) {
  auto state = [](auto... args) {
    io::CBlock_func f(L"ValueState");
    (f << ... << args);
    return f;
  };
  struct Case {
    io::CBlock block;
    io::ReadError expected;
    const char* why;
  };
  Case cases[3 + 2];
  cases[0] = {io::CBlock(L"P"), io::kKeyMissing, "empty block"};
  cases[1].block << io::CBlock_named_value(L"QuantityText", io::CBlock_value(AString(L"S11")));
  cases[1].expected = io::kKeyMissing;
  cases[1].why = "no state";
  cases[2].block << state(1, 15, 1);
  cases[2].expected = io::kKeyMissing;
  cases[2].why = "no text";
  cases[3].block << io::CBlock_named_value(L"QuantityText", io::CBlock_value(5)) << state(1, 15, 1);
  cases[3].expected = io::kConversionFailed;
  cases[3].why = "text is a number";
  cases[4].block << io::CBlock_named_value(L"QuantityText", io::CBlock_value(AString(L"S11"))) << state(1);
  cases[4].expected = io::kConversionFailed;
  cases[4].why = "state too short";
  for (Case& c : cases) {
    SCOPED_TRACE(c.why);
    SimValueParams p = Enum(L"Mode", L"Modes");
    EXPECT_EQ(c.expected, p.DoDataExchange(c.block, true));
    EXPECT_EQ(AString(L"Mode"), p.GetQuantityText());
    EXPECT_EQ(kEnum, p.GetValueStateRef());
    EXPECT_EQ(AString(L"Modes"), p.GetEnumTypeName());
  }
}
