// The names that every path adding many traces at once gives them: those that naming the traces
// one after another against the report's list gives.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <list>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "PerItemGrowth.h"
#include "StoredTraceFixture.h"
#include "reports/BatchNamer.h"
#include "reports/ImportedTraceDefinition.h"
#include "orvex/core/LocalNameServer.h"
#include "orvex/io/Block.h"

namespace {

// A trace to add: its name, and the expression that name is tied to (null: not tied).
struct Incoming {
  AString name;
  const wchar_t* tiedTo = nullptr;
};

using Names = std::vector<AString>;

// Names as gtest prints them readably.
std::vector<std::string> Utf8(const Names& names) {
  std::vector<std::string> out;
  for (const AString& name : names) out.push_back(name.ToUtf8());
  return out;
}

// Naming one trace after another, each against the whole list as it stands, through the core
// library's name server: the reference every batch must match.
class OneByOne {
public:
  struct Listed {
    AString name;
    bool tied = false;
    AString expression;
  };

  explicit OneByOne(const Names& held) {
    for (const AString& name : held) m_list.push_back({name, false, AString()});
  }

  static Listed Of(const Incoming& in) { return {in.name, in.tiedTo != nullptr, in.tiedTo ? in.tiedTo : L"y"}; }

  // The report's unique name for `wanted`, the trace at `skip` left out.
  AString Unique(const AString& wanted, size_t skip = SIZE_MAX) const {
    LocalNameServer server;
    for (size_t i = 0; i < m_list.size(); ++i)
      if (i != skip) server.AddName(m_list[i].name);
    return server.GetUniqueName(wanted, 1);
  }

  size_t Count(const AString& name, size_t skip = SIZE_MAX) const {
    size_t n = 0;
    for (size_t i = 0; i < m_list.size(); ++i)
      if (i != skip && m_list[i].name.CompareNoCase(name) == 0) ++n;
    return n;
  }

  AString Default(const Listed& trace, size_t self) const {
    if (Count(trace.expression, self) == 0) return trace.expression;
    return Unique(trace.expression + L"_", self);
  }

  // A trace already in the list keeps a name no other trace holds.
  void NameHeld(size_t i) {
    Listed& t = m_list[i];
    if (t.tied)
      t.name = Default(t, i);
    else if (Count(t.name) > 1)
      t.name = Unique(t.name);
  }

  void Join(Listed t) {
    t.name = t.tied ? Default(t, SIZE_MAX) : Unique(t.name);
    m_list.push_back(t);
  }

  Names NamesFrom(size_t first) const {
    Names out;
    for (size_t i = first; i < m_list.size(); ++i) out.push_back(m_list[i].name);
    return out;
  }

