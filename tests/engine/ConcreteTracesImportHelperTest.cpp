#include "tracedata/ConcreteTracesImportHelper.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <iterator>

#include "tracedata/ConcreteTraceData.h"
#include "reports/ImportedTraceDefinition.h"
#include "RepTest.h"
#include "StoredTraceFixture.h"
#include "orvex/core/I18n.h"
#include "orvex/core/MessageLog.h"
#include "orvex/core/VelmorCommand.h"
#include "orvex/io/Block.h"
#include "orvex/io/BlockFile.h"
#include "orvex/values/Units.h"
#include "postorvex/columns/Column.h"
#include "postorvex/plotdata/ImportPlotData.h"

namespace {

using rep::ConcreteTracesImportHelper;
using rep::ImportedTraceDefinition;

std::string UnitName(Units::FullUnitType units) {
  const UnitDefinition* unit = Units::GetUnitDef(units);
  return units == 90 || !unit ? "-" : unit->GetName().ToUtf8();
}

std::string ColumnText(const Column* column) {
  return column ? std::to_string(column->GetParameterType()) + ":" + UnitName(column->GetUnits()) + "[" +
                      AString(column->GetValuesText()).ToUtf8() + "]"
                : "none";
}

// The posted messages as "id(arg)" separated by spaces.
std::string PostedMessages() {
  std::string out;
  for (const auto& posted : orvex::test::Messages().Posted()) {
    out += (out.empty() ? "" : " ") + std::to_string(posted.message.GetMessageID());
    if (!posted.message.GetArgs().empty()) out += "(" + posted.message.GetArgs()[0].ToUtf8() + ")";
  }
  return out;
}

class ImportTest : public reptest::StoredTraceFixture {
protected:
  ImportTest() { orvex::test::Messages().Clear(); }

  std::string WriteFile(const std::string& name, const std::string& bytes) {
    const std::string path = m_dir.File(name);
    reptest::WriteFileBytes(path, bytes);
    return path;
  }

  // Imports into a new report; each trace as "expressions | curve | x | y".
  std::vector<std::string> Import(const std::string& name, const std::string& bytes, bool* ok = nullptr,
                                  int reportType = 1) {
    const long reportID = AddReport(L"Imported" + AString(std::to_wstring(m_reports++)));
    const std::string before = WrittenReport(reportID);
    VelmorCommand cmd;
    const bool answer = Report(reportID).ImportTracesFromFile(AString::FromUtf8(WriteFile(name, bytes)), &cmd, reportType);
    if (ok) *ok = answer;
    if (!answer) {
      EXPECT_EQ(before, WrittenReport(reportID)) << "a refused file changed the report";
    }
    std::vector<std::string> traces;
    for (rep::BaseTraceDefinition* t : Report(reportID).GetTraces()) {
      auto* imported = dynamic_cast<ImportedTraceDefinition*>(t);
      auto* data = dynamic_cast<rep::ConcreteTraceData*>(imported->GetTraceData());
      std::string text;
      for (unsigned i = 0; i < t->GetNumComponents(); ++i)
        text += (i ? "," : "") + t->GetComponent(i)->GetExpression().ToUtf8();
      text += " | " + data->GetCurveVariationKey(0, true).ToUtf8() + " | " + ColumnText(data->GetDataColumn(0)) +
              " | " + ColumnText(data->GetDataColumn(1));
      traces.push_back(text);
    }
    m_lastReport = reportID;
    return traces;
  }

