#include "TracesImportFuzzEntry.h"

#include <locale.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ConcreteTraceDataFuzzEntry.h"
#include "TraceDataContent.h"
#include "tracedata/ConcreteTraceData.h"
#include "reports/ImportedTraceDefinition.h"
#include "reports/ReportDefinition.h"
#include "reports/ReportManager.h"
#include "orvex/core/Assert.h"
#include "orvex/core/MessageLog.h"
#include "orvex/io/Block.h"
#include "orvex/io/BlockFile.h"
#include "orvex/values/Units.h"
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

// Every point of every trace, and each trace's data through the form a project saves it in.
void TouchTraces(const ReportDefinition& report) {
  for (BaseTraceDefinition* trace : report.GetTraces()) {
    auto* imported = dynamic_cast<ImportedTraceDefinition*>(trace);
    if (!imported) continue;
    TouchEveryPoint(imported->GetTraceData());
    if (auto* stored = dynamic_cast<ConcreteTraceData*>(imported->GetTraceData())) ExpectStoredFormReadsBack(*stored);
  }
}

// The unit of a column whose header names none.
const Units::FullUnitType kNoUnit = 90;

// The cells are cut and read here by the file kind's own rules, without the import's splitter
// or number reader, so that a fault of either cannot hide behind itself.
enum class FileKind { kTxt, kCsv, kTab, kDat };

FileKind KindOf(const std::string& extension) {
  if (extension == "csv") return FileKind::kCsv;
  if (extension == "tab") return FileKind::kTab;
  if (extension == "dat") return FileKind::kDat;
  return FileKind::kTxt;
}

// The lines as the import takes them: cut at LF, a CR before it dropped, none after a last LF.
std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < bytes.size()) {
    const size_t nl = bytes.find('\n', pos);
    if (nl == std::string::npos) {
      lines.push_back(bytes.substr(pos));
      break;
    }
    size_t end = nl;
    if (end != pos && bytes[end - 1] == '\r') --end;
    lines.push_back(bytes.substr(pos, end - pos));
    pos = nl + 1;
  }
  return lines;
}

std::vector<std::string> CutAt(const std::string& line, char delimiter) {
  std::vector<std::string> cells(1);
  for (char c : line) {
    if (c == delimiter)
      cells.emplace_back();
    else
      cells.back() += c;
  }
  return cells;
}

