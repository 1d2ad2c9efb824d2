#include "TracesWithDataFuzzEntry.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tracedata/ConcreteTraceData.h"
#include "ConcreteTraceDataFuzzEntry.h"
#include "TraceDataContent.h"
#include "reports/ImportedTraceDefinition.h"
#include "reports/ReportDefinition.h"
#include "reports/ReportManager.h"
#include "orvex/core/Assert.h"
#include "orvex/core/I18n.h"
#include "orvex/io/Block.h"
#include "orvex/io/BlockFile.h"
#include "orvex/io/NamedValue.h"

namespace rep {

namespace {

// An empty report, added last.
ReportDefinition& NewReport(ReportManager& mgr, const AString& name) {
  std::unique_ptr<IReportDefinition> report = mgr.CreateReportDefinition(name);
  mgr.AddReportDefinition(*report, nullptr);
  return *mgr.GetReports().back();
}

// Every point of every trace's stored data, and the data through the form a project saves it in:
// the export form writes its curves itself.
void TouchTraces(const ReportDefinition& report) {
  for (BaseTraceDefinition* trace : report.GetTraces()) {
    auto* imported = dynamic_cast<ImportedTraceDefinition*>(trace);
    auto* stored = imported ? dynamic_cast<ConcreteTraceData*>(imported->GetTraceData()) : nullptr;
    if (!stored) continue;
    TouchEveryStoredPoint(*stored);
    ExpectStoredFormReadsBack(*stored);
  }
}

const std::vector<NamedAssert> kDamagedTracesAsserts = {
    {"ReportDefinition", "0"},
    {"ReportDefinition", "tdBlock"},
    {"ReportDefinition", "bIsNumber"},
    {"ReportDefinition", "curveFunc"},
    {"ReportDefinition", "!\"Block for primary column not found\""},
    {"CommonTraceData", "!\"Primary block exists, but no name?!\""},
    {"CommonTraceData", "!\"Primary block exists, but no column?!\""},
    {"ConcreteTraceData", "col"},
    {"ConcreteCompositeTraceData", "0"},
    {"ConcreteCompositeTraceData", "col"},
    {"GravikUtils", "col"},
    kUnknownColumnUnitAssert,
};

// A report item that is no block is skipped; the damage of its traces is theirs.
const std::vector<NamedAssert> kDamagedReportsAsserts = [] {
  std::vector<NamedAssert> named = kDamagedTracesAsserts;
  named.push_back({"ReportManager", "rBlock"});
  return named;
}();

// The block "Traces" of `from` with each trace block named by its position: readers give traces
// new IDs, and nothing else in a trace block holds one.
io::CBlock TracesNumberedInOrder(const io::CBlock& from) {
  io::CBlock traces(L"Traces");
  if (const io::CBlock* written = from.FindBlock(L"Traces")) {
    for (size_t i = 0; i < written->GetNumItems(); ++i) {
      io::CBlock trace = *written->GetBlock(i);
      trace.SetName(i18n::MakeNumberString(static_cast<long>(i)));
      traces << std::move(trace);
    }
  }
  return traces;
}

std::string Text(const io::CBlock& block) { return io::BlockToText(block).ToUtf8(); }

// Both written forms are the same; a soft assertion and both texts on stderr when not.
void ExpectSameWritten(const io::CBlock& first, const io::CBlock& second) {
  const std::string a = Text(first);
  const std::string b = Text(second);
  ORVEX_ASSERT(a==b);
  if (a != b) std::fprintf(stderr, "written:\n%s\nwritten again:\n%s\n", a.c_str(), b.c_str());
}

}  // namespace

int FuzzTracesWithData(const uint8_t* data, size_t size) {
  io::CBlock block;
  if (!io::BlockFromText(AString::FromUtf8(std::string(reinterpret_cast<const char*>(data), size)), block)) return 0;
  ReportManager mgr(nullptr, true);
  ReportDefinition& report = NewReport(mgr, L"Read");
  const size_t before = orvex::test::Asserts().Count();
  const bool whole = report.ReadTracesWithData(block, nullptr, nullptr);
  ForgetNamedAsserts(before, kDamagedTracesAsserts);
  TouchTraces(report);

  // What was added travels again through its text, unchanged: the same traces, curves and
  // values as were read, and written the same again.
  std::vector<long> ids;
  report.GetTraceIDs(ids);
  io::CBlock written(L"Clip");
  ORVEX_ASSERT(report.WriteTracesWithData(written, ids));
  ReportDefinition& again = NewReport(mgr, L"Again");
  io::CBlock toRead = ThroughText(written);
  ORVEX_ASSERT(again.ReadTracesWithData(toRead, nullptr, nullptr));
  ExpectSameContent(TracesContent(report), TracesContent(again));
  std::vector<long> idsAgain;
  again.GetTraceIDs(idsAgain);
  io::CBlock writtenAgain(L"Clip");
  ORVEX_ASSERT(again.WriteTracesWithData(writtenAgain, idsAgain));
  ExpectSameWritten(TracesNumberedInOrder(written), TracesNumberedInOrder(writtenAgain));
  return whole ? 1 : 0;
}

int FuzzReportsWithData(const uint8_t* data, size_t size) {
  io::CBlock block;
  if (!io::BlockFromText(AString::FromUtf8(std::string(reinterpret_cast<const char*>(data), size)), block)) return 0;
  // Whole when every item is a report block whose traces all come.
  bool whole = true;
  std::vector<size_t> wanted;
  for (size_t i = 0; i < block.GetNumItems(); ++i) {
    const io::CBlock* item = block.GetBlock(i);
    if (!item) {
      whole = false;
      continue;
    }
    const io::CBlock* traces = item->FindBlock(L"Traces");
    if (!traces) whole = false;
    wanted.push_back(traces ? traces->GetNumItems() : 0);
  }
  ReportManager mgr(nullptr, true);
  const size_t before = orvex::test::Asserts().Count();
  mgr.ReadReportsWithData(block, nullptr, nullptr);
  ForgetNamedAsserts(before, kDamagedReportsAsserts);
  std::vector<long> ids;
  mgr.GetReportIDs(ids);
  ORVEX_ASSERT(ids.size()==wanted.size());
  for (size_t i = 0; i < ids.size() && i < wanted.size(); ++i) {
    const auto* report = dynamic_cast<ReportDefinition*>(mgr.GetReportDefinition(ids[i]));
    TouchTraces(*report);
    if (report->GetTraces().size() != wanted[i]) whole = false;
  }

  // What was read travels again through its text, unchanged, into another manager: the same
  // reports, traces, curves and values, written the same again.
  io::CBlock written(L"Clip");
  ORVEX_ASSERT(mgr.WriteReportsWithData(written, ids));
  ReportManager again(nullptr, true);
  io::CBlock toRead = ThroughText(written);
  again.ReadReportsWithData(toRead, nullptr, nullptr);
  std::vector<long> idsAgain;
  again.GetReportIDs(idsAgain);
  ExpectSameContent(ReportsContent(mgr), ReportsContent(again));
  io::CBlock writtenAgain(L"Clip");
  ORVEX_ASSERT(again.WriteReportsWithData(writtenAgain, idsAgain));
  // Each report by its name and position, its ID left out, with its traces numbered in order.
  auto numbered = [](const io::CBlock& reports) {
    io::CBlock out(L"Clip");
    for (size_t i = 0; i < reports.GetNumItems(); ++i) {
      const io::CBlock* report = reports.GetBlock(i);
      if (!report) continue;
      io::CBlock copy(report->GetName());
      copy << TracesNumberedInOrder(*report);
      out << std::move(copy);
    }
    return out;
  };
  ExpectSameWritten(numbered(written), numbered(writtenAgain));
  return whole ? 1 : 0;
}

}  // namespace rep
