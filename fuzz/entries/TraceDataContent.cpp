#include "TraceDataContent.h"

#include "Gravik/ICompositeTraceComponentData.h"
#include "Gravik/ITraceComponentData.h"
#include "Gravik/ITraceDataInterfaces.h"
#include "reports/ImportedTraceDefinition.h"
#include "reports/ReportDefinition.h"
#include "reports/ReportManager.h"
#include "postorvex/columns/Column.h"
#include "postorvex/columns/ColumnValueBits.h"

namespace rep {

namespace {

void AppendNode(std::string& out, const IBaseTraceComponentData* node) {
  out += " node " + (node ? node->GetExpression().ToUtf8() : std::string("none"));
  if (auto* leaf = dynamic_cast<const ITraceComponentData*>(node)) {
    out += ColumnContent(leaf->GetDataColumn());
  } else if (auto* composite = dynamic_cast<const ICompositeTraceComponentData*>(node)) {
    out += " (\n";
    for (unsigned i = 0; i < composite->GetNumChildren(); ++i) AppendNode(out, composite->GetChild(i));
    out += " )\n";
  } else {
    out += "\n";
  }
}

}  // namespace

std::string ColumnContent(const Column* column) {
  return column ? " " + postorvex::ColumnValueBits(*column) + "\n" : " none\n";
}

std::string TraceDataContent(IAbstractTraceData* data) {
  if (!data) return " no data\n";
  std::string out = " name " + data->GetTraceName().ToUtf8() + "\n";
  for (unsigned c = 0; c < data->GetNumCurves(); ++c)
    out += " curve " + data->GetCurveVariationKey(c, false).ToUtf8() + " at " + std::to_string(data->GetCurveOffset(c)) +
           " of " + std::to_string(data->GetNumPointsInCurve(c)) + "\n";
  if (auto* surfaces = dynamic_cast<ISurfaceAwareTraceData*>(data))
    for (unsigned s = 0; s < surfaces->GetNumSurfaces(); ++s)
      out += " surface " + surfaces->GetSurfaceVariationKey(s, false).ToUtf8() + " of " +
             std::to_string(surfaces->GetNumCurvesInSurface(s)) + "\n";
  // A sweep's name without its column is no sweep: the stored form keeps neither.
  ITraceDataSweepInfo* sweep = data->GetTraceDataSweepInfo();
  if (sweep && sweep->GetPrimarySweepColumn())
    out += " sweep " + sweep->GetPrimarySweepName().ToUtf8() + ColumnContent(sweep->GetPrimarySweepColumn());
  if (auto* plain = dynamic_cast<ITraceData*>(data)) {
    for (unsigned d = 0; d < plain->GetNumComponents(); ++d)
      out += " component" + ColumnContent(plain->GetDataColumn(d)) + " text" + ColumnContent(plain->GetTextColumn(d));
  } else if (auto* tree = dynamic_cast<ICompositeTraceData*>(data)) {
    for (unsigned i = 0; i < tree->GetNumComponents(); ++i) AppendNode(out, tree->GetComponent(i));
  }
  return out;
}

std::string TracesContent(const ReportDefinition& report) {
  std::string out;
  for (BaseTraceDefinition* trace : report.GetTraces()) {
    out += "trace " + trace->GetName().ToUtf8() + "\n";
    for (unsigned i = 0; i < trace->GetNumComponents(); ++i)
      out += " component " + trace->GetComponent(i)->GetExpression().ToUtf8() + "\n";
    auto* imported = dynamic_cast<ImportedTraceDefinition*>(trace);
    if (!imported) continue;
    out += " primary " + imported->GetPrimarySweepName().ToUtf8() + "\n" + TraceDataContent(imported->GetTraceData());
  }
  return out;
}

std::string ReportsContent(const ReportManager& mgr) {
  std::string out;
  for (const ReportDefinition* report : mgr.GetReports())
    out += "report " + report->GetReportName().ToUtf8() + "\n" + TracesContent(*report);
  return out;
}

}  // namespace rep