std::vector<std::string> Words(const std::string& line, const char* blanks) {
  std::vector<std::string> words;
  size_t pos = line.find_first_not_of(blanks);
  while (pos != std::string::npos) {
    const size_t end = line.find_first_of(blanks, pos);
    words.push_back(line.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
    pos = line.find_first_not_of(blanks, end == std::string::npos ? line.size() : end);
  }
  return words;
}

std::string TrimBlanks(const std::string& cell) {
  const size_t b = cell.find_first_not_of(" \t");
  if (b == std::string::npos) return std::string();
  return cell.substr(b, cell.find_last_not_of(" \t") - b + 1);
}

// A cell of digits, points, exponent marks and signs alone that strtod, in the "C" locale, reads
// whole as a finite number without range error: every reader must take it for that number.
bool PlainNumber(const std::string& cell, double& value) {
  if (cell.empty() || cell.find_first_not_of("0123456789+-.eE") != std::string::npos) return false;
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
  errno = 0;
  char* end = nullptr;
  value = strtod_l(cell.c_str(), &end, cLocale);
  return errno == 0 && end == cell.c_str() + cell.size() && std::isfinite(value) &&
         (value == 0 || std::fabs(value) >= DBL_MIN);
}

// The data column of a trace's component, or null.
const Column* DataColumn(BaseTraceDefinition* trace, unsigned component) {
  auto* imported = dynamic_cast<ImportedTraceDefinition*>(trace);
  auto* data = imported ? dynamic_cast<ITraceData*>(imported->GetTraceData()) : nullptr;
  return data && component < data->GetNumComponents() ? data->GetDataColumn(component) : nullptr;
}

// The double column of a trace's component, or null.
const DoubleColumn* Doubles(BaseTraceDefinition* trace, unsigned component) {
  const Column* column = DataColumn(trace, component);
  return column ? column->GetDoubleColumn() : nullptr;
}

// The imported value in the row holds strtod's bits for the cell; a soft assertion when not.
void ExpectStrtodBits(const DoubleColumn* column, size_t row, double expected, const std::string& cell) {
  const bool held = column && row < column->GetCount();
  const double got = held ? column->GetValues()[row] : 0;
  const bool same = held && std::memcmp(&got, &expected, sizeof got) == 0;
  ORVEX_ASSERT(same);
  if (!same)
    std::fprintf(stderr, "cell '%s': strtod reads %.17g, the import %s %.17g\n", cell.c_str(), expected,
                 held ? "holds" : "has no value at row", held ? got : static_cast<double>(row));
}

std::string Capitals(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// A line of a plot-data file that holds something: its text, a byte-order mark left out, and its
// words, the keyword first in capitals.
struct PlotDataLine {
  std::string text;
  std::vector<std::string> words;
};

std::vector<PlotDataLine> PlotDataLines(const std::vector<std::string>& lines) {
  std::vector<PlotDataLine> out;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string line = i == 0 && lines[0].compare(0, 3, "\xEF\xBB\xBF") == 0 ? lines[0].substr(3) : lines[i];
    std::vector<std::string> words = Words(line, " \t\r\v\f");
    if (words.empty() || words[0][0] == '#') continue;
    words[0] = Capitals(words[0]);
    out.push_back({line, std::move(words)});
  }
  return out;
}

// Each "X" and "Y" line's numbers go to the curve above them, one trace per curve.
void ExpectPlotDataCells(const std::vector<std::string>& lines, const std::vector<BaseTraceDefinition*>& traces) {
  struct Curve {
    std::vector<std::string> x, y;
  };
  std::vector<Curve> curves;
  for (const PlotDataLine& line : PlotDataLines(lines)) {
    const std::string& keyword = line.words[0];
    if (keyword == "CURVE") curves.emplace_back();
    if (curves.empty() || (keyword != "X" && keyword != "Y")) continue;
    std::vector<std::string>& into = keyword == "X" ? curves.back().x : curves.back().y;
    into.insert(into.end(), line.words.begin() + 1, line.words.end());
  }
  if (curves.size() != traces.size()) return;
  for (size_t k = 0; k < curves.size(); ++k) {
    for (unsigned component = 0; component < 2; ++component) {
      const std::vector<std::string>& cells = component == 0 ? curves[k].x : curves[k].y;
      double value = 0;
      for (size_t row = 0; row < cells.size(); ++row)
        if (PlainNumber(cells[row], value)) ExpectStrtodBits(Doubles(traces[k], component), row, value, cells[row]);
    }
  }
}

// Row by row, each trace takes the rows whose cell in its column is not blank. A cell that is no
// plain number may or may not be a value, so its trace is followed no further; a line whose
// cutting depends on more than blanks ends the check.
void ExpectTableCells(FileKind kind, const std::vector<std::string>& lines,
                      const std::vector<BaseTraceDefinition*>& traces) {
  const size_t n = traces.size();
  std::vector<size_t> rows(n, 0);
  std::vector<bool> followed(n, true);
  // Five lines before a "txt" header and one after it.
  const size_t first = kind == FileKind::kTxt ? 7 : 1;
  for (size_t i = first; i < lines.size(); ++i) {
    std::vector<std::string> cells;
    if (kind == FileKind::kTxt) {
      // A lone sign joins a complex cell; a wide character may be a blank.
      for (char c : lines[i])
        if (static_cast<unsigned char>(c) >= 0x80) return;
      cells = Words(lines[i], " \t\r\v\f");
      for (const std::string& cell : cells)
        if (cell == "+" || cell == "-") return;
    } else {
      cells = CutAt(lines[i], kind == FileKind::kCsv ? ',' : '\t');
    }
    if (cells.size() != n + 1) return;
    double x = 0;
    const std::string xCell = TrimBlanks(cells[0]);
    const bool xPlain = PlainNumber(xCell, x);
    for (size_t k = 0; k < n; ++k) {
      const std::string cell = TrimBlanks(cells[k + 1]);
      if (!followed[k] || cell.empty()) continue;
      double y = 0;
      if (!PlainNumber(cell, y)) {
        followed[k] = false;
        continue;
      }
      ExpectStrtodBits(Doubles(traces[k], 1), rows[k], y, cell);
      if (xPlain && Doubles(traces[k], 0)) ExpectStrtodBits(Doubles(traces[k], 0), rows[k], x, xCell);
      ++rows[k];
    }
  }
  // Every value came from a cell.
  for (size_t k = 0; k < n; ++k) {
    const DoubleColumn* ys = Doubles(traces[k], 1);
    if (followed[k] && ys) ORVEX_ASSERT(ys->GetCount()==rows[k]);
  }
}

// What a header gives one column: the name that becomes a component expression, and the unit of
// its values.
struct HeaderColumn {
  std::string name;
  Units::FullUnitType units = kNoUnit;
};

// Printable ASCII and tabs alone: the headers that the rules below cut as the import must. Others
// are left unchecked.
bool PlainHeaderText(const std::string& text) {
  for (char c : text)
    if (c != '\t' && (c < 0x20 || c > 0x7E)) return false;
  return true;
}

// The unit named between the marks in the second piece of the label cut at spaces ("Freq [GHz]"
// names GHz, "S Param [dB]" none); no unit when a piece is missing or empty, or no unit has the name.
Units::FullUnitType UnitOfLabel(const std::string& label, char open, char close) {
  const std::vector<std::string> words = CutAt(label, ' ');
  if (words.size() < 2) return kNoUnit;
  const std::vector<std::string> opened = CutAt(words[1], open);
  if (opened.size() < 2) return kNoUnit;
  const std::string name = CutAt(opened[1], close)[0];
  const UnitDefinition* unit = name.empty() ? nullptr : Units::GetUnitDef(AString::FromUtf8(name), Units::kNoUnitType);
  return unit ? unit->GetFullUnitType() : kNoUnit;
}

// A plot-data axis names its unit in parentheses, else in brackets.
Units::FullUnitType UnitOfAxis(const std::string& label) {
  const Units::FullUnitType inParentheses = UnitOfLabel(label, '(', ')');
  return inParentheses != kNoUnit ? inParentheses : UnitOfLabel(label, '[', ']');
}

// A header cell's column: the name before its first "[", trimmed, and the unit in its brackets; a
// cell without "[" is named `unnamed`.
HeaderColumn ColumnOfCell(const std::string& cell, const std::string& unnamed) {
  const size_t open = cell.find('[');
  return {open == std::string::npos ? unnamed : TrimBlanks(cell.substr(0, open)), UnitOfLabel(cell, '[', ']')};
}

// The cells of a "txt" header: each word, then a blank and the bracketed text that follows it
// after blanks, up to the next "]", or " []" when no such text follows.
std::vector<std::string> WhitespaceHeaderCells(const std::string& line) {
  const char* const blanks = " \t";
  std::vector<std::string> cells;
  size_t p = line.find_first_not_of(blanks);
  while (p != std::string::npos) {
    const size_t end = std::min(line.find_first_of(blanks, p), line.size());
    std::string cell = line.substr(p, end - p);
    p = line.find_first_not_of(blanks, end);
    const size_t close = p != std::string::npos && line[p] == '[' ? line.find(']', p) : std::string::npos;
    if (close == std::string::npos) {
      // No bracketed text: an unclosed "[" starts the next word.
      cell += " []";
    } else {
      cell += " " + line.substr(p, close + 1 - p);
      p = line.find_first_not_of(blanks, close + 1);
    }
    cells.push_back(cell);
  }
  return cells;
}

// The cells of a delimited header; a cell wholly in double quotes holds what is between them,
// delimiters included. False for a quote anywhere else, whose reading is left unchecked.
bool DelimitedHeaderCells(const std::string& line, char delimiter, std::vector<std::string>& cells) {
  cells.assign(1, std::string());
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == delimiter) {
      cells.emplace_back();
    } else if (line[i] != '"') {
      cells.back() += line[i];
    } else {
      const size_t close = line.find('"', i + 1);
      if (!cells.back().empty() || close == std::string::npos || (close + 1 < line.size() && line[close + 1] != delimiter))
        return false;
      cells.back() = line.substr(i + 1, close - i - 1);
      i = close;
    }
  }
  return true;
}

