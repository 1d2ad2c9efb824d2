#include <climits>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "RepTest.h"
#include "orvex/io/Block.h"
#include "orvex/io/BlockFile.h"
#include "orvex/io/StreamioBlockObject.h"

using io::CBlock;
using io::CBlock_func;
using io::CBlock_named_value;
using io::CBlock_value;
using io::CBlock_vec;

namespace {

// Which targets a stored value converts to, and to what.
struct QueryResults {
  bool toLong, toInt, toUnsigned, toDouble, toBool, toString;
};

QueryResults QueryAll(const CBlock_value& v) {
  long l = 77;
  int i = 77;
  unsigned u = 77;
  double d = 77;
  bool b = false;
  AString s = L"untouched";
  QueryResults r{v.Query(l), v.Query(i), v.Query(u), v.Query(d), v.Query(b), v.Query(s)};
  // A failed query leaves its target alone.
  if (!r.toLong) {
    EXPECT_EQ(77, l);
  }
  if (!r.toInt) {
    EXPECT_EQ(77, i);
  }
  if (!r.toUnsigned) {
    EXPECT_EQ(77u, u);
  }
  if (!r.toDouble) {
    EXPECT_EQ(77.0, d);
  }
  if (!r.toBool) {
    EXPECT_FALSE(b);
  }
  if (!r.toString) {
    EXPECT_EQ(AString(L"untouched"), s);
  }
  return r;
}

}  // namespace

