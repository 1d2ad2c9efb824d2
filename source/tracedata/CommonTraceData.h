// The header of stored composite trace data: trace, curves, primary sweep, name and enforced type.
#pragma once

#include <memory>

#include "Gravik/ITraceDataInterfaces.h"
#include "tracedata/TraceCurveData.h"
#include "orvex/io/ReadError.h"

namespace io {
class CBlock;
}

namespace rep {

class ReportManager;

class CommonTraceData : public ITraceDataSweepInfo {
public:
  // Keys of the header items, which stored plain trace data writes as well.
  static const wchar_t* const kTraceDefID;
  static const wchar_t* const kTraceName;
  static const wchar_t* const kCurvesInfo;

  CommonTraceData(ReportManager& mgr, long traceDefID);
  CommonTraceData(const CommonTraceData&) = delete;
  CommonTraceData& operator=(const CommonTraceData&) = delete;
  ~CommonTraceData() override;

  ReportManager& GetManager() const { return m_mgr; }
  long GetTraceDefID() const { return m_traceDefID; }
  void SetTraceDefID(long traceDefID) { m_traceDefID = traceDefID; }
  const TraceCurveData& GetCurveData() const { return m_curveData; }
  TraceCurveData& GetCurveData() { return m_curveData; }

  void SetTraceName(const AString& name) { m_traceName = name; }
  // Empty when the data has no name of its own and shows the trace definition's.
  const AString& GetOwnTraceName() const { return m_traceName; }
  void SetPrimarySweepName(const AString& name) { m_primarySweepName = name; }
  // Owns the column and deletes the one held so far; null is allowed.
  void SetPrimarySweepColumn(Column* column);
  // Answers the flag held before.
  bool SetTraceTypeToEnforce(bool enforce, unsigned type);

  // The held column, not a copy.
  Column* GetPrimarySweepColumn() const override;
  AString GetPrimarySweepName() const override;

  // Stored data never goes out of date.
  long GetVersionIDOfData() const { return 1; }
  long GetCurrentSolutionContextVersionID() const { return 1; }
  bool GetTraceTypeToEnforce(unsigned& type) const;
  // The stored name, or, while it is empty, the trace definition's.
  AString GetTraceName() const;

  CommonTraceData& CopyFrom(const CommonTraceData& from);
  // Everything but the manager, from a header of any manager.
  void CopyContentFrom(const CommonTraceData& from);

  // Writes or reads the header's items in `block`: no error, or io::kMissingBlock when reading
  // found the header incomplete or inconsistent (curves beyond the primary sweep's rows are dropped).
  io::ReadError DoDataExchange(io::CBlock& block, bool read);

  // The sub-block "PrimarySweepInfo" that both stored forms keep: written only with a column.
  // False when the column could not be written (the sub-block then holds only the name).
  static bool WritePrimarySweepInfo(io::CBlock& block, const AString& name, const Column* column);
  // How the two stored forms read the column of "PrimarySweepInfo". The header reads it with the
  // shared column reader: a missing column block is no column, one that cannot be made raises
  // "col". Stored plain data requires the block: a missing one raises its own assertion, one that
  // cannot be made gives no column.
  enum class SweepColumnRead { kByColumnReader, kColumnBlockRequired };
  // No error when the sub-block is absent (nothing changes) or whole; io::kMissingBlock when it
  // lacks its name (a soft assertion) or a readable column. What it does hold is taken.
  static io::ReadError ReadPrimarySweepInfo(const io::CBlock& block, AString& name, std::unique_ptr<Column>& column,
                                            SweepColumnRead how);

private:
  io::ReadError Read(io::CBlock& block);
  void Write(io::CBlock& block) const;

  ReportManager& m_mgr;
  long m_traceDefID;
  TraceCurveData m_curveData;
  std::unique_ptr<Column> m_primarySweepColumn;  // may be null
  AString m_primarySweepName;
  bool m_enforceTraceType = false;
  uint32_t m_traceTypeToEnforce = 0;
  AString m_traceName;  // empty: the trace definition's name stands
};

}  // namespace rep
