#include "orvex/core/VelmorCommand.h"

#include <map>
#include <string>
#include <vector>

#include "RepTest.h"
#include "orvex/core/CUndoableVersion.h"

namespace {

// Live instances of every test double below; a leak or a double delete shows here (and to ASan).
struct Alive {
  int deltas = 0;
  int values = 0;
  int infos = 0;
};
Alive g_alive;
std::vector<std::string> g_events;

class TestValue : public MUndoableObject {
public:
  explicit TestValue(int v) : m_v(v) { ++g_alive.values; }
  TestValue(const TestValue& o) : MUndoableObject(), m_v(o.m_v) { ++g_alive.values; }
  ~TestValue() override { --g_alive.values; }
  MUndoableObject* Clone() const override { return new TestValue(*this); }
  void Assign(const MUndoableObject& from) override {
    m_v = static_cast<const TestValue&>(from).m_v;
    g_events.push_back("value=" + std::to_string(m_v));
  }
  int m_v;
};

// Adds one item at the end of a list; undo takes it off again.
class ListDelta : public VelmorDeltaState {
public:
  ListDelta(std::vector<int>& list, int item) : VelmorDeltaState(true), m_list(list), m_item(item) {
    ++g_alive.deltas;
  }
  ~ListDelta() override {
    --g_alive.deltas;
    g_events.push_back("~list" + std::to_string(m_item));
  }
  void UndoIt() override {
    VelmorDeltaState::UndoIt();
    EXPECT_EQ(m_item, m_list.back());  // later edits must have been taken back already
    m_list.pop_back();
    g_events.push_back("undo list" + std::to_string(m_item));
  }
  void RedoIt() override {
    VelmorDeltaState::RedoIt();
    m_list.push_back(m_item);
    g_events.push_back("redo list" + std::to_string(m_item));
  }

private:
  std::vector<int>& m_list;
  int m_item;
};

class MapDelta : public VelmorDeltaState {
public:
  MapDelta(std::map<int, int>& map, int key, int value)
      : VelmorDeltaState(true), m_map(map), m_key(key), m_value(value) {
    ++g_alive.deltas;
  }
  ~MapDelta() override {
    --g_alive.deltas;
    g_events.push_back("~map" + std::to_string(m_key));
  }
  void UndoIt() override {
    VelmorDeltaState::UndoIt();
    m_map.erase(m_key);
    g_events.push_back("undo map" + std::to_string(m_key));
  }
  void RedoIt() override {
    VelmorDeltaState::RedoIt();
    m_map[m_key] = m_value;
    g_events.push_back("redo map" + std::to_string(m_key));
  }

private:
  std::map<int, int>& m_map;
  int m_key;
  int m_value;
};

class CountedInfo : public VelmorCommandInfo {
public:
  CountedInfo() { ++g_alive.infos; }
  ~CountedInfo() override { --g_alive.infos; }
};

// Notes the command's three state queries whenever it is undone or redone.
class StateProbe : public VelmorDeltaState {
public:
  StateProbe(const IVelmorCommand& cmd, std::string& seen) : VelmorDeltaState(true), m_cmd(cmd), m_seen(seen) {}
  void UndoIt() override { m_seen += Queries(); }
  void RedoIt() override { m_seen += Queries(); }
  std::string Queries() const {
    return std::string(m_cmd.IsDoing() ? "1" : "-") + (m_cmd.IsUndoing() ? "2" : "-") + (m_cmd.IsRedoing() ? "3" : "-");
  }

private:
  const IVelmorCommand& m_cmd;
  std::string& m_seen;
};

class CommandTest : public ::testing::Test {
protected:
  void SetUp() override {
    g_alive = Alive();
    g_events.clear();
  }
};

}  // namespace

TEST_F(CommandTest, UndoRunsRecordsBackwardsAndRedoForwards) {
  std::vector<int> list;
  std::map<int, int> map;
  TestValue value(1);
  VelmorCommand cmd;

  list.push_back(10);
  cmd.AddDeltaState(new ListDelta(list, 10));
  cmd.RecordUndoable(value);
  value.m_v = 2;
  map[7] = 70;
  cmd.AddDeltaState(new MapDelta(map, 7, 70));
  cmd.RecordUndoable(value);  // the same object twice: the first snapshot must win on undo
  value.m_v = 3;
  list.push_back(11);
  cmd.AddDeltaState(new ListDelta(list, 11));
  cmd.EndDo();
  EXPECT_EQ(3u, cmd.GetNumDeltaStates());
  EXPECT_EQ(2u, cmd.GetNumUndoables());

  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    g_events.clear();
    cmd.Undo();
    EXPECT_EQ((std::vector<std::string>{"undo list11", "value=2", "undo map7", "value=1", "undo list10"}), g_events);
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(map.empty());
    EXPECT_EQ(1, value.m_v);

    g_events.clear();
    cmd.Redo();
    EXPECT_EQ((std::vector<std::string>{"redo list10", "value=2", "redo map7", "value=3", "redo list11"}), g_events);
    EXPECT_EQ((std::vector<int>{10, 11}), list);
    EXPECT_EQ((std::map<int, int>{{7, 70}}), map);
    EXPECT_EQ(3, value.m_v);
  }
}