TEST(BlockValue, QueryFollowsTheConversionTable) {
  struct Case {
    const char* why;
    CBlock_value value;
    QueryResults expected;
  };
  const Case cases[] = {
      {"int 5", CBlock_value(5), {true, true, true, true, false, false}},
      {"int 0 is also a bool", CBlock_value(0), {true, true, true, true, true, false}},
      {"int 1 is also a bool", CBlock_value(1), {true, true, true, true, true, false}},
      {"negative int is no unsigned", CBlock_value(-3), {true, true, false, true, false, false}},
      {"beyond int", CBlock_value(long(INT_MAX) + 1), {true, false, true, true, false, false}},
      {"beyond unsigned", CBlock_value(long(UINT_MAX) + 1), {true, false, false, true, false, false}},
      {"below int", CBlock_value(long(INT_MIN) - 1), {true, false, false, true, false, false}},
      {"unsigned max", CBlock_value(UINT_MAX), {true, false, true, true, false, false}},
      {"real", CBlock_value(2.0), {false, false, false, true, false, false}},
      {"string", CBlock_value(L"abc"), {false, false, false, false, false, true}},
      {"digits as string stay text", CBlock_value(AString(L"12")), {false, false, false, false, false, true}},
      {"bool", CBlock_value(true), {false, false, false, false, true, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    const QueryResults r = QueryAll(c.value);
    EXPECT_EQ(c.expected.toLong, r.toLong);
    EXPECT_EQ(c.expected.toInt, r.toInt);
    EXPECT_EQ(c.expected.toUnsigned, r.toUnsigned);
    EXPECT_EQ(c.expected.toDouble, r.toDouble);
    EXPECT_EQ(c.expected.toBool, r.toBool);
    EXPECT_EQ(c.expected.toString, r.toString);
  }
  long l = 0;
  EXPECT_TRUE(CBlock_value(long(INT_MAX) + 1).Query(l));
  EXPECT_EQ(long(INT_MAX) + 1, l);
  bool b = false;
  EXPECT_TRUE(CBlock_value(1).Query(b));
  EXPECT_TRUE(b);
  AString s;
  EXPECT_TRUE(CBlock_value(L"abc").Query(s));
  EXPECT_EQ(AString(L"abc"), s);
}

TEST(BlockValue, EqualityNeedsSameKindAndValue) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(CBlock_value(nan), CBlock_value(nan));
  EXPECT_NE(CBlock_value(1), CBlock_value(1.0));
  EXPECT_NE(CBlock_value(1), CBlock_value(true));
  EXPECT_NE(CBlock_value(L"1"), CBlock_value(1));
  EXPECT_EQ(CBlock_value(3u), CBlock_value(3L));
  EXPECT_EQ(CBlock_value(L"x"), CBlock_value(AString(L"x")));

  CBlock_value a(L"text");
  CBlock_value b = a;
  a = CBlock_value(4.5);
  EXPECT_EQ(CBlock_value(L"text"), b);
  b = std::move(a);
  EXPECT_EQ(CBlock_value(4.5), b);
}

TEST(Block, FoundFlagFollowsTheLastLookup) {
  CBlock b(L"B");
  b << CBlock_named_value(L"Here", 1);
  CBlock_named_value missing(L"Missing");
  b >> missing;
  EXPECT_FALSE(b.Found());
  b.ResetFound(true);
  EXPECT_TRUE(b.Found());
  b >> missing;
  CBlock_named_value here(L"Here");
  b >> here;
  EXPECT_TRUE(b.Found()) << "a found key sets the flag, it is not and-ed with earlier misses";
  EXPECT_EQ(CBlock_value(1), here.GetValue());
  b.ResetFound(false);
  EXPECT_FALSE(b.Found());
  EXPECT_EQ(nullptr, b.FindFunc(L"Here"));
  EXPECT_FALSE(b.Found()) << "a named value is no function";
}

TEST(Block, LookupIsCaseSensitiveAndPerKind) {
  CBlock b(L"Top");
  b << CBlock_named_value(L"Item", 1);
  b << (CBlock(L"Item") << CBlock_named_value(L"Inner", 2));
  b << CBlock_named_value(L"Item", 3);
  b << CBlock_func(L"Item");
  b << CBlock(L"item");

  CBlock_named_value nv(L"Item");
  b >> nv;
  EXPECT_EQ(CBlock_value(1), nv.GetValue()) << "first named value of that name";
  ASSERT_NE(nullptr, b.FindBlock(L"Item"));
  EXPECT_NE(nullptr, b.FindBlock(L"Item")->FindNamedValue(L"Inner"));
  EXPECT_EQ(b.GetBlock(4), b.FindBlock(L"item"));
  EXPECT_EQ(nullptr, b.FindBlock(L"ITEM"));
  EXPECT_FALSE(b.Found());
  EXPECT_EQ(b.GetFunc(3), b.FindFunc(L"Item"));

  CBlock sub(L"Item");
  b >> sub;
  EXPECT_TRUE(b.Found());
  EXPECT_EQ(1u, sub.GetNumItems());
  CBlock none(L"None");
  none << CBlock_named_value(L"Kept", 1);
  b >> none;
  EXPECT_FALSE(b.Found());
  EXPECT_EQ(1u, none.GetNumItems()) << "a missing sub-block leaves the target as it was";

  CBlock* edit = b.FindBlockForEdit(L"item");
  ASSERT_NE(nullptr, edit);
  *edit << CBlock_named_value(L"Added", true);
  EXPECT_NE(nullptr, b.GetBlock(4)->FindNamedValue(L"Added"));
}

TEST(Block, IterationKeepsOrderAndRepeatedNames) {
  CBlock b(L"Traces");
  for (int i = 0; i < 3; ++i) b << (CBlock(L"TraceDef") << CBlock_named_value(L"ID", i));
  b << CBlock_named_value(L"Count", 3) << (CBlock_func(L"F") << 1) << (CBlock_vec(L"V") << 2u);
  ASSERT_EQ(6u, b.GetNumItems());
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(CBlock::kBlock, b.GetItemKind(i));
    EXPECT_EQ(AString(L"TraceDef"), b.GetItemName(i));
    long id = -1;
    EXPECT_TRUE(b.GetBlock(i)->FindNamedValue(L"ID")->GetValue().Query(id));
    EXPECT_EQ(long(i), id);
  }
  const CBlock::ItemKind kinds[] = {CBlock::kNamedValue, CBlock::kFunc, CBlock::kVec};
  const wchar_t* names[] = {L"Count", L"F", L"V"};
  for (size_t i = 3; i < 6; ++i) {
    EXPECT_EQ(kinds[i - 3], b.GetItemKind(i));
    EXPECT_EQ(AString(names[i - 3]), b.GetItemName(i));
    EXPECT_EQ(nullptr, b.GetBlock(i));
  }
  EXPECT_NE(nullptr, b.GetNamedValue(3));
  EXPECT_EQ(nullptr, b.GetNamedValue(4));
  EXPECT_NE(nullptr, b.GetFunc(4));
  EXPECT_NE(nullptr, b.GetVec(5));
  EXPECT_EQ(nullptr, b.GetVec(6));

  EXPECT_EQ(AString(), b.GetItemName(6));
  EXPECT_SOFT_ASSERT("i<GetNumItems()");
  b.Clear();
  EXPECT_EQ(0u, b.GetNumItems());
  EXPECT_EQ(AString(L"Traces"), b.GetName());
}

