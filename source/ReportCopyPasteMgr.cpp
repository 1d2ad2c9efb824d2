#include "ReportCopyPasteMgr.h"

namespace rep {

// Not built yet: every operation refuses before anything changes.
bool ReportCopyPasteMgr::CopyTraces(io::CBlock&, void*, long, const std::vector<long>&) { return false; }
bool ReportCopyPasteMgr::PasteTraces(long, io::CBlock&, IReportPasteListener*, IVelmorCommand*) { return false; }
bool ReportCopyPasteMgr::CopyReports(io::CBlock&, void*, const std::vector<long>&) { return false; }
bool ReportCopyPasteMgr::PasteReports(io::CBlock&, IReportPasteListener*, IVelmorCommand*) { return false; }

}  // namespace rep
