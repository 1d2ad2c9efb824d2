// What trace data holds, kept as text so that two reads of it can be compared without comparing
// the texts that carried them.
#pragma once

#include <string>

class Column;
class IAbstractTraceData;

namespace rep {

class ReportDefinition;
class ReportManager;

// The column's type, units, count and every value's bits (postorvex::ColumnValueBits); every NaN
// alike, as a payload need not survive the text form.
std::string ColumnContent(const Column* column);

// The data's name, curves (key, first row, points), surfaces, primary sweep, and each
// component's columns, composite trees node by node.
std::string TraceDataContent(IAbstractTraceData* data);

// Each trace of the report, IDs aside: its name, component expressions and data.
std::string TracesContent(const ReportDefinition& report);

// Each report of the manager by its name, then its traces.
std::string ReportsContent(const ReportManager& mgr);

}  // namespace rep