TEST(Block, AppendCopiesDeeplyAndMovesCheaply) {
  CBlock child(L"Child");
  child << (CBlock(L"Grandchild") << CBlock_named_value(L"V", 1));
  CBlock parent(L"Parent");
  parent << child;
  child.FindBlockForEdit(L"Grandchild")->Clear();
  child.SetName(L"Renamed");
  ASSERT_NE(nullptr, parent.FindBlock(L"Child"));
  EXPECT_EQ(1u, parent.FindBlock(L"Child")->FindBlock(L"Grandchild")->GetNumItems())
      << "the appended copy does not share the original's subtree";

  CBlock big(L"Big");
  big << CBlock(L"Inner");
  const CBlock* inner = big.GetBlock(0);
  parent << std::move(big);
  EXPECT_EQ(inner, parent.GetBlock(1)->GetBlock(0)) << "moving a block in keeps its items where they are";

  CBlock copy = parent;
  EXPECT_EQ(parent, copy);
  copy.FindBlockForEdit(L"Child")->SetName(L"Other");
  EXPECT_NE(parent, copy);
  CBlock assigned;
  assigned = parent;
  EXPECT_EQ(parent, assigned);
}

// A read tree holds each name and short text once; its copies share them until one is changed.
TEST(Block, CopiesOfAReadTreeChangeApart) {
  CBlock read;
  ASSERT_TRUE(io::BlockFromText(L"T { S { K = \"x\" F(\"x\", 1.5) L = [\"x\"] } S { K = \"x\" F(\"x\") } }", read));
  const CBlock original = read;
  CBlock copy = read;
  CBlock* sub = copy.GetBlockForEdit(0);
  sub->SetName(L"Renamed");
  CBlock_named_value changed = *sub->GetNamedValue(0);
  changed.SetKey(L"Key");
  changed.SetValue(CBlock_value(AString(L"y")));
  *sub << changed;
  EXPECT_EQ(read, original);
  EXPECT_EQ(L"S", read.GetBlock(0)->GetName());
  EXPECT_EQ(L"S", read.GetBlock(1)->GetName());
  EXPECT_EQ(L"x", read.GetBlock(1)->FindNamedValue(L"K")->GetValue().GetString());
  EXPECT_EQ(L"Key", sub->GetNamedValue(3)->GetKey());
  EXPECT_EQ(L"K", sub->GetNamedValue(0)->GetKey());
  EXPECT_EQ(L"x", sub->GetNamedValue(0)->GetValue().GetString());
  read.Clear();
  EXPECT_EQ(L"x", sub->FindFunc(L"F")->GetUnnamedValue(0)->GetString()) << "a copy outlives the tree it came from";
  EXPECT_EQ(L"x", sub->FindVec(L"L")->GetItem(0).Text());
}

