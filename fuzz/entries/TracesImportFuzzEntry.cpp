#include "TracesImportFuzzEntry.h"

#include <locale.h>
#include <stdlib.h>
#include <unistd.h>

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

// The double column of a trace's component, or null.
const DoubleColumn* Doubles(BaseTraceDefinition* trace, unsigned component) {
  auto* imported = dynamic_cast<ImportedTraceDefinition*>(trace);
  auto* data = imported ? dynamic_cast<ITraceData*>(imported->GetTraceData()) : nullptr;
  const Column* column = data && component < data->GetNumComponents() ? data->GetDataColumn(component) : nullptr;
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

// Each "X" and "Y" line's numbers go to the curve above them, one trace per curve.
void ExpectPlotDataCells(const std::vector<std::string>& lines, const std::vector<BaseTraceDefinition*>& traces) {
  struct Curve {
    std::vector<std::string> x, y;
  };
  std::vector<Curve> curves;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string line = i == 0 && lines[0].compare(0, 3, "\xEF\xBB\xBF") == 0 ? lines[0].substr(3) : lines[i];
    std::vector<std::string> words = Words(line, " \t\r\v\f");
    if (words.empty() || words[0][0] == '#') continue;
    std::string keyword = words[0];
    for (char& c : keyword) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (keyword == "CURVE") curves.emplace_back();
    if (curves.empty() || (keyword != "X" && keyword != "Y")) continue;
    std::vector<std::string>& into = keyword == "X" ? curves.back().x : curves.back().y;
    into.insert(into.end(), words.begin() + 1, words.end());
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

// Every plain number cell of the file is imported as strtod reads it, bit for bit.
void ExpectCellsAsStrtodReadsThem(FileKind kind, const std::string& bytes, const ReportDefinition& report) {
  const std::vector<std::string> lines = Lines(bytes);
  const std::vector<BaseTraceDefinition*> traces(report.GetTraces().begin(), report.GetTraces().end());
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
    ExpectCellsAsStrtodReadsThem(KindOf(extension), std::string(reinterpret_cast<const char*>(data), size), report);
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