  std::vector<Listed> m_list;
};

Names NewReportReference(const Names& held, const std::vector<Incoming>& incoming) {
  OneByOne ref({});
  for (const AString& name : held) {
    ref.m_list.push_back({name, false, L"y"});
    ref.NameHeld(ref.m_list.size() - 1);
  }
  for (const Incoming& in : incoming) {
    ref.m_list.push_back(OneByOne::Of(in));
    ref.NameHeld(ref.m_list.size() - 1);
  }
  return ref.NamesFrom(held.size());
}

Names AddReference(const Names& held, const std::vector<Incoming>& incoming) {
  OneByOne ref(held);
  for (const Incoming& in : incoming) ref.m_list.push_back(OneByOne::Of(in));
  for (size_t i = held.size(); i < ref.m_list.size(); ++i) ref.NameHeld(i);
  return ref.NamesFrom(held.size());
}

Names AddNewReference(const Names& held, const std::vector<Incoming>& incoming) {
  OneByOne ref(held);
  for (const Incoming& in : incoming) ref.Join(OneByOne::Of(in));
  return ref.NamesFrom(held.size());
}

// Each name first made unique against the report as it was, then the traces added.
Names ReadReference(const Names& held, const std::vector<Incoming>& incoming) {
  OneByOne ref(held);
  std::vector<Incoming> read;
  for (const Incoming& in : incoming) read.push_back({ref.Unique(in.name), nullptr});
  return AddNewReference(held, read);
}

Names UniqueNamesReference(const Names& held, const std::vector<Incoming>& incoming) {
  OneByOne ref(held);
  Names out;
  for (const Incoming& in : incoming) {
    out.push_back(ref.Unique(in.name));
    ref.m_list.push_back({out.back(), false, AString()});
  }
  return out;
}

// A computed trace named "a" that counts how often its name is asked for, as its clones do in the
// same count: naming each trace against the whole list asks every trace once per trace named.
class NameCountingTrace : public rep::TraceDefinition {
public:
  NameCountingTrace(rep::ReportManager& mgr, long& asked)
      : IBaseTraceDefinition(), BaseTraceDefinition(mgr, L"a", {L"y"}, ExtTraceInfo(), false, nullptr),
        TraceDefinition(mgr, L"a", {L"y"}, DesignSolutionDefinition(100, 10, ReportTypeSolutionDefinition(1)),
                        rep::PointsetDefinition(), ExtTraceInfo(), 1, false, nullptr),
        m_asked(asked) {}
  NameCountingTrace(const NameCountingTrace& other, rep::ReportManager& mgr)
      : IBaseTraceDefinition(), BaseTraceDefinition(other, mgr), TraceDefinition(other, mgr), m_asked(other.m_asked) {}
  AString GetName() const override {
    ++m_asked;
    return TraceDefinition::GetName();
  }
  BaseTraceDefinition* CloneForManager(rep::ReportManager& mgr) const override {
    return new NameCountingTrace(*this, mgr);
  }

private:
  long& m_asked;
};

class BatchNamerTest : public reptest::EngineFixture {
protected:
  std::unique_ptr<rep::TraceDefinition> Make(const Incoming& in) {
    const DesignSolutionDefinition dsd(100, 10, ReportTypeSolutionDefinition(1));
    return std::make_unique<rep::TraceDefinition>(Mgr(), in.name, std::vector<AString>{in.tiedTo ? in.tiedTo : L"y"},
                                                  dsd, rep::PointsetDefinition(), ExtTraceInfo(), 1,
                                                  in.tiedTo != nullptr, nullptr);
  }

  // A report holding untied traces of these names, as the naming of a new report leaves them.
  long Holding(const Names& held) {
    std::vector<std::unique_ptr<rep::TraceDefinition>> traces;
    std::vector<rep::IBaseTraceDefinition*> sources;
    for (const AString& name : held) {
      traces.push_back(Make({name}));
      sources.push_back(traces.back().get());
    }
    return AddReport(L"R", sources);
  }

  Names NamesFrom(long reportID, size_t first) {
    Names names = TraceNames(reportID);
    return Names(names.begin() + static_cast<std::ptrdiff_t>(first), names.end());
  }

  Names ByNewReport(const Names& held, const std::vector<Incoming>& incoming) {
    std::vector<std::unique_ptr<rep::TraceDefinition>> traces;
    std::vector<rep::IBaseTraceDefinition*> sources;
    for (const AString& name : held) traces.push_back(Make({name}));
    for (const Incoming& in : incoming) traces.push_back(Make(in));
    for (auto& t : traces) sources.push_back(t.get());
    return NamesFrom(AddReport(L"New", sources), held.size());
  }

  Names ByAddTraceDefinitions(const Names& held, const std::vector<Incoming>& incoming) {
    const long r = Holding(held);
    std::vector<std::unique_ptr<rep::TraceDefinition>> traces;
    std::vector<rep::IBaseTraceDefinition*> sources;
    for (const Incoming& in : incoming) {
      traces.push_back(Make(in));
      sources.push_back(traces.back().get());
    }
    VelmorCommand cmd;
    std::vector<long> ids;
    EXPECT_TRUE(Report(r).AddTraceDefinitions(ids, sources, &cmd));
    return NamesFrom(r, held.size());
  }

  Names ByAddNewTraceDefinitions(const Names& held, const std::vector<Incoming>& incoming) {
    const long r = Holding(held);
    std::vector<rep::BaseTraceDefinition*> traces;
    for (const Incoming& in : incoming) {
      traces.push_back(Make(in).release());
      traces.back()->SetIDAndVersionID(Mgr().GetNewUniqueID(), Mgr().GetNewVersionID());
    }
    VelmorCommand cmd;
    EXPECT_TRUE(Report(r).AddNewTraceDefinitions(traces, &cmd));
    return NamesFrom(r, held.size());
  }