TEST_F(CommandTest, DestructionFreesExactlyWhatTheCommandOwns) {
  enum Stop { kWhileDoing, kAfterDo, kAfterUndo, kAfterRedo };
  for (Stop stop : {kWhileDoing, kAfterDo, kAfterUndo, kAfterRedo}) {
    SCOPED_TRACE(stop);
    g_alive = Alive();
    g_events.clear();
    std::vector<int> list{1};
    std::map<int, int> map{{2, 20}};
    {
      TestValue live(5);
      {
        VelmorCommand cmd;
        cmd.AddDeltaState(new ListDelta(list, 1));
        cmd.RecordUndoable(live);
        cmd.AddDeltaState(new MapDelta(map, 2, 20));
        cmd.AddInfo(1, new CountedInfo);
        cmd.AddInfo(2, new CountedInfo);
        if (stop != kWhileDoing) cmd.EndDo();
        if (stop >= kAfterUndo) cmd.Undo();
        if (stop == kAfterRedo) cmd.Redo();
        g_events.clear();
        live.m_v = 99;
      }
      EXPECT_EQ(1, g_alive.values);  // the live object only: every snapshot is gone
      EXPECT_EQ(99, live.m_v);       // and the command left it alone
    }
    EXPECT_EQ(0, g_alive.deltas);
    EXPECT_EQ(0, g_alive.infos);
    EXPECT_EQ((std::vector<std::string>{"~map2", "~list1"}), g_events);  // last added first
  }
}

TEST_F(CommandTest, StateQueriesTellDoingUndoingRedoing) {
  std::string seen;
  VelmorCommand cmd;
  StateProbe* probe = new StateProbe(cmd, seen);
  cmd.AddDeltaState(probe);
  EXPECT_EQ("1--", probe->Queries());
  cmd.EndDo();
  EXPECT_EQ("---", probe->Queries());
  cmd.Undo();
  EXPECT_EQ("-2-", seen);
  EXPECT_EQ("---", probe->Queries());
  cmd.Redo();
  EXPECT_EQ("-2---3", seen);
  EXPECT_EQ("---", probe->Queries());
  cmd.SetState(VelmorCommand::kUndoing);
  EXPECT_EQ("-2-", probe->Queries());
  cmd.SetState(VelmorCommand::kDone);
}

TEST_F(CommandTest, UndoAndRedoOnlyFromTheirStates) {
  struct Case { VelmorCommand::State state; bool undo; };
  const Case refused[] = {
      {VelmorCommand::kDoing, true}, {VelmorCommand::kDoing, false}, {VelmorCommand::kDone, false},
      {VelmorCommand::kUndone, true}, {VelmorCommand::kUndoing, true}, {VelmorCommand::kRedoing, false},
  };
  for (const Case& c : refused) {
    SCOPED_TRACE(std::to_string(c.state) + (c.undo ? " undo" : " redo"));
    std::vector<int> list{3};
    VelmorCommand cmd;
    cmd.AddDeltaState(new ListDelta(list, 3));
    cmd.SetState(c.state);
    c.undo ? cmd.Undo() : cmd.Redo();
    EXPECT_SOFT_ASSERT("!\"command not in a state to undo/redo\"");
    EXPECT_EQ(c.state, cmd.GetState());
    EXPECT_EQ(std::vector<int>{3}, list);
  }
  VelmorCommand done;
  done.EndDo();
  done.EndDo();
  EXPECT_SOFT_ASSERT("m_state==kDoing");
}

TEST_F(CommandTest, AddInfoReplacesAndDeletesTheEarlierInfo) {
  VelmorCommand cmd;
  CountedInfo* first = new CountedInfo;
  cmd.AddInfo(35500, first);
  cmd.AddInfo(35500, first);  // the same info again is kept, not deleted
  EXPECT_EQ(1, g_alive.infos);
  EXPECT_EQ(first, cmd.GetInfo(35500));

  CountedInfo* second = new CountedInfo;
  cmd.AddInfo(35500, second);
  EXPECT_EQ(1, g_alive.infos);
  EXPECT_EQ(second, cmd.GetInfo(35500));
  EXPECT_EQ(nullptr, cmd.GetInfo(35600));

  cmd.AddInfo(35500, nullptr);
  EXPECT_EQ(0, g_alive.infos);
  EXPECT_EQ(nullptr, cmd.GetInfo(35500));
  EXPECT_EQ(0u, cmd.GetNumInfos());
}

TEST(DeltaState, StateFollowsUndoAndRedo) {
  VelmorDeltaState d(true);
  EXPECT_EQ(1, d.GetState());
  d.UndoIt();
  EXPECT_FALSE(d.IsInEffect());
  EXPECT_EQ(0, d.GetState());
  d.RedoIt();
  EXPECT_EQ(1, d.GetState());
  EXPECT_FALSE(d.IsEquivalent(d));
  EXPECT_EQ(0, VelmorDeltaState(false).GetState());
}

TEST(UndoableVersion, CountsAndComesBackWithUndo) {
  CUndoableVersion v;
  EXPECT_EQ(0u, v.GetVersion());
  v.Increment();
  CUndoableVersion copy;
  copy.CopyFrom(v);
  EXPECT_EQ(1u, copy.GetVersion());

  VelmorCommand cmd;
  cmd.RecordUndoable(v);
  v.Increment();
  v.Increment();
  cmd.EndDo();
  cmd.Undo();
  EXPECT_EQ(1u, v.GetVersion());
  cmd.Redo();
  EXPECT_EQ(3u, v.GetVersion());

  std::unique_ptr<MUndoableObject> snapshot(v.MakeSnapshotForUndo());
  v.Increment();
  v.AssignForUndoFrom(*snapshot);
  EXPECT_EQ(3u, v.GetVersion());
  EXPECT_FALSE(v.IsEqualToSnapshot(*snapshot));
}

TEST(UndoableVersion, RefusesASnapshotOfAnotherClass) {
  CUndoableVersion v;
  v.Increment();
  TestValue other(4);
  v.Assign(other);
  EXPECT_SOFT_ASSERT("version");
  EXPECT_EQ(1u, v.GetVersion());
}