  // Imports into a report that already holds an imported trace. A refused file must say why and
  // leave that report as it was; every trace added must hold its curves within its columns.
  bool ImportIntoHeldReport(const std::string& name, const std::string& bytes, size_t& added) {
    if (!m_heldID) {
      m_heldID = AddReport(L"Held");
      VelmorCommand cmd;
      EXPECT_TRUE(Report(m_heldID).ImportTracesFromFile(AString::FromUtf8(WriteFile("held.csv", "T [s],A\n1,2\n")), &cmd, 1));
    }
    const std::string before = WrittenReport(m_heldID);
    const size_t traces = Report(m_heldID).GetTraces().size();
    const size_t messages = orvex::test::Messages().Posted().size();
    VelmorCommand cmd;
    const bool ok = Report(m_heldID).ImportTracesFromFile(AString::FromUtf8(WriteFile(name, bytes)), &cmd, 1);
    const auto& now = Report(m_heldID).GetTraces();
    added = now.size() - traces;
    if (!ok) {
      EXPECT_EQ(before, WrittenReport(m_heldID)) << "a refused file changed the report";
      EXPECT_LT(messages, orvex::test::Messages().Posted().size()) << "a refused file said nothing";
    }
    for (auto it = std::next(now.begin(), static_cast<long>(traces)); it != now.end(); ++it) {
      auto* data = dynamic_cast<rep::ConcreteTraceData*>(dynamic_cast<ImportedTraceDefinition*>(*it)->GetTraceData());
      EXPECT_EQ(1u, data->GetNumCurves());
      reptest::ExpectCurvesWithinColumns(*data);
    }
    return ok;
  }

  // The report as its manager writes it, data included.
  std::string WrittenReport(long reportID) {
    io::CBlock block(L"Reports");
    EXPECT_TRUE(Mgr().WriteReportsWithData(block, {reportID}));
    return io::BlockToText(block).ToUtf8();
  }

