// A host session in miniature: load the engine, define reports, edit with undo, save and load.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "Gravik/IBaseTraceDefinition.h"
#include "Gravik/IPointsetDefinition.h"
#include "Gravik/IReportDefinition.h"
#include "Gravik/IReportManager.h"
#include "Gravik/IReportManagerFactory.h"
#include "Gravik/ITraceComponentDefinition.h"
#include "orvex/core/VelmorCommand.h"
#include "orvex/io/BlockFile.h"
#include "orvex/io/StreamioBlockObject.h"
#include "orvex/io/LongFileName.h"
#include "postorvex/solution/DesignSolutionDefinition.h"
#include "postorvex/subsweeps/SubsweepDefParamsContainer.h"
#include "postorvex/traceinfo/ExtTraceInfo.h"
#include "postorvex/variation/VariableValuesDefParams.h"
#include "reference/ReferenceDesktop.h"
#include "reference/ReferenceReportManagerOwner.h"
#include "reference/ReferenceSolutionManager.h"

namespace {

void Print(const char* what) { std::printf("%s\n", what); }

void PrintReports(const char* title, const rep::IReportManager& mgr) {
  std::printf("%s\n", title);
  std::vector<long> ids;
  mgr.GetReportIDs(ids);
  for (long id : ids) {
    const rep::IReportDefinition* report = mgr.GetReportDefinition(id);
    std::printf("  report %ld \"%s\"\n", id, report->GetReportName().ToUtf8().c_str());
    std::vector<long> traces;
    report->GetTraceIDs(traces);
    for (long t : traces) {
      const rep::IBaseTraceDefinition* trace = report->GetTraceDefinition(t);
      std::string exprs;
      for (unsigned i = 0; i < trace->GetNumComponents(); ++i)
        exprs += (i ? ", " : "") + trace->GetComponent(i)->GetExpression().ToUtf8();
      std::printf("    trace %ld \"%s\" (%s)\n", t, trace->GetName().ToUtf8().c_str(), exprs.c_str());
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  const char* plugin = argc > 1 ? argv[1] : "librep.so";
  void* handle = dlopen(plugin, RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    std::fprintf(stderr, "cannot load %s: %s\n", plugin, dlerror());
    return 1;
  }
  using EntryPoint = rep::IReportManagerFactory* (*)();
  auto entry = reinterpret_cast<EntryPoint>(dlsym(handle, "OrvDllGetFactoryInterface"));
  if (!entry) {
    std::fprintf(stderr, "no entry point in %s\n", plugin);
    return 1;
  }
  std::printf("loaded %s\n", plugin);

  // The host side: a design with one solution.
  refhost::ReferenceDesktop desktop;
  refhost::ReferenceDesktop::Installed installed(desktop);
  refhost::ReferenceSolutionManager solutions;
  solutions.AddSolution(10, L"Setup1 : Sweep");
  solutions.SetDesignOfInstance(1, 100);
  refhost::ReferenceReportManagerOwner owner;
  owner.SetSolutionManager(&solutions);

  int status = 0;
  {
    std::unique_ptr<rep::IReportManager> mgr = entry()->CreateReportManager(&owner);
    if (!mgr) {
      std::fprintf(stderr, "the factory made no report manager\n");
      return 1;
    }

    // Two reports with traces, added under one command.
    DesignSolutionDefinition dsd(100, 10, ReportTypeSolutionDefinition(1));
    std::unique_ptr<rep::IPointsetDefinition> pointset =
        mgr->CreatePointsetDefinition(SubsweepDefParamsContainer(), std::vector<VariableValuesDefParams>());
    std::unique_ptr<rep::IBaseTraceDefinition> s11 =
        mgr->CreateTraceDefinition({L"Freq", L"dB(S(1,1))"}, dsd, *pointset, ExtTraceInfo(), nullptr);
    std::unique_ptr<rep::IBaseTraceDefinition> s21 =
        mgr->CreateTraceDefinition(L"Transmission", {L"Freq", L"dB(S(2,1))"}, dsd, *pointset, ExtTraceInfo());
    VelmorCommand define(L"Define reports");
    const AString first = mgr->GetUniqueReportName(L"S Parameter Plot");
    std::unique_ptr<rep::IReportDefinition> plot = mgr->CreateReportDefinition({s11.get(), s21.get()}, first);
    const long plotID = mgr->AddReportDefinition(*plot, &define);
    const AString second = mgr->GetUniqueReportName(L"S Parameter Plot");
    std::printf("unique names: \"%s\", then \"%s\"\n", first.ToUtf8().c_str(), second.ToUtf8().c_str());
    std::unique_ptr<rep::IReportDefinition> copy = mgr->CreateReportDefinition({s11.get()}, second);
    mgr->AddReportDefinition(*copy, &define);
    define.EndDo();
    PrintReports("defined:", *mgr);

    // Rename, undo, redo.
    VelmorCommand rename(L"Rename report");
    mgr->RenameReport(L"Return loss", plotID, &rename);
    rename.EndDo();
    PrintReports("renamed:", *mgr);
    rename.Undo();
    PrintReports("undone:", *mgr);
    rename.Redo();
    PrintReports("redone:", *mgr);

    // Save the project to a file and load it into a fresh manager.
    auto* saving = dynamic_cast<io::CStreamio_block_object*>(mgr.get());
    io::CBlock project(L"Project");
    saving->DoDataExchange(project, false);
    const std::string path = (std::filesystem::temp_directory_path() / "rep_demo_project.txt").string();
    const LongFileName file(AString::FromUtf8(path));
    if (io::WriteBlockFile(file, project) != io::kNoError) {
      std::fprintf(stderr, "could not write %s\n", path.c_str());
      status = 1;
    }
    std::printf("saved to %s\n", path.c_str());

    io::CBlock loaded;
    std::unique_ptr<rep::IReportManager> fresh = entry()->CreateReportManager(&owner);
    if (io::ReadBlockFile(file, loaded) != io::kNoError ||
        dynamic_cast<io::CStreamio_block_object*>(fresh.get())->DoDataExchange(loaded, true) != io::kNoError) {
      std::fprintf(stderr, "could not read %s back\n", path.c_str());
      status = 1;
    }
    PrintReports("loaded into a fresh manager:", *fresh);
    std::filesystem::remove(path);
  }
  Print(status == 0 ? "done" : "failed");
  return status;
}
