#include "postorvex/plotdata/PlotExport.h"

#include <cstdio>
#include <string>

#include "Gravik/IReportDefinition.h"
#include "Gravik/ITraceDataInterfaces.h"
#include "orvex/io/SavedFile.h"
#include "postorvex/columns/Column.h"

namespace {

void AppendNumber(std::string& line, double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.17g", value);
  line += buffer;
}

// One component's column, its kind resolved once for all its points.
struct Cells {
  explicit Cells(const Column* c) : column(c) {
    if (!column) return;
    if (const DoubleColumn* d = column->GetDoubleColumn()) doubles = &d->GetValues();
    if (const ComplexColumn* x = column->GetComplexColumn()) complex = &x->GetValues();
  }
  // One cell, or two for a complex value; an empty cell past the column's end.
  void Append(std::string& line, size_t row) const {
    line += '\t';
    if (!column || row >= column->GetCount()) return;
    if (doubles) {
      AppendNumber(line, (*doubles)[row]);
    } else if (complex) {
      AppendNumber(line, (*complex)[row].real());
      line += '\t';
      AppendNumber(line, (*complex)[row].imag());
    } else {
      line += column->GetSingleValueText(row).ToUtf8();
    }
  }

  const Column* column;
  const std::vector<double>* doubles = nullptr;
  const std::vector<AComplex<double>>* complex = nullptr;
};

void WriteTrace(std::string& out, const rep::ITraceData& data) {
  const unsigned dims = data.GetNumComponents();
  // The trace's name on a line of its own, so that the first column, the curves, has a header too.
  out += "# " + data.GetTraceName().ToUtf8() + "\n# Curve";
  for (unsigned d = 0; d < dims; ++d) out += "\t" + data.GetComponentExpression(d).ToUtf8();
  out += '\n';
  std::vector<Cells> columns;
  for (unsigned d = 0; d < dims; ++d) columns.emplace_back(data.GetDataColumn(d));
  for (unsigned curve = 0; curve < data.GetNumCurves(); ++curve) {
    const std::string key = data.GetCurveVariationKey(curve, false).ToUtf8();
    const size_t first = data.GetCurveOffset(curve);
    for (size_t row = first; row < first + data.GetNumPointsInCurve(curve); ++row) {
      out += key;
      for (const Cells& cells : columns) cells.Append(out, row);
      out += '\n';
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
  // Saved as the project is: whole or not at all, and never waiting on a FIFO at the user's path.
  io::SavedFile file(m_file.ToNarrow());
  file.Write(out.data(), out.size());
  return file.Close();
}
