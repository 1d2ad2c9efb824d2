#include <stdexcept>

#include "RepTest.h"
#include "orvex/core/IMessageManager.h"
#include "orvex/core/MessageCatalogue.h"
#include "orvex/core/MessageLog.h"
#include "orvex/core/MessageQueueRestorer.h"
#include "orvex/core/TestHooks.h"
#include "orvex/core/VelmorMessage.h"

namespace {

void Post(int id, const AString& arg = AString()) {
  VelmorMessage m(1, 14, id, id, 6, MessageManagerStrings::kNullStr, MessageManagerStrings::kNullStr, false);
  if (!arg.empty()) m.AddArg(arg, 0);
  GetGlobalIMessageManager()->PostMessage(m);
}

IMessageHandler* Handler() { return GetGlobalIMessageManager()->GetMessageHandler(); }

std::vector<int> g_sunk;
void Sink(const VelmorMessage& m) { g_sunk.push_back(m.GetMessageID()); }

}  // namespace

TEST(Messages, PostWithoutHoldIsDelivered) {
  g_sunk.clear();
  SetMessageSink(&Sink);
  Post(17002, L"1+");
  const auto& posted = orvex::test::Messages().Posted();
  ASSERT_EQ(1u, posted.size());
  EXPECT_FALSE(posted[0].held);
  EXPECT_EQ((std::array<int, 4>{14, 17002, 17002, 6}), posted[0].message.GetInts());
  EXPECT_EQ(std::vector<AString>{L"1+"}, posted[0].message.GetArgs());
  EXPECT_EQ(std::vector<int>{17002}, orvex::test::Messages().DeliveredIDs());
  EXPECT_EQ(std::vector<int>{17002}, g_sunk);
  EXPECT_EQ(&Sink, SetMessageSink(nullptr));
}

TEST(Messages, NestedHoldsDiscardOrPassUp) {
  // 1 is posted in the outer hold, 2 in the inner one.
  struct Case { bool outer; bool inner; std::vector<int> afterInner; std::vector<int> afterOuter; };
  const Case cases[] = {
      {false, false, {}, {}},
      {false, true, {}, {}},  // passed up, then discarded by the outer hold
      {true, false, {}, {1}},
      {true, true, {}, {1, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.outer ? "outer true" : "outer false") + (c.inner ? ", inner true" : ", inner false"));
    orvex::test::Messages().Clear();
    {
      MessageQueueRestorer outer(Handler(), c.outer);
      Post(1);
      {
        MessageQueueRestorer inner(Handler(), c.inner);
        Post(2);
      }
      EXPECT_EQ(c.afterInner, orvex::test::Messages().DeliveredIDs());
    }
    EXPECT_EQ(c.afterOuter, orvex::test::Messages().DeliveredIDs());
    // Every post is on the posted log, whatever happened to it.
    EXPECT_EQ((std::vector<int>{1, 2}), orvex::test::Messages().PostedIDs());
    EXPECT_TRUE(orvex::test::Messages().Posted()[1].held);
  }
  Post(3);  // no hold is left
  EXPECT_EQ(3, orvex::test::Messages().Delivered().back().GetMessageID());
}

TEST(Messages, HoldEndedByAnExceptionStillCloses) {
  try {
    MessageQueueRestorer hold(Handler(), false);
    Post(17002);
    throw std::runtime_error("boom");
  } catch (const std::runtime_error&) {
  }
  Post(17006);
  EXPECT_EQ(std::vector<int>{17006}, orvex::test::Messages().DeliveredIDs());
  EXPECT_FALSE(orvex::test::Messages().Posted()[1].held);
}

TEST(Messages, OpenHoldIsReportedAsLeftOpen) {
  Handler()->BeginHold();
  Post(17001);
  const std::string left = orvex::test::CheckGlobalsLeftOpen();
  EXPECT_NE(std::string::npos, left.find("message hold left open")) << left;
  // The check closed the hold: a new post goes straight through.
  Post(17002);
  EXPECT_EQ(std::vector<int>{17002}, orvex::test::Messages().DeliveredIDs());
}