// A read tree's items sit in memory of the read: parts taken out of it, and the tree itself once
// it grows, live on without it; a block's own items may be appended to it or put in its place.
TEST(Block, PartsOfAReadTreeOutliveIt) {
  const wchar_t* const text = L"T { S { K = 1 F(2, \"x\") S2 { K = 3 } } N = 4 G(5) }";
  auto read = std::make_unique<CBlock>();
  ASSERT_TRUE(io::BlockFromText(text, *read));
  const CBlock original = *read;
  CBlock taken = std::move(*read->GetBlockForEdit(0));
  CBlock kept;
  kept << std::move(*read);
  read.reset();
  kept.Clear();
  long v = 0;
  EXPECT_TRUE(taken.FindFunc(L"F")->QueryArg(0, v));
  EXPECT_EQ(2, v);
  EXPECT_EQ(L"x", taken.FindFunc(L"F")->GetUnnamedValue(1)->GetString());
  EXPECT_EQ(3, taken.FindBlock(L"S2")->FindNamedValue(L"K")->GetValue().GetInt());

  CBlock grown;
  ASSERT_TRUE(io::BlockFromText(text, grown));
  for (int i = 0; i < 20; ++i) grown << *grown.GetBlock(0) << *grown.GetNamedValue(1);
  EXPECT_EQ(43u, grown.GetNumItems());
  EXPECT_EQ(*original.GetBlock(0), *grown.GetBlock(41)) << "a copy of its own first item, appended as it grew";

  CBlock replaced;
  ASSERT_TRUE(io::BlockFromText(text, replaced));
  replaced = std::move(*replaced.GetBlockForEdit(0));
  EXPECT_EQ(*original.GetBlock(0), replaced);
}

// A read hands out the references on the names it holds once in batches and gives back what it
// took beyond its items: a name of many items lives exactly as long as its last holder.
TEST(Block, NamesOfManyItemsLiveAsLongAsTheirHolders) {
  std::string text = "T {\n";
  for (int i = 0; i < 2500; ++i) text += "  Name = \"Text\"\n  F(\"Text\")\n";
  text += "}\n";
  auto read = std::make_unique<CBlock>();
  ASSERT_TRUE(io::BlockFromText(AString::FromUtf8(text), *read));
  ASSERT_EQ(5000u, read->GetNumItems());
  const CBlock_named_value kept = *read->GetNamedValue(2048);
  const CBlock_func func = *read->GetFunc(4999);
  read.reset();
  EXPECT_EQ(L"Name", kept.GetKey());
  EXPECT_EQ(L"Text", kept.GetValue().GetString());
  EXPECT_EQ(L"Text", func.GetUnnamedValue(0)->GetString());
}

// A tree written from objects takes its names from a few texts in the code: equal names share
// one text instead of each item holding its own. Names that the table let go of, or made on a
// thread that ended, live on with their holders.
TEST(Block, WrittenNamesShareTheirText) {
  const CBlock a(L"TraceDef"), b(L"TraceDef");
  EXPECT_EQ(&a.GetName(), &b.GetName());
  const CBlock_named_value k1(L"Expression", CBlock_value(1)), k2(L"Expression", CBlock_value(2));
  EXPECT_EQ(&k1.GetKey(), &k2.GetKey());
  const CBlock_func f1(L"Variation"), f2(L"Variation");
  EXPECT_EQ(&f1.GetName(), &f2.GetName());

  std::vector<CBlock> many;
  for (int i = 0; i < 5000; ++i) many.emplace_back(AString(L"Name") + std::to_wstring(i));
  for (int i = 0; i < 5000; ++i) ASSERT_EQ(AString(L"Name") + std::to_wstring(i), many[size_t(i)].GetName());

  CBlock fromThread;
  std::thread([&] { fromThread = CBlock(L"MadeOnAThread"); }).join();
  EXPECT_EQ(L"MadeOnAThread", fromThread.GetName());
}

