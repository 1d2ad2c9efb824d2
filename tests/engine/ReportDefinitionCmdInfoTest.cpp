#include "reports/ReportDefinitionCmdInfo.h"

#include "RepTest.h"

using rep::ReportDefinitionCmdInfo;

TEST(ReportDefinitionCmdInfo, RecordsReportsAndTracesApart) {
  ReportDefinitionCmdInfo info;
  EXPECT_EQ(2u, info.GetFlagWord(0) & 2u);

  info.AddNewTrace(1, 10);  // a new trace alone does not mark its report edited
  std::set<long> edited;
  info.GetEditedReportIDs(edited);
  EXPECT_TRUE(edited.empty());

  info.AddEditedTrace(2, 20);
  info.AddEditedTrace(2, 21);
  info.GetEditedReportIDs(edited);
  EXPECT_EQ(std::set<long>({2}), edited);
  std::set<long> traces;
  info.GetEditedTraceIDs(traces, 2);
  EXPECT_EQ(std::set<long>({20, 21}), traces);

  std::map<long, std::set<long>> newByReport;
  info.GetNewTraceIDsByReport(newByReport);
  EXPECT_EQ(1u, newByReport.size());  // report 2 holds only edited traces
  EXPECT_EQ(std::set<long>({10}), newByReport[1]);

  EXPECT_EQ(2, info.AddReportFlags(3, 2));
  EXPECT_EQ(6, info.AddReportFlags(3, 4));
  EXPECT_EQ(6, info.GetReportFlags(3));
  EXPECT_EQ(0, info.GetReportFlags(99));
}

TEST(ReportDefinitionCmdInfo, DeletedReportsKeepTheirTraces) {
  ReportDefinitionCmdInfo info;
  info.AddDeletedReport(5, {50, 51});
  EXPECT_TRUE(info.IsDeletedReport(5));
  std::set<long> traces = {99};
  info.GetTraceIDsOfDeletedReport(traces, 5);
  EXPECT_EQ(std::set<long>({50, 51}), traces);
  std::set<long> untouched = {7};
  info.GetTraceIDsOfDeletedReport(untouched, 6);
  EXPECT_EQ(std::set<long>({7}), untouched);

  info.AddDeletedTrace(4, 40);
  EXPECT_TRUE(info.IsEditedReport(4));
  std::map<long, std::set<long>> deleted;
  info.GetDeletedTraceIDsByReport(deleted);
  EXPECT_EQ(std::set<long>({40}), deleted[4]);
}

TEST(ReportDefinitionCmdInfo, UpdatedTracesAndFlags) {
  ReportDefinitionCmdInfo info;
  std::set<long> ids;
  EXPECT_FALSE(info.GetUpdatedTraceIDs(ids, 1));
  info.AddUpdatedTrace(1, 11);
  EXPECT_TRUE(info.GetUpdatedTraceIDs(ids, 1));
  EXPECT_EQ(std::set<long>({11}), ids);
  EXPECT_FALSE(info.AreTracesUpdated());
  info.SetTracesUpdated(true);
  EXPECT_TRUE(info.AreTracesUpdated());
  EXPECT_TRUE(info.SetFlag(true));
  EXPECT_TRUE(info.GetFlag());
}
