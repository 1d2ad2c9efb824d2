// Undo record of one edit of an ordered map of owned pointers: the entries inserted and removed, by key.
#pragma once

#include <map>

#include "orvex/core/Assert.h"
#include "orvex/core/VelmorDeltaState.h"

template <class K, class T>
class MapDeltaState : public VelmorDeltaState {
public:
  typedef std::map<K, T*> Map;

  // The caller has already changed srcMap; it records each entry with RecordChange.
  MapDeltaState(Map* srcMap, bool inEffect, Map* parkingMap, bool owning)
      : VelmorDeltaState(inEffect), m_srcMap(*srcMap), m_parkingMap(parkingMap), m_owning(owning) {}

  ~MapDeltaState() override {
    if (!m_owning) return;
    // Exactly the objects outside m_srcMap belong to the record; the map itself may be gone.
    Map& outside = IsInEffect() ? m_removedItems : m_insertedItems;
    for (auto& entry : outside) delete entry.second;
  }

  MapDeltaState(const MapDeltaState&) = delete;
  MapDeltaState& operator=(const MapDeltaState&) = delete;

  void RecordChange(const K& keyVal, T* value, bool inserted) {
    if (inserted) {
      ORVEX_ASSERT(m_insertedItems.find(keyVal) == m_insertedItems.end());
      m_insertedItems[keyVal] = value;
      return;
    }
    ORVEX_ASSERT(m_removedItems.find(keyVal) == m_removedItems.end());
    m_removedItems[keyVal] = value;
  }

  void UndoIt() override {
    VelmorDeltaState::UndoIt();
    ApplyChanges(true);
  }

  void RedoIt() override {
    VelmorDeltaState::RedoIt();
    ApplyChanges(false);
  }

  const Map& GetInsertedItems() const { return m_insertedItems; }
  const Map& GetRemovedItems() const { return m_removedItems; }

private:
  void ApplyChanges(bool undo) {
    const Map& takeOut = undo ? m_insertedItems : m_removedItems;
    const Map& putBack = undo ? m_removedItems : m_insertedItems;
    for (const auto& entry : takeOut) {
      const K& k = entry.first;
      ORVEX_ASSERT(m_srcMap.find(k) != m_srcMap.end());
      m_srcMap.erase(k);
      if (m_parkingMap) (*m_parkingMap)[k] = entry.second;
    }
    for (const auto& entry : putBack) {
      const K& k = entry.first;
      ORVEX_ASSERT(m_srcMap.find(k) == m_srcMap.end());
      m_srcMap[k] = entry.second;
      if (m_parkingMap) m_parkingMap->erase(k);
    }
  }

  Map& m_srcMap;        // the edited map, not owned
  Map* m_parkingMap;    // receives what is taken out of m_srcMap; null in every use here, not owned
  Map m_insertedItems;  // what the edit inserted
  Map m_removedItems;   // what the edit removed
  bool m_owning;        // deletes, when destroyed, the objects outside m_srcMap
};