TEST(Block, PointerSharesAndAppendCopiesThePointee) {
  io::CBlockPtr p(L"Traces");
  io::CBlockPtr q = p;
  EXPECT_EQ(2, p.use_count());
  *q << CBlock_named_value(L"N", 1);
  EXPECT_EQ(1u, p->GetNumItems());

  CBlock parent(L"Parent");
  parent << p;
  *p << CBlock_named_value(L"Later", 2);
  EXPECT_EQ(1u, parent.GetBlock(0)->GetNumItems());

  io::CBlockPtr empty;
  parent << empty;
  EXPECT_SOFT_ASSERT("b.get()");
  EXPECT_EQ(1u, parent.GetNumItems());

  io::CBlockVecPtr vec(L"SurfNames");
  EXPECT_EQ(AString(L"SurfNames"), vec->GetName());
  parent << (CBlock_vec(L"SurfNames") << AString(L"a") << AString(L"b"));
  parent >> vec;
  EXPECT_TRUE(parent.Found());
  ASSERT_EQ(2u, vec->GetCount());
  EXPECT_EQ(AString(L"b"), vec->GetItem(1).Text());
  io::CBlockVecPtr other(L"Other");
  CBlock_vec* before = other.get();
  parent >> other;
  EXPECT_FALSE(parent.Found());
  EXPECT_EQ(before, other.get());
}

TEST(BlockFunc, UnnamedRunsStopAtOtherKinds) {
  CBlock_func f(L"F");
  f << 1 << 2.5 << L"text" << CBlock_named_value(L"K", 1) << (CBlock_func(L"G") << 3) << 4.5 << 5.5;
  struct Case {
    size_t from;
    size_t count;
  };
  const Case cases[] = {{0, 3}, {2, 1}, {3, 0}, {4, 0}, {5, 2}, {6, 1}, {7, 0}, {100, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.from);
    size_t count = 99;
    const CBlock_value* run = f.GetUnnamedRun(c.from, count);
    EXPECT_EQ(c.count, count);
    if (c.count == 0) {
      EXPECT_EQ(nullptr, run);
      continue;
    }
    for (size_t i = 0; i < count; ++i) EXPECT_EQ(f.GetUnnamedValue(c.from + i), run + i);
  }
}

TEST(BlockFunc, ArgumentsOfEveryKind) {
  CBlock_func f(L"CompQtyInfo");
  f << 3 << L"name" << AString(L"second") << 2.5 << true << 7u << 9L;
  f << CBlock_named_value(L"Key", L"value");
  f << (CBlock_func(L"ConstituentQs") << 11 << 12);
  f << L"after";

  ASSERT_EQ(10u, f.GetNumArgs());
  EXPECT_EQ(CBlock_func::kUnnamedValue, f.GetArgKind(0));
  EXPECT_EQ(CBlock_func::kNamedValue, f.GetArgKind(7));
  EXPECT_EQ(CBlock_func::kFunc, f.GetArgKind(8));
  EXPECT_EQ(CBlock_value::kBool, f.GetUnnamedValue(4)->GetKind()) << "a bool stays a bool";
  EXPECT_EQ(CBlock_value::kString, f.GetUnnamedValue(1)->GetKind());

  int i = 0;
  EXPECT_TRUE(f.QueryArg(0, i));
  EXPECT_EQ(3, i);
  double d = 0;
  EXPECT_TRUE(f.QueryArg(3, d));
  EXPECT_EQ(2.5, d);
  EXPECT_TRUE(f.QueryArg(0, d)) << "an int converts to double";
  AString s;
  EXPECT_FALSE(f.QueryArg(0, s));
  EXPECT_FALSE(f.QueryArg(7, s)) << "a named argument is not unnamed";
  EXPECT_FALSE(f.QueryArg(99, i));
  EXPECT_EQ(nullptr, f.GetUnnamedValue(7));
  EXPECT_EQ(nullptr, f.GetNamedValue(0));
  EXPECT_EQ(nullptr, f.GetFunc(7));

  ASSERT_NE(nullptr, f.GetNamedValue(7));
  EXPECT_EQ(AString(L"Key"), f.GetNamedValue(7)->GetKey());
  EXPECT_EQ(f.GetNamedValue(7), f.FindNamedValue(L"Key"));
  ASSERT_EQ(1u, f.GetNamedValues().size());
  const CBlock_func* nested = f.FindFunc(L"ConstituentQs");
  ASSERT_NE(nullptr, nested);
  EXPECT_EQ(nested, f.GetFunc(8));
  EXPECT_EQ(2u, nested->GetNumArgs());
  EXPECT_EQ(nullptr, f.FindFunc(L"constituentqs"));

  CBlock_func copy = f;
  EXPECT_EQ(f, copy);
  EXPECT_NE(nested, copy.FindFunc(L"ConstituentQs")) << "copies do not share nested items";

  EXPECT_EQ(CBlock_func::kUnnamedValue, f.GetArgKind(10));
  EXPECT_SOFT_ASSERT("i<GetNumArgs()");
}

