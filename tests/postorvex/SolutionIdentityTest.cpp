#include <cmath>
#include <limits>
#include <map>

#include "RepTest.h"
#include "orvex/io/Block.h"
#include "orvex/io/BlockFile.h"
#include "orvex/io/LongFileName.h"
#include "postorvex/solution/DesignSolutionDefinition.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

TEST(SimValueContext, DefaultIsTheStartingContext) {
  SimValueContext c;
  EXPECT_EQ(c, SimValueContext(3, 0, 2, 0, 1.0, 1.0, 0.0, 0.0));
  EXPECT_EQ(3, c.GetInt(0));
  EXPECT_EQ(2, c.GetInt(2));
  EXPECT_EQ(1.0, c.GetDouble(1));
  EXPECT_EQ(0.0, c.GetDouble(3));
}

TEST(SimValueContext, IndexOutOfRangeAssertsAndAnswersZero) {
  SimValueContext c(7, 7, 7, 7, 9.0, 9.0, 9.0, 9.0);
  EXPECT_EQ(0, c.GetInt(4));
  EXPECT_SOFT_ASSERT("!\"SimValueContext int index out of range\"");
  EXPECT_EQ(0, c.GetInt(-1));
  EXPECT_SOFT_ASSERT("!\"SimValueContext int index out of range\"");
  EXPECT_EQ(0.0, c.GetDouble(4));
  EXPECT_SOFT_ASSERT("!\"SimValueContext double index out of range\"");
}

// Contexts key maps: the order must be strict and weak, and agree with ==, even with NaN.
TEST(SimValueContext, OrderIsLexicographicAndTotal) {
  const SimValueContext ordered[] = {
      SimValueContext(0, 9, 9, 9, 9, 9, 9, 9),
      SimValueContext(1, 0, 0, 0, kNaN, 0, 0, 0),
      SimValueContext(1, 0, 0, 0, -1e300, 0, 0, 0),
      SimValueContext(1, 0, 0, 0, 0.0, 0, 0, 0),
      SimValueContext(1, 0, 0, 0, 0.0, 0, 0, 1e-300),
      SimValueContext(1, 0, 0, 0, 0.0, 0, 0, std::nextafter(1e-300, 1.0)),
      SimValueContext(1, 0, 0, 1, -5, 0, 0, 0),
  };
  const size_t n = sizeof(ordered) / sizeof(ordered[0]);
  for (size_t i = 0; i < n; ++i) {
    for (size_t j = 0; j < n; ++j) {
      SCOPED_TRACE(testing::Message() << i << " vs " << j);
      EXPECT_EQ(i < j, ordered[i] < ordered[j]);
      EXPECT_EQ(i == j, ordered[i] == ordered[j]);
    }
  }
  EXPECT_EQ(SimValueContext(1, 0, 0, 0, kNaN, 0, 0, 0), SimValueContext(1, 0, 0, 0, -kNaN, 0, 0, 0));
}

TEST(ReportTypeSolutionDefinition, OrdersByReportTypeThenContext) {
  ReportTypeSolutionDefinition a(1, SimValueContext(9, 0, 0, 0, 0, 0, 0, 0));
  ReportTypeSolutionDefinition b(2, SimValueContext(0, 0, 0, 0, 0, 0, 0, 0));
  ReportTypeSolutionDefinition c(2, SimValueContext(1, 0, 0, 0, 0, 0, 0, 0));
  EXPECT_TRUE(a < b);
  EXPECT_TRUE(b < c);
  EXPECT_FALSE(c < b);
  EXPECT_TRUE(b.Matches(ReportTypeSolutionDefinition(2, SimValueContext(0, 0, 0, 0, 0, 0, 0, 0))));
  EXPECT_FALSE(b.Matches(c));

  std::map<ReportTypeSolutionDefinition, int> m{{a, 1}, {b, 2}, {c, 3}};
  EXPECT_EQ(3u, m.size());
  EXPECT_EQ(2, m[ReportTypeSolutionDefinition(2, SimValueContext(0, 0, 0, 0, 0, 0, 0, 0))]);

  ReportTypeSolutionDefinition d;
  EXPECT_EQ(0u, d.GetReportType());
  EXPECT_EQ(SimValueContext(), d.GetSimValueContextRef());
  d.SetSimValueContext(c.GetSimValueContext());
  EXPECT_EQ(c.GetSimValueContextRef(), d.GetSimValueContextRef());
}