TEST(Messages, EndHoldWithoutBeginHoldIsRefused) {
  Handler()->EndHold(true);
  EXPECT_SOFT_ASSERT("!\"EndHold without BeginHold\"");
  MessageQueueRestorer nothing(nullptr, true);  // a null handler holds nothing
  Post(17001);
  EXPECT_EQ(std::vector<int>{17001}, orvex::test::Messages().DeliveredIDs());
}

TEST(Messages, MessageKeepsWhatItIsGiven) {
  // The integers are stored as given, whatever convention the poster follows.
  VelmorMessage m(0, 0, 24464, 1, 6, L"x", MessageManagerStrings::kNullStr, true);
  EXPECT_EQ(0, m.GetSeverity());
  EXPECT_EQ((std::array<int, 4>{0, 24464, 1, 6}), m.GetInts());
  EXPECT_EQ(AString(L"x"), m.GetString1());
  EXPECT_TRUE(m.GetString2().empty());
  EXPECT_TRUE(m.GetFlag());
  EXPECT_TRUE(MessageManagerStrings::kNullStr.empty());

  m.AddArg(L"third", 2);
  m.AddArg(L"first", 0);
  EXPECT_EQ((std::vector<AString>{L"first", L"", L"third"}), m.GetArgs());
  m.AddArg(L"again", 0);
  EXPECT_EQ(AString(L"again"), m.GetArgs()[0]);
  m.AddArg(L"nowhere", -1);
  EXPECT_SOFT_ASSERT("index>=0");
  EXPECT_EQ(3u, m.GetArgs().size());
}

TEST(Messages, CatalogueHasATextForEveryNumberInUse) {
  const int used[] = {17001, 17002, 17004, 17006, 17008, 17009, 17011, 17012, 17013, 17014, 17015,
                      17016, 17017, 17018, 17019, 17020, 17021, 17022, 17023, 17024, 17025, 17026,
                      17028, 17029, 17030, 17031, 17032, 17033, 24464, 24527, 24555, 24557, 24558,
                      24559, 24575, 24576, 24583, 24605, 24618, 24729, 24748};
  for (int id : used) EXPECT_FALSE(orvex::MessageText(id).empty()) << id;
  EXPECT_TRUE(orvex::MessageText(17003).empty());
  EXPECT_TRUE(orvex::MessageText(0).empty());
}

TEST(Messages, DisplayTextFillsArguments) {
  VelmorMessage sweep(1, 14, 17012, 17012, 6, L"", L"", false);
  sweep.AddArg(L"Freq", 0);
  sweep.AddArg(L"S11", 1);
  EXPECT_EQ(AString(L"Not all selected values of sweep \"Freq\" were kept for trace \"S11\"."),
            orvex::MessageDisplayText(sweep));

  VelmorMessage range(1, 14, 17030, 0, 6, L"", L"", false);
  range.AddArg(L"5GHz", 0);
  range.AddArg(L"1GHz", 1);  // the third argument is missing: its place stays empty
  EXPECT_EQ(AString(L"The value 5GHz lies outside the sweep range from 1GHz to ."), orvex::MessageDisplayText(range));

  VelmorMessage own(1, 0, 24464, 1, 6, L"", L"", false);
  own.AddArg(L"100% done", 0);
  EXPECT_EQ(AString(L"100% done"), orvex::MessageDisplayText(own));

  VelmorMessage unknown(1, 14, 99, 99, 6, L"", L"", false);
  EXPECT_EQ(AString(L"Message 99"), orvex::MessageDisplayText(unknown));
  unknown.AddArg(L"a", 0);
  unknown.AddArg(L"b", 1);
  EXPECT_EQ(AString(L"Message 99: a, b"), orvex::MessageDisplayText(unknown));
}
