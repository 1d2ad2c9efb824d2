#include "quantities/MapDeltaState.h"

#include <map>
#include <memory>

#include "RepTest.h"
#include "orvex/core/VelmorCommand.h"

namespace {

// Counts its destructions, so that a test sees each object deleted exactly once.
struct Counted {
  explicit Counted(int& deaths) : m_deaths(deaths) {}
  ~Counted() { ++m_deaths; }
  int& m_deaths;
};

using Map = std::map<long, Counted*>;
using Delta = MapDeltaState<long, Counted>;

}  // namespace

TEST(MapDeltaState, TheRecordOwnsExactlyWhatIsOutsideTheMap) {
  enum Edit { kInsert, kRemove };
  enum Step { kUndo, kRedo };
  struct Case {
    Edit edit;
    std::vector<Step> steps;
    bool inMapAfter;
    int deathsWithCommand;  // when the command is destroyed
    const char* why;
  };
  const Case cases[] = {
      {kInsert, {}, true, 0, "created, kept"},
      {kInsert, {kUndo}, false, 1, "created then undone: the command deletes it"},
      {kInsert, {kUndo, kRedo}, true, 0, "created, undone, redone"},
      {kRemove, {}, false, 1, "deleted: destroyed with the record"},
      {kRemove, {kUndo}, true, 0, "deleted then undone: back in the map"},
      {kRemove, {kUndo, kRedo}, false, 1, "deleted, undone, redone"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    int deaths = 0;
    Map map;
    auto* object = new Counted(deaths);
    {
      VelmorCommand cmd;
      if (c.edit == kRemove) map[7] = object;  // held before the edit
      auto* delta = new Delta(&map, true, nullptr, true);
      if (c.edit == kInsert) {
        map[7] = object;
        delta->RecordChange(7, object, true);
      } else {
        map.erase(7);
        delta->RecordChange(7, object, false);
      }
      cmd.AddDeltaState(delta);
      cmd.EndDo();
      for (Step s : c.steps) s == kUndo ? cmd.Undo() : cmd.Redo();
      EXPECT_EQ(c.inMapAfter, map.count(7) == 1);
      EXPECT_EQ(0, deaths);
    }
    EXPECT_EQ(c.deathsWithCommand, deaths);
    for (auto& entry : map) delete entry.second;
    EXPECT_EQ(1, deaths);
  }
}

TEST(MapDeltaState, UndoTakesOutTheInsertedThenPutsBackTheRemoved) {
  int deaths = 0;
  Counted removed(deaths), inserted(deaths);
  Map map{{3, &inserted}};  // the edit removed 5 and inserted 3
  Map parking;
  Delta delta(&map, true, &parking, false);
  delta.RecordChange(3, &inserted, true);
  delta.RecordChange(5, &removed, false);
  delta.UndoIt();
  EXPECT_EQ((Map{{5, &removed}}), map);
  EXPECT_EQ((Map{{3, &inserted}}), parking);
  delta.RedoIt();
  EXPECT_EQ((Map{{3, &inserted}}), map);
  EXPECT_EQ((Map{{5, &removed}}), parking);
}

TEST(MapDeltaState, AMapThatNoLongerMatchesRaisesItsChecks) {
  int deaths = 0;
  Counted a(deaths), b(deaths);
  Map map;
  Delta delta(&map, true, nullptr, false);
  delta.RecordChange(1, &a, true);
  delta.RecordChange(1, &b, true);
  EXPECT_SOFT_ASSERT("m_insertedItems.find(keyVal) == m_insertedItems.end()");
  EXPECT_EQ(&b, delta.GetInsertedItems().at(1));
  delta.RecordChange(2, &a, false);
  delta.RecordChange(2, &a, false);
  EXPECT_SOFT_ASSERT("m_removedItems.find(keyVal) == m_removedItems.end()");

  map[2] = &b;  // someone else put an entry under the removed key
  delta.UndoIt();
  EXPECT_SOFT_ASSERT("m_srcMap.find(k) != m_srcMap.end()");  // 1 was not there to take out
  EXPECT_SOFT_ASSERT("m_srcMap.find(k) == m_srcMap.end()");  // 2 was there already
  EXPECT_EQ((Map{{2, &a}}), map);
}
