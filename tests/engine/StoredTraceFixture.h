// A report manager on the reference host holding one trace, for tests of the trace-data classes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "reports/BaseTraceDefinition.h"
#include "tracedata/ConcreteCompositeTraceData.h"
#include "tracedata/ConcreteTraceData.h"
#include "EngineFixture.h"
#include "TraceColumnSamples.h"
#include "Gravik/ITraceDataInterfaces.h"

namespace reptest {

// Everything a reader sees of stored data through its interfaces, as text: curves, surfaces,
// components with their columns, primary sweep, names and enforced trace type.
inline std::string Describe(rep::ITraceData& data) {
  std::wstring out;
  auto column = [](const Column* c) -> std::wstring {
    if (!c) return L"none";
    return std::to_wstring(c->GetParameterType()) + L"/" + std::to_wstring(c->GetUnits()) + L"/" +
           std::to_wstring(c->GetCount()) + L" [" + c->GetValuesText() + L"]";
  };
  out += L"name: " + data.GetTraceName() + L"\n";
  unsigned type = 0;
  const bool enforced = data.GetTraceTypeToEnforce(type);
  out += L"enforced: " + std::to_wstring(enforced) + L" " + std::to_wstring(type) + L"\n";
  for (unsigned i = 0; i < data.GetNumCurves(); ++i)
    out += L"curve " + std::to_wstring(i) + L": " + std::to_wstring(data.GetNumPointsInCurve(i)) + L" from " +
           std::to_wstring(data.GetCurveOffset(i)) + L" \"" + data.GetCurveVariationKey(i, true) + L"\"\n";
  if (auto* surfaces = dynamic_cast<ISurfaceAwareTraceData*>(&data))
    for (unsigned s = 0; s < surfaces->GetNumSurfaces(); ++s)
      out += L"surface " + std::to_wstring(s) + L": " + std::to_wstring(surfaces->GetNumCurvesInSurface(s)) + L" \"" +
             surfaces->GetSurfaceVariationKey(s, true) + L"\"\n";
  for (unsigned d = 0; d < data.GetNumComponents(); ++d)
    out += L"component " + std::to_wstring(d) + L" \"" + data.GetComponentExpression(d) + L"\": " +
           column(data.GetDataColumn(d)) + L" text " + column(data.GetTextColumn(d)) + L"\n";
  if (rep::ITraceDataSweepInfo* sweep = data.GetTraceDataSweepInfo())
    out += L"sweep \"" + sweep->GetPrimarySweepName() + L"\": " + column(sweep->GetPrimarySweepColumn()) + L"\n";
  return AString(out).ToUtf8();
}

// Every point of every curve lies inside every column of the data.
inline void ExpectCurvesWithinColumns(rep::ITraceData& data) {
  std::vector<const Column*> columns;
  for (unsigned d = 0; d < data.GetNumComponents(); ++d) {
    columns.push_back(data.GetDataColumn(d));
    columns.push_back(data.GetTextColumn(d));
  }
  if (rep::ITraceDataSweepInfo* sweep = data.GetTraceDataSweepInfo()) columns.push_back(sweep->GetPrimarySweepColumn());
  uint64_t row = 0;
  for (unsigned i = 0; i < data.GetNumCurves(); ++i) {
    EXPECT_EQ(row, data.GetCurveOffset(i)) << "curve " << i << " does not start where the one before ends";
    row = uint64_t(data.GetCurveOffset(i)) + data.GetNumPointsInCurve(i);
    for (const Column* c : columns) {
      if (c) {
        EXPECT_LE(row, c->GetCount()) << "curve " << i << " reaches past a column";
      }
    }
  }
  if (auto* surfaces = dynamic_cast<ISurfaceAwareTraceData*>(&data)) {
    uint64_t curves = 0;
    for (unsigned s = 0; s < surfaces->GetNumSurfaces(); ++s) curves += surfaces->GetNumCurvesInSurface(s);
    EXPECT_LE(curves, data.GetNumCurves()) << "surfaces hold more curves than there are";
  }
}

// Stored data of two curves over "Freq": (1, 4), (2, 5) at a=1 and (3, 6) at a=2.
inline rep::ConcreteTraceData* TwoCurvesOverFreq(rep::ReportManager& mgr, long traceDefID) {
  auto* data = new rep::ConcreteTraceData(mgr, traceDefID);
  data->SetDataColumns({DoubleColumnOf({1, 2, 3}).release(), DoubleColumnOf({4, 5, 6}).release()});
  data->SetCurveInfo(0, 2, L"a=1");
  data->SetCurveInfo(1, 1, L"a=2");
  data->SetPrimarySweepColumn(DoubleColumnOf({1, 2, 3}).release());
  data->SetPrimarySweepName(L"Freq");
  return data;
}

// The block text with the unit of the column whose values are `values` changed to `unit`.
inline AString WithColumnUnit(const AString& text, const wchar_t* values, int unit) {
  std::wstring out = text;
  const size_t at = out.find(std::wstring(L"Values = \"") + values + L"\"");
  const std::wstring key = L"ColumnUnits = ";
  const size_t units = at == std::wstring::npos ? at : out.rfind(key, at);
  if (units == std::wstring::npos) return AString(out);
  const size_t end = out.find(L'\n', units);
  out.replace(units, end - units, key + std::to_wstring(unit));
  return AString(out);
}

// Stored composite data: one node "E" whose first leaf "Ex" holds 7, 8 over "Time" 1, 2.
inline rep::ConcreteCompositeTraceData* OneLeafOverTime(rep::ReportManager& mgr, long traceDefID) {
  auto* data = new rep::ConcreteCompositeTraceData(mgr, traceDefID);
  auto* node = new rep::CompositeTraceComponentData(L"E", 2);
  auto* leaf = new rep::TraceComponentData(DoubleColumnOf({7, 8}).release(), nullptr, nullptr);
  leaf->SetExpression(L"Ex");
  node->SetChild(0, leaf);
  data->AddComponent(node);
  data->SetCurveInfo(0, 2, L"");
  data->SetPrimarySweepColumn(DoubleColumnOf({1, 2}).release());
  data->SetPrimarySweepName(L"Time");
  return data;
}

class StoredTraceFixture : public EngineFixture {
protected:
  StoredTraceFixture() {
    std::unique_ptr<rep::TraceDefinition> trace = MakeTrace({L"Freq", L"dB(S(1,1))"}, L"S11");
    m_reportID = AddReport(L"Plot", {trace.get()});
    m_traceID = Report(m_reportID).GetTraces().front()->GetID();
  }

  rep::BaseTraceDefinition& Trace() { return *m_mgr->FindTrace(m_traceID); }

  long m_reportID = 0;
  long m_traceID = 0;  // the one trace of the report, named "S11": "Freq" and "dB(S(1,1))"
};

}  // namespace reptest