TEST(DesignSolutionDefinition, DefaultAndOrder) {
  DesignSolutionDefinition d;
  EXPECT_EQ(-1, d.GetDesignID());
  EXPECT_EQ(-1, d.GetSolutionID());
  EXPECT_EQ(ReportTypeSolutionDefinition(), d.GetReportTypeSolutionDefinitionRef());

  const DesignSolutionDefinition ordered[] = {
      DesignSolutionDefinition(1, 9, ReportTypeSolutionDefinition(9)),
      DesignSolutionDefinition(2, 1, ReportTypeSolutionDefinition(9)),
      DesignSolutionDefinition(2, 2, ReportTypeSolutionDefinition(0)),
      DesignSolutionDefinition(2, 2, ReportTypeSolutionDefinition(1)),
  };
  for (size_t i = 0; i < 4; ++i)
    for (size_t j = 0; j < 4; ++j) {
      EXPECT_EQ(i < j, ordered[i] < ordered[j]) << i << " vs " << j;
      EXPECT_EQ(i == j, ordered[i] == ordered[j]) << i << " vs " << j;
    }
}

namespace {

DesignSolutionDefinition SampleDefinition() {
  const double awkward = std::nextafter(0.1, 1.0);
  return DesignSolutionDefinition(
      12, 34, ReportTypeSolutionDefinition(0x70000002u, SimValueContext(-3, 0, 7, 2147483647, awkward, -0.0, 1e-308, kNaN)));
}

}  // namespace

TEST(DesignSolutionDefinition, RoundTripThroughABlockAndAFile) {
  DesignSolutionDefinition written = SampleDefinition();
  io::CBlock block(ACHAR("DesignSolnDefn"));
  ASSERT_EQ(io::kNoError, written.DoDataExchange(block, false));

  // The context is a function item of its own, beside the three named values.
  const io::CBlock_func* f = block.FindFunc(ACHAR("SimValueContext"));
  ASSERT_NE(nullptr, f);
  EXPECT_EQ(8u, f->GetNumArgs());
  EXPECT_EQ(nullptr, block.FindNamedValue(ACHAR("SimValueContext")));
  EXPECT_NE(nullptr, block.FindNamedValue(ACHAR("ReportType")));

  reptest::TempDir dir;
  LongFileName file(AString::FromUtf8(dir.File("dsd.txt")));
  ASSERT_EQ(io::kNoError, io::WriteBlockFile(file, block));
  io::CBlock fromFile;
  ASSERT_EQ(io::kNoError, io::ReadBlockFile(file, fromFile));

  DesignSolutionDefinition read;
  EXPECT_EQ(io::kNoError, read.DoDataExchange(fromFile, true));
  EXPECT_EQ(written, read);
  EXPECT_EQ(0x70000002u, read.GetReportTypeSolutionDefinitionRef().GetReportType());
  // The context's doubles come back bit for bit, the sign of zero included.
  const SimValueContext& c = read.GetReportTypeSolutionDefinitionRef().GetSimValueContextRef();
  EXPECT_EQ(std::nextafter(0.1, 1.0), c.GetDouble(0));
  EXPECT_TRUE(std::signbit(c.GetDouble(1)));
  EXPECT_TRUE(std::isnan(c.GetDouble(3)));
  EXPECT_EQ(2147483647, c.GetInt(3));
}

