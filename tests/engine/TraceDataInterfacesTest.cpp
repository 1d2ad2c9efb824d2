// The operations of the trace-data faces sit in the slots that the host and the products call.
#include <cstdint>
#include <cstring>

#include "Gravik/IReportDataManager.h"
#include "Gravik/ITraceComponentData.h"
#include "Gravik/ITraceDataInterfaces.h"
#include "RepTest.h"

namespace {

// The entry of a virtual operation in its class's table, as this platform's C++ ABI encodes a
// pointer to it: one plus the entry's byte offset. A virtual destructor takes two entries.
template <class Member>
long TableEntry(Member member) {
  static_assert(sizeof(Member) == 2 * sizeof(uintptr_t), "a pointer to a member function is two words here");
  uintptr_t words[2];
  std::memcpy(words, &member, sizeof words);
  if ((words[0] & 1) == 0) return -1;  // not a virtual operation
  return static_cast<long>((words[0] - 1) / sizeof(void*));
}

}  // namespace

TEST(TraceDataInterfaces, OperationsSitInTheirSlots) {
  struct Case {
    const char* what;
    long entry;
    long expected;
  };
  // Faces without a destructor slot open with their first operation; faces whose slot 0 is the
  // destructor have operation n at entry n + 1.
  const Case cases[] = {
      {"ITraceDataSweepInfo::GetPrimarySweepColumn", TableEntry(&rep::ITraceDataSweepInfo::GetPrimarySweepColumn), 0},
      {"ITraceDataSweepInfo::GetPrimarySweepName", TableEntry(&rep::ITraceDataSweepInfo::GetPrimarySweepName), 1},
      {"ISurfaceAwareTraceData::GetNumSurfaces", TableEntry(&ISurfaceAwareTraceData::GetNumSurfaces), 0},
      {"ISurfaceAwareTraceData::GetNumCurvesInSurface", TableEntry(&ISurfaceAwareTraceData::GetNumCurvesInSurface), 1},
      {"ISurfaceAwareTraceData::GetSurfaceVariationKey", TableEntry(&ISurfaceAwareTraceData::GetSurfaceVariationKey),
       2},
      {"ITraceDataForProduct::GetNumCurves", TableEntry(&rep::ITraceDataForProduct::GetNumCurves), 1 + 1},
      {"ITraceDataForProduct::CloneDataColumn", TableEntry(&rep::ITraceDataForProduct::CloneDataColumn), 6 + 1},
      {"ITraceDataForProduct::GetPrimarySweepName", TableEntry(&rep::ITraceDataForProduct::GetPrimarySweepName), 9 + 1},
      {"ITraceComponentData::GetDataColumn", TableEntry(&ITraceComponentData::GetDataColumn), 4 + 1},
      {"ITraceComponentData::GetInterpColumn", TableEntry(&ITraceComponentData::GetInterpColumn), 5 + 1},
      {"IReportDataManager::GetIAbstractTraceData", TableEntry(&rep::IReportDataManager::GetIAbstractTraceData), 1 + 1},
      {"IReportDataManager::SetNeedsUpdateForSolution", TableEntry(&rep::IReportDataManager::SetNeedsUpdateForSolution),
       13 + 1},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, c.entry) << c.what;
}
