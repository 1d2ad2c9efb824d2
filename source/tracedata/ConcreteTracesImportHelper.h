// Reads a data file ("txt", "csv", "tab" or "dat") and makes one imported trace per y column.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "orvex/core/AString.h"
#include "orvex/values/Units.h"
#include "orvex/values/Value.h"

class Column;
struct PlotDataCurve;

namespace io {
class CAbstract_istream;
}

namespace rep {

class ReportDefinition;
class ImportedTraceDefinition;

const wchar_t* FindWhitespace(const wchar_t* text);
const wchar_t* SkipWhitespace(const wchar_t* text);
// Null when no character of `set` occurs.
const wchar_t* FindFirstOf(const wchar_t* text, const wchar_t* set);
// Trailing control characters go, but never the first character.
void TrimTrailingControlCharacters(AString& text);

class ConcreteTracesImportHelper {
public:
  struct ComponentColumnInfo {
    AString m_name;                       // becomes a component expression of the new trace
    AString m_curveName;                  // the name of the component's one curve
    Units::FullUnitType m_unitType = 90;  // unit of the column's cell texts
    Column* m_column = nullptr;           // owned by the importer; null until a value arrives
  };

  ConcreteTracesImportHelper(const AString& fileName, ReportDefinition* owner);
  ConcreteTracesImportHelper(const ConcreteTracesImportHelper&) = delete;
  ConcreteTracesImportHelper& operator=(const ConcreteTracesImportHelper&) = delete;
  ~ConcreteTracesImportHelper();

  // Reads the file into the importer; a bad file posts its numbered message and answers false.
  bool ImportFile();
  // Appends one new definition per y component, each owning stored data with clones of the
  // importer's columns; `reportType` decides the time values.
  void CreateTraceDefinitions(std::vector<ImportedTraceDefinition*>& out, int reportType);

  const ComponentColumnInfo& GetPrimarySweep() const { return m_primarySweep; }
  const std::vector<ComponentColumnInfo>& GetXComponents() const { return m_xComponents; }
  const std::vector<ComponentColumnInfo>& GetYComponents() const { return m_yComponents; }

  // The cutting rules, answering the number of cells.
  static size_t SplitAtWhitespace(const AString& line, std::vector<AString>& cells);
  static size_t SplitDataRow(const AString& line, std::vector<AString>& cells);
  static size_t SplitTokens(const wchar_t* text, const wchar_t* delimiters, std::vector<AString>& cells);
  static Units::FullUnitType GetUnitTypeFromLabel(const AString& label, const AString& open, const AString& close);

  // A cell as bytes of its line (or of a joined cell), valid while its row is treated.
  struct Cell {
    const char* b;
    const char* e;
  };

private:
  bool ReadWhitespaceSeparatedFile();
  bool ReadDelimitedFile(const AString& delimiter);
  bool ReadPlotDataFile();
  // The data lines after the header, each cut and treated; false on the first row that fails.
  bool ReadDataLines(io::CAbstract_istream& in, char delimiter);
  bool ProcessHeaderLine(const AString& line);
  bool ProcessDelimitedHeaderLine(const AString& line, AString delimiter);
  void SetUpComponentColumns(const std::vector<AString>& cells);
  bool TreatRow();
  bool EndOfFileCheck();
  bool ParseCurveName(AString& name, Units::FullUnitType& unitType, AString& curveName, const PlotDataCurve& curve);
  static bool ExtractNameBeforeBracket(AString& name, const AString& cell);
  static void ExtractTextAfterDash(AString& text, const AString& cell);
  static Units::FullUnitType GetFullUnitTypeFromUnitName(const AString& unitName);

  ReportDefinition* m_owner;  // not owned
  AString m_fileName;
  std::vector<ComponentColumnInfo> m_xComponents;  // the x partner of each y component
  std::vector<ComponentColumnInfo> m_yComponents;
  ComponentColumnInfo m_primarySweep;
  bool m_primarySweepNamed = false;

  // Reused for every row, so that plain numbers allocate nothing.
  std::vector<Cell> m_cells;
  std::deque<std::string> m_cellTexts;  // cells that are not a piece of their line
  std::vector<AString> m_wideCells;
  Value m_xValue;
  Value m_yValue;
};

}  // namespace rep
