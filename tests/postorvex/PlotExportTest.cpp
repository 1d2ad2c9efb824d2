#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "Gravik/IReportDefinition.h"
#include "Gravik/ITraceDataInterfaces.h"
#include "RepTest.h"
#include "postorvex/columns/Column.h"
#include "postorvex/plotdata/ImportPlotData.h"
#include "postorvex/plotdata/PlotExport.h"

namespace {

class Report : public rep::IReportDefinition {
public:
  long GetReportID() const override { return 7; }
  AString GetReportName() const override { return L"Plot \u00e9"; }
  void GetTraceIDs(std::vector<long>&) const override {}
  rep::IBaseTraceDefinition* GetTraceDefinition(long) const override { return nullptr; }
  IReportDefinition* Clone() const override { return new Report; }
  void CopyFrom(const IReportDefinition&) override {}
  bool ValidateDefinition() override { return true; }
};

// Curves of given sizes over the given columns.
class Data : public rep::ITraceData {
public:
  Data(const AString& name, std::vector<std::unique_ptr<Column>> columns, std::vector<unsigned> curves)
      : m_name(name), m_columns(std::move(columns)), m_curves(std::move(curves)) {}
  bool HasData() const override { return true; }
  long GetVersionIDOfData() const override { return 1; }
  long GetCurrentSolutionContextVersionID() const override { return 1; }
  bool IsOutOfDate() const override { return false; }
  rep::ITraceDataSweepInfo* GetTraceDataSweepInfo() override { return nullptr; }
  unsigned GetNumCurves() const override { return static_cast<unsigned>(m_curves.size()); }
  unsigned GetNumPointsInCurve(unsigned curve) const override { return m_curves[curve]; }
  unsigned GetCurveOffset(unsigned curve) const override {
    unsigned offset = 0;
    for (unsigned c = 0; c < curve; ++c) offset += m_curves[c];
    return offset;
  }
  AString GetCurveVariationKey(unsigned curve, bool) const override { return L"k=" + std::to_wstring(curve); }
  AString GetTraceName() const override { return m_name; }
  unsigned GetNumComponents() const override { return static_cast<unsigned>(m_columns.size()); }
  AString GetComponentExpression(unsigned dim) const override { return L"e" + std::to_wstring(dim); }
  Column* GetDataColumn(unsigned dim) const override { return m_columns[dim].get(); }
  Column* GetTextColumn(unsigned) const override { return nullptr; }
  Column* GetInterpColumn(unsigned) const override { return nullptr; }
  rep::IBaseTraceDefinition* GetTraceDefinition() const override { return nullptr; }
  rep::ITraceDataForProduct* GetTraceDataForProduct() override { return nullptr; }
  Column* GetSweepColumn() const override { return nullptr; }
  Column* GetOffsetTimeColumn() const override { return nullptr; }

private:
  AString m_name;
  std::vector<std::unique_ptr<Column>> m_columns;
  std::vector<unsigned> m_curves;
};

std::unique_ptr<Column> Doubles(std::vector<double> values) {
  auto column = std::make_unique<DoubleColumn>();
  column->GetValues() = std::move(values);
  return column;
}

TEST(PlotExport, WritesAHeaderPerTraceAndALinePerPoint) {
  reptest::TempDir dir;
  std::vector<std::unique_ptr<Column>> real;
  real.push_back(Doubles({1, 2, 3}));
  real.push_back(Doubles({0.5, -0.25, 0.125}));
  auto complex = std::make_unique<ComplexColumn>();
  complex->AddValue(AComplex<double>(1.5, -2.5));
  std::vector<std::unique_ptr<Column>> mixed;
  mixed.push_back(Doubles({9}));
  mixed.push_back(std::move(complex));
  mixed.push_back(Doubles({}));  // shorter than the curve: an empty cell
  const Data first(L"S11", std::move(real), {2, 1});
  const Data second(L"Z", std::move(mixed), {1});
  const Report report;

  const std::string file = dir.File("plot.txt");
  PlotExport exporter(LongFileName(AString::FromUtf8(file)), report, {&first, nullptr, &second},
                      {{L"e0", 113}}, {PlotExportDefs::kDbPhase});
  ASSERT_TRUE(exporter.WriteOutput());
  EXPECT_EQ("# Plot \xc3\xa9\n"
            "# S11\n# Curve\te0\te1\nk=0\t1\t0.5\nk=0\t2\t-0.25\nk=1\t3\t0.125\n"
            "# Z\n# Curve\te0\te1\te2\nk=0\t9\t1.5\t-2.5\t\n",
            reptest::ReadFileBytes(file));

  // The texts' form writes the same.
  const std::string texts = dir.File("texts.txt");
  ASSERT_TRUE(PlotExport(LongFileName(AString::FromUtf8(texts)), report, {&first, &second}, {}, L"a", L"b", L"c")
                  .WriteOutput());
  EXPECT_EQ(reptest::ReadFileBytes(file), reptest::ReadFileBytes(texts));

  EXPECT_FALSE(PlotExport(LongFileName(AString::FromUtf8(dir.File("missing/plot.txt"))), report, {&first}, {}, {})
                   .WriteOutput());
}

// A FIFO named as the file to export to or to import from is refused at once, never waited on:
// nothing is at its other end. Each runs in a child that an alarm ends should it hang.
TEST(PlotExport, AFifoIsRefusedNotWaitedOn) {
  reptest::TempDir dir;
  const std::string fifo = dir.File("plot.fifo");
  ASSERT_EQ(0, ::mkfifo(fifo.c_str(), 0644));
  const Report report;
  const Data data(L"S11", {}, {});
  auto inChild = [](auto run) {
    const pid_t child = ::fork();
    if (child == 0) {
      ::alarm(10);
      ::_exit(run() ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
  };
  EXPECT_EQ(0, inChild([&] {
    return PlotExport(LongFileName(AString::FromUtf8(fifo)), report, {&data}, {}, {}).WriteOutput();
  })) << "the export";
  EXPECT_EQ(0, inChild([&] { return CImportPlotData(AString::FromUtf8(fifo)).Read(); })) << "the import";
}

}  // namespace