  // The export form "Traces" of imported traces under these names, written by a report of its own
  // (a report would not hold equal names).
  static io::CBlock TracesNamed(rep::ReportManager& mgr, const Names& names) {
    auto* source = dynamic_cast<rep::ReportDefinition*>(
        mgr.GetReportDefinition(mgr.AddReportDefinition(*mgr.CreateReportDefinition(L"Source"), nullptr)));
    std::vector<rep::BaseTraceDefinition*> traces;
    for (size_t i = 0; i < names.size(); ++i) {
      auto* trace = new rep::ImportedTraceDefinition(mgr, L"src.csv", L"T", {L"Freq", L"Y"}, ExtTraceInfo(), false);
      trace->SetIDAndVersionID(mgr.GetNewUniqueID(), 0);
      trace->SetTraceData(reptest::TwoCurvesOverFreq(mgr, trace->GetID()));
      traces.push_back(trace);
    }
    source->AddNewTraceDefinitions(traces, nullptr);
    std::vector<long> ids;
    for (size_t i = 0; i < names.size(); ++i) {
      traces[i]->SetName(names[i]);
      ids.push_back(traces[i]->GetID());
    }
    io::CBlock block(L"Clip");
    EXPECT_TRUE(source->WriteTracesWithData(block, ids));
    return block;
  }

  // The export form carries no tie: its traces come back untied under the names written.
  Names ByReadTracesWithData(const Names& held, const std::vector<Incoming>& incoming) {
    Names names;
    for (const Incoming& in : incoming) names.push_back(in.name);
    io::CBlock block = TracesNamed(Mgr(), names);
    const long r = Holding(held);
    VelmorCommand cmd;
    EXPECT_TRUE(Report(r).ReadTracesWithData(block, nullptr, &cmd));
    return NamesFrom(r, held.size());
  }

