// The plug-in's one exported symbol; everything else travels through interfaces.
#include "Gravik/IReportManagerFactory.h"
#include "reports/ReportManagerFactory.h"

extern "C" __attribute__((visibility("default"))) rep::IReportManagerFactory* OrvDllGetFactoryInterface() {
  return &rep::ReportManagerFactory::Instance();
}
