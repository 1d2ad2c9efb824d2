#include "postorvex/plotdata/PlotExport.h"

#include <cstdio>
#include <string>

#include "Gravik/IReportDefinition.h"
#include "Gravik/ITraceDataInterfaces.h"
#include "postorvex/columns/Column.h"

namespace {

void AppendNumber(std::string& line, double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.17g", value);
  line += buffer;
}

// One cell, or two for a complex value; an empty cell past the column's end.
void AppendCell(std::string& line, const Column* column, size_t row) {
  line += '\t';
  if (!column || row >= column->GetCount()) return;
  if (const DoubleColumn* doubles = column->GetDoubleColumn()) {
    AppendNumber(line, doubles->GetValues()[row]);
    return;
  }
  if (const ComplexColumn* complex = column->GetComplexColumn()) {
    AppendNumber(line, complex->GetValues()[row].real());
    line += '\t';
    AppendNumber(line, complex->GetValues()[row].imag());
    return;
  }
  line += column->GetSingleValueText(row).ToUtf8();
}

void WriteTrace(std::string& out, const rep::ITraceData& data) {
  const unsigned dims = data.GetNumComponents();
  out += "# " + data.GetTraceName().ToUtf8();
  for (unsigned d = 0; d < dims; ++d) out += "\t" + data.GetComponentExpression(d).ToUtf8();
  out += '\n';
  std::vector<const Column*> columns;
  for (unsigned d = 0; d < dims; ++d) columns.push_back(data.GetDataColumn(d));
  for (unsigned curve = 0; curve < data.GetNumCurves(); ++curve) {
    const std::string key = data.GetCurveVariationKey(curve, false).ToUtf8();
    const size_t first = data.GetCurveOffset(curve);
    for (size_t row = first; row < first + data.GetNumPointsInCurve(curve); ++row) {
      std::string line = key;
      for (const Column* column : columns) AppendCell(line, column, row);
      out += line + '\n';
    }
  }
}

}  // namespace

PlotExport::PlotExport(const LongFileName& file, const rep::IReportDefinition& report,
                       const std::vector<const rep::ITraceData*>& data, const PlotExportDefs::DisplayUnits& units,
                       const std::vector<PlotExportDefs::DataTableTraceComplexFormat>& formats)
    : m_file(file), m_report(report), m_data(data), m_units(units), m_formats(formats) {}

PlotExport::PlotExport(const LongFileName& file, const rep::IReportDefinition& report,
                       const std::vector<const rep::ITraceData*>& data, const PlotExportDefs::DisplayUnits& units,
                       const AString& text1, const AString& text2, const AString& text3)
    : m_file(file), m_report(report), m_data(data), m_units(units), m_texts{text1, text2, text3} {}

PlotExport::~PlotExport() = default;

bool PlotExport::WriteOutput() {
  std::string out = "# " + m_report.GetReportName().ToUtf8() + '\n';
  for (const rep::ITraceData* data : m_data)
    if (data) WriteTrace(out, *data);
  std::FILE* file = std::fopen(m_file.ToNarrow().c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
  return std::fclose(file) == 0 && written;
}