// The quoted text that ends a plot-data line after its keyword, its escapes undone.
std::string QuotedLabel(const std::string& line) {
  size_t p = line.find('"', line.find_first_not_of(" \t\r\v\f"));
  std::string label;
  for (++p; p < line.size() && line[p] != '"'; ++p) {
    if (line[p] == '\\') ++p;
    if (p < line.size()) label += line[p];
  }
  return label;
}

// The x column and each curve's y column as the labels of a plot-data file give them: the x axis
// names the primary sweep, and the y axis each curve, unless it is "Y Axis": then each curve's
// own label names its column as a header cell does.
bool PlotDataColumns(const std::vector<std::string>& lines, HeaderColumn& x, std::vector<HeaderColumn>& ys) {
  std::string xLabel, yLabel;
  std::vector<std::string> curves;
  for (const PlotDataLine& line : PlotDataLines(lines)) {
    const std::string& keyword = line.words[0];
    if (keyword != "XAXIS" && keyword != "YAXIS" && keyword != "CURVE") continue;
    const std::string label = QuotedLabel(line.text);
    if (!PlainHeaderText(label)) return false;
    if (keyword == "XAXIS") xLabel = label;
    if (keyword == "YAXIS") yLabel = label;
    if (keyword == "CURVE") curves.push_back(label);
  }
  x = {xLabel, UnitOfAxis(xLabel)};
  const bool selfNamed = Capitals(yLabel) == "Y AXIS";
  for (const std::string& curve : curves)
    ys.push_back(selfNamed ? ColumnOfCell(curve, std::string()) : HeaderColumn{yLabel, UnitOfAxis(yLabel)});
  return true;
}

