#include "RepTest.h"
#include "orvex/core/VelmorIDServer.h"
#include "orvex/io/Block.h"
#include "orvex/io/BlockFile.h"

using io::CBlock;
using io::CBlock_named_value;

TEST(VelmorIDServer, StateSurvivesABlock) {
  VelmorIDServer server;
  EXPECT_EQ(id::initialID, server.GetNewUniqueID());
  EXPECT_EQ(2, server.GetNewUniqueID());
  EXPECT_EQ(3, server.GetNewUniqueID());
  CBlock b(L"ReportManager");
  server.WriteNextUniqueID(b);
  EXPECT_EQ(4, server.PeekNextUniqueID()) << "writing issues nothing";

  // Through the text form, as a project file carries it.
  CBlock read;
  ASSERT_TRUE(io::BlockFromText(io::BlockToText(b), read, nullptr));
  VelmorIDServer fresh;
  EXPECT_EQ(0, fresh.ResetNextUniqueID(read));
  EXPECT_EQ(4, fresh.GetNewUniqueID());
}

TEST(VelmorIDServer, FailedResetChangesNothing) {
  VelmorIDServer server(10);
  CBlock empty(L"B");
  EXPECT_EQ(2, server.ResetNextUniqueID(empty));
  EXPECT_EQ(10, server.PeekNextUniqueID());
  CBlock wrong(L"B");
  wrong << CBlock_named_value(L"NextUniqueID", 4.0);
  EXPECT_EQ(1, server.ResetNextUniqueID(wrong));
  EXPECT_EQ(10, server.PeekNextUniqueID());
  CBlock text(L"B");
  text << CBlock_named_value(L"NextUniqueID", L"12");
  EXPECT_EQ(1, server.ResetNextUniqueID(text));
  EXPECT_EQ(10, server.GetNewUniqueID());
}

TEST(VelmorIDServer, KeyNeverCollidesWithItsNeighbours) {
  VelmorIDServer reports(5);
  VelmorIDServer versions(100, false, L"NextVersID");
  CBlock b(L"Manager");
  b << (CBlock(L"Reports") << CBlock_named_value(L"NextUniqueID", -3)) << CBlock(L"NextVersID");
  reports.WriteNextUniqueID(b);
  versions.WriteNextUniqueID(b);
  VelmorIDServer reportsBack;
  VelmorIDServer versionsBack(1, true, L"NextVersID");
  EXPECT_EQ(0, reportsBack.ResetNextUniqueID(b));
  EXPECT_EQ(0, versionsBack.ResetNextUniqueID(b));
  EXPECT_EQ(5, reportsBack.PeekNextUniqueID());
  EXPECT_EQ(100, versionsBack.PeekNextUniqueID());
  EXPECT_TRUE(versionsBack.IsShared());
  EXPECT_EQ(AString(L"NextVersID"), versionsBack.GetName());
}

TEST(VelmorIDServer, NeverIssuesTheInvalidID) {
  VelmorIDServer server(-2);
  EXPECT_EQ(-2, server.GetNewUniqueID());
  EXPECT_EQ(0, server.PeekNextUniqueID());
  EXPECT_EQ(0, server.GetNewUniqueID());
  VelmorIDServer copy = server;
  EXPECT_EQ(1, copy.GetNewUniqueID());
  EXPECT_EQ(1, server.GetNewUniqueID()) << "a copy draws on its own";
}

// At the end of the range no ID is left: the server refuses rather than issue one that no read
// takes back, and stays where it is.
TEST(VelmorIDServer, RefusesAtTheEndOfTheRange) {
  VelmorIDServer server(0x7FFFFFFD);
  EXPECT_EQ(2, server.CountIDsLeft());
  EXPECT_EQ(0x7FFFFFFD, server.GetNewUniqueID());
  EXPECT_EQ(0x7FFFFFFE, server.GetNewUniqueID());
  EXPECT_EQ(0, server.CountIDsLeft());
  EXPECT_EQ(id::invalidID, server.GetNewUniqueID());
  EXPECT_SOFT_ASSERT("nextID < 0x7FFFFFFF");
  EXPECT_EQ(id::endID, server.PeekNextUniqueID());
  server.SetNextUniqueID(id::endID + 5);
  EXPECT_EQ(0, server.CountIDsLeft());
  EXPECT_EQ(id::invalidID, server.GetNewUniqueID());
  EXPECT_SOFT_ASSERT("nextID < 0x7FFFFFFF");
  // Below the invalid ID, which is skipped, the count leaves it out.
  EXPECT_EQ(id::endID + 2, VelmorIDServer(-3).CountIDsLeft());
}

TEST(VelmorIDServer, SetMovesInOneStepAndStillSkipsTheInvalidID) {
  VelmorIDServer server;
  server.SetNextUniqueID(0x7FFFFFFE);
  EXPECT_EQ(0x7FFFFFFE, server.GetNewUniqueID());
  server.SetNextUniqueID(id::invalidID);
  EXPECT_EQ(0, server.GetNewUniqueID());
}