  Names ByGetUniqueTraceNames(const Names& held, const std::vector<Incoming>& incoming) {
    Names wanted;
    for (const Incoming& in : incoming) wanted.push_back(in.name);
    Names out;
    EXPECT_EQ(static_cast<int>(wanted.size()), Report(Holding(held)).GetUniqueTraceNames(out, wanted));
    return out;
  }
};

Incoming Tied(const wchar_t* name, const wchar_t* expression) { return {name, expression}; }

// Names each path gave before the batch namer served them all, recorded from that code.
TEST_F(BatchNamerTest, EveryPathNamesAsBefore) {
  struct Case {
    const char* why;
    Names held;
    std::vector<Incoming> incoming;
    Names newReport, add, addNew, read, unique;
  };
  const Case cases[] = {
      {"one name repeated",
       {},
       {{L"a"}, {L"a"}, {L"a"}},
       {L"a", L"a1", L"a2"},
       {L"a1", L"a2", L"a"},
       {L"a", L"a1", L"a2"},
       {L"a", L"a1", L"a2"},
       {L"a", L"a1", L"a2"}},
      {"a name that carries a number beside the name without it",
       {},
       {{L"a"}, {L"a1"}, {L"a"}},
       {L"a", L"a1", L"a2"},
       {L"a2", L"a1", L"a"},
       {L"a", L"a1", L"a2"},
       {L"a", L"a1", L"a2"},
       {L"a", L"a1", L"a2"}},
      {"names that differ only in case",
       {L"mag"},
       {{L"MAG"}, {L"Mag"}, {L"mag"}},
       {L"MAG1", L"Mag2", L"mag3"},
       {L"MAG1", L"Mag2", L"mag3"},
       {L"MAG1", L"Mag2", L"mag3"},
       {L"MAG1", L"Mag11", L"mag12"},
       {L"MAG1", L"Mag2", L"mag3"}},
      {"a batch into a report that holds some of its names",
       {L"a", L"a1", L"a3"},
       {{L"a"}, {L"a"}, {L"a1"}, {L"a"}},
       {L"a2", L"a4", L"a11", L"a5"},
       {L"a2", L"a4", L"a11", L"a5"},
       {L"a2", L"a4", L"a11", L"a5"},
       {L"a2", L"a21", L"a11", L"a22"},
       {L"a2", L"a4", L"a11", L"a5"}},
      {"names tied to the expression",
       {L"x"},
       {Tied(L"x", L"x"), Tied(L"x", L"x"), {L"x_"}},
       {L"x_", L"x_1", L"x_2"},
       {L"x_1", L"x_2", L"x_"},
       {L"x_", L"x_1", L"x_2"},
       {L"x1", L"x11", L"x_"},
       {L"x1", L"x2", L"x_"}},
      {"a tied trace gives up a name that a trace before it was refused",
       {L"a"},
       {{L"a"}, Tied(L"a1", L"x"), {L"a"}},
       {L"a1", L"x", L"a2"},
       {L"a2", L"x", L"a1"},
       {L"a1", L"x", L"a2"},
       {L"a1", L"a11", L"a12"},
       {L"a1", L"a11", L"a2"}},
      {"tied traces that hold their own default names",
       {L"a"},
       {Tied(L"x", L"x"), Tied(L"x_", L"x")},
       {L"x", L"x_"},
       {L"x", L"x_"},
       {L"x", L"x_"},
       {L"x", L"x_"},
       {L"x", L"x_"}},
      {"a tied trace whose expression no other trace holds",
       {L"q"},
       {Tied(L"q", L"y"), {L"q"}},
       {L"y", L"q1"},
       {L"y", L"q1"},
       {L"y", L"q1"},
       {L"q1", L"q11"},
       {L"q1", L"q2"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(Utf8(c.newReport), Utf8(ByNewReport(c.held, c.incoming))) << "a new report made of the traces";
    EXPECT_EQ(Utf8(c.add), Utf8(ByAddTraceDefinitions(c.held, c.incoming))) << "AddTraceDefinitions";
    EXPECT_EQ(Utf8(c.addNew), Utf8(ByAddNewTraceDefinitions(c.held, c.incoming))) << "AddNewTraceDefinitions";
    EXPECT_EQ(Utf8(c.read), Utf8(ByReadTracesWithData(c.held, c.incoming))) << "ReadTracesWithData";
    EXPECT_EQ(Utf8(c.unique), Utf8(ByGetUniqueTraceNames(c.held, c.incoming))) << "GetUniqueTraceNames";
  }
}

// Batches drawn from a few names that clash in every way, each path against naming one by one.
TEST_F(BatchNamerTest, EveryPathNamesAsOneByOne) {
  const wchar_t* const pool[] = {L"a", L"A", L"a1", L"A2", L"a11", L"a_", L"x", L"X_", L"x_1", L"x_2", L"", L"1"};
  const wchar_t* const expressions[] = {L"x", L"a", L"X", L"a1"};
  std::mt19937 random(20240611);
  auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
  for (int round = 0; round < 100; ++round) {
    Names held;
    for (size_t i = pick(5); i > 0; --i) held.push_back(pool[pick(std::size(pool))]);
    std::vector<Incoming> incoming;
    for (size_t i = 1 + pick(9); i > 0; --i) {
      Incoming in{pool[pick(std::size(pool))]};
      if (pick(3) == 0) in.tiedTo = expressions[pick(std::size(expressions))];
      incoming.push_back(in);
    }
    SCOPED_TRACE("round " + std::to_string(round));
    // The report seeded as a new report names them; the references start from what it holds.
    const Names inReport = TraceNames(Holding(held));
    std::vector<Incoming> untied;
    for (const Incoming& in : incoming) untied.push_back({in.name});
    EXPECT_EQ(Utf8(NewReportReference(held, incoming)), Utf8(ByNewReport(held, incoming)));
    EXPECT_EQ(Utf8(AddReference(inReport, incoming)), Utf8(ByAddTraceDefinitions(held, incoming)));
    EXPECT_EQ(Utf8(AddNewReference(inReport, incoming)), Utf8(ByAddNewTraceDefinitions(held, incoming)));
    EXPECT_EQ(Utf8(ReadReference(inReport, untied)), Utf8(ByReadTracesWithData(held, incoming)));
    EXPECT_EQ(Utf8(UniqueNamesReference(inReport, incoming)), Utf8(ByGetUniqueTraceNames(held, incoming)));
    if (HasFailure()) break;
  }
}

}  // namespace

// A name given up goes back to every wanted name it extends by a number, however many digits
// that number has, and the smallest free number is offered again.
TEST_F(BatchNamerTest, ANameGivenUpIsOfferedAgainToEveryNameItExtends) {
  std::vector<std::unique_ptr<rep::TraceDefinition>> owned;
  std::list<rep::BaseTraceDefinition*> traces;
  for (const wchar_t* name : {L"a", L"a1", L"a2", L"a3", L"a4", L"a5", L"a6", L"a7", L"a8", L"a9", L"a10", L"a11", L"A12"}) {
    owned.push_back(Make({name}));
    traces.push_back(owned.back().get());
  }
  rep::BatchNamer namer(traces);
  EXPECT_EQ("a13", namer.UniqueName(L"a").ToUtf8());
  EXPECT_EQ("a13", namer.UniqueName(L"a1").ToUtf8());
  namer.Release(L"a12");
  EXPECT_EQ("a12", namer.UniqueName(L"a").ToUtf8());
  EXPECT_EQ("A12", namer.UniqueName(L"A1").ToUtf8());
  namer.Release(L"a10");
  EXPECT_EQ("a10", namer.UniqueName(L"a").ToUtf8());
  EXPECT_EQ("a12", namer.UniqueName(L"a1").ToUtf8());
  namer.Take(L"A10");
  namer.Release(L"a5");
  EXPECT_EQ("a5", namer.UniqueName(L"a").ToUtf8());
  namer.Take(L"a5");
  EXPECT_EQ("a12", namer.UniqueName(L"a").ToUtf8());
}

// Each path at two sizes four times apart, every trace named "a": what naming asks of each trace
// must not grow with the number of traces.
TEST_F(BatchNamerTest, NamingAsksEachTraceAlikeAtEverySize) {
  struct Case {
    const char* what;
    // Adds n counting traces to a report that holds n of them (a new report: none).
    std::function<void(rep::ReportDefinition& held, size_t n, long& asked)> run;
  };
  auto sources = [](std::vector<std::unique_ptr<NameCountingTrace>>& owned, rep::ReportManager& mgr, size_t n,
                    long& asked) {
    std::vector<rep::IBaseTraceDefinition*> raw;
    for (size_t i = 0; i < n; ++i) {
      owned.push_back(std::make_unique<NameCountingTrace>(mgr, asked));
      raw.push_back(owned.back().get());
    }
    return raw;
  };
  const Case cases[] = {
      {"a new report made of copies",
       [&](rep::ReportDefinition& held, size_t n, long& asked) {
         std::vector<std::unique_ptr<NameCountingTrace>> owned;
         const auto raw = sources(owned, held.GetReportManager(), n, asked);
         asked = 0;
         EXPECT_EQ(n, dynamic_cast<rep::ReportDefinition&>(*held.GetReportManager().CreateReportDefinition(raw, L"New"))
                          .GetTraces()
                          .size());
       }},
      {"AddTraceDefinitions",
       [&](rep::ReportDefinition& held, size_t n, long& asked) {
         std::vector<std::unique_ptr<NameCountingTrace>> owned;
         const auto raw = sources(owned, held.GetReportManager(), n, asked);
         asked = 0;
         VelmorCommand cmd;
         std::vector<long> ids;
         EXPECT_TRUE(held.AddTraceDefinitions(ids, raw, &cmd));
       }},
      {"AddNewTraceDefinitions",
       [&](rep::ReportDefinition& held, size_t n, long& asked) {
         std::vector<rep::BaseTraceDefinition*> traces;
         for (size_t i = 0; i < n; ++i) {
           traces.push_back(new NameCountingTrace(held.GetReportManager(), asked));
           traces.back()->SetIDAndVersionID(held.GetReportManager().GetNewUniqueID(),
                                            held.GetReportManager().GetNewVersionID());
         }
         asked = 0;
         VelmorCommand cmd;
         EXPECT_TRUE(held.AddNewTraceDefinitions(traces, &cmd));
       }},
      {"ReadTracesWithData",
       [&](rep::ReportDefinition& held, size_t n, long& asked) {
         io::CBlock block = TracesNamed(held.GetReportManager(), Names(n, L"a"));
         asked = 0;
         VelmorCommand cmd;
         EXPECT_TRUE(held.ReadTracesWithData(block, nullptr, &cmd));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    reptest::ExpectPerItemAlikeAt100And400([&](size_t n) {
      long asked = 0;
      rep::ReportManager mgr(&m_owner, true);
      std::vector<std::unique_ptr<NameCountingTrace>> owned;
      const long r =
          mgr.AddReportDefinition(*mgr.CreateReportDefinition(sources(owned, mgr, n, asked), L"Held"), nullptr);
      c.run(*dynamic_cast<rep::ReportDefinition*>(mgr.GetReportDefinition(r)), n, asked);
      return asked;
    });
  }
}
