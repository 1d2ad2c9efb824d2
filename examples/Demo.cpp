// A host session in miniature: load the engine, define reports, edit with undo, save and load; a
// data file imported, saved, loaded and carried to another manager with its data; the main job, a
// swept solution's traces updated and populated through the centralized update, their report carried
// with its data into a fresh manager and its plot data written to a file; a family trace as
// statistics and as a histogram; the solution-value cache: push a swept solution's values, write
// the cache files and read them into a fresh cache;
// then output variables: define one, use it in a trace, ask for its unit type, validate the report,
// edit and undo, save and reload; a command that takes a sweep out of a solution, the trace
// repaired to follow it, and undo; last, a report pasted into a second design whose solution has
// the same name but other sweep values, with the rebuilt point set and the messages, and undone.
// What it writes is kept in the folder given as second argument, so
// that it can be opened afterwards.
#include <dlfcn.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Gravik/IReportDataManager.h"
#include "orvex/centupd/CentralizedLoadUnitInfo.h"
#include "orvex/centupd/CentralizedUpdateUtility.h"
#include "orvex/centupd/IDerivedDataManager.h"
#include "orvex/centupd/RecordingProgressMonitor.h"
#include "postorvex/sweeps/AbstractSubsweepDefParams.h"
#include "postorvex/sweeps/SweepBase.h"
#include "Gravik/IBaseTraceDefinition.h"
#include "Gravik/ICompositeTraceComponentData.h"
#include "Gravik/IOutputVariableMgr.h"
#include "Gravik/IPointsetDefinition.h"
#include "Gravik/IReportDefinition.h"
#include "Gravik/IReportManager.h"
#include "Gravik/IReportDataManager.h"
#include "Gravik/IReportManagerFactory.h"
#include "Gravik/ISimValueCache.h"
#include "Gravik/ITraceComponentDefinition.h"
#include "Gravik/ITraceDefinition.h"
#include "Gravik/ITraceDataInterfaces.h"
#include "Gravik/IOutputVariableMgrForProducts.h"
#include "Gravik/TraceExtractionRequest.h"
#include "orvex/core/FreeFileNumbers.h"
#include "orvex/core/IManagedFileService.h"
#include "orvex/core/MessageLog.h"
#include "orvex/core/VelmorCommand.h"
#include "orvex/io/Block.h"
#include "orvex/io/BlockFile.h"
#include "orvex/io/LongFileName.h"
#include "orvex/io/NumberedFile.h"
#include "orvex/io/SavedFile.h"
#include "orvex/io/StreamioBlockObject.h"
#include "orvex/values/Units.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableValuesContext.h"
#include "postorvex/caches/MinorSweepCache.h"
#include "postorvex/columns/Column.h"
#include "postorvex/columns/ComplexColumn.h"
#include "postorvex/columns/DoubleColumn.h"
#include "postorvex/families/DisplayHistogramAcrossTraceFamiliesParameters.h"
#include "postorvex/families/DisplayStatisticsOfTraceFamiliesParameters.h"
#include "postorvex/outputvars/OutputVariable.h"
#include "postorvex/outputvars/OutputVariableDefParams.h"
#include "postorvex/sweeps/RegularSubsweepDefParams.h"
#include "postorvex/quantities/SimValueParams.h"
#include "postorvex/solution/DesignSolutionDefinition.h"
#include "postorvex/solution/SimValueContext.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/traceinfo/ExtTraceInfo.h"
#include "postorvex/variation/VariableValuesDefParams.h"
#include "orvex/core/MessageCatalogue.h"
#include "refhost/RecordingPasteListener.h"
#include "refhost/ReferenceDesign.h"
#include "refhost/ReferenceDesktop.h"
#include "refhost/ReferenceReportManagerOwner.h"
#include "refhost/ReferenceSolutionManager.h"

