#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ProjectFuzzEntry.h"
#include "ConcreteTraceDataFuzzEntry.h"
#include "Gravik/IReportManager.h"
#include "TraceDataContent.h"
#include "reports/ReportManager.h"
#include "reports/ReportManagerFactory.h"
#include "orvex/core/Assert.h"
#include "orvex/io/BlockFile.h"
#include "orvex/io/StreamioBlockObject.h"
#include "orvex/io/TokenStream.h"
#include "refhost/ReferenceDesktop.h"
#include "refhost/ReferenceReportManagerOwner.h"
#include "refhost/ReferenceSolutionManager.h"

namespace repfuzz {

namespace {

// The host's side: a design with one swept solution, as the demo and the tests set it up.
struct Host {
  refhost::ReferenceDesktop desktop;
  refhost::ReferenceDesktop::Installed installed{desktop};
  refhost::ReferenceSolutionManager solutions;
  refhost::ReferenceReportManagerOwner owner;
  Host() {
    solutions.AddSolution(10, L"Setup1 : Sweep");
    solutions.SetDesignOfInstance(1, 100);
    owner.SetSolutionManager(&solutions);
  }
};

// What a project reader raises by design on damaged input.
const std::vector<rep::NamedAssert> kDamagedProjectAsserts = {
    {"ReportDefinition", "0"},
    rep::kUnknownColumnUnitAssert,
};

io::ReadError Exchange(rep::IReportManager& mgr, io::CBlock& project, bool read) {
  return dynamic_cast<io::CStreamio_block_object&>(mgr).DoDataExchange(project, read);
}

std::string Written(rep::IReportManager& mgr) {
  io::CBlock project(L"Project");
  Exchange(mgr, project, false);
  return io::BlockToText(project).ToUtf8();
}

}  // namespace

int FuzzProject(const uint8_t* data, size_t size) {
  io::CStringToken_istream in(reinterpret_cast<const char*>(data), size);
  io::CBlock project;
  in >> project;
  if (in.Fail()) return 0;

  Host host;
  rep::IReportManagerFactory& factory = rep::ReportManagerFactory::Instance();
  std::unique_ptr<rep::IReportManager> first = factory.CreateReportManager(&host.owner);
  const size_t before = orvex::test::Asserts().Count();
  const io::ReadError status = Exchange(*first, project, true);
  rep::ForgetNamedAsserts(before, kDamagedProjectAsserts);
  const std::string second = Written(*first);

  io::CBlock again;
  const bool parsed = io::BlockFromText(AString::FromUtf8(second), again);
  ORVEX_ASSERT(parsed);
  std::unique_ptr<rep::IReportManager> fresh = factory.CreateReportManager(&host.owner);
  const io::ReadError rereadStatus = Exchange(*fresh, again, true);
  ORVEX_ASSERT(rereadStatus==io::kNoError);
  const std::string third = Written(*fresh);
  // The written form reads back as the reports and traces that were read from the input, and is
  // written the same again.
  auto* read = dynamic_cast<rep::ReportManager*>(first.get());
  auto* readBack = dynamic_cast<rep::ReportManager*>(fresh.get());
  if (read && readBack) rep::ExpectSameContent(rep::ReportsContent(*read), rep::ReportsContent(*readBack));
  ORVEX_ASSERT(second==third);
  if (second != third) std::fprintf(stderr, "written:\n%s\nwritten again:\n%s\n", second.c_str(), third.c_str());
  return status == io::kNoError ? 1 : 0;
}

}  // namespace repfuzz
