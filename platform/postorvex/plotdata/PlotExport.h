// Writer of one report's plot data to a text file: a header line per trace, a line per point.
#pragma once

#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/io/LongFileName.h"
#include "postorvex/PlotExportDefs.h"

namespace rep {
class IReportDefinition;
class ITraceData;
}  // namespace rep

// The layout, UTF-8:
//   # <report name>
//   # <trace name>\t<component expression>\t...
//   <curve variation key>\t<value>\t...        (a complex value as real\timaginary)
// The formats, texts and display units are taken and not applied: values are written as stored.
class POSTORVEX_API PlotExport {
public:
  PlotExport(const LongFileName& file, const rep::IReportDefinition& report,
             const std::vector<const rep::ITraceData*>& data, const PlotExportDefs::DisplayUnits& units,
             const std::vector<PlotExportDefs::DataTableTraceComplexFormat>& formats);
  PlotExport(const LongFileName& file, const rep::IReportDefinition& report,
             const std::vector<const rep::ITraceData*>& data, const PlotExportDefs::DisplayUnits& units,
             const AString& text1, const AString& text2, const AString& text3);
  ~PlotExport();

  // Null trace data are skipped; false when the file cannot be written.
  bool WriteOutput();

private:
  LongFileName m_file;
  const rep::IReportDefinition& m_report;
  std::vector<const rep::ITraceData*> m_data;  // the caller's
  PlotExportDefs::DisplayUnits m_units;
  std::vector<PlotExportDefs::DataTableTraceComplexFormat> m_formats;
  std::vector<AString> m_texts;
};