TEST(BlockFunc, QueryUnnamedStringsWalksWithACursor) {
  CBlock_func f(L"TraceCompExprs");
  f << L"a" << CBlock_named_value(L"K", 1) << L"b" << 5 << L"c";
  size_t cursor = 0;
  AString s;
  ASSERT_TRUE(f.QueryUnamedValues(s, cursor));
  EXPECT_EQ(AString(L"a"), s);
  EXPECT_EQ(1u, cursor);
  ASSERT_TRUE(f.QueryUnamedValues(s, cursor)) << "named arguments are passed over";
  EXPECT_EQ(AString(L"b"), s);
  EXPECT_EQ(3u, cursor);
  EXPECT_FALSE(f.QueryUnamedValues(s, cursor)) << "the next unnamed value is not a string";
  EXPECT_EQ(3u, cursor);
  EXPECT_EQ(AString(L"b"), s);
  size_t end = 5;
  EXPECT_FALSE(f.QueryUnamedValues(s, end));
}

TEST(BlockVec, ItemsConvertLikeValues) {
  CBlock_vec v(L"SurfsInfo");
  v.reserve(4);
  v << 0u << 4000000000u << AString(L"12") << AString(L"x y");
  ASSERT_EQ(4u, v.GetCount());
  unsigned u = 1;
  EXPECT_TRUE(v.GetItem(0).Query(u));
  EXPECT_EQ(0u, u);
  EXPECT_TRUE(v.GetItem(1).Query(u));
  EXPECT_EQ(4000000000u, u);
  EXPECT_FALSE(v.GetItem(2).Query(u)) << "text never becomes a number";
  AString s;
  EXPECT_TRUE(v.GetItem(3).Query(s));
  EXPECT_EQ(AString(L"x y"), s);
  EXPECT_FALSE(v.GetItem(0).Query(s));
  EXPECT_EQ(std::wstring(L"x y"), v.GetItem(3).ACharPtr());

  EXPECT_EQ(io::CToken::kEnd, v.GetItem(4).GetKind());
  EXPECT_SOFT_ASSERT("i<GetCount()");
  v << io::CToken(io::CToken::kPunct, L"}");
  EXPECT_SOFT_ASSERT("isValue");
  EXPECT_EQ(4u, v.GetCount());
}

