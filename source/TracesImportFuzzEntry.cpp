#include "TracesImportFuzzEntry.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ConcreteTraceDataFuzzEntry.h"
#include "ImportedTraceDefinition.h"
#include "ReportDefinition.h"
#include "ReportManager.h"
#include "orvex/core/Assert.h"
#include "orvex/core/MessageLog.h"
#include "orvex/io/Block.h"
#include "orvex/io/BlockFile.h"
#include "postorvex/columns/Column.h"

namespace rep {

namespace {

// Every row that a curve claims, in every column the data holds; a soft assertion when a curve
// reaches past a column.
void TouchEveryPoint(IAbstractTraceData* data) {
  auto* plain = dynamic_cast<ITraceData*>(data);
  if (!plain) return;
  std::vector<const Column*> columns;
  for (unsigned d = 0; d < plain->GetNumComponents(); ++d) columns.push_back(plain->GetDataColumn(d));
  if (ITraceDataSweepInfo* sweep = data->GetTraceDataSweepInfo()) columns.push_back(sweep->GetPrimarySweepColumn());
  for (const Column* column : columns) {
    if (!column) continue;
    for (unsigned c = 0; c < data->GetNumCurves(); ++c) {
      const uint64_t first = data->GetCurveOffset(c);
      const uint64_t end = first + data->GetNumPointsInCurve(c);
      ORVEX_ASSERT(end<=column->GetCount());
      if (end > column->GetCount()) return;
      for (uint64_t row = first; row < end; ++row) (void)column->IsInvalidAt(row);
    }
  }
}

ReportDefinition& NewReport(ReportManager& mgr, const AString& name) {
  std::unique_ptr<IReportDefinition> report = mgr.CreateReportDefinition({}, name);
  const long id = mgr.AddReportDefinition(*report, nullptr);
  return *dynamic_cast<ReportDefinition*>(mgr.GetReportDefinition(id));
}

void TouchTraces(const ReportDefinition& report) {
  for (BaseTraceDefinition* trace : report.GetTraces())
    if (auto* imported = dynamic_cast<ImportedTraceDefinition*>(trace)) TouchEveryPoint(imported->GetTraceData());
}

int FuzzImportDataFile(const char* extension, const uint8_t* data, size_t size) {
  const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                     ("rep_import_fuzz_" + std::to_string(::getpid()) + "." + extension);
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  ReportManager mgr(nullptr, true);
  ReportDefinition& report = NewReport(mgr, L"Import");
  const size_t messagesBefore = orvex::test::Messages().Posted().size();
  const bool imported = report.ImportTracesFromFile(AString::FromUtf8(file.string()), nullptr, 1);
  std::filesystem::remove(file);
  // A refused file says why.
  ORVEX_ASSERT(imported||orvex::test::Messages().Posted().size()>messagesBefore);
  TouchTraces(report);
  orvex::test::Messages().Clear();
  return imported ? 1 : 0;
}

}  // namespace

int FuzzImportTxt(const uint8_t* data, size_t size) { return FuzzImportDataFile("txt", data, size); }
int FuzzImportCsv(const uint8_t* data, size_t size) { return FuzzImportDataFile("csv", data, size); }
int FuzzImportTab(const uint8_t* data, size_t size) { return FuzzImportDataFile("tab", data, size); }
int FuzzImportDat(const uint8_t* data, size_t size) { return FuzzImportDataFile("dat", data, size); }

}  // namespace rep
