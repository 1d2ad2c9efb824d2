#include "TracesImportFuzzEntry.h"

#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ConcreteTraceDataFuzzEntry.h"
#include "reports/ImportedTraceDefinition.h"
#include "reports/ReportDefinition.h"
#include "reports/ReportManager.h"
#include "orvex/core/Assert.h"
#include "orvex/core/MessageLog.h"
#include "orvex/io/Block.h"
#include "orvex/io/BlockFile.h"
#include "postorvex/columns/Column.h"
#include "postorvex/columns/ComplexColumn.h"
#include "postorvex/columns/DoubleColumn.h"

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

// One value's bits as text; every NaN alike, as a payload need not survive the text form.
void AppendBits(std::string& out, double v) {
  if (std::isnan(v)) {
    out += " nan";
    return;
  }
  uint64_t bits = 0;
  std::memcpy(&bits, &v, sizeof bits);
  out += " " + std::to_string(bits);
}

void AppendColumn(std::string& out, const Column* column) {
  if (!column) {
    out += " none\n";
    return;
  }
  out += " type " + std::to_string(column->GetParameterType()) + " units " + std::to_string(column->GetUnits()) +
         " count " + std::to_string(column->GetCount()) + ":";
  if (const DoubleColumn* doubles = column->GetDoubleColumn()) {
    for (double v : doubles->GetValues()) AppendBits(out, v);
  } else if (const ComplexColumn* complex = column->GetComplexColumn()) {
    for (const AComplex<double>& v : complex->GetValues()) {
      AppendBits(out, v.Real());
      AppendBits(out, v.Imag());
    }
  } else {
    out += " " + column->GetValuesText().ToUtf8();
  }
  out += "\n";
}

// What the report's traces hold, IDs aside: names, expressions, curves, units and every value's
// bits.
std::string TracesContent(const ReportDefinition& report) {
  std::string out;
  for (BaseTraceDefinition* trace : report.GetTraces()) {
    out += "trace " + trace->GetName().ToUtf8() + "\n";
    for (unsigned i = 0; i < trace->GetNumComponents(); ++i)
      out += " component " + trace->GetComponent(i)->GetExpression().ToUtf8() + "\n";
    auto* imported = dynamic_cast<ImportedTraceDefinition*>(trace);
    auto* data = imported ? dynamic_cast<ITraceData*>(imported->GetTraceData()) : nullptr;
    if (!data) {
      out += " no data\n";
      continue;
    }
    out += " primary " + imported->GetPrimarySweepName().ToUtf8() + "\n";
    for (unsigned c = 0; c < data->GetNumCurves(); ++c)
      out += " curve " + data->GetCurveVariationKey(c, false).ToUtf8() + " at " +
             std::to_string(data->GetCurveOffset(c)) + " of " + std::to_string(data->GetNumPointsInCurve(c)) + "\n";
    if (ITraceDataSweepInfo* sweep = data->GetTraceDataSweepInfo()) {
      out += " sweep " + sweep->GetPrimarySweepName().ToUtf8();
      AppendColumn(out, sweep->GetPrimarySweepColumn());
    }
    for (unsigned d = 0; d < data->GetNumComponents(); ++d) AppendColumn(out, data->GetDataColumn(d));
  }
  return out;
}

// The report as its manager writes it, data included.
AString WrittenReport(ReportManager& mgr, const ReportDefinition& report) {
  io::CBlock block(L"Reports");
  ORVEX_ASSERT(mgr.WriteReportsWithData(block, {report.GetReportID()}));
  return io::BlockToText(block);
}

int FuzzImportDataFile(const char* extension, const uint8_t* data, size_t size) {
  const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                     ("rep_import_fuzz_" + std::to_string(::getpid()) + "." + extension);
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  const AString fileName = AString::FromUtf8(file.string());
  ReportManager mgr(nullptr, true);
  ReportDefinition& report = NewReport(mgr, L"Import");
  const AString before = WrittenReport(mgr, report);
  const size_t messagesBefore = orvex::test::Messages().Posted().size();
  const bool imported = report.ImportTracesFromFile(fileName, nullptr, 1);
  if (!imported) {
    // A refused file says why and leaves the report as it was.
    ORVEX_ASSERT(orvex::test::Messages().Posted().size()>messagesBefore);
    ORVEX_ASSERT(WrittenReport(mgr,report)==before);
  } else {
    TouchTraces(report);
    const std::string content = TracesContent(report);

    // The same bytes import the same traces again.
    ReportManager second(nullptr, true);
    ReportDefinition& again = NewReport(second, L"Import");
    ORVEX_ASSERT(again.ImportTracesFromFile(fileName,nullptr,1));
    ORVEX_ASSERT(TracesContent(again)==content);

    // The export form, read into a fresh report, holds what the import made, bit for bit.
    std::vector<long> ids;
    report.GetTraceIDs(ids);
    io::CBlock written(L"Clip");
    ORVEX_ASSERT(report.WriteTracesWithData(written, ids));
    ReportManager fresh(nullptr, true);
    ReportDefinition& read = NewReport(fresh, L"Import");
    ORVEX_ASSERT(read.ReadTracesWithData(written,nullptr,nullptr));
    ORVEX_ASSERT(TracesContent(read)==content);
  }
  std::filesystem::remove(file);
  orvex::test::Messages().Clear();
  return imported ? 1 : 0;
}

}  // namespace

int FuzzImportTxt(const uint8_t* data, size_t size) { return FuzzImportDataFile("txt", data, size); }
int FuzzImportCsv(const uint8_t* data, size_t size) { return FuzzImportDataFile("csv", data, size); }
int FuzzImportTab(const uint8_t* data, size_t size) { return FuzzImportDataFile("tab", data, size); }
int FuzzImportDat(const uint8_t* data, size_t size) { return FuzzImportDataFile("dat", data, size); }

}  // namespace rep
