#include "tracedata/ConcreteTracesImportHelper.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <cwctype>
#include <memory>
#include <set>

#include "tracedata/ConcreteTraceData.h"
#include "reports/ImportedTraceDefinition.h"
#include "reports/ReportDefinition.h"
#include "reports/ReportManager.h"
#include "orvex/core/Assert.h"
#include "orvex/core/IMessageManager.h"
#include "orvex/core/VelmorMessage.h"
#include "orvex/io/FileTokenStream.h"
#include "orvex/io/LongFileName.h"
#include "postorvex/columns/Column.h"
#include "postorvex/columns/FileColumnManager.h"
#include "postorvex/plotdata/ImportPlotData.h"
#include "postorvex/traceinfo/ExtTraceInfo.h"

namespace rep {

namespace {

const wchar_t* const kYAxisLabel = L"Y Axis";
const wchar_t* const kNoUnitSuffix = L" []";
const int kTimeReportTypeA = 0x70000001;
const int kTimeReportTypeB = 0x70000002;
const Units::UnitType kTimeUnitType = static_cast<Units::UnitType>(6);

void Post(int id, int severity, int secondID, const AString* arg) {
  VelmorMessage message(severity, 14, id, secondID, 6, MessageManagerStrings::kNullStr,
                        MessageManagerStrings::kNullStr, false);
  if (arg) message.AddArg(*arg, 0);
  if (IMessageManager* manager = GetGlobalIMessageManager()) manager->PostMessage(message);
}

void PostError(int id) { Post(id, VelmorMessage::kError, 0, nullptr); }
void PostError(int id, const AString& arg) { Post(id, VelmorMessage::kError, 0, &arg); }

// Whitespace as iswspace has it, looked up once for ASCII so that byte and wide cutting agree.
struct AsciiClasses {
  bool space[128];
  AsciiClasses() {
    for (int c = 0; c < 128; ++c) space[c] = std::iswspace(static_cast<wint_t>(c)) != 0;
  }
};

const AsciiClasses& Ascii() {
  static const AsciiClasses classes;
  return classes;
}

bool IsWs(wchar_t c) { return c < 128 ? Ascii().space[c] : std::iswspace(static_cast<wint_t>(c)) != 0; }
bool IsWsByte(char c) { return static_cast<unsigned char>(c) < 128 && Ascii().space[static_cast<unsigned char>(c)]; }
bool IsCntrl(wchar_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

bool IsAsciiBytes(const char* b, const char* e) {
  for (; b != e; ++b)
    if (static_cast<unsigned char>(*b) >= 0x80) return false;
  return true;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// [-]digits[.digits][(e|E)[+|-]digits], also .5 and 5.: the cells from_chars reads as the value
// parser does.
bool IsPlainReal(const char* p, const char* e) {
  if (p != e && *p == '-') ++p;
  const char* digits = p;
  while (p != e && IsDigit(*p)) ++p;
  size_t mantissa = static_cast<size_t>(p - digits);
  if (p != e && *p == '.') {
    ++p;
    const char* fraction = p;
    while (p != e && IsDigit(*p)) ++p;
    mantissa += static_cast<size_t>(p - fraction);
  }
  if (mantissa == 0) return false;
  if (p != e && (*p == 'e' || *p == 'E')) {
    ++p;
    if (p != e && (*p == '+' || *p == '-')) ++p;
    const char* exponent = p;
    while (p != e && IsDigit(*p)) ++p;
    if (p == exponent) return false;
  }
  return p == e;
}

// The trailing control characters of a UTF-8 cell go; its first character stays.
void TrimTrailingControlBytes(const char* b, const char*& e) {
  for (;;) {
    const unsigned char last = e - b > 1 ? static_cast<unsigned char>(e[-1]) : 0;
    if (e - b > 1 && (last < 0x20 || last == 0x7F)) {
      --e;
    } else if (e - b > 2 && static_cast<unsigned char>(e[-2]) == 0xC2 && last >= 0x80 && last <= 0x9F) {
      e -= 2;
    } else {
      return;
    }
  }
}

// A data row of a "txt" file: runs of non-whitespace, where a sign and a space join the cell
// before them up to the next "i" on the line (1.5 + 2.5i). `emit` gets the cell as one or two
// pieces.
template <class Ch, class Emit>
void SplitRow(const Ch* b, const Ch* e, bool (*isWs)(Ch), Emit emit) {
  while (b != e && isWs(*b)) ++b;
  while (e != b && isWs(e[-1])) --e;
  if (b == e) {
    emit(b, b, b, b);
    return;
  }
  const Ch* p = b;
  // The next "i" at or after the sign last looked at, e when none is left: a line of many signs
  // is searched once, not once per sign.
  const Ch* nextI = b;
  while (p != e) {
    const Ch* start = p;
    while (p != e && !isWs(*p)) ++p;
    const Ch* end = p;
    while (p != e && isWs(*p)) ++p;
    if (e - p > 1 && (*p == Ch('+') || *p == Ch('-')) && p[1] == Ch(' ')) {
      if (nextI < p) nextI = std::find(p, e, Ch('i'));
      const Ch* i = nextI;
      // Without an "i" later on the line the sign is a cell of its own.
      if (i != e) {
        emit(start, end, p, i + 1);
        p = i + 1;
        while (p != e && isWs(*p)) ++p;
        continue;
      }
    }
    emit(start, end, end, end);
  }
}

bool IsWsWide(wchar_t c) { return IsWs(c); }

// The argument of the header message when the file's lines end in a carriage return alone: the
// reader sees one line, and the message alone would blame the header.
const wchar_t* const kCrOnlyCause = L"the lines end in CR alone; save the file with LF or CR LF line ends";

// A line that still holds a carriage return and is the last one is the whole of such a file.
bool EndsCrOnlyFile(const AString& line, io::CAbstract_istream& in) {
  return line.find(L'\r') != AString::npos && in.AtEof();
}

bool IsNaN(const Value& value) {
  if (value.GetParameterType() == val::kComplexParam) {
    const AComplex<double> c = value.GetComplexValue();
    return std::isnan(c.Real()) || std::isnan(c.Imag());
  }
  return std::isnan(value.GetValue());
}

// A real or complex constant written as a number (not a name such as pi).
bool IsNumberText(const AString& text, Value& value) {
  const wchar_t c = text.empty() ? 0 : text[0];
  if (!(std::iswdigit(static_cast<wint_t>(c)) || c == L'.' || c == L'+' || c == L'-')) return false;
  if (!value.SetValueText(text, 90) || !value.IsConstant()) return false;
  const val::ParameterType type = value.GetParameterType();
  return type == val::kDoubleParam || type == val::kComplexParam;
}

bool HoldsOnlyNumbers(const AString& line) {
  std::vector<AString> cells;
  ConcreteTracesImportHelper::SplitDataRow(line, cells);
  Value value;
  for (const AString& cell : cells)
    if (!IsNumberText(cell, value)) return false;
  return true;
}

// "1 dB" as "1dB": a number, blanks and a unit name, the blanks dropped. Empty when the text has
// another shape.
AString JoinNumberAndUnit(const AString& text) {
  const size_t blank = text.find_first_of(L" \t");
  if (blank == AString::npos) return AString();
  const size_t unit = text.find_first_not_of(L" \t", blank);
  if (unit == AString::npos || text.find_first_of(L" \t", unit) != AString::npos) return AString();
  const AString unitName = text.substr(unit);
  if (!Units::GetUnitDef(unitName, static_cast<Units::UnitType>(15))) return AString();
  return text.substr(0, blank) + unitName;
}

AString FromBytes(const ConcreteTracesImportHelper::Cell& cell) {
  return AString::FromUtf8(std::string(cell.b, cell.e));
}

// What a cell holds: a plain real read with from_chars, or a value parsed from its text.
struct CellValue {
  bool valid = false;
  bool empty = false;
  bool fast = false;
  double number = 0;
  AString text;  // the cell's text, made only off the plain path or for a message
  val::ParameterType type = val::kNoParam;
};

void ReadCell(const ConcreteTracesImportHelper::Cell& cell, bool trim, Units::FullUnitType units, Value& value,
              CellValue& out) {
  const char* b = cell.b;
  const char* e = cell.e;
  if (trim) {
    while (b != e && IsWsByte(*b)) ++b;
    while (e != b && IsWsByte(e[-1])) --e;
  }
  out.fast = IsPlainReal(b, e);
  if (out.fast) {
    const auto r = std::from_chars(b, e, out.number);
    // Out of range either way is refused, as the value parser refuses it.
    out.valid = r.ec == std::errc() && r.ptr == e;
    out.type = val::kDoubleParam;
    if (!out.valid) out.text = AString::FromUtf8(std::string(b, e));
    return;
  }
  out.text = AString::FromUtf8(std::string(b, e));
  if (trim) out.text.Trim();
  out.empty = out.text.empty();
  if (out.empty) return;
  bool read = value.SetValueText(out.text, units);
  if (!read) {
    const AString joined = JoinNumberAndUnit(out.text);
    read = !joined.empty() && value.SetValueText(joined, units);
  }
  // A cell that names a variable is no data: it would be evaluated at whatever value it has.
  if (!read || !value.IsConstant()) return;
  out.type = value.GetParameterType();
  // NaN is no reading: the cell is as unreadable as a word.
  out.valid = (out.type == val::kDoubleParam || out.type == val::kComplexParam) && !IsNaN(value);
}

void AppendCell(Column& column, const CellValue& cell, const Value& value) {
  if (cell.fast)
    column.GetDoubleColumn()->AddValue(cell.number, true);
  else
    column.AppendValue(value);
}

const AString& TextOf(CellValue& cell, const ConcreteTracesImportHelper::Cell& bytes) {
  if (cell.text.empty()) cell.text = FromBytes(bytes);
  return cell.text;
}

Column* NewColumn(val::ParameterType type, Units::FullUnitType units) {
  return Column::CreateColumn2(type, units, nullptr, AString(), AString(), true, true);
}

}  // namespace

const wchar_t* FindWhitespace(const wchar_t* text) {
  while (*text && !IsWs(*text)) ++text;
  return text;
}

const wchar_t* SkipWhitespace(const wchar_t* text) {
  while (*text && IsWs(*text)) ++text;
  return text;
}

const wchar_t* FindFirstOf(const wchar_t* text, const wchar_t* set) {
  for (; *text; ++text)
    if (std::wcschr(set, *text)) return text;
  return nullptr;
}

void TrimTrailingControlCharacters(AString& text) {
  size_t n = text.size();
  while (n > 1 && IsCntrl(text[n - 1])) --n;
  text.resize(n);
}

ConcreteTracesImportHelper::ConcreteTracesImportHelper(const AString& fileName, ReportDefinition* owner)
    : m_owner(owner), m_fileName(fileName) {}

ConcreteTracesImportHelper::~ConcreteTracesImportHelper() {
  delete m_primarySweep.m_column;
  for (ComponentColumnInfo& y : m_yComponents) delete y.m_column;
  for (ComponentColumnInfo& x : m_xComponents) delete x.m_column;
}

bool ConcreteTracesImportHelper::ImportFile() {
  const LongFileName file(m_fileName);
  if (!file.Exists()) return false;
  const AString ext = file.Ext();
  if (ext.CompareNoCase(L"txt") == 0) return ReadWhitespaceSeparatedFile();
  if (ext.CompareNoCase(L"csv") == 0) return ReadDelimitedFile(L",");
  if (ext.CompareNoCase(L"tab") == 0) return ReadDelimitedFile(AString(1, wchar_t(9)));
  if (ext.CompareNoCase(L"dat") == 0) return ReadPlotDataFile();
  Post(17004, VelmorMessage::kError, 17004, &ext);
  return false;
}

bool ConcreteTracesImportHelper::ReadWhitespaceSeparatedFile() {
  try {
    io::CToken_istream in(LongFileName(m_fileName), 1);
    const char* b = nullptr;
    const char* e = nullptr;
    bool crOnly = false;
    for (int line = 1; line <= 5; ++line) {
      if (in.NextLineBytes(b, e) && std::memchr(b, '\r', static_cast<size_t>(e - b)) && in.AtEof()) crOnly = true;
    }
    AString header = in.NewLine();
    TrimTrailingControlCharacters(header);
    if (crOnly || EndsCrOnlyFile(header, in)) {
      PostError(17025, kCrOnlyCause);
      return false;
    }
    // A header of numbers is a data row: the file has no header where it must have one.
    if (HoldsOnlyNumbers(header) || !ProcessHeaderLine(header)) {
      PostError(17025);
      return false;
    }
    in.NextLineBytes(b, e);
    if (!ReadDataLines(in, 0)) return false;
    in.Close();
    return true;
  } catch (...) {
    PostError(17024);
    return false;
  }
}

bool ConcreteTracesImportHelper::ReadDelimitedFile(const AString& delimiter) {
  try {
    io::CToken_istream in(LongFileName(m_fileName), 1);
    AString header = in.NewLine();
    // A byte-order mark is no part of the first column's name.
    if (!header.empty() && header[0] == 0xFEFF) header.erase(0, 1);
    TrimTrailingControlCharacters(header);
    if (EndsCrOnlyFile(header, in)) {
      PostError(17025, kCrOnlyCause);
      return false;
    }
    if (!ProcessDelimitedHeaderLine(header, delimiter)) {
      PostError(17025);
      return false;
    }
    if (!ReadDataLines(in, static_cast<char>(delimiter[0]))) return false;
    in.Close();
    return true;
  } catch (...) {
    PostError(17024);
    return false;
  }
}

bool ConcreteTracesImportHelper::ReadDataLines(io::CAbstract_istream& in, char delimiter) {
  const char* b = nullptr;
  const char* e = nullptr;
  while (!in.AtEof()) {
    if (!in.NextLineBytes(b, e)) break;
    m_cells.clear();
    m_cellTexts.clear();
    if (delimiter) {
      // UTF-8 never holds an ASCII delimiter inside a character: the bytes cut as the text would.
      const char* p = b;
      for (;;) {
        const char* d = static_cast<const char*>(std::memchr(p, delimiter, static_cast<size_t>(e - p)));
        if (!d) break;
        m_cells.push_back({p, d});
        p = d + 1;
      }
      m_cells.push_back({p, e});
    } else if (IsAsciiBytes(b, e)) {
      SplitRow<char>(b, e, IsWsByte, [this](const char* b1, const char* e1, const char* b2, const char* e2) {
        if (b2 == e2) {
          m_cells.push_back({b1, e1});
          return;
        }
        m_cellTexts.emplace_back(b1, e1);
        m_cellTexts.back().append(b2, e2);
        m_cells.push_back({m_cellTexts.back().data(), m_cellTexts.back().data() + m_cellTexts.back().size()});
      });
    } else {
      SplitDataRow(AString::FromUtf8(std::string(b, e)), m_wideCells);
      for (const AString& cell : m_wideCells) {
        m_cellTexts.push_back(cell.ToUtf8());
        m_cells.push_back({m_cellTexts.back().data(), m_cellTexts.back().data() + m_cellTexts.back().size()});
      }
    }
    TrimTrailingControlBytes(m_cells.back().b, m_cells.back().e);
    if (!TreatRow()) return false;
  }
  return EndOfFileCheck();
}

bool ConcreteTracesImportHelper::TreatRow() {
  const size_t n = m_yComponents.size();
  if (m_cells.size() < n + 1) {
    PostError(17026);
    return false;
  }
  if (m_cells.size() > n + 1) {
    PostError(17028);
    return false;
  }
  CellValue x;
  ReadCell(m_cells[0], false, m_primarySweep.m_unitType, m_xValue, x);
  if (!x.valid || x.empty) {
    PostError(17020, TextOf(x, m_cells[0]));
    return false;
  }
  Column*& sweep = m_primarySweep.m_column;
  if (sweep && sweep->GetParameterType() != x.type) {
    PostError(17022, TextOf(x, m_cells[0]));
    return false;
  }
  if (!sweep) sweep = NewColumn(x.type, m_primarySweep.m_unitType);
  if (!sweep) return false;
  AppendCell(*sweep, x, m_xValue);

  for (size_t i = 0; i < n; ++i) {
    const Cell& bytes = m_cells[i + 1];
    CellValue y;
    ReadCell(bytes, true, m_yComponents[i].m_unitType, m_yValue, y);
    if (y.empty) continue;
    if (!y.valid) {
      Post(17019, VelmorMessage::kWarning, 0, &TextOf(y, bytes));
      continue;
    }
    Column*& yColumn = m_yComponents[i].m_column;
    Column*& xColumn = m_xComponents[i].m_column;
    if (yColumn && yColumn->GetParameterType() != y.type) {
      PostError(17021, TextOf(y, bytes));
      return false;
    }
    if (!yColumn) {
      ORVEX_ASSERT(m_xComponents[i].m_column == NULL);
      yColumn = NewColumn(y.type, m_yComponents[i].m_unitType);
      if (!xColumn) xColumn = NewColumn(x.type, m_primarySweep.m_unitType);
      if (!yColumn || !xColumn) {
        PostError(17023);
        return false;
      }
    }
    AppendCell(*yColumn, y, m_yValue);
    AppendCell(*xColumn, x, m_xValue);
  }
  return true;
}

bool ConcreteTracesImportHelper::EndOfFileCheck() {
  for (size_t i = 0; i < m_yComponents.size(); ++i) {
    if (!m_yComponents[i].m_column || !m_xComponents[i].m_column) {
      PostError(17029);
      return false;
    }
  }
  return true;
}

bool ConcreteTracesImportHelper::ProcessHeaderLine(const AString& line) {
  std::vector<AString> cells;
  if (SplitAtWhitespace(line, cells) < 2) return false;
  SetUpComponentColumns(cells);
  return true;
}

bool ConcreteTracesImportHelper::ProcessDelimitedHeaderLine(const AString& line, AString delimiter) {
  std::vector<AString> cells;
  if (SplitTokens(line.c_str(), delimiter.c_str(), cells) < 2) return false;
  SetUpComponentColumns(cells);
  return true;
}

void ConcreteTracesImportHelper::SetUpComponentColumns(const std::vector<AString>& cells) {
  for (size_t i = 0; i < cells.size(); ++i) {
    ComponentColumnInfo component;
    ComponentColumnInfo& target = i == 0 ? m_primarySweep : component;
    const bool named = ExtractNameBeforeBracket(target.m_name, cells[i]);
    if (i == 0) {
      m_primarySweepNamed = named;
      if (!named) target.m_name = L"Primary Sweep";
    } else if (!named) {
      target.m_name = AString::Format(L"Y Component %d", static_cast<int>(i));
    }
    target.m_unitType = GetUnitTypeFromLabel(cells[i], L"[", L"]");
    ExtractTextAfterDash(target.m_curveName, cells[i]);
    if (i == 0) continue;
    m_yComponents.push_back(target);
    ComponentColumnInfo x;
    x.m_name = m_primarySweepNamed ? m_primarySweep.m_name : AString::Format(L"X Component %d", static_cast<int>(i));
    x.m_unitType = m_primarySweep.m_unitType;
    m_xComponents.push_back(x);
  }
}

size_t ConcreteTracesImportHelper::SplitAtWhitespace(const AString& line, std::vector<AString>& cells) {
  cells.clear();
  const AString text = line.Trimmed();
  const wchar_t* p = text.c_str();
  // The next "]" at or after the last "[" looked at, null when none is left: a line of many "["
  // is searched once, not once per "[".
  const wchar_t* nextClose = p;
  while (*p) {
    const wchar_t* end = FindWhitespace(p);
    AString cell = AString(p, static_cast<size_t>(end - p)).Trimmed();
    p = SkipWhitespace(end);
    if (*p == L'[') {
      cell += L" ";
      if (nextClose && nextClose < p) nextClose = FindFirstOf(p, L"]");
      if (const wchar_t* close = nextClose) {
        cell.append(p, static_cast<size_t>(close - p) + 1);
        p = close + 1;
      } else {
        // Without a closing mark the "[" starts the next cell.
        cell += L"[]";
      }
    } else {
      cell += kNoUnitSuffix;
    }
    cells.push_back(cell);
    p = SkipWhitespace(p);
  }
  return cells.size();
}

size_t ConcreteTracesImportHelper::SplitDataRow(const AString& line, std::vector<AString>& cells) {
  cells.clear();
  const wchar_t* b = line.data();
  SplitRow<wchar_t>(b, b + line.size(), IsWsWide,
                    [&cells](const wchar_t* b1, const wchar_t* e1, const wchar_t* b2, const wchar_t* e2) {
                      AString cell(b1, static_cast<size_t>(e1 - b1));
                      cell.append(b2, static_cast<size_t>(e2 - b2));
                      cells.push_back(std::move(cell));
                    });
  if (!cells.empty()) TrimTrailingControlCharacters(cells.back());
  return cells.size();
}

size_t ConcreteTracesImportHelper::SplitTokens(const wchar_t* text, const wchar_t* delimiters,
                                               std::vector<AString>& cells) {
  const wchar_t* string = text;
  ORVEX_ASSERT(string != 0);
  if (!string) return 0;
  const size_t before = cells.size();
  const wchar_t* p = string;
  if (!*p) return 0;
  for (;;) {
    AString cell;
    bool closedQuote = false;
    while (*p && !std::wcschr(delimiters, *p)) {
      if (*p != L'"') {
        cell.push_back(*p++);
        continue;
      }
      // The quoted part: what came before it goes, delimiters inside it stay.
      cell.clear();
      ++p;
      while (*p && *p != L'"') cell.push_back(*p++);
      closedQuote = *p == L'"';
      if (closedQuote) cell.push_back(*p++);
    }
    // Drops the closing quote; an unclosed quote has none to drop.
    if (closedQuote && !cell.empty()) cell.pop_back();
    cells.push_back(cell);
    if (!*p) break;
    ++p;
    if (!*p) {
      cells.emplace_back();
      break;
    }
  }
  return cells.size() - before;
}

bool ConcreteTracesImportHelper::ExtractNameBeforeBracket(AString& name, const AString& cell) {
  const std::vector<AString> pieces = cell.TokenizeString(L"[", false);
  if (pieces.size() < 2) return false;
  name = pieces[0].Trimmed();
  return true;
}

void ConcreteTracesImportHelper::ExtractTextAfterDash(AString& text, const AString& cell) {
  const std::vector<AString> pieces = cell.TokenizeString(L"-", false);
  text = pieces.size() >= 2 ? pieces[1] : AString();
}

Units::FullUnitType ConcreteTracesImportHelper::GetUnitTypeFromLabel(const AString& label, const AString& open,
                                                                     const AString& close) {
  const std::vector<AString> words = label.TokenizeString(L" ", false);
  if (words.size() < 2) return 90;
  const std::vector<AString> opened = words[1].TokenizeString(open, false);
  if (opened.size() < 2) return 90;
  const std::vector<AString> closed = opened[1].TokenizeString(close, false);
  if (closed.empty() || closed[0].empty()) return 90;
  return GetFullUnitTypeFromUnitName(closed[0]);
}

Units::FullUnitType ConcreteTracesImportHelper::GetFullUnitTypeFromUnitName(const AString& unitName) {
  const UnitDefinition* unit = Units::GetUnitDef(unitName, static_cast<Units::UnitType>(15));
  return unit ? unit->GetFullUnitType() : 90;
}

bool ConcreteTracesImportHelper::ParseCurveName(AString& name, Units::FullUnitType& unitType, AString& curveName,
                                                const PlotDataCurve& curve) {
  if (!ExtractNameBeforeBracket(name, curve.name)) return false;
  unitType = GetUnitTypeFromLabel(curve.name, L"[", L"]");
  ExtractTextAfterDash(curveName, curve.name);
  curveName.Trim();
  return true;
}

bool ConcreteTracesImportHelper::ReadPlotDataFile() {
  try {
    CImportPlotData plotData(m_fileName);
    if (!plotData.Read()) {
      PostError(17025);
      return false;
    }
    const AString xLabel = plotData.GetXAxis();
    const AString yLabel = plotData.GetYAxis();
    auto unitOf = [](const AString& label) {
      const Units::FullUnitType inParentheses = GetUnitTypeFromLabel(label, L"(", L")");
      return inParentheses != 90 ? inParentheses : GetUnitTypeFromLabel(label, L"[", L"]");
    };
    const Units::FullUnitType xUnits = unitOf(xLabel);
    const Units::FullUnitType yLabelUnits = unitOf(yLabel);
    const bool selfNamed = yLabel.CompareNoCase(kYAxisLabel) == 0;
    std::set<double> distinctX;
    for (const PlotDataCurve& curve : plotData.GetCurves()) {
      if (curve.x.size() != curve.y.size()) {
        PostError(17025);
        return false;
      }
      ComponentColumnInfo x;
      ComponentColumnInfo y;
      Units::FullUnitType yUnits = yLabelUnits;
      if (selfNamed) {
        if (!ParseCurveName(y.m_name, yUnits, y.m_curveName, curve)) {
          PostError(17025);
          return false;
        }
      } else {
        y.m_curveName = curve.name;
        y.m_name = yLabel;
      }
      // Held by the importer at once, so that a failure below loses nothing.
      m_xComponents.push_back(x);
      m_yComponents.push_back(y);
      Column*& xColumn = m_xComponents.back().m_column;
      Column*& yColumn = m_yComponents.back().m_column;
      xColumn = NewColumn(val::kDoubleParam, xUnits);
      yColumn = NewColumn(val::kDoubleParam, yUnits);
      for (size_t i = 0; i < curve.x.size(); ++i) {
        xColumn->AppendValue(Value(curve.x[i], xUnits));
        // NaN is no x value of an ordered set.
        if (!std::isnan(curve.x[i])) distinctX.insert(curve.x[i]);
        yColumn->AppendValue(Value(curve.y[i], yUnits));
      }
    }
    m_primarySweep.m_name = xLabel;
    m_primarySweep.m_column = NewColumn(val::kDoubleParam, xUnits);
    m_primarySweep.m_column->GetDoubleColumn()->AppendValues(std::vector<double>(distinctX.begin(), distinctX.end()));
    return true;
  } catch (...) {
    PostError(17025);
    return false;
  }
}

void ConcreteTracesImportHelper::CreateTraceDefinitions(std::vector<ImportedTraceDefinition*>& out, int reportType) {
  ReportManager& mgr = m_owner->GetReportManager();
  // The report gains none of these traces here: its first trace is the same for every column.
  const IBaseTraceDefinition* first = m_owner->GetTraces().empty() ? nullptr : m_owner->GetTraces().front();
  for (size_t k = 0; k < m_yComponents.size(); ++k) {
    ExtTraceInfo info;
    info.SetYAxis(kYAxis1);
    if (reportType == kTimeReportTypeA || reportType == kTimeReportTypeB) {
      if (first) {
        const ExtTraceInfo firstInfo = first->GetExtendedTraceInfo();
        info.SetOffsetTime(firstInfo.GetOffsetTime());
        info.SetSweepValue(firstInfo.GetSweepValue());
      } else {
        const Units::FullUnitType u = Units::GetDefaultUnits(kTimeUnitType);
        info.SetOffsetTime(Value(0.0, u));
        info.SetSweepValue(Value(Units::ConvertToSI(1.0, u), u));
      }
    }
    const ComponentColumnInfo& y = m_yComponents[k];
    const ComponentColumnInfo& x = m_xComponents[k];
    const std::vector<AString> expressions{m_primarySweep.m_name, y.m_name};
    auto definition = std::make_unique<ImportedTraceDefinition>(mgr, m_fileName, expressions, info);
    definition->SetIDAndVersionID(mgr.GetNewUniqueID(), 0);
    auto data = std::make_unique<ConcreteTraceData>(mgr, definition->GetID());
    if (!m_primarySweep.m_column || !y.m_column || !x.m_column) {
      ORVEX_ASSERT(0);
      continue;
    }
    FileColumnManager::LoadAndOptionallyUnloadCtxt loaded(std::set<Column*>{y.m_column, x.m_column}, nullptr);
    data->SetPrimarySweepColumn(x.m_column->CloneColumn());
    data->SetPrimarySweepName(m_primarySweep.m_name);
    std::vector<Column*> columns{x.m_column->CloneColumn(), y.m_column->CloneColumn()};
    data->SetCurveInfo(0, static_cast<unsigned>(y.m_column->GetCount()), y.m_curveName);
    data->SetDataColumns(columns);
    definition->SetTraceData(data.release());
    out.push_back(definition.release());
  }
}

}  // namespace rep
