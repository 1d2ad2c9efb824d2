// Reader of plot-data files ("PLOTDATA 1"): two axis labels and named curves of x and y values.
#pragma once

#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"

struct PlotDataCurve {
  AString name;
  std::vector<double> x;
  std::vector<double> y;
};

// The format, line by line (UTF-8, a leading byte-order mark skipped; blank lines and lines
// starting with # are ignored; keywords in any case; strings in double quotes with \" and
// \\ escapes):
//   PLOTDATA 1
//   XAXIS "Freq [GHz]"
//   YAXIS "Y Axis"
//   CURVE "S11 [dB] - run 1"
//   X 1.0 1.5 2.0
//   Y -3.2 -4.1 -5.0
//   END
// A curve holds any number of X and Y lines; their counts need not agree.
class POSTORVEX_API CImportPlotData {
public:
  explicit CImportPlotData(const AString& fileName);
  ~CImportPlotData();

  // False on a missing file, a bad header, an unknown keyword, a number that does not parse
  // wholly, an unterminated curve or a missing axis. Never throws, except through the test hook.
  bool Read();
  const AString& GetXAxis() const { return m_xAxis; }
  const AString& GetYAxis() const { return m_yAxis; }
  const std::vector<PlotDataCurve>& GetCurves() const { return m_curves; }

  // Test hook: the next n calls of Read throw instead of reading.
  static void ThrowOnNextReads(int n);

private:
  bool ReadText(const std::string& text);

  AString m_fileName;
  AString m_xAxis;
  AString m_yAxis;
  std::vector<PlotDataCurve> m_curves;
};