TEST(DoDataExchange, ScalarsWriteAndReadBack) {
  CBlock b(L"Def");
  long l = -4;
  int i = 12;
  unsigned u = 4000000000u;
  double d = 0.1;
  bool flag = true;
  AString s = L"Expr \"1\"";
  EXPECT_EQ(0, io::DoDataExchange(b, false, L"L", l, io::kReturnCode));
  EXPECT_EQ(0, io::DoDataExchange(b, false, L"I", i, io::kReturnCode));
  EXPECT_EQ(0, io::DoDataExchange(b, false, L"U", u, io::kReturnCode));
  EXPECT_EQ(0, io::DoDataExchange(b, false, L"D", d, io::kReturnCode));
  EXPECT_EQ(0, io::DoDataExchange(b, false, L"B", flag, io::kReturnCode));
  EXPECT_EQ(0, io::DoDataExchange(b, false, L"S", s, io::kReturnCode));
  ASSERT_EQ(6u, b.GetNumItems());

  long l2 = 0;
  int i2 = 0;
  unsigned u2 = 0;
  double d2 = 0;
  bool flag2 = false;
  AString s2;
  EXPECT_EQ(0, io::DoDataExchange(b, true, L"L", l2, io::kReturnCode));
  EXPECT_EQ(0, io::DoDataExchange(b, true, L"I", i2, io::kReturnCode));
  EXPECT_EQ(0, io::DoDataExchange(b, true, L"U", u2, io::kReturnCode));
  EXPECT_EQ(0, io::DoDataExchange(b, true, L"D", d2, io::kReturnCode));
  EXPECT_EQ(0, io::DoDataExchange(b, true, L"B", flag2, io::kReturnCode));
  EXPECT_EQ(0, io::DoDataExchange(b, true, L"S", s2, io::kReturnCode));
  EXPECT_TRUE(b.Found());
  EXPECT_EQ(l, l2);
  EXPECT_EQ(i, i2);
  EXPECT_EQ(u, u2);
  EXPECT_EQ(d, d2);
  EXPECT_EQ(flag, flag2);
  EXPECT_EQ(s, s2);
}

TEST(DoDataExchange, MissingAndUnconvertibleKeys) {
  CBlock b(L"Def");
  b << CBlock_named_value(L"Text", L"abc");
  long v = 42;
  EXPECT_EQ(2, io::DoDataExchange(b, true, L"Absent", v, io::kReturnCode));
  EXPECT_FALSE(b.Found());
  EXPECT_EQ(42, v);
  EXPECT_EQ(1, io::DoDataExchange(b, true, L"Text", v, io::kReturnCode));
  EXPECT_FALSE(b.Found()) << "present but not convertible";
  EXPECT_EQ(42, v);
  EXPECT_EQ(2, io::DoDataExchange(b, true, L"text", v, io::kReturnCode)) << "keys are case-sensitive";

  try {
    io::DoDataExchange(b, true, L"Absent", v, io::kThrowCode);
    ADD_FAILURE() << "a missing key with request 1 throws";
  } catch (const io::ReadErrorException& e) {
    EXPECT_EQ(2, e.code);
  }
  EXPECT_EQ(42, v);
}

namespace {

class Persistent : public io::CStreamio_block_object {
public:
  AString GetBlockName() const override { return L"Persistent"; }
  io::ReadError DoDataExchange(CBlock& block, bool read) override {
    io::CReadError e;
    e += io::DoDataExchange(block, read, L"A", m_a, io::kReturnCode);
    e += io::DoDataExchange(block, read, L"B", m_b, io::kReturnCode);
    RecordError(e);
    return e;
  }
  long m_a = 0;
  AString m_b;
};

}  // namespace

TEST(ReadStatus, FirstErrorWins) {
  io::CReadError e;
  EXPECT_EQ(0, io::ReadError(e));
  e.Add(0);
  e += -1;
  e += 2;
  EXPECT_EQ(-1, io::ReadError(e));

  Persistent p;
  CBlock b(L"Persistent");
  b << CBlock_named_value(L"A", L"not a number");
  EXPECT_EQ(1, p.DoDataExchange(b, true)) << "the conversion error comes before the missing B";
  EXPECT_EQ(1, p.GetReadStatus());
  p.RecordError(2);
  EXPECT_EQ(1, p.GetReadStatus());
  p.ClearReadStatus();
  EXPECT_EQ(0, p.GetReadStatus());
  p.RecordError(-2);
  EXPECT_EQ(-2, p.GetReadStatus());
}