// A damaged or partial block is input, not a programmer error: a read error, and every member
// whose item is missing or damaged keeps what it held.
TEST(DesignSolutionDefinition, ReadingKeepsWhatIsMissingOrDamaged) {
  const DesignSolutionDefinition held(5, 6, ReportTypeSolutionDefinition(7, SimValueContext(1, 1, 1, 1, 1, 1, 1, 1)));
  const DesignSolutionDefinition sample = SampleDefinition();
  auto without = [&](const wchar_t* key) {
    io::CBlock full(ACHAR("DesignSolnDefn"));
    DesignSolutionDefinition(sample).DoDataExchange(full, false);
    io::CBlock b(full.GetName());
    for (size_t i = 0; i < full.GetNumItems(); ++i) {
      if (full.GetItemName(i) == key) continue;
      if (const io::CBlock_named_value* nv = full.GetNamedValue(i)) b << *nv;
      if (const io::CBlock_func* fn = full.GetFunc(i)) b << *fn;
    }
    return b;
  };
  auto withItem = [&](const io::CBlock_named_value* nv, const io::CBlock_func* fn, const wchar_t* replaced) {
    io::CBlock b = without(replaced);
    if (nv) b << *nv;
    if (fn) b << *fn;
    return b;
  };
  io::CBlock_func shortContext(ACHAR("SimValueContext"));
  shortContext << 1 << 2 << 3;
  io::CBlock_func textInContext(ACHAR("SimValueContext"));
  textInContext << 1 << 2 << 3 << AString(L"4") << 1.0 << 1.0 << 1.0 << 1.0;
  io::CBlock_named_value textID(ACHAR("DesignID"), io::CBlock_value(AString(L"12")));
  io::CBlock_named_value negativeType(ACHAR("ReportType"), io::CBlock_value(-1));

  struct Case {
    const char* why;
    io::CBlock block;
    io::ReadError expected;
    bool designKept, solutionKept, reportTypeKept, contextKept;
  };
  const Case cases[] = {
      {"no DesignID", without(L"DesignID"), 2, true, false, false, false},
      {"no SolutionID", without(L"SolutionID"), 2, false, true, false, false},
      {"no ReportType", without(L"ReportType"), 2, false, false, true, false},
      {"no context", without(L"SimValueContext"), 2, false, false, false, true},
      {"context too short", withItem(nullptr, &shortContext, L"SimValueContext"), 1, false, false, false, true},
      {"text in the context", withItem(nullptr, &textInContext, L"SimValueContext"), 1, false, false, false, true},
      {"ID as text", withItem(&textID, nullptr, L"DesignID"), 1, true, false, false, false},
      {"negative report type", withItem(&negativeType, nullptr, L"ReportType"), 1, false, false, true, false},
      {"empty block", io::CBlock(ACHAR("DesignSolnDefn")), 2, true, true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    DesignSolutionDefinition d = held;
    io::CBlock b = c.block;
    EXPECT_EQ(c.expected, d.DoDataExchange(b, true));
    EXPECT_EQ(c.designKept ? held.GetDesignID() : sample.GetDesignID(), d.GetDesignID());
    EXPECT_EQ(c.solutionKept ? held.GetSolutionID() : sample.GetSolutionID(), d.GetSolutionID());
    const ReportTypeSolutionDefinition& r = d.GetReportTypeSolutionDefinitionRef();
    EXPECT_EQ(c.reportTypeKept ? 7u : 0x70000002u, r.GetReportType());
    EXPECT_EQ((c.contextKept ? held : sample).GetReportTypeSolutionDefinitionRef().GetSimValueContextRef(),
              r.GetSimValueContextRef());
  }
}

TEST(SimValueContext, FunctionItemRoundTripAndMissingItem) {
  SimValueContext c(9, 8, 7, 6, 0.5, -2.25, 1e300, -1e-300);
  io::CBlock parent(ACHAR("ReportTypeSolnDef"));
  c.WriteFuncToParentBlock(parent);
  ASSERT_EQ(1u, parent.GetNumItems());
  EXPECT_EQ(io::CBlock::kFunc, parent.GetItemKind(0));

  SimValueContext read;
  EXPECT_TRUE(read.ReadFuncFromParentBlock(parent));
  EXPECT_EQ(c, read);

  SimValueContext untouched(1, 2, 3, 4, 5, 6, 7, 8);
  EXPECT_FALSE(untouched.ReadFuncFromParentBlock(io::CBlock(ACHAR("Other"))));
  EXPECT_EQ(SimValueContext(1, 2, 3, 4, 5, 6, 7, 8), untouched);

  // Ints written where doubles go still read: the table converts ints to double.
  io::CBlock ints;
  io::CBlock_func f(ACHAR("SimValueContext"));
  f << 1 << 2 << 3 << 4 << 5 << 6 << 7 << 8;
  ints << f;
  EXPECT_TRUE(read.ReadFuncFromParentBlock(ints));
  EXPECT_EQ(SimValueContext(1, 2, 3, 4, 5.0, 6.0, 7.0, 8.0), read);
  // A double where an int goes does not.
  io::CBlock reals;
  io::CBlock_func g(ACHAR("SimValueContext"));
  g << 1.0 << 2 << 3 << 4 << 5 << 6 << 7 << 8;
  reals << g;
  EXPECT_FALSE(read.ReadFuncFromParentBlock(reals));
  EXPECT_EQ(SimValueContext(1, 2, 3, 4, 5.0, 6.0, 7.0, 8.0), read);
}