// The x column and the y columns that the file's header gives; false when it is left unchecked.
bool HeaderColumns(FileKind kind, const std::vector<std::string>& lines, HeaderColumn& x,
                   std::vector<HeaderColumn>& ys) {
  if (kind == FileKind::kDat) return PlotDataColumns(lines, x, ys);
  // Five lines before a "txt" header.
  const size_t at = kind == FileKind::kTxt ? 5 : 0;
  if (lines.size() <= at) return false;
  std::string line = lines[at];
  if (at == 0 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
  // Trailing control characters go, but the first character stays.
  while (line.size() > 1 && (static_cast<unsigned char>(line.back()) < 0x20 || line.back() == 0x7F)) line.pop_back();
  if (!PlainHeaderText(line)) return false;
  std::vector<std::string> cells;
  if (kind == FileKind::kTxt)
    cells = WhitespaceHeaderCells(line);
  else if (!DelimitedHeaderCells(line, kind == FileKind::kCsv ? ',' : '\t', cells))
    return false;
  if (cells.empty()) return false;
  x = ColumnOfCell(cells[0], "Primary Sweep");
  for (size_t i = 1; i < cells.size(); ++i) ys.push_back(ColumnOfCell(cells[i], "Y Component " + std::to_string(i)));
  return true;
}

std::string Described(const std::string& name, Units::FullUnitType units) {
  return "'" + name + "' in units " + std::to_string(units);
}

// Each trace holds the columns that its header cells name: the first cell's for x, its own for y,
// by name (the component expressions and the primary sweep's name) and by unit. Cut apart from
// the import, so that a header the import reads wrong cannot agree with itself.
void ExpectColumnsOfHeader(FileKind kind, const std::vector<std::string>& lines,
                           const std::vector<BaseTraceDefinition*>& traces) {
  HeaderColumn x;
  std::vector<HeaderColumn> ys;
  if (!HeaderColumns(kind, lines, x, ys)) return;
  ORVEX_ASSERT(traces.size()==ys.size());
  for (size_t k = 0; k < traces.size() && k < ys.size(); ++k) {
    auto* imported = dynamic_cast<ImportedTraceDefinition*>(traces[k]);
    const bool components = imported && imported->GetNumComponents() == 2;
    const std::string xName = components ? imported->GetComponent(0)->GetExpression().ToUtf8() : std::string();
    const std::string yName = components ? imported->GetComponent(1)->GetExpression().ToUtf8() : std::string();
    const std::string sweepName = imported ? imported->GetPrimarySweepName().ToUtf8() : std::string();
    const Column* xColumn = DataColumn(traces[k], 0);
    const Column* yColumn = DataColumn(traces[k], 1);
    auto* data = imported ? imported->GetTraceData() : nullptr;
    ITraceDataSweepInfo* sweep = data ? data->GetTraceDataSweepInfo() : nullptr;
    const Column* sweepColumn = sweep ? sweep->GetPrimarySweepColumn() : nullptr;
    const bool same = xName == x.name && sweepName == x.name && yName == ys[k].name && xColumn && yColumn &&
                      sweepColumn && xColumn->GetUnits() == x.units && sweepColumn->GetUnits() == x.units &&
                      yColumn->GetUnits() == ys[k].units;
    ORVEX_ASSERT(same);
    if (!same)
      std::fprintf(stderr, "trace %zu: the header gives x %s, y %s; the import x %s, y %s\n", k,
                   Described(x.name, x.units).c_str(), Described(ys[k].name, ys[k].units).c_str(),
                   Described(xName, xColumn ? xColumn->GetUnits() : kNoUnit).c_str(),
                   Described(yName, yColumn ? yColumn->GetUnits() : kNoUnit).c_str());
  }
}

// Every trace holds the columns its header names, and every plain number cell of the file is
// imported as strtod reads it, bit for bit.
void ExpectWhatTheFileHolds(FileKind kind, const std::string& bytes, const ReportDefinition& report) {
  const std::vector<std::string> lines = Lines(bytes);
  const std::vector<BaseTraceDefinition*> traces(report.GetTraces().begin(), report.GetTraces().end());
  ExpectColumnsOfHeader(kind, lines, traces);
  if (kind == FileKind::kDat)
    ExpectPlotDataCells(lines, traces);
  else
    ExpectTableCells(kind, lines, traces);
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
    ExpectWhatTheFileHolds(KindOf(extension), std::string(reinterpret_cast<const char*>(data), size), report);
    const std::string content = TracesContent(report);

    // The same bytes import the same traces again.
    ReportManager second(nullptr, true);
    ReportDefinition& again = NewReport(second, L"Import");
    ORVEX_ASSERT(again.ImportTracesFromFile(fileName,nullptr,1));
    ORVEX_ASSERT(TracesContent(again)==content);

    // The export form's text, read into a fresh report, holds what the import made, bit for bit.
    std::vector<long> ids;
    report.GetTraceIDs(ids);
    io::CBlock written(L"Clip");
    ORVEX_ASSERT(report.WriteTracesWithData(written, ids));
    ReportManager fresh(nullptr, true);
    ReportDefinition& read = NewReport(fresh, L"Import");
    io::CBlock toRead = ThroughText(written);
    ORVEX_ASSERT(read.ReadTracesWithData(toRead,nullptr,nullptr));
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