  reptest::TempDir m_dir;
  int m_reports = 0;
  long m_heldID = 0;
  long m_lastReport = 0;
};

const char kTxtHead[] = "line 1\nline 2\nline 3\nline 4\nline 5\n";

TEST_F(ImportTest, FilesGiveTracesOrTheirNumberedMessage) {
  struct Case {
    const char* file;
    std::string bytes;
    bool ok;
    std::vector<std::string> traces;
    std::string messages;
  };
  const std::string txtHead = kTxtHead;
  const std::string kCrOnly = "the lines end in CR alone; save the file with LF or CR LF line ends";
  const Case cases[] = {
      {"units.txt", txtHead + "Time [ns] V1 [mV] V2\nskipped\n1 10 100\n2 20 200\n", true,
       {"Time,V1 |  | 1:ns[1 2] | 1:mV[10 20]", "Time,V2 |  | 1:ns[1 2] | 1:-[100 200]"}, ""},
      {"complex.txt", txtHead + "F [GHz] S\n-\n1 1.5 - 2.5i\n2 3 + 4i\n", true,
       {"F,S |  | 1:GHz[1 2] | 2:-[1.5 -2.5 3 4]"}, ""},
      {"one.txt", txtHead + "Time\n-\n1\n", false, {}, "17025"},
      {"short.txt", txtHead + "T A B\n-\n1 2\n", false, {}, "17026"},
      {"long.txt", txtHead + "T A\n-\n1 2 3\n", false, {}, "17028"},
      {"blank.txt", txtHead + "T A\n-\n1 2\n\n3 4\n", false, {}, "17026"},
      {"sign.txt", txtHead + "T A\n-\n1 2 - 3\n", false, {}, "17028"},
      {"numbers.txt", txtHead + "0 1.5 -2e3\n-\n1 2 3\n", false, {}, "17025"},
      {"complexheader.txt", txtHead + "1 1.5 + 2.5i\n-\n1 2\n", false, {}, "17025"},
      // A plain dump: a line of names, then rows of numbers from line 2 on.
      {"dump.txt", "time v1 v2\n0 1 2\n1 2 3\n2 3 4\n3 4 5\n4 5 6\n5 6 7\n6 7 8\n", false, {}, "17025"},
      {"digitname.txt", txtHead + "2nd [s] pi\n-\n1 2\n", true, {"2nd,pi |  | 1:s[1] | 1:-[2]"}, ""},
      {"cronly.txt", "a\rb\rc\rd\re\rT A\r-\r1 2\r", false, {}, "17025(" + kCrOnly + ")"},
      {"cronly.csv", "T,A\r1,2\r3,4\r", false, {}, "17025(" + kCrOnly + ")"},
      {"cronly.tab", "T\tA\r1\t2\r\n", false, {}, "17025(" + kCrOnly + ")"},
      {"nan.txt", txtHead + "T A B\n-\n1 nan 5\n2 -nan 6\n3 7 NaN\n", true,
       {"T,A |  | 1:-[3] | 1:-[7]", "T,B |  | 1:-[1 2] | 1:-[5 6]"}, "17019(nan) 17019(-nan) 17019(NaN)"},
      {"nanx.csv", "T,A\n1,2\nnan,3\n", false, {}, "17020(nan)"},
      {"spacedunit.csv", "T,A [mV]\n1,1 V\n2,2V\n3,3\n", true,
       {"Primary Sweep,A |  | 1:-[1 2 3] | 1:mV[1000 2000 3]"}, ""},
      {"spacedx.csv", "T [GHz],A\n1 MHz,1\n", true, {"T,Y Component 1 |  | 1:GHz[0.001] | 1:-[1]"}, ""},
      {"twowords.csv", "T,A\n1,2 3\n2,4\n", true, {"Primary Sweep,Y Component 1 |  | 1:-[2] | 1:-[4]"}, "17019(2 3)"},
      {"word.txt", txtHead + "T A B\n-\n1 x 5\n2 7 6\n", true,
       {"T,A |  | 1:-[2] | 1:-[7]", "T,B |  | 1:-[1 2] | 1:-[5 6]"}, "17019(x)"},
      {"variable.csv", "T,A\n1,Time\n2,3\n", true, {"Primary Sweep,Y Component 1 |  | 1:-[2] | 1:-[3]"}, "17019(Time)"},
      {"noy.txt", txtHead + "T A\n-\n1 x\n", false, {}, "17019(x) 17029"},
      {"badx.txt", txtHead + "T A\n-\nq 1\n", false, {}, "17020(q)"},
      {"mixedx.txt", txtHead + "T A\n-\n1 1\n1+2i 2\n", false, {}, "17022(1+2i)"},
      {"mixedy.txt", txtHead + "T A\n-\n1 1\n2 2i\n", false, {}, "17021(2i)"},
      {"plain.csv", "Freq [GHz],S11 [dB] - run 1,S21\n1,-3,-0.5\n2,,-0.7\n", true,
       {"Freq,S11 |  run 1 | 1:GHz[1] | 1:dB[-3]", "Freq,Y Component 2 |  | 1:GHz[1 2] | 1:-[-0.5 -0.7]"}, ""},
      {"unnamed.csv", "x,y\n1,2\n", true, {"Primary Sweep,Y Component 1 |  | 1:-[1] | 1:-[2]"}, ""},
      {"quoted.csv", "\"T, s [ns]\",\"A, b [mV]\"\n1,2\n", true, {"T, s,A, b |  | 1:-[1] | 1:-[2]"}, ""},
      {"unclosed.csv", "T [ns],\"A [mV]\n1,2\n", true, {"T,A |  | 1:ns[1] | 1:mV[2]"}, ""},
      {"onecell.csv", "Freq [GHz]\n1\n", false, {}, "17025"},
      {"emptyx.csv", "T,A\n,2\n", false, {}, "17020()"},
      {"crlf.csv", "T [s],A\r\n1,2\r\n3,4", true, {"T,Y Component 1 |  | 1:s[1 3] | 1:-[2 4]"}, ""},
      {"bom.csv", "\xEF\xBB\xBFT [s],A []\n1,2\n", true, {"T,A |  | 1:s[1] | 1:-[2]"}, ""},
      {"blankline.csv", "T,A\n1,2\n\n", false, {}, "17026"},
      {"tabs.tab", "T [s]\tA []\tB\n1\t2\t3\n", true, {"T,A |  | 1:s[1] | 1:-[2]", "T,Y Component 2 |  | 1:s[1] | 1:-[3]"}, ""},
      {"upper.TXT", txtHead + "T A\n-\n1 2\n", true, {"T,A |  | 1:-[1] | 1:-[2]"}, ""},
      {"other.xyz", "T,A\n1,2\n", false, {}, "17004(xyz)"},
      {"headeronly.csv", "T,A\n", false, {}, "17029"},
      {"empty.csv", "", false, {}, "17025"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    orvex::test::Messages().Clear();
    bool ok = false;
    EXPECT_EQ(c.traces, Import(c.file, c.bytes, &ok));
    EXPECT_EQ(c.ok, ok);
    EXPECT_EQ(c.messages, PostedMessages());
  }
}

TEST_F(ImportTest, EachTraceHasItsShape) {
  const long before = Mgr().GetNewUniqueID();
  Import("shape.csv", "T [s],A,A\n1,2,3\n");
  const auto& traces = Report(m_lastReport).GetTraces();
  ASSERT_EQ(2u, traces.size());
  std::set<long> ids;
  for (rep::BaseTraceDefinition* t : traces) {
    EXPECT_EQ(2u, t->GetNumComponents());
    EXPECT_EQ(0, t->GetVersionID());
    EXPECT_GT(t->GetID(), before);
    ids.insert(t->GetID());
    auto* imported = dynamic_cast<ImportedTraceDefinition*>(t);
    EXPECT_EQ(1u, imported->GetTraceData()->GetNumCurves());
    EXPECT_EQ(t->GetID(), dynamic_cast<rep::ConcreteTraceData*>(imported->GetTraceData())->GetTraceDefID());
    EXPECT_EQ(AString(L"T"), imported->GetPrimarySweepName());
    EXPECT_EQ(1, t->GetExtendedTraceInfo().GetYAxis());
    EXPECT_TRUE(imported->GetSourceDescription().find(L"shape.csv") != std::wstring::npos);
  }
  EXPECT_EQ(2u, ids.size());
  // Two columns of one name give traces of unique names.
  EXPECT_NE(traces.front()->GetName(), traces.back()->GetName());
}

TEST_F(ImportTest, TimeReportTypesTakeTheFirstTracesTimes) {
  // A report without traces: offset 0 in the default time unit.
  Import("t.csv", "T,A\n1,2\n", nullptr, 0x70000001);
  const ExtTraceInfo first = Report(m_lastReport).GetTraces().front()->GetExtendedTraceInfo();
  EXPECT_EQ(0.0, first.GetOffsetTime().GetValue());
  EXPECT_EQ(Units::GetDefaultUnits(static_cast<Units::UnitType>(6)), first.GetOffsetTime().GetUnits());
  // A report with a trace passes its offset time on; other types keep the defaults.
  ExtTraceInfo info;
  info.SetOffsetTime(Value(2.5, 90));
  info.SetSweepValue(Value(7.0, 90));
  Trace().SetExtendedTraceInfo(info);
  for (int type : {0x70000002, 1}) {
    SCOPED_TRACE(type);
    VelmorCommand cmd;
    ASSERT_TRUE(Report(m_reportID).ImportTracesFromFile(AString::FromUtf8(WriteFile("u.csv", "T,A\n1,2\n")), &cmd, type));
    const ExtTraceInfo got = Report(m_reportID).GetTraces().back()->GetExtendedTraceInfo();
    EXPECT_EQ(type == 1 ? 0.0 : 2.5, got.GetOffsetTime().GetValue());
    EXPECT_EQ(type == 1 ? 0.0 : 7.0, got.GetSweepValue().GetValue());
  }
}

TEST_F(ImportTest, OneUndoRemovesAWholeImportAndAMissingFilePostsOnce) {
  const size_t before = Report(m_reportID).GetTraces().size();
  VelmorCommand cmd;
  ASSERT_TRUE(Report(m_reportID).ImportTracesFromFile(AString::FromUtf8(WriteFile("a.csv", "T,S11,B\n1,2,3\n")), &cmd, 1));
  EXPECT_EQ(before + 2, Report(m_reportID).GetTraces().size());
  // "S11" is a name the report already holds: the new one is made unique.
  std::set<AString> names;
  for (auto* t : Report(m_reportID).GetTraces()) names.insert(t->GetName());
  EXPECT_EQ(before + 2, names.size());
  cmd.EndDo();
  cmd.Undo();
  EXPECT_EQ(before, Report(m_reportID).GetTraces().size());
  cmd.Redo();
  EXPECT_EQ(before + 2, Report(m_reportID).GetTraces().size());

  VelmorCommand missing;
  const AString name = AString::FromUtf8(m_dir.File("nope.csv"));
  EXPECT_FALSE(Report(m_reportID).ImportTracesFromFile(name, &missing, 1));
  ASSERT_EQ(std::vector<int>({17006}), orvex::test::Messages().PostedIDs());
  EXPECT_EQ(name, orvex::test::Messages().Posted()[0].message.GetArgs()[0]);
  EXPECT_EQ(before + 2, Report(m_reportID).GetTraces().size());
}

// A header "x,a,a,…" and one data line: one trace per column, handled by the command that added
// them and written with their data. (Work that grows with the square of the traces once took
// tens of seconds here: ReportDefinitionTest checks the growth itself.)
TEST_F(ImportTest, AWideFileImportsAndTravelsWithItsData) {
  const size_t columns = 10000;
  std::string header = "x";
  std::string line = "1";
  for (size_t c = 1; c < columns; ++c) {
    header += ",a";
    line += ",2";
  }
  const long reportID = AddReport(L"Wide");
  VelmorCommand cmd;
  ASSERT_TRUE(Report(reportID).ImportTracesFromFile(AString::FromUtf8(WriteFile("wide.csv", header + "\n" + line + "\n")),
                                                    &cmd, 1));
  cmd.EndDo();
  Mgr().HandleCommandForImportedTraces(&cmd);
  std::vector<long> ids;
  Report(reportID).GetTraceIDs(ids);
  ASSERT_EQ(columns - 1, ids.size());
  io::CBlock block(L"Clip");
  ASSERT_TRUE(Mgr().WriteTracesWithData(block, reportID, ids));
  const io::CBlock* traces = block.FindBlock(L"Traces");
  ASSERT_NE(nullptr, traces);
  ASSERT_EQ(ids.size(), traces->GetNumItems());
  EXPECT_EQ(i18n::MakeNumberString(ids.back()), traces->GetBlock(ids.size() - 1)->GetName());
}

// Plain cells go through from_chars, every other cell through the value parser: the two give
// the same bits, and refuse the same out-of-range numbers.
TEST_F(ImportTest, PlainCellsReadAsTheValueParserReadsThem) {
  const char* const numbers[] = {"0",      "-0",      "1.5",      ".5",       "5.",   "-2.5e-310", "4.9e-324",
                                 "1e308",  "0.1",     "123456789012345678901", "3E+2", "-7e-3",     "2.2250738585072014e-308"};
  std::string plain = "T [GHz],A [mV]\n", parsed = plain;
  for (const char* n : numbers) {
    plain += std::string(n) + "," + n + "\n";
    // A leading blank and "+" keep the fast path out; the x cell is not trimmed.
    const std::string slow = n[0] == '-' ? std::string(n) : "+" + std::string(n);
    parsed += " " + slow + ", " + slow + "\n";
  }
  const std::vector<std::string> fast = Import("plain.csv", plain);
  const std::vector<std::string> slow = Import("parsed.csv", parsed);
  EXPECT_EQ(slow, fast);
  ASSERT_EQ(1u, fast.size());
  EXPECT_NE(std::string::npos, fast[0].find("-2.5e-310"));
  for (const char* n : {"1e400", "1e-400", "-1e400"}) {
    for (const char* prefix : {"", "+"}) {
      SCOPED_TRACE(std::string(prefix) + n);
      const std::string cell = n[0] == '-' && *prefix ? std::string(n) + " " : std::string(prefix) + n;
      orvex::test::Messages().Clear();
      bool ok = true;
      Import("y.csv", "T,A\n1," + cell + "\n2,3\n", &ok);
      EXPECT_TRUE(ok);
      EXPECT_EQ("17019(" + AString::FromUtf8(cell).Trimmed().ToUtf8() + ")", PostedMessages());
      orvex::test::Messages().Clear();
      Import("x.csv", "T,A\n" + cell + ",1\n", &ok);
      EXPECT_FALSE(ok);
      EXPECT_EQ("17020(" + cell + ")", PostedMessages());
    }
  }
}

TEST_F(ImportTest, PlotDataFilesNameTheirCurves) {
  const std::string selfNamed =
      "PLOTDATA 1\nXAXIS \"Freq [GHz]\"\nYAXIS \"y axis\"\nCURVE \"S11 [dB] - run 1\"\nX 1.0 1.5 2.0\n"
      "Y -3.2 -4.1 -5.0\nEND\nCURVE \"S21 [dB] - run 2\"\nX 1.0 nan 3\nY -0.5 -0.7 -1\nEND\n";
  EXPECT_EQ(std::vector<std::string>({"Freq [GHz],S11 | run 1 | 1:GHz[1 1.5 2] | 1:dB[-3.2 -4.1 -5]",
                                      "Freq [GHz],S21 | run 2 | 1:GHz[1 nan 3] | 1:dB[-0.5 -0.7 -1]"}),
            Import("self.dat", selfNamed));
  // The importer's primary sweep holds the distinct x values of all curves, without NaN.
  ConcreteTracesImportHelper importer(AString::FromUtf8(WriteFile("self.dat", selfNamed)), &Report(m_lastReport));
  ASSERT_TRUE(importer.ImportFile());
  EXPECT_EQ("1:GHz[1 1.5 2 3]", ColumnText(importer.GetPrimarySweep().m_column));

  EXPECT_EQ(std::vector<std::string>({"T (ns),Gain (dB) | a | 1:ns[1] | 1:dB[2]"}),
            Import("axis.dat", "PLOTDATA 1\nXAXIS \"T (ns)\"\nYAXIS \"Gain (dB)\"\nCURVE \"a\"\nX 1\nY 2\nEND\n"));
  // An editor's byte-order mark before the first line.
  EXPECT_EQ(std::vector<std::string>({"T (ns),Gain (dB) | a | 1:ns[1] | 1:dB[2]"}),
            Import("bom.dat", "\xEF\xBB\xBFPLOTDATA 1\nXAXIS \"T (ns)\"\nYAXIS \"Gain (dB)\"\nCURVE \"a\"\nX 1\nY 2\nEND\n"));

  struct Case {
    const char* why;
    std::string bytes;
  };
  const Case failures[] = {
      {"a curve name without a unit", "PLOTDATA 1\nXAXIS \"x\"\nYAXIS \"Y Axis\"\nCURVE \"a\"\nX 1\nY 2\nEND\n"},
      {"x and y counts differ", "PLOTDATA 1\nXAXIS \"x\"\nYAXIS \"y\"\nCURVE \"a\"\nX 1 2\nY 2\nEND\n"},
      {"a bad header", "PLOTDATA 2\n"},
      {"a bad number", "PLOTDATA 1\nXAXIS \"x\"\nYAXIS \"y\"\nCURVE \"a\"\nX 1x\nY 2\nEND\n"},
      {"an unterminated curve", "PLOTDATA 1\nXAXIS \"x\"\nYAXIS \"y\"\nCURVE \"a\"\nX 1\nY 2\n"},
  };
  for (const Case& c : failures) {
    SCOPED_TRACE(c.why);
    orvex::test::Messages().Clear();
    bool ok = true;
    EXPECT_TRUE(Import("bad.dat", c.bytes, &ok).empty());
    EXPECT_FALSE(ok);
    EXPECT_EQ("17025", PostedMessages());
  }
  orvex::test::Messages().Clear();
  CImportPlotData::ThrowOnNextReads(1);
  bool ok = true;
  Import("throws.dat", selfNamed, &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ("17025", PostedMessages());
}

// The primary sweep's column comes first, then each component's y column and its x partner.
TEST_F(ImportTest, AColumnThatCannotBeMadeEndsTheRead) {
  struct Case {
    int madeBefore;
    const char* messages;
  };
  const Case cases[] = {{0, ""}, {1, "17023"}, {2, "17023"}};
  for (const char* name : {"made.txt", "made.csv"}) {
    const std::string bytes = name[5] == 't' ? std::string(kTxtHead) + "T A\n-\n1 2\n" : "T,A\n1,2\n";
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(name) + " after " + std::to_string(c.madeBefore));
      orvex::test::Messages().Clear();
      Column::FailNextCreations(1, c.madeBefore);
      bool ok = true;
      EXPECT_TRUE(Import(name, bytes, &ok).empty());
      EXPECT_FALSE(ok);
      EXPECT_EQ(c.messages, PostedMessages());
    }
  }
}

// A read error part way through the file: reading this process's memory from its first byte fails.
TEST_F(ImportTest, AnExceptionDuringTheReadPostsItsMessage) {
  for (const char* name : {"io.txt", "io.csv", "io.tab"}) {
    SCOPED_TRACE(name);
    const std::string link = m_dir.File(name);
    ASSERT_EQ(0, ::symlink("/proc/self/mem", link.c_str()));
    orvex::test::Messages().Clear();
    const long reportID = AddReport(L"Failing" + AString::FromUtf8(name));
    const std::string before = WrittenReport(reportID);
    VelmorCommand cmd;
    EXPECT_FALSE(Report(reportID).ImportTracesFromFile(AString::FromUtf8(link), &cmd, 1));
    EXPECT_EQ("17024", PostedMessages());
    EXPECT_EQ(before, WrittenReport(reportID));
  }
}

TEST(ImportCutting, HeaderAndRowRules) {
  std::vector<AString> cells;
  EXPECT_EQ(3u, ConcreteTracesImportHelper::SplitAtWhitespace(L" Time [ns]  V1 [mV] V2 ", cells));
  EXPECT_EQ(std::vector<AString>({L"Time [ns]", L"V1 [mV]", L"V2 []"}), cells);
  ConcreteTracesImportHelper::SplitAtWhitespace(L"A [x B", cells);
  EXPECT_EQ(std::vector<AString>({L"A []", L"[x []", L"B []"}), cells);
  EXPECT_EQ(1u, ConcreteTracesImportHelper::SplitDataRow(L"   ", cells));
  EXPECT_EQ(std::vector<AString>({L""}), cells);
  ConcreteTracesImportHelper::SplitDataRow(L"1 1.5 + 2.5i 3 - x", cells);
  EXPECT_EQ(std::vector<AString>({L"1", L"1.5+ 2.5i", L"3", L"-", L"x"}), cells);
  cells.clear();
  EXPECT_EQ(0u, ConcreteTracesImportHelper::SplitTokens(L"", L",", cells));
  EXPECT_EQ(3u, ConcreteTracesImportHelper::SplitTokens(L"a,\"b,c\",", L",", cells));
  EXPECT_EQ(std::vector<AString>({L"a", L"b,c", L""}), cells);
  cells.clear();
  ConcreteTracesImportHelper::SplitTokens(L"x\"\",\"", L",", cells);
  EXPECT_EQ(std::vector<AString>({L"", L""}), cells);
  cells.clear();
  EXPECT_EQ(0u, ConcreteTracesImportHelper::SplitTokens(nullptr, L",", cells));
  EXPECT_SOFT_ASSERT("string != 0");
  const Units::FullUnitType ghz = Units::GetUnitDef(L"GHz", static_cast<Units::UnitType>(15))->GetFullUnitType();
  EXPECT_EQ(ghz, ConcreteTracesImportHelper::GetUnitTypeFromLabel(L"Freq [GHz]", L"[", L"]"));
  EXPECT_EQ(90, ConcreteTracesImportHelper::GetUnitTypeFromLabel(L"S Param [dB]", L"[", L"]"));
  EXPECT_EQ(90, ConcreteTracesImportHelper::GetUnitTypeFromLabel(L"Freq [nounit]", L"[", L"]"));
  AString text = L"\x01";
  rep::TrimTrailingControlCharacters(text);
  EXPECT_EQ(AString(L"\x01"), text);
}

// A sign before a space, or a "[", does not send the cutting to the end of the line each time: a
// line of them cuts in about the time of a plain line of as many cells. The margin is wide, as a
// search per sign makes this line hundreds of times slower.
// Lines of lone signs and of brackets never closed: each sign is a cell of its own, and each "["
// a name whose unit is never closed. How long they take to cut is watched by the import
// benchmark's long-line rows.
TEST(ImportCutting, HostileLinesCutIntoTheirCells) {
  const size_t cells = 2000;
  AString signs, brackets;
  for (size_t i = 0; i < cells; ++i) {
    signs += L"+ ";
    brackets += L"[ ";
  }
  std::vector<AString> out;
  ConcreteTracesImportHelper::SplitDataRow(signs, out);
  ASSERT_EQ(cells, out.size());
  for (const AString& cell : out) EXPECT_EQ(AString(L"+"), cell);
  ConcreteTracesImportHelper::SplitAtWhitespace(brackets, out);
  ASSERT_EQ(cells, out.size());
  for (size_t i = 0; i + 1 < cells; ++i) EXPECT_EQ(AString(L"[ []"), out[i]);
}

// Damaged files get their answer and message; a refused one leaves the report that already holds
// a trace exactly as it was, and an accepted one adds whole traces.
TEST_F(ImportTest, HostileFilesGetTheirAnswer) {
  const std::string txt = std::string(kTxtHead) + "T [s] A B\n-\n1 2 3\n2 1.5 + 2i 4\n";
  const std::string csv = "T [s],\"A, b [mV]\",B\n1,2,3\n2,,4\n";
  const std::string dat = "PLOTDATA 1\nXAXIS \"x\"\nYAXIS \"Y Axis\"\nCURVE \"a [V]\"\nX 1 2\nY 3 4\nEND\n";
  for (const auto& [name, bytes] : {std::pair<std::string, std::string>{"p.txt", txt}, {"p.csv", csv}, {"p.dat", dat}}) {
    for (size_t n = 0; n <= bytes.size(); ++n) {
      SCOPED_TRACE(name + " cut at " + std::to_string(n));
      size_t added = 0;
      // A plot-data file may hold no curve and so add nothing.
      if (ImportIntoHeldReport(name, bytes.substr(0, n), added) && name != "p.dat") {
        EXPECT_LT(0u, added);
      }
    }
  }
  const std::string wide(100000, '7');
  std::string manyColumns = "T";
  std::string manyCells = "1";
  for (int i = 0; i < 10000; ++i) {
    manyColumns += ",C";
    manyCells += ",1";
  }
  std::string manyRows = "T,A\n";
  for (int i = 0; i < 100000; ++i) manyRows += std::to_string(i) + "," + std::to_string(i % 7) + "\n";
  std::string signs = std::string(kTxtHead) + "T A\n-\n1";
  std::string brackets = std::string(kTxtHead) + "T";
  for (int i = 0; i < 20000; ++i) {
    signs += " +";
    brackets += " [";
  }
  struct Case {
    const char* name;
    std::string bytes;
    bool ok;
    size_t added;
    std::string messages;
  };
  const Case cases[] = {
      {"cr.csv", "T,A\r1,2\r3,4\r", false, 0, "17025(the lines end in CR alone; save the file with LF or CR LF line ends)"},
      {"nul.csv", std::string("T,A\n1,\0\n", 8), false, 0, std::string("17019(\0) 17029", 14)},
      {"nul.txt", std::string(kTxtHead) + std::string("T A\n-\n1 \0 2\n", 12), false, 0, "17028"},
      {"utf16.csv", std::string("\xFF\xFE" "T\0,\0A\0\n\0" "1\0,\0" "2\0\n\0", 18), false, 0, "17025"},
      {"comma.csv", "T;A\n1,5;2,5\n", false, 0, "17025"},
      {"decimal.txt", std::string(kTxtHead) + "T A\n-\n1,5 2,5\n", false, 0, "17020(1,5)"},
      // Out of the range of doubles.
      {"wide.csv", "T,A\n1," + wide + "\n", false, 0, "17019(" + wide + ") 17029"},
      {"wide.txt", std::string(kTxtHead) + "T A\n-\n1 " + wide + "\n", false, 0, "17019(" + wide + ") 17029"},
      {"utf8.txt", std::string(kTxtHead) + "T A\n-\n1\xE3\x80\x80" "2\n", true, 1, ""},
      {"signs.txt", signs, false, 0, "17028"},
      {"brackets.txt", brackets, false, 0, "17029"},
      // Last, as each import writes the report before it.
      {"rows.csv", manyRows, true, 1, ""},
      {"columns.csv", manyColumns + "\n" + manyCells + "\n", true, 10000, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    orvex::test::Messages().Clear();
    size_t added = 0;
    EXPECT_EQ(c.ok, ImportIntoHeldReport(c.name, c.bytes, added));
    EXPECT_EQ(c.added, added);
    EXPECT_EQ(c.messages, PostedMessages());
  }
  EXPECT_EQ(std::vector<std::string>({"T,A |  | 1:-[1] | 1:-[2]"}), Import("utf8b.txt", std::string(kTxtHead) + "T A\n-\n1\xE3\x80\x80" "2\n"));
}

}  // namespace
