#include <list>

#include "RepTest.h"
#include "orvex/core/LocalNameServer.h"
#include "orvex/core/VelmorNameServer.h"

namespace {

// A server whose names include the object being checked, as a report manager's do.
class ListNameServer : public VelmorNameServer {
public:
  explicit ListNameServer(std::list<AString> names) : m_names(std::move(names)) {}
  void GetNames(std::list<AString>& names) const override {
    ++m_gathered;
    names.insert(names.end(), m_names.begin(), m_names.end());
  }
  void Add(const AString& n) { m_names.push_back(n); }
  int Gathered() const { return m_gathered; }

private:
  std::list<AString> m_names;
  mutable int m_gathered = 0;
};

LocalNameServer MakeLocal(const std::list<AString>& names) {
  LocalNameServer s;
  s.AddNames(names);
  return s;
}

}  // namespace

TEST(NameServer, GetUniqueNameAppendsSmallestFreeNumber) {
  struct Case { std::list<AString> names; const wchar_t* wanted; const wchar_t* expected; };
  const Case cases[] = {
      {{L"Report"}, L"Other", L"Other"},
      {{L"Report"}, L"report", L"report1"},  // a clash in other letter case still clashes
      {{L"A", L"A1"}, L"A", L"A2"},
      {{L""}, L"", L"1"},
      {{}, L"", L""},
      {{L"S11_"}, L"S11_", L"S11_1"},
      {{L"X", L"x1", L"X3"}, L"x", L"x2"},  // the smallest free number, not one past the largest
      {{L"A1"}, L"A", L"A"},                // a longer name holding the wanted one is no clash
      {{L"\u00C4rger", L"\u00E4rger1"}, L"\u00E4RGER", L"\u00E4RGER2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(AString(c.wanted).ToUtf8());
    // The rule for IsNameUnique plays no part here: both kinds of server answer alike.
    EXPECT_EQ(AString(c.expected), MakeLocal(c.names).GetUniqueName(c.wanted, 1));
    EXPECT_EQ(AString(c.expected), ListNameServer(c.names).GetUniqueName(c.wanted, 1));
  }
}

TEST(NameServer, IsNameUniqueFollowsTheServersRule) {
  struct Case { std::list<AString> names; const wchar_t* name; bool local; bool shared; };
  const Case cases[] = {
      {{}, L"R", true, true},
      {{L"R"}, L"r", false, true},  // one holder: itself, for a server that lists the object checked
      {{L"R", L"r"}, L"R", false, false},
      {{L"R", L"S"}, L"T", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(AString(c.name).ToUtf8());
    EXPECT_EQ(c.local, MakeLocal(c.names).IsNameUnique(c.name));
    EXPECT_EQ(c.shared, ListNameServer(c.names).IsNameUnique(c.name));
  }
  // The rule is the object's, not the static type's.
  LocalNameServer local = MakeLocal({L"R"});
  const VelmorNameServer& asBase = local;
  EXPECT_FALSE(asBase.IsNameUnique(L"R"));
}

TEST(NameServer, EngineCallPatterns) {
  // Validation: a manager holding one report "R" finds it unique; two reports "R" do not.
  EXPECT_TRUE(ListNameServer({L"R", L"Q"}).IsNameUnique(L"R"));
  EXPECT_FALSE(ListNameServer({L"R", L"Q", L"R"}).IsNameUnique(L"R"));

  // A trace already appended to its report is renamed only when another trace holds its name.
  struct Case { std::list<AString> namesAfterAppend; const wchar_t* name; const wchar_t* kept; };
  const Case traces[] = {
      {{L"Y", L"X"}, L"X", L"X"},
      {{L"X", L"Y", L"X"}, L"X", L"X1"},
      {{L"X", L"X1", L"x"}, L"x", L"x2"},
  };
  for (const Case& c : traces) {
    ListNameServer report(c.namesAfterAppend);
    AString name = c.name;
    if (!report.IsNameUnique(name)) name = report.GetUniqueName(name, 1);
    EXPECT_EQ(AString(c.kept), name);
  }

  // Default names over the other traces' names: two equal wanted names give two names.
  LocalNameServer others = MakeLocal({L"Trace1"});
  AString first = others.GetUniqueName(L"Trace", 1);
  others.AddName(first);
  AString second = others.GetUniqueName(L"Trace", 1);
  EXPECT_EQ(AString(L"Trace"), first);
  EXPECT_EQ(AString(L"Trace2"), second);
}

TEST(NameServer, GathersNamesOncePerCall) {
  ListNameServer s({L"A", L"A1", L"A2", L"A3"});
  EXPECT_EQ(AString(L"A4"), s.GetUniqueName(L"A", 1));
  EXPECT_EQ(1, s.Gathered());
}

TEST(NameServer, LocalServerKeepsItsIndexInStep) {
  LocalNameServer s;
  s.AddNames({L"a", L"b"});
  s.AddName(L"A");
  std::list<AString> names;
  s.GetNames(names);
  EXPECT_EQ((std::list<AString>{L"a", L"b", L"A"}), names);
  EXPECT_EQ(AString(L"a1"), s.GetUniqueName(L"a", 1));
  s.Clear();
  EXPECT_TRUE(s.IsNameUnique(L"a"));
  EXPECT_EQ(AString(L"a"), s.GetUniqueName(L"a", 1));
  names.clear();
  s.GetNames(names);
  EXPECT_TRUE(names.empty());
}

// A batch of like names goes on from where the last one was found, yet still answers the
// smallest free number: names asked for but never added, other letter case, a Clear.
TEST(NameServer, LocalServerBatchStaysSmallestFree) {
  LocalNameServer s;
  s.AddName(L"R");
  for (int i = 1; i <= 3; ++i) s.AddName(s.GetUniqueName(L"R", 1));
  EXPECT_EQ(AString(L"R4"), s.GetUniqueName(L"R", 1));
  EXPECT_EQ(AString(L"R4"), s.GetUniqueName(L"R", 1));  // not added: still free
  EXPECT_EQ(AString(L"r4"), s.GetUniqueName(L"r", 1));
  s.AddName(L"R5");
  s.AddName(L"r4");
  EXPECT_EQ(AString(L"R6"), s.GetUniqueName(L"R", 1));
  EXPECT_EQ(AString(L"Q"), s.GetUniqueName(L"Q", 1));
  s.Clear();
  s.AddName(L"R");
  EXPECT_EQ(AString(L"R1"), s.GetUniqueName(L"R", 1));
}

TEST(NameServer, OtherIndexModeIsRefusedButAnswered) {
  EXPECT_EQ(AString(L"R1"), MakeLocal({L"R"}).GetUniqueName(L"R", 0));
  EXPECT_SOFT_ASSERT("indexMode==1");
}