namespace {

namespace fs = std::filesystem;

void Print(const char* what) { std::printf("%s\n", what); }

// A failure as the user is told of it, on stderr. What stdout holds goes first, so that the two
// streams, when they go to one place, keep their lines whole and in order.
void Complain(const std::string& what) {
  std::fflush(stdout);
  std::fprintf(stderr, "%s\n", what.c_str());
}

// The files this run wrote, with what each holds, in the order written: the summary lists these.
std::vector<std::pair<std::string, std::string>>& WrittenFiles() {
  static std::vector<std::pair<std::string, std::string>> files;
  return files;
}
void Wrote(const std::string& name, const std::string& holds) { WrittenFiles().emplace_back(name, holds); }

// Each step of the demo starts under a heading of its own, numbered, so that a long output reads
// as a list of steps.
void Heading(const char* title) {
  static int step = 0;
  std::printf("\n== %d. %s ==\n", ++step, title);
}

// A message as the user would see it: its number, its severity and its text.
void PrintMessage(const VelmorMessage& message) {
  const char* severity = message.GetSeverity() == VelmorMessage::kError ? "error" : "warning";
  std::printf("  message %d (%s): %s\n", message.GetMessageID(), severity,
              orvex::MessageDisplayText(message).ToUtf8().c_str());
}

// A save that failed, as the user is told of it: what was saved, the file and why it failed. The
// failure names the file that failed, which may be one of several that the save writes.
void PrintSaveFailure(const char* what, const std::string& path) {
  const std::string why = io::LastSaveFailure();
  Complain(std::string("could not save ") + what + ": " + (why.empty() ? path + ": no reason was given" : why));
}

// Writes the project block to the file; on failure says why.
bool SaveProject(const io::CBlock& project, const LongFileName& file, const char* what = "the project") {
  io::ForgetSaveFailure();
  if (io::WriteBlockFile(file, project) == io::kNoError) return true;
  PrintSaveFailure(what, file.ToNarrow());
  return false;
}

// Writes a file of the demo's own whole, as the engine saves its files; on failure says why.
bool SaveText(const fs::path& path, const std::string& text, const char* what) {
  io::ForgetSaveFailure();
  io::SavedFile file(path.string());
  file.Write(text.data(), text.size());
  if (file.Close()) return true;
  PrintSaveFailure(what, path.string());
  return false;
}

// Writes the cache files and answers the header's path; empty, having said why, when they could
// not be written.
std::string SaveCacheFiles(ISimValueCache& cache, io::CBlock& project, IManagedFileService& files) {
  io::ForgetSaveFailure();
  if (!cache.WriteCacheFiles(project)) {
    LongFileName folder;
    files.GetFullPath(folder, L"svcache", L"");
    std::string path = folder.ToNarrow();
    if (!path.empty() && path.back() == '/') path.pop_back();
    PrintSaveFailure("the cache files", path);
    return std::string();
  }
  LongFileName path;
  AString header;
  io::DoDataExchange(project, true, L"CacheHeaderFile", header);
  files.GetFullPath(path, L"svcache", header);
  return path.ToNarrow();
}

// The cache files go under the demo's own folder and stay there.
class FolderFileService : public IManagedFileService {
public:
  explicit FolderFileService(const fs::path& root) : m_root(root) {}
  bool MakeUniqueFileName(AString& outName, const AString& directory, const AString& prefix) override {
    std::string name;
    if (!io::MakeNumberedFile(name, m_numbers, (m_root / directory.ToUtf8()).string(), prefix.ToUtf8())) return false;
    outName = AString::FromUtf8(name);
    return true;
  }
  void GetFullPath(LongFileName& outPath, const AString& directory, const AString& name) override {
    outPath.SetPath(AString::FromUtf8((m_root / directory.ToUtf8() / name.ToUtf8()).string()));
  }

private:
  fs::path m_root;
  FreeFileNumbers m_numbers;
};

void PrintReports(const char* title, const rep::IReportManager& mgr) {
  std::printf("%s\n", title);
  std::vector<long> ids;
  mgr.GetReportIDs(ids);
  if (ids.empty()) Print("  (no reports)");
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

// What the product computes at a length and a frequency.
double Gain(double length, double ghz) { return -3.0 * length / (1.0 + ghz * ghz) + 0.1 / 3.0; }
double Phase(double length, double ghz) { return std::atan2(ghz, length) * 180.0 / M_PI; }

const std::vector<double> kLengths = {1.0, 1.5, 2.0};
const std::vector<double> kFrequencies = {1.0, 2.0, 3.0, 4.0, 5.0};

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

template <class T>
bool SameBits(const std::vector<T>& a, const std::vector<T>& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

// Whether two cached columns hold the same values, bit for bit.
bool SameBits(const Column* a, const Column* b) {
  if (!a || !b) return false;
  if (a->GetDoubleColumn() && b->GetDoubleColumn())
    return SameBits(a->GetDoubleColumn()->GetValues(), b->GetDoubleColumn()->GetValues());
  if (a->GetComplexColumn() && b->GetComplexColumn())
    return SameBits(a->GetComplexColumn()->GetValues(), b->GetComplexColumn()->GetValues());
  return false;
}

// Whether a cache that read the files holds every value of the cache that wrote them: each
// quantity's column along the primary sweep, at each value of the major variable.
bool SameCachedValues(ISimValueCache& written, ISimValueCache& read, Variable* primary, Variable* major,
                      const std::vector<double>& majorValues, const DesignSolutionDefinition& dsd, long version,
                      const std::vector<long>& ids) {
  for (double value : majorValues) {
    VariableValues at;
    at.SetVariableValue(major, Value(value, major->GetUnits()));
    VariableValuesContext current(at);
    const MinorSweepCache* a =
        written.GetISimValueDataCacheForEdit()->GetMinorSweepCacheAtCurrVarVals(primary, {major}, dsd, version);
    const MinorSweepCache* b =
        read.GetISimValueDataCacheForEdit()->GetMinorSweepCacheAtCurrVarVals(primary, {major}, dsd, version);
    if (!a || !b) return false;
    for (long id : ids)
      if (!SameBits(a->GetQuantityColumn(id), b->GetQuantityColumn(id))) return false;
  }
  return true;
}

// The cache road: the product pushes a swept solution's values, the cache writes its files, a
// fresh cache reads them, and every value comes back the same.
bool ShowCacheRoad(rep::IReportManagerFactory& factory, refhost::ReferenceSolutionManager& solutions,
                   const fs::path& folder) {
  refhost::ReferenceSolution& solution = *solutions.FindSolution(10);
  FolderFileService files(folder);
  solutions.SetManagedFileService(&files);
  Variable* length = solution.AddVariable(L"L", Value(1.0, 142), true);  // mm, a major sweep
  Variable* freq = solution.AddVariable(L"F", Value(1.0, 113), false);   // GHz, the primary sweep
  solution.AddQuantity(L"Gain", ValueState(1, 12, 1, 200));
  solution.AddQuantity(L"Phase", ValueState(1, 5, 1, 151));
  const DesignSolutionDefinition dsd(100, 10, ReportTypeSolutionDefinition(1));
  const long version = 1;

  std::unique_ptr<ISimValueCache> cache(factory.CreateSimValueCache(&solutions));
  if (!cache) return false;
  std::vector<long> ids;
  for (const wchar_t* name : {L"Gain", L"Phase"}) {
    SimValueParams params;
    ids.push_back(cache->GetISimValueInfoCacheForEdit()->GetSimValueID(params, name, dsd, version));
  }
  std::printf("quantity IDs: Gain %ld, Phase %ld\n", ids[0], ids[1]);

  // The product pushes one major variation at a time, the whole frequency sweep at once.
  ISimValueDataCache* data = cache->GetISimValueDataCacheForEdit();
  for (double l : kLengths) {
    VariableValues major;
    major.SetVariableValue(length, Value(l, 142));
    VariableValuesContext current(major);
    DoubleColumn primary(113), gain(200), phase(151);
    for (double f : kFrequencies) {
      primary.AddValue(f, false);
      gain.AddValue(Gain(l, f), false);
      phase.AddValue(Phase(l, f), false);
    }
    if (!data->UpdateCacheForMinorSweepAtCurrVarVal(freq, false, {length}, {}, dsd, version, primary, ids,
                                                    {&gain, &phase}, L"demo"))
      return false;
  }
  std::printf("pushed %zu variations of %zu frequencies\n", kLengths.size(), kFrequencies.size());

  io::CBlock project(L"Project");
  const std::string header = SaveCacheFiles(*cache, project, files);
  if (header.empty()) return false;
  std::printf("cache written: header %s\n", header.c_str());
  Wrote("svcache/", "the cache files: the header " + fs::path(header).filename().string() +
                        " and one minor cache file per major variation");

  std::unique_ptr<ISimValueCache> fresh(factory.CreateSimValueCache(&solutions));
  fresh->ReadCacheFiles(project);
  std::string frequencies;
  for (double f : kFrequencies) frequencies += (frequencies.empty() ? "" : ", ") + Number(f);
  for (double l : kLengths) {
    VariableValues major;
    major.SetVariableValue(length, Value(l, 142));
    VariableValuesContext current(major);
    const MinorSweepCache* after = fresh->GetISimValueDataCacheForEdit()->GetMinorSweepCacheAtCurrVarVals(
        freq, {length}, dsd, version);
    const auto* gain = after ? dynamic_cast<const DoubleColumn*>(after->GetQuantityColumn(ids[0])) : nullptr;
    std::string line = "  L=" + Number(l) + "mm  Gain at " + frequencies + " GHz:";
    for (size_t i = 0; gain && i < gain->GetValues().size(); ++i) line += " " + Number(gain->GetValues()[i]);
    Print(line.c_str());
  }
  const bool same = SameCachedValues(*cache, *fresh, freq, length, kLengths, dsd, version, ids);
  std::printf("read into a fresh cache: %s\n", same ? "every value the same, bit for bit" : "VALUES DIFFER");
  // The caches go before the service they write through.
  fresh.reset();
  cache.reset();
  solutions.SetManagedFileService(nullptr);
  return same;
}

// Counts the units the update loads; the reference product then pushes each one.
class CountingLoader : public IDerivedDataManager {
public:
  bool LoadUnit(const CentralizedLoadUnitInfo&) override {
    ++loads;
    return true;
  }
  int loads = 0;
};

bool CarryReportWithData(rep::IReportManagerFactory& factory, refhost::ReferenceReportManagerOwner& owner,
                         rep::IReportManager& mgr, long reportID, const fs::path& folder);
// The host of the main job and of the families: a line of length L in front of a load,
// S11 = r exp(-2j beta L) with beta growing with F, swept over F (GHz) with one family per length
// (mm), wired to the plug-in's cache and output variables.
struct LineHost {
  LineHost(rep::IReportManagerFactory& factory, long solutionID, const AString& name,
           const std::vector<double>& lengths) {
    solutions.UseTempDirFileService();
    solutions.SetDesignOfInstance(1, 100);
    solution = &solutions.AddSolution(solutionID, name);
    solution->AddSupportedReportType(1);
    Variable* freq = solution->AddVariable(L"F", Value(1.0, 113), false);  // GHz, the primary sweep
    Variable* length = solution->AddVariable(L"L", Value(1.0, 142), true);  // mm, a family per value
    solution->AddQuantity(L"S11", ValueState(2, 15, 1), [freq, length](const VariableValues& at) {
      const double f = at.GetVariableValue(freq)->GetValue(), l = at.GetVariableValue(length)->GetValue();
      const double r = 0.1 + 0.05 * f + 0.1 * (l - 1.0), angle = -2.0 * 0.1 * f * l;
      return AComplex<double>(r * std::cos(angle), r * std::sin(angle));
    });
    solution->AddSweep(freq, {1, 2, 3, 4, 5});
    solution->AddSweep(length, lengths);
    for (double l : lengths) {
      VariableValues point;
      point.SetVariableValue(length, Value(l, 142));
      solution->AddInstance(point);
    }
    outputVariables.reset(factory.CreateOutputVariableMgr(&solutions));
    cache.reset(factory.CreateSimValueCache(&solutions));
    owner.SetDesignInstanceID(1);
    owner.SetSolutionManager(&solutions);
    owner.SetOutputVariableMgr(outputVariables.get());
    owner.SetSimValueCache(cache.get());
  }

  // The point set over F with a family per L.
  std::unique_ptr<rep::IPointsetDefinition> Pointset(const rep::IReportManager& mgr) const {
    SubsweepDefParamsContainer subsweeps;
    for (const wchar_t* name : {L"F", L"L"}) {
      const SweepBase* sweep = solution->GetSweepOfVariable(name, SimValueContext(), 1);
      subsweeps.PushBackAndOwn(sweep->CreateDefaultSubsweepDefParams());
    }
    return mgr.CreatePointsetDefinition(subsweeps, std::vector<VariableValuesDefParams>());
  }

  refhost::ReferenceSolutionManager solutions;
  refhost::ReferenceSolution* solution = nullptr;  // owned by the solutions
  std::unique_ptr<IOutputVariableMgr> outputVariables;
  std::unique_ptr<ISimValueCache> cache;
  refhost::ReferenceReportManagerOwner owner;
};

// The engine's main job, through the plug-in only: a swept solution with a family variable, a
// report of dB(S11) traces, a centralized update with a progress monitor, the curves printed and
// written to a data file, a second update served from the cache, the cache files written and
// read back.
bool MainJob(rep::IReportManagerFactory& factory, const fs::path& folder) {
  LineHost host(factory, 20, L"Design : Sweep", kLengths);
  refhost::ReferenceSolutionManager& solutions = host.solutions;
  std::unique_ptr<ISimValueCache>& cache = host.cache;
  refhost::ReferenceReportManagerOwner& owner = host.owner;

  bool ok = true;
  {
    std::unique_ptr<rep::IReportManager> mgr = factory.CreateReportManager(&owner);
    if (!mgr) return false;
    std::unique_ptr<rep::IPointsetDefinition> pointset = host.Pointset(*mgr);
    const DesignSolutionDefinition dsd(100, 20, ReportTypeSolutionDefinition(1));
    std::unique_ptr<rep::IBaseTraceDefinition> trace =
        mgr->CreateTraceDefinition(L"Return loss", {L"F", L"dB(S11)"}, dsd, *pointset, ExtTraceInfo());
    std::unique_ptr<rep::IReportDefinition> report = mgr->CreateReportDefinition({trace.get()}, L"Return loss plot");
    const long reportID = mgr->AddReportDefinition(*report, nullptr);
    std::vector<long> traceIDs;
    mgr->GetReportDefinition(reportID)->GetTraceIDs(traceIDs);
    rep::IReportDataManager* data = mgr->GetReportDataManagerForEdit();

    rep::ITraceData* before = data->GetITraceData(traceIDs.at(0));
    std::printf("before the update: %u curve of %u point (placeholder)\n", before->GetNumCurves(),
                before->GetNumPointsInCurve(0));

    CountingLoader loader;
    RecordingProgressMonitor monitor;
    std::vector<ICentralizedUpdateObject*> objects;
    data->GetCentralizedUpdateObjects(objects, reportID);
    CentralizedUpdateUtility::UpdateObjects(&loader, objects, &monitor);
    std::printf("first update: %d units loaded, monitor told \"%s\"\n", loader.loads,
                monitor.GetMessages().empty() ? "" : monitor.GetMessages().front().ToUtf8().c_str());

    rep::ITraceData* result = data->GetITraceData(traceIDs.at(0));
    std::string csv = "curve,F [GHz],dB(S11)\n";
    const Column* x = result->GetDataColumn(0);
    const Column* y = result->GetDataColumn(1);
    for (unsigned c = 0; c < result->GetNumCurves(); ++c) {
      const std::string key = result->GetCurveVariationKey(c, false).ToUtf8();
      std::printf("  curve %u  %s\n", c, key.c_str());
      for (unsigned k = 0; k < result->GetNumPointsInCurve(c); ++k) {
        const size_t row = result->GetCurveOffset(c) + k;
        const double f = x->GetDoubleColumn()->GetValues()[row], db = y->GetDoubleColumn()->GetValues()[row];
        std::printf("    F=%4.1f GHz  dB(S11)=%8.4f\n", f, db);
        char line[128];
        std::snprintf(line, sizeof line, "\"%s\",%.17g,%.17g\n", key.c_str(), f, db);
        csv += line;
      }
    }
    const fs::path path = folder / "return_loss.csv";
    if (SaveText(path, csv, "the main job's curves")) {
      std::printf("the curves written to %s\n", path.c_str());
      Wrote("return_loss.csv", "the main job's curves");
    } else {
      ok = false;
    }
    ok = ok && result->GetNumCurves() == 3 && loader.loads == 3;
    ok = CarryReportWithData(factory, owner, *mgr, reportID, folder) && ok;

    data->SetNeedsUpdateForSolution(100, 20);
    objects.clear();
    data->GetCentralizedUpdateObjects(objects, reportID);
    loader.loads = 0;
    CentralizedUpdateUtility::UpdateObjects(&loader, objects, nullptr);
    std::printf("second update: %d units loaded (served from the cache), %u curves\n", loader.loads,
                data->GetITraceData(traceIDs.at(0))->GetNumCurves());
    ok = ok && loader.loads == 0;
  }
  // This host keeps its cache files in a temporary folder of its own, which goes with the host.
  refhost::TempDirManagedFileService& files = solutions.UseTempDirFileService();
  io::CBlock project(L"Project");
  const std::string header = SaveCacheFiles(*cache, project, files);
  if (header.empty()) return false;
  std::printf("cache files written to %s/svcache, a temporary folder of this step's host that goes when the step ends "
              "(header %s)\n",
              files.GetRoot().ToUtf8().c_str(), fs::path(header).filename().c_str());
  std::unique_ptr<ISimValueCache> fresh(factory.CreateSimValueCache(&solutions));
  fresh->ReadCacheFiles(project);
  const DesignSolutionDefinition dsd(100, 20, ReportTypeSolutionDefinition(1));
  const long version = 1;  // the solution's, never solved again here
  SimValueParams params;
  const std::vector<long> ids = {cache->GetISimValueInfoCacheForEdit()->GetSimValueID(params, L"S11", dsd, version)};
  const bool same = SameCachedValues(*cache, *fresh, host.solution->FindVariable(L"F"), host.solution->FindVariable(L"L"),
                                     kLengths, dsd, version, ids);
  std::printf("read into a fresh cache: %s\n", same ? "the values of S11 at every length the same, bit for bit"
                                                      : "VALUES DIFFER");
  return ok && same;
}

// A family trace shown as statistics across its families and as a histogram of their values at
// one frequency: dB(S11) over F, one family per length L, updated through the centralized update.
bool ShowFamilyStatistics(rep::IReportManagerFactory& factory) {
  const std::vector<double> lengths = {0.8, 0.9, 1.0, 1.1, 1.2, 1.3};
  LineHost host(factory, 30, L"Design : Tolerance", lengths);
  std::unique_ptr<rep::IReportManager> mgr = factory.CreateReportManager(&host.owner);
  if (!mgr) return false;
  std::unique_ptr<rep::IPointsetDefinition> pointset = host.Pointset(*mgr);
  const DesignSolutionDefinition dsd(100, 30, ReportTypeSolutionDefinition(1));
  DisplayStatisticsOfTraceFamiliesParameters statistics;
  statistics.SetStatFunctionNames({L"mean", L"stddev", L"min", L"max"});
  DisplayHistogramAcrossTraceFamiliesParameters histogram;
  histogram.SetValueToSampleAt(Value(3.0, 113));
  histogram.SetNumberOfBins(4);
  std::unique_ptr<rep::IBaseTraceDefinition> stats =
      mgr->CreateTraceDefinition(L"Statistics", {L"F", L"dB(S11)"}, dsd, *pointset, ExtTraceInfo(), &statistics);
  std::unique_ptr<rep::IBaseTraceDefinition> hist =
      mgr->CreateTraceDefinition(L"Histogram", {L"F", L"dB(S11)"}, dsd, *pointset, ExtTraceInfo(), &histogram);
  std::unique_ptr<rep::IReportDefinition> report = mgr->CreateReportDefinition({stats.get(), hist.get()}, L"Tolerance");
  const long reportID = mgr->AddReportDefinition(*report, nullptr);
  std::vector<long> traceIDs;
  mgr->GetReportDefinition(reportID)->GetTraceIDs(traceIDs);
  rep::IReportDataManager* data = mgr->GetReportDataManagerForEdit();
  std::vector<ICentralizedUpdateObject*> objects;
  data->GetCentralizedUpdateObjects(objects, reportID);
  CentralizedUpdateUtility::UpdateObjects(nullptr, objects, nullptr);
  if (traceIDs.size() != 2) return false;

  rep::ITraceData* shown = data->GetITraceData(traceIDs[0]);
  std::printf("dB(S11) of %zu families as statistics: %u curves\n", lengths.size(), shown->GetNumCurves());
  const auto& sx = shown->GetDataColumn(0)->GetDoubleColumn()->GetValues();
  const auto& sy = shown->GetDataColumn(1)->GetDoubleColumn()->GetValues();
  for (unsigned c = 0; c < shown->GetNumCurves(); ++c) {
    char cell[64];
    std::snprintf(cell, sizeof cell, "  %-7s", shown->GetCurveVariationKey(c, false).ToUtf8().c_str());
    std::string line = cell;
    for (unsigned k = 0; k < shown->GetNumPointsInCurve(c); ++k) {
      const size_t row = shown->GetCurveOffset(c) + k;
      std::snprintf(cell, sizeof cell, "  F=%gGHz: %8.4f", sx[row], sy[row]);
      line += cell;
    }
    Print(line.c_str());
  }
  const bool statsOk = shown->GetNumCurves() == 4;

  shown = data->GetITraceData(traceIDs[1]);
  std::printf("and as a histogram (%s, curve \"%s\"):\n", shown->GetTraceName().ToUtf8().c_str(),
              shown->GetCurveVariationKey(0, false).ToUtf8().c_str());
  const auto& edges = shown->GetDataColumn(0)->GetDoubleColumn()->GetValues();
  const auto& counts = shown->GetDataColumn(1)->GetDoubleColumn()->GetValues();
  for (size_t b = 0; b + 1 < edges.size(); ++b)
    std::printf("  dB(S11) in [%8.4f, %8.4f%c  %2g %s\n", edges[b], edges[b + 1], b + 2 == edges.size() ? ']' : ')',
                counts[b], std::string(static_cast<size_t>(counts[b]), '#').c_str());
  return statsOk && edges.size() == 5;
}

// Every curve with its points, read through the trace-data interfaces only.
void PrintStoredTrace(rep::ITraceData& data) {
  std::printf("  \"%s\": %u curves\n", data.GetTraceName().ToUtf8().c_str(), data.GetNumCurves());
  rep::ITraceDataSweepInfo* sweep = data.GetTraceDataSweepInfo();
  const Column* x = sweep ? sweep->GetPrimarySweepColumn() : nullptr;
  const Column* y = data.GetNumComponents() > 1 ? data.GetDataColumn(1) : nullptr;
  if (!x || !y) return;
  for (unsigned c = 0; c < data.GetNumCurves(); ++c) {
    std::string line = "    curve " + std::to_string(c) + " (" + data.GetCurveVariationKey(c, true).ToUtf8() + "):";
    const unsigned first = data.GetCurveOffset(c);
    for (unsigned row = first; row < first + data.GetNumPointsInCurve(c); ++row) {
      const DoubleColumn* values = y->GetDoubleColumn();
      const std::string value = values ? std::to_string(values->GetValues()[row]) : y->GetSingleValueText(row).ToUtf8();
      line += "  " + sweep->GetPrimarySweepName().ToUtf8() + "=" + x->GetSingleValueText(row).ToUtf8() + " -> " + value;
    }
    Print(line.c_str());
  }
}

// The traces of a report, each with its stored data, read through the interfaces only.
void PrintImportedTraces(const char* title, rep::IReportManager& mgr, long reportID) {
  std::printf("%s\n", title);
  const rep::IReportDefinition* report = mgr.GetReportDefinition(reportID);
  std::vector<long> ids;
  if (report) report->GetTraceIDs(ids);
  for (long id : ids) {
    if (rep::ITraceData* data = mgr.GetReportDataManagerForEdit()->GetITraceData(id)) PrintStoredTrace(*data);
  }
  if (ids.empty()) std::printf("  (no traces)\n");
}

// The report with its computed data written in the export form of reports, read into a fresh
// manager, where its traces hold the same curves as stored data, and its plot data written to a file.
bool CarryReportWithData(rep::IReportManagerFactory& factory, refhost::ReferenceReportManagerOwner& owner,
                         rep::IReportManager& mgr, long reportID, const fs::path& folder) {
  io::CBlock block(L"Reports");
  if (!mgr.WriteReportsWithData(block, {reportID})) return false;
  std::unique_ptr<rep::IReportManager> fresh = factory.CreateReportManager(&owner);
  VelmorCommand carry(L"Read reports with data");
  fresh->ReadReportsWithData(block, nullptr, &carry);
  carry.EndDo();
  std::vector<long> ids;
  fresh->GetReportIDs(ids);
  if (ids.size() != 1) return false;
  const std::string title = "carried with its data into a fresh manager as \"" +
                            fresh->GetReportDefinition(ids[0])->GetReportName().ToUtf8() + "\":";
  PrintImportedTraces(title.c_str(), *fresh, ids[0]);
  const std::string path = (folder / "carried_plot.txt").string();
  io::ForgetSaveFailure();
  if (!fresh->ExportReport(ids[0], AString::FromUtf8(path), {}, {PlotExportDefs::kRealImag})) {
    PrintSaveFailure("the report's plot data", path);
    return false;
  }
  std::printf("its plot data written to %s\n", path.c_str());
  Print("  in it: \"# \" and the report's name, then for each trace a line \"# \" and its name, a header line");
  Print("  \"# Curve\" and its expressions, and under it a line per point: its curve, named by its family (as");
  Print("  L=1mm), then the expressions' values");
  Wrote("carried_plot.txt", "the main job's report plot data, carried into a fresh manager");
  return true;
}

long AddEmptyReport(rep::IReportManager& mgr, const AString& name) {
  std::unique_ptr<rep::IReportDefinition> report = mgr.CreateReportDefinition({}, name);
  return mgr.AddReportDefinition(*report, nullptr);
}

// A measured csv file imported into a report with undo, saved and loaded with the project, then
// carried with its data into a second manager through the export form "Traces".
bool ImportRoad(rep::IReportManagerFactory& factory, refhost::ReferenceReportManagerOwner& owner,
                const fs::path& folder) {
  const std::string csv = (folder / "measured.csv").string();
  if (!SaveText(csv, "Freq [GHz],S21 [dB] - 20cel,S21 [dB] - 80cel\n1.0,-0.4,-0.7\n1.5,-0.9,-1.6\n2.0,-2.1,-3.3\n",
                "the data file to import"))
    return false;
  Wrote("measured.csv", "the imported data file");
  std::unique_ptr<rep::IReportManager> mgr = factory.CreateReportManager(&owner);
  const long reportID = AddEmptyReport(*mgr, L"Measured");
  VelmorCommand import(L"Import traces");
  orvex::test::Messages().Clear();
  const bool imported = mgr->ImportTracesFromFile(reportID, AString::FromUtf8(csv), &import, 1);
  import.EndDo();
  if (!imported) {
    Complain("could not import " + csv);
    for (const auto& posted : orvex::test::Messages().Posted()) PrintMessage(posted.message);
    return false;
  }
  PrintImportedTraces(("imported from " + csv + ":").c_str(), *mgr, reportID);
  Print("  (both data columns are S21, and a report's trace names are unique: the second trace is named");
  Print("  \"S21_\", its name with \"_\" added)");
  import.Undo();
  PrintImportedTraces("undone:", *mgr, reportID);
  import.Redo();
  PrintImportedTraces("redone:", *mgr, reportID);

  io::CBlock project(L"Project");
  dynamic_cast<io::CStreamio_block_object*>(mgr.get())->DoDataExchange(project, false);
  const std::string path = (folder / "imported_project.txt").string();
  const LongFileName file(AString::FromUtf8(path));
  io::CBlock loaded;
  std::unique_ptr<rep::IReportManager> reloaded = factory.CreateReportManager(&owner);
  if (!SaveProject(project, file, "the project with the imported traces")) return false;
  Wrote("imported_project.txt", "the project holding the imported traces");
  if (io::ReadBlockFile(file, loaded) != io::kNoError ||
      dynamic_cast<io::CStreamio_block_object*>(reloaded.get())->DoDataExchange(loaded, true) != io::kNoError) {
    Complain("could not read " + path + " back");
    return false;
  }
  PrintImportedTraces(("saved to " + path + " and loaded:").c_str(), *reloaded, reportID);

  std::vector<long> ids;
  reloaded->GetReportDefinition(reportID)->GetTraceIDs(ids);
  io::CBlock clip(L"Clip");
  std::unique_ptr<rep::IReportManager> other = factory.CreateReportManager(&owner);
  const long otherID = AddEmptyReport(*other, L"Elsewhere");
  VelmorCommand carry(L"Read traces with data");
  const bool carried = reloaded->WriteTracesWithData(clip, reportID, ids) &&
                       other->ReadTracesWithData(otherID, clip, nullptr, &carry);
  carry.EndDo();
  if (!carried) return false;
  PrintImportedTraces("carried into a second manager through \"Traces\":", *other, otherID);
  return true;
}


// The paste road: a report of one design pasted into a second design whose solution has the same
// name but other sweep values and one sweep more; the rebuilt point set and the messages are
// shown, then the paste is undone and redone.
void PrintPointset(const rep::IPointsetDefinition& pointset) {
  for (const AbstractSubsweepDefParams* def : pointset.GetSubsweepDefParamsContainer()) {
    std::string values;
    const auto* regular = dynamic_cast<const RegularSubsweepDefParams*>(def);
    const Column* selected = regular ? regular->GetSelectedValues() : nullptr;
    for (size_t i = 0; selected && i < selected->GetCount(); ++i)
      values += (i ? ", " : "") + selected->GetSingleValueText(i).ToUtf8();
    const int choice = def->GetSubsweepDefChoiceType();
    std::string shows = "[choice type " + std::to_string(choice) + "]";
    if (choice == rep::kAllValuesChoice) shows = "every value " + shows;
    if (choice == rep::kNominalValueChoice) shows = "the design's nominal value " + shows;
    if (choice == rep::kSelectedValuesChoice) shows = "the values selected " + shows + ": " + (values.empty() ? "none" : values);
    std::printf("    sweep %s: %s\n", def->GetSweepName().ToUtf8().c_str(), shows.c_str());
  }
}

bool ShowPasteRoad(rep::IReportManagerFactory& factory) {
  struct Design {
    refhost::ReferenceSolutionManager solutions;
    refhost::ReferenceReportManagerOwner owner;
    std::unique_ptr<ISimValueCache> cache;
    std::unique_ptr<IOutputVariableMgr> variables;
    std::unique_ptr<rep::IReportManager> mgr;
    Design(rep::IReportManagerFactory& factory, long instance, long designID) {
      solutions.SetDesignOfInstance(instance, designID);
      owner.SetDesignInstanceID(instance);
      owner.SetSolutionManager(&solutions);
      cache.reset(factory.CreateSimValueCache(&solutions));
      variables.reset(factory.CreateOutputVariableMgr(&solutions));
      owner.SetSimValueCache(cache.get());
      owner.SetOutputVariableMgr(variables.get());
    }
    refhost::ReferenceSolution& Solution(long id, const AString& name, const std::vector<double>& ghz) {
      refhost::ReferenceSolution& s = solutions.AddSolution(id, name);
      s.AddSweep(s.AddVariable(L"Freq", Value(ghz.front(), 113), false), ghz);
      s.AddQuantity(L"Gain", ValueState(1, 12, 1, 200));
      return s;
    }
  };
  Design first(factory, 1, 100);
  Design second(factory, 2, 200);
  first.Solution(10, L"Setup1 : Sweep", {1, 2, 3});
  second.Solution(20, L"Setup2 : Sweep", {1, 2, 3});
  refhost::ReferenceSolution& same = second.Solution(21, L"Setup1 : Sweep", {2, 4, 6});
  same.AddSweep(same.AddVariable(L"Length", Value(1.0, 90), false), {1, 2});
  first.mgr = factory.CreateReportManager(&first.owner);
  second.mgr = factory.CreateReportManager(&second.owner);
  if (!first.mgr || !second.mgr) return false;

  SubsweepDefParamsContainer subsweeps;
  DoubleColumn selected(113);
  selected.AppendValues({1, 2, 3});
  subsweeps.PushBackAndOwn(new RegularSubsweepDefParams(L"Freq", rep::kSelectedValuesChoice, &selected));
  std::unique_ptr<rep::IPointsetDefinition> pointset =
      first.mgr->CreatePointsetDefinition(subsweeps, std::vector<VariableValuesDefParams>());
  const DesignSolutionDefinition dsd(100, 10, ReportTypeSolutionDefinition(1));
  std::unique_ptr<rep::IBaseTraceDefinition> gain =
      first.mgr->CreateTraceDefinition(L"Gain", {L"Gain"}, dsd, *pointset, ExtTraceInfo());
  std::unique_ptr<rep::IReportDefinition> report = first.mgr->CreateReportDefinition({gain.get()}, L"Gain plot");
  const long reportID = first.mgr->AddReportDefinition(*report, nullptr);
  PrintReports("to copy, in the first design (Freq 1, 2 and 3 GHz selected):", *first.mgr);

  io::CBlock clipboard(L"Clipboard");
  if (!first.mgr->CopyReports(clipboard, nullptr, {reportID})) return false;
  refhost::RecordingPasteListener listener;
  VelmorCommand paste(L"Paste report");
  orvex::test::Messages().Clear();
  if (!second.mgr->PasteReports(clipboard, &listener, &paste)) return false;
  paste.EndDo();
  PrintReports("pasted into the second design:", *second.mgr);
  const auto renumbered = listener.TraceIDChanges();
  if (renumbered.size() != 1) return false;
  long solutionID = -1;
  SimValueContext context;
  listener.GetNewSolution(solutionID, context, renumbered[0].first);
  const rep::IPointsetDefinition* rebuilt = listener.GetNewPointset(renumbered[0].first);
  std::printf("  the trace now shows solution %ld, \"%s\", over the rebuilt point set:\n", solutionID,
              second.solutions.GetSolution(solutionID)->GetName().ToUtf8().c_str());
  if (!rebuilt) return false;
  PrintPointset(*rebuilt);
  for (const auto& posted : orvex::test::Messages().Posted()) PrintMessage(posted.message);
  std::vector<long> ids;
  second.mgr->GetReportIDs(ids);
  paste.Undo();
  PrintReports("undone:", *second.mgr);
  std::vector<long> undone;
  second.mgr->GetReportIDs(undone);
  paste.Redo();
  std::vector<long> redone;
  second.mgr->GetReportIDs(redone);
  std::printf("redone: %zu report(s) again\n", redone.size());
  return ids.size() == 1 && undone.empty() && redone == ids;
}

}  // namespace

// The design's solution-value cache and output variables, made by the engine and given to the
// owner for as long as the scope lives.
class DesignServices {
public:
  DesignServices(rep::IReportManagerFactory& factory, refhost::ReferenceSolutionManager& solutions,
                 refhost::ReferenceReportManagerOwner& owner)
      : m_owner(owner), m_cache(factory.CreateSimValueCache(&solutions)),
        m_variables(factory.CreateOutputVariableMgr(&solutions)) {
    m_owner.SetSimValueCache(m_cache.get());
    m_owner.SetOutputVariableMgr(m_variables.get());
  }
  ~DesignServices() {
    m_owner.SetOutputVariableMgr(nullptr);
    m_owner.SetSimValueCache(nullptr);
  }
  DesignServices(const DesignServices&) = delete;
  DesignServices& operator=(const DesignServices&) = delete;

  bool Made() const { return m_cache && m_variables; }
  IOutputVariableMgr& Variables() { return *m_variables; }

private:
  refhost::ReferenceReportManagerOwner& m_owner;
  std::unique_ptr<ISimValueCache> m_cache;
  std::unique_ptr<IOutputVariableMgr> m_variables;
};

// A unit type as a user reads it: what it measures and its default unit.
std::string UnitTypeText(Units::UnitType type) {
  static const std::pair<Units::UnitType, const char*> kinds[] = {
      {Units::kFrequency, "frequency"},     {Units::kVoltage, "voltage"},        {Units::kCurrent, "current"},
      {Units::kLength, "length"},           {Units::kAngle, "angle"},            {Units::kTime, "time"},
      {Units::kPower, "power"},             {Units::kResistance, "resistance"}, {Units::kCapacitance, "capacitance"},
      {Units::kInductance, "inductance"},   {Units::kDecibel, "a level in decibels"},
      {Units::kNoUnitType, "a plain number, without a unit"},
  };
  std::string text = "unknown";
  for (const auto& kind : kinds)
    if (kind.first == type) text = kind.second;
  const std::string unit = Units::GetUnitName(Units::GetDefaultUnits(type)).ToUtf8();
  if (!unit.empty()) text += " (" + unit + ")";
  return text + " [unit type " + std::to_string(type) + "]";
}

void PrintOutputVariables(const char* title, const IOutputVariableMgr& variables) {
  std::printf("%s\n", title);
  std::vector<OutputVariable*> all;
  variables.GetOutputVariables(all, nullptr);
  for (const OutputVariable* v : all)
    std::printf("  output variable %ld \"%s\" = %s\n", v->GetID(), v->GetName().ToUtf8().c_str(),
                v->GetValueBaseText().ToUtf8().c_str());
}

// Output variables: one defined with its checks, used in a trace, edited and undone, and saved
// with the reports that use it.
bool ShowOutputVariableRoad(rep::IReportManagerFactory& factory, refhost::ReferenceSolutionManager& solutions,
                            refhost::ReferenceReportManagerOwner& owner, const fs::path& folder) {
  refhost::ReferenceSolution& solution = solutions.AddSolution(20, L"Setup2 : Sweep");
  solution.AddSweep(solution.AddVariable(L"Freq", Value(1.0, 113), false), {1, 2, 3});  // GHz
  solution.AddQuantity(L"Gain", ValueState(1, 12, 1, 200));                            // dB
  const DesignSolutionDefinition dsd(100, 20, ReportTypeSolutionDefinition(1));
  solutions.AddDesignSolutionDefinition(dsd);

  DesignServices services(factory, solutions, owner);
  if (!services.Made()) return false;
  IOutputVariableMgr* variables = &services.Variables();
  bool ok = true;
  {
    OutputVariableDefParams taken(id::invalidID, L"Gain", L"2");
    std::printf("the name \"Gain\" for an output variable: %s\n",
                variables->CheckOutputVariableDefinition(taken, dsd) ? "accepted" : "refused (a quantity)");
    OutputVariableDefParams loss(id::invalidID, L"Loss", L"-Gain");
    VelmorCommand define(L"Define output variable");
    ok = variables->CheckOutputVariableDefinition(loss, dsd) && variables->ValidateOutputVariableExpression(loss, dsd) &&
         variables->CreateOutputVariable(loss, dsd, &define);
    define.EndDo();
    PrintOutputVariables("defined:", *variables);

    std::unique_ptr<rep::IReportManager> mgr = factory.CreateReportManager(&owner);
    SubsweepDefParamsContainer subsweeps;
    subsweeps.PushBackAndOwn(new RegularSubsweepDefParams(L"Freq", 1));
    std::unique_ptr<rep::IPointsetDefinition> pointset =
        mgr->CreatePointsetDefinition(subsweeps, std::vector<VariableValuesDefParams>());
    std::unique_ptr<rep::IBaseTraceDefinition> trace =
        mgr->CreateTraceDefinition({L"Freq", L"Loss"}, dsd, *pointset, ExtTraceInfo(), nullptr);
    std::unique_ptr<rep::IReportDefinition> report = mgr->CreateReportDefinition({trace.get()}, L"Loss Plot");
    const long reportID = mgr->AddReportDefinition(*report, nullptr);
    Units::UnitType unitType = 0;
    const bool typed = mgr->GetExpressionUnitType(unitType, L"Loss", dsd);
    std::printf("unit type of \"Loss\": %s\n", typed ? UnitTypeText(unitType).c_str() : "UNKNOWN");
    const bool valid = mgr->GetReportDefinition(reportID)->ValidateDefinition();
    std::printf("report \"Loss Plot\" validates: %s\n", valid ? "yes" : "NO");
    ok = ok && typed && valid;

    OutputVariable* defined = variables->FindOutputVariable(L"Loss");
    OutputVariableDefParams edited(defined ? defined->GetID() : id::invalidID, L"Loss", L"-2*Gain");
    VelmorCommand edit(L"Edit output variable");
    ok = variables->EditOutputVariable(edited, dsd, &edit) && ok;
    edit.EndDo();
    PrintOutputVariables("edited:", *variables);
    edit.Undo();
    PrintOutputVariables("undone:", *variables);

    io::CBlock project(L"Project");
    dynamic_cast<io::CStreamio_block_object*>(variables)->DoDataExchange(project, false);
    dynamic_cast<io::CStreamio_block_object*>(mgr.get())->DoDataExchange(project, false);
    const std::string path = (folder / "outputvars_project.txt").string();
    const LongFileName file(AString::FromUtf8(path));
    if (!SaveProject(project, file, "the project with output variables")) return false;
    Wrote("outputvars_project.txt", "the project with output variables");
    std::printf("saved to %s\n", path.c_str());
    io::CBlock loaded;
    if (io::ReadBlockFile(file, loaded) != io::kNoError) {
      Complain("could not read " + path + " back");
      return false;
    }

    std::unique_ptr<IOutputVariableMgr> freshVariables(factory.CreateOutputVariableMgr(&solutions));
    owner.SetOutputVariableMgr(freshVariables.get());
    std::unique_ptr<rep::IReportManager> freshMgr = factory.CreateReportManager(&owner);
    ok = freshVariables->DoDataExchange(loaded, true) == io::kNoError &&
         dynamic_cast<io::CStreamio_block_object*>(freshMgr.get())->DoDataExchange(loaded, true) == io::kNoError && ok;
    PrintOutputVariables("reloaded:", *freshVariables);
    PrintReports("reloaded reports:", *freshMgr);
    std::vector<long> ids;
    freshMgr->GetReportIDs(ids);
    const bool stillValid = !ids.empty() && freshMgr->GetReportDefinition(ids[0])->ValidateDefinition();
    std::printf("reloaded report validates: %s\n", stillValid ? "yes" : "NO");
    ok = ok && stillValid;
  }
  return ok;
}

// The point set of a computed trace as its swept and fixed variables.
std::string PointsetText(const rep::IBaseTraceDefinition& trace) {
  const auto* computed = dynamic_cast<const rep::ITraceDefinition*>(&trace);
  const rep::IPointsetDefinition* pointset = computed ? computed->GetPointsetDefinition() : nullptr;
  if (!pointset) return "none";
  std::string out;
  for (const AbstractSubsweepDefParams* def : pointset->GetSubsweepDefParamsContainer())
    out += (out.empty() ? "" : ", ") + def->GetSweepName().ToUtf8();
  return "sweeps " + (out.empty() ? std::string("none") : out);
}

void PrintSweeps(const char* title, refhost::ReferenceSolution& solution) {
  std::vector<SweepBase*> sweeps;
  solution.GetSweeps(sweeps, SimValueContext(), 1);
  std::string names;
  for (const SweepBase* sweep : sweeps) names += (names.empty() ? "" : ", ") + sweep->GetName().ToUtf8();
  std::printf("%s %s\n", title, names.c_str());
}

// The one trace of the report as "name (expressions; point set)"; empty when the report is gone.
std::string TraceText(const rep::IReportManager& mgr, long reportID) {
  const rep::IReportDefinition* report = mgr.GetReportDefinition(reportID);
  std::vector<long> ids;
  if (report) report->GetTraceIDs(ids);
  if (ids.empty()) return std::string();
  const rep::IBaseTraceDefinition* trace = report->GetTraceDefinition(ids[0]);
  std::string exprs;
  for (unsigned i = 0; i < trace->GetNumComponents(); ++i)
    exprs += (i ? ", " : "") + trace->GetComponent(i)->GetExpression().ToUtf8();
  return "\"" + trace->GetName().ToUtf8() + "\" (" + exprs + "; " + PointsetText(*trace) + ")";
}

// Sweep repair: a command takes the frequency sweep out of a solution; the trace that plotted over
// it follows the sweep that is left, in its x and in its point set, and undo puts back both the
// sweep and the trace.
bool ShowSweepRepairRoad(rep::IReportManagerFactory& factory, refhost::ReferenceSolutionManager& solutions,
                         refhost::ReferenceReportManagerOwner& owner) {
  refhost::ReferenceSolution& solution = solutions.AddSolution(30, L"Setup3 : Sweep");
  solution.AddSweep(Variable::FindIntrinsic(L"Freq"), {1e9, 2e9, 3e9});
  solution.AddSweep(solution.AddVariable(L"Length", Value(1.0, 142), false), {1.0, 1.5, 2.0});  // mm
  solution.AddQuantity(L"S11", ValueState(2, 15, 1));
  const DesignSolutionDefinition dsd(100, 30, ReportTypeSolutionDefinition(1));

  DesignServices services(factory, solutions, owner);
  if (!services.Made()) return false;
  bool ok = true;
  {
    std::unique_ptr<rep::IReportManager> mgr = factory.CreateReportManager(&owner);
    SubsweepDefParamsContainer subsweeps;
    std::vector<SweepBase*> sweeps;
    solution.GetSweeps(sweeps, SimValueContext(), 1);
    for (const SweepBase* sweep : sweeps) subsweeps.PushBackAndOwn(sweep->CreateDefaultSubsweepDefParams());
    std::unique_ptr<rep::IPointsetDefinition> pointset =
        mgr->CreatePointsetDefinition(subsweeps, std::vector<VariableValuesDefParams>());
    std::unique_ptr<rep::IBaseTraceDefinition> trace =
        mgr->CreateTraceDefinition({L"Freq", L"mag(S11)"}, dsd, *pointset, ExtTraceInfo(), nullptr);
    std::unique_ptr<rep::IReportDefinition> report = mgr->CreateReportDefinition({trace.get()}, L"Sweep Plot");
    const long reportID = mgr->AddReportDefinition(*report, nullptr);
    PrintSweeps("solution \"Setup3 : Sweep\" sweeps", solution);
    const std::string before = TraceText(*mgr, reportID);
    std::printf("trace before: %s\n", before.c_str());

    VelmorCommand remove(L"Remove sweep Freq");
    orvex::test::Messages().Clear();
    ok = solution.RemoveSweep(L"Freq", &remove);
    mgr->UpdateReportsOnCommand(&remove);
    remove.EndDo();
    PrintSweeps("after removing the sweep of Freq, the solution sweeps", solution);
    for (const orvex::test::PostedMessage& posted : orvex::test::Messages().Posted()) PrintMessage(posted.message);
    const std::string repaired = TraceText(*mgr, reportID);
    std::printf("trace repaired: %s\n", repaired.c_str());
    remove.Undo();
    PrintSweeps("undone, the solution sweeps", solution);
    const std::string undone = TraceText(*mgr, reportID);
    std::printf("trace undone: %s\n", undone.c_str());
    ok = ok && repaired.find("(Length, mag(S11); sweeps Length)") != std::string::npos && undone == before;
  }
  return ok;
}

// The composite types this host gives its quantities, and what it means by them.
const int kComplexParts = 2;    // a complex quantity as its real and imaginary parts
const int kVectorOfFields = 7;  // a vector field as its components

std::string CompositeTypeText(int type) {
  const std::string code = " [composite type " + std::to_string(type) + "]";
  if (type == kComplexParts) return "made of its real and imaginary parts" + code;
  if (type == kVectorOfFields) return "a vector field, made of its components" + code;
  return "composite" + code;
}

// One node of a composite trace's component tree, indented by its depth; a leaf with its values.
void PrintComponentTree(const IBaseTraceComponentData* node, int depth) {
  if (!node) return;
  const std::string indent(2 * static_cast<size_t>(depth) + 2, ' ');
  if (auto* composite = dynamic_cast<const ICompositeTraceComponentData*>(node)) {
    std::printf("%s%s (%s)\n", indent.c_str(), composite->GetExpression().ToUtf8().c_str(),
                CompositeTypeText(composite->GetCompositeType()).c_str());
    for (unsigned i = 0; i < composite->GetNumChildren(); ++i) PrintComponentTree(composite->GetChild(i), depth + 1);
    return;
  }
  auto* leaf = dynamic_cast<const ITraceComponentData*>(node);
  const Column* column = leaf ? leaf->GetDataColumn() : nullptr;
  std::printf("%s%s: %s\n", indent.c_str(), node->GetExpression().ToUtf8().c_str(),
              column ? AString(column->GetValuesText()).ToUtf8().c_str() : "no column");
}

// A trace of a composite quantity, through the plug-in only: the field E = {Ex, Ey} of a port
// with Ex itself made of its real and imaginary parts, printed as a tree before and after an update.
bool CompositeTraceAsTree(rep::IReportManagerFactory& factory) {
  refhost::ReferenceSolutionManager solutions;
  solutions.UseTempDirFileService();
  solutions.SetDesignOfInstance(1, 100);
  refhost::ReferenceSolution& solution = solutions.AddSolution(30, L"Design : Field");
  solution.AddSupportedReportType(1);
  Variable* freq = solution.AddVariable(L"F", Value(1.0, 113), false);
  Variable* length = solution.AddVariable(L"L", Value(1.0, 142), true);
  auto model = [freq, length](double (*fn)(double, double)) {
    return [freq, length, fn](const VariableValues& at) {
      return AComplex<double>(fn(at.GetVariableValue(freq)->GetValue(), at.GetVariableValue(length)->GetValue()), 0);
    };
  };
  solution.AddQuantity(L"ExRe", ValueState(1, 15, 1), model([](double f, double l) { return std::cos(f * l); }));
  solution.AddQuantity(L"ExIm", ValueState(1, 15, 1), model([](double f, double l) { return std::sin(f * l); }));
  solution.AddQuantity(L"Ey", ValueState(1, 15, 1), model([](double f, double l) { return 0.5 * f / l; }));
  solution.AddCompositeQuantity(L"Ex", kComplexParts, {L"ExRe", L"ExIm"});
  solution.AddCompositeQuantity(L"E", kVectorOfFields, {L"Ex", L"Ey"});
  solution.SetDescribesQuantitiesByTypeParams(true);
  solution.AddSweep(freq, {1, 2, 3});
  solution.AddSweep(length, {1.0, 2.0});
  for (double l : {1.0, 2.0}) {
    VariableValues point;
    point.SetVariableValue(length, Value(l, 142));
    solution.AddInstance(point);
  }
  std::unique_ptr<IOutputVariableMgr> outputVariables(factory.CreateOutputVariableMgr(&solutions));
  std::unique_ptr<ISimValueCache> cache(factory.CreateSimValueCache(&solutions));
  refhost::ReferenceReportManagerOwner owner;
  owner.SetDesignInstanceID(1);
  owner.SetSolutionManager(&solutions);
  owner.SetOutputVariableMgr(outputVariables.get());
  owner.SetSimValueCache(cache.get());

  std::unique_ptr<rep::IReportManager> mgr = factory.CreateReportManager(&owner);
  if (!mgr) return false;
  SubsweepDefParamsContainer subsweeps;
  for (const wchar_t* name : {L"F", L"L"})
    subsweeps.PushBackAndOwn(solution.GetSweepOfVariable(name, SimValueContext(), 1)->CreateDefaultSubsweepDefParams());
  std::unique_ptr<rep::IPointsetDefinition> pointset =
      mgr->CreatePointsetDefinition(subsweeps, std::vector<VariableValuesDefParams>());
  const DesignSolutionDefinition dsd(100, 30, ReportTypeSolutionDefinition(1));
  std::unique_ptr<rep::IBaseTraceDefinition> trace = mgr->CreateTraceDefinition(L"Port field", {L"E"}, dsd, *pointset,
                                                                               ExtTraceInfo());
  std::unique_ptr<rep::IReportDefinition> report = mgr->CreateReportDefinition({trace.get()}, L"Field plot");
  const long reportID = mgr->AddReportDefinition(*report, nullptr);
  std::vector<long> traceIDs;
  mgr->GetReportDefinition(reportID)->GetTraceIDs(traceIDs);
  rep::IReportDataManager* data = mgr->GetReportDataManagerForEdit();

  auto print = [&](const char* title) -> ICompositeTraceData* {
    auto* composite = dynamic_cast<ICompositeTraceData*>(data->GetIAbstractTraceData(traceIDs.at(0)));
    if (!composite) return nullptr;
    std::printf("%s %u curves\n", title, composite->GetNumCurves());
    for (unsigned c = 0; c < composite->GetNumCurves(); ++c)
      std::printf("  curve %u \"%s\": rows %u to %u\n", c, composite->GetCurveVariationKey(c, false).ToUtf8().c_str(),
                  composite->GetCurveOffset(c), composite->GetCurveOffset(c) + composite->GetNumPointsInCurve(c) - 1);
    for (unsigned i = 0; i < composite->GetNumComponents(); ++i) PrintComponentTree(composite->GetComponent(i), 0);
    return composite;
  };
  if (!print("composite trace E before the update (placeholder):")) return false;
  std::vector<ICentralizedUpdateObject*> objects;
  data->GetCentralizedUpdateObjects(objects, reportID);
  CentralizedUpdateUtility::UpdateObjects(nullptr, objects, nullptr);
  ICompositeTraceData* after = print("after the update:");
  return after && after->GetNumCurves() == 2 && objects.size() == 1;
}

// Data that no report holds: an output variable evaluated between two frequency points, then two
// traces extracted in one call and printed from the data handed over.
void PrintExtractedTrace(const char* title, const rep::ITraceDataForProduct& data) {
  std::printf("%s \"%s\" along %s\n", title, data.GetComponentExpression(1).ToUtf8().c_str(),
              data.GetPrimarySweepName().ToUtf8().c_str());
  std::unique_ptr<Column> x(data.ClonePrimarySweepColumn());
  std::unique_ptr<Column> y(data.CloneDataColumn(1));
  if (!x || !y) return;
  for (unsigned curve = 0; curve < data.GetNumCurves(); ++curve) {
    std::string line;
    for (unsigned k = 0; k < data.GetNumPointsInCurve(curve); ++k) {
      const size_t row = data.GetCurveOffset(curve) + k;
      line += " " + x->GetSingleValueText(row).ToUtf8() + ":" + y->GetSingleValueText(row).ToUtf8();
    }
    std::printf("  curve %u:%s\n", curve, line.c_str());
  }
}

bool ShowExtractionRoad(rep::IReportManagerFactory& factory) {
  refhost::ReferenceSolutionManager solutions;
  solutions.SetDesignOfInstance(1, 100);
  refhost::ReferenceSolution& solution = solutions.AddSolution(30, L"Setup3 : Sweep");
  solution.AddSupportedReportType(1);
  Variable* freq = solution.AddVariable(L"Freq", Value(1.0, 113), false);    // GHz, solved as a whole
  Variable* length = solution.AddVariable(L"Length", Value(1.0, 142), true);  // mm
  solution.AddQuantity(L"Gain", ValueState(1, 15, 1), [freq, length](const VariableValues& at) {
    return AComplex<double>(Gain(at.GetVariableValue(length)->GetValue(), at.GetVariableValue(freq)->GetValue()), 0);
  });
  solution.AddSweep(freq, kFrequencies, true);
  solution.AddSweep(length, kLengths);
  for (double l : kLengths) {
    VariableValues point;
    point.SetVariableValue(length, Value(l, 142));
    solution.AddInstance(point);
  }
  const DesignSolutionDefinition dsd(100, 30, ReportTypeSolutionDefinition(1));
  solutions.AddDesignSolutionDefinition(dsd);
  std::unique_ptr<ISimValueCache> cache(factory.CreateSimValueCache(&solutions));
  std::unique_ptr<IOutputVariableMgr> variables(factory.CreateOutputVariableMgr(&solutions));
  if (!cache || !variables) return false;

  OutputVariableDefParams loss(id::invalidID, L"Loss", L"-Gain");
  VelmorCommand define(L"Define output variable");
  bool ok = variables->CreateOutputVariable(loss, dsd, &define);
  define.EndDo();
  refhost::ReferenceDesign design(1);
  design.SetISimValueCache(cache.get());
  VariableValues between;
  between.SetVariableValue(freq, Value(2.5, 113));
  between.SetVariableValue(length, Value(1.5, 142));
  Value value(Units::kNoUnit);
  const bool evaluated =
      variables->GetIOutputVariableMgrForProducts()->EvaluateOutputVariable(value, L"Loss", between, dsd, &design);
  std::printf("Loss at %s: %s (Loss at 2 GHz: %.6g, at 3 GHz: %.6g)\n",
              between.GetVariationKey(true).ToUtf8().c_str(),
              evaluated ? value.GetValueText().ToUtf8().c_str() : "NOT EVALUATED", -Gain(1.5, 2.0), -Gain(1.5, 3.0));
  ok = ok && evaluated;

  std::vector<rep::TraceExtractionRequest> requests(2);
  const wchar_t* expressions[] = {L"Gain", L"Loss"};
  for (size_t i = 0; i < requests.size(); ++i) {
    requests[i].m_expressions = {L"Freq", expressions[i]};
    requests[i].m_solutionID = 30;
    requests[i].m_designInstanceID = 1;
    requests[i].m_reportTypeSolutionDefinition = ReportTypeSolutionDefinition(1);
    for (const wchar_t* name : {L"Freq", L"Length"})
      requests[i].m_pointsetDefParams.GetSubsweepDefParamsContainerForEdit().PushBackAndOwn(
          solution.GetSweepOfVariable(name, SimValueContext(), 1)->CreateDefaultSubsweepDefParams());
  }
  // The desktop's answer does not matter to the extraction: it makes no report of the project.
  std::vector<rep::ITraceDataForProduct*> results;
  const bool extracted = factory.ExtractTraceDataIntoTemporaryReport(results, requests, &solutions, variables.get(),
                                                                     cache.get(), nullptr, nullptr);
  std::printf("extracted %zu traces: %s\n", results.size(), extracted ? "all with data" : "NOT ALL");
  for (rep::ITraceDataForProduct* data : results) {
    if (data) PrintExtractedTrace("extracted", *data);
    delete data;  // the caller owns what is handed over
  }
  return ok && extracted;
}

int main(int argc, char** argv) {
  // A line at a time: with stderr sent to the same place, no line is cut by another.
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const char* plugin = argc > 1 ? argv[1] : "librep.so";
  const fs::path folder = fs::absolute(argc > 2 ? argv[2] : "rep_demo_files");
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (!fs::is_directory(folder)) {
    Complain("cannot make the folder " + folder.string() + ": " + ec.message());
    return 1;
  }
  // Only what an earlier run wrote goes, so that the cache files are numbered from 1 again.
  for (const char* written : {"project.txt", "imported_project.txt", "measured.csv", "return_loss.csv", "svcache",
                              "outputvars_project.txt", "carried_plot.txt"}) {
    fs::remove_all(folder / written, ec);
    if (ec) Complain("could not remove " + (folder / written).string() + ", left by an earlier run: " + ec.message());
  }
  void* handle = dlopen(plugin, RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    Complain(std::string("cannot load ") + plugin + ": " + dlerror());
    return 1;
  }
  using EntryPoint = rep::IReportManagerFactory* (*)();
  auto entry = reinterpret_cast<EntryPoint>(dlsym(handle, "OrvDllGetFactoryInterface"));
  if (!entry) {
    Complain(std::string("no entry point in ") + plugin);
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
  bool firstOk = true;
  const char* const firstHeading = "Reports defined, edited with undo, saved and loaded";
  Heading(firstHeading);
  {
    std::unique_ptr<rep::IReportManager> mgr = entry()->CreateReportManager(&owner);
    if (!mgr) {
      Complain("the factory made no report manager");
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
    const std::string path = (folder / "project.txt").string();
    const LongFileName file(AString::FromUtf8(path));
    if (!SaveProject(project, file)) {
      firstOk = false;
    } else {
      std::printf("saved to %s\n", path.c_str());
      Wrote("project.txt", "the project of the first step");
      io::CBlock loaded;
      std::unique_ptr<rep::IReportManager> fresh = entry()->CreateReportManager(&owner);
      if (io::ReadBlockFile(file, loaded) != io::kNoError ||
          dynamic_cast<io::CStreamio_block_object*>(fresh.get())->DoDataExchange(loaded, true) != io::kNoError) {
        Complain("could not read " + path + " back");
        firstOk = false;
      }
      PrintReports("loaded into a fresh manager:", *fresh);
    }
  }
  if (!firstOk) {
    Complain(std::string("failed: ") + firstHeading);
    status = 1;
  }
  struct Step {
    const char* heading;
    const char* shows;  // for the summary
    std::function<bool()> run;
  };
  rep::IReportManagerFactory& factory = *entry();
  const Step steps[] = {
      {"Import a data file", "a csv file imported as traces, saved, loaded and carried with its data",
       [&] { return ImportRoad(factory, owner, folder); }},
      {"Main job: traces updated from a swept solution",
       "a swept solution's curves computed through the centralized update, carried with their data, served "
       "again from the cache",
       [&] { return MainJob(factory, folder); }},
      {"A composite trace as a tree", "a composite trace's component tree and its curves",
       [&] { return CompositeTraceAsTree(factory); }},
      {"Statistics and a histogram across families", "statistics and a histogram across trace families",
       [&] { return ShowFamilyStatistics(factory); }},
      {"The solution-value cache", "quantity values pushed, the cache files written and read back bit for bit",
       [&] { return ShowCacheRoad(factory, solutions, folder); }},
      {"Output variables", "an output variable defined, used, validated, edited, undone, saved and reloaded",
       [&] { return ShowOutputVariableRoad(factory, solutions, owner, folder); }},
      {"A sweep taken out of a solution", "a trace repaired to follow the sweep left, and undone",
       [&] { return ShowSweepRepairRoad(factory, solutions, owner); }},
      {"Paste into another design", "a report pasted where the sweep values differ, with its messages, undone and redone",
       [&] { return ShowPasteRoad(factory); }},
      {"Evaluation and extraction for a product", "an output variable evaluated between sweep points, and traces extracted for a product",
       [&] { return ShowExtractionRoad(factory); }},
  };
  std::vector<bool> passed;
  for (const Step& step : steps) {
    Heading(step.heading);
    passed.push_back(step.run());
    if (!passed.back()) {
      Complain(std::string("failed: ") + step.heading);
      status = 1;
    }
  }

  Heading("Summary");
  std::printf("  %-4s reports defined, renamed with undo and redo, saved and loaded\n", firstOk ? "ok" : "FAIL");
  for (size_t i = 0; i < passed.size(); ++i) std::printf("  %-4s %s\n", passed[i] ? "ok" : "FAIL", steps[i].shows);
  std::vector<std::pair<std::string, std::string>> kept;
  for (const auto& file : WrittenFiles())
    if (fs::exists(folder / file.first, ec)) kept.push_back(file);
  if (kept.empty())
    std::printf("no file was written to %s\n", folder.c_str());
  else
    std::printf("the files written are kept in %s:\n", folder.c_str());
  for (const auto& file : kept) std::printf("  %-24s %s\n", file.first.c_str(), file.second.c_str());
  Print(status == 0 ? "done" : "failed");
  return status;
}
