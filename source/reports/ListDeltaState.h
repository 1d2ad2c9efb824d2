// Undo record of edits of a list of owned pointers: the nodes inserted and removed, by position.
#pragma once

#include <cstddef>
#include <iterator>
#include <list>
#include <set>

#include "orvex/core/Assert.h"
#include "orvex/core/VelmorDeltaState.h"

template <class T>
class ListDeltaState : public VelmorDeltaState {
public:
  ListDeltaState(std::list<T>& srcList, bool ownsDetachedNodes)
      : VelmorDeltaState(true), m_srcList(srcList), m_ownsDetachedNodes(ownsDetachedNodes) {}

  ~ListDeltaState() override {
    if (!m_ownsDetachedNodes) return;
    // Whatever the state leaves out of the list belongs to this record. The list itself may be
    // gone by now (the command can outlive its manager), so only the state decides.
    const bool editStands = GetState() == 1;
    std::set<T> deleted;
    for (const Change& c : m_changes) {
      const bool detached = editStands ? !c.inserted : c.inserted;
      if (detached && deleted.insert(c.node).second) delete c.node;
    }
  }

  ListDeltaState(const ListDeltaState&) = delete;
  ListDeltaState& operator=(const ListDeltaState&) = delete;

  void UndoIt() override {
    VelmorDeltaState::UndoIt();
    CursorScope scope(*this);
    for (auto it = m_changes.rbegin(); it != m_changes.rend(); ++it) {
      if (it->inserted)
        RemoveNodeAt(it->node, it->position);
      else
        InsertNodeAt(it->node, it->position);
    }
  }

  void RedoIt() override {
    VelmorDeltaState::RedoIt();
    CursorScope scope(*this);
    for (const Change& c : m_changes) {
      if (c.inserted)
        InsertNodeAt(c.node, c.position);
      else
        RemoveNodeAt(c.node, c.position);
    }
  }

  virtual void OnInsertNode(T /*node*/) {}
  virtual void OnRemoveNode(T /*node*/) {}

  void AddChange(T node, unsigned position, bool inserted) { m_changes.push_back({node, position, inserted}); }
  size_t GetNumChanges() const { return m_changes.size(); }

  void InsertNodeAt(T node, unsigned nodePos) {
    ORVEX_ASSERT(nodePos <= m_srcList.size());
    OnInsertNode(node);
    const size_t pos = std::min<size_t>(nodePos, m_srcList.size());
    auto at = m_srcList.insert(IteratorAt(pos), node);
    SetCursor(at, pos);
  }

  void RemoveNodeAt(T node, unsigned nodePos) {
    ORVEX_ASSERT(nodePos < m_srcList.size());
    OnRemoveNode(node);
    const size_t pos = std::min<size_t>(nodePos, m_srcList.size());
    auto listIter = IteratorAt(pos);
    ORVEX_ASSERT(listIter != m_srcList.end());
    if (listIter == m_srcList.end()) return;
    ORVEX_ASSERT(node == (*listIter));
    // Removing another element would lose it: the record no longer matches the list.
    if (node != *listIter) return;
    SetCursor(m_srcList.erase(listIter), pos);
  }

private:
  using ListIter = typename std::list<T>::iterator;

  // While one undo or redo replays its changes, nothing else edits the list: the place of the
  // last change is a shortcut to the next, so replaying M changes does not walk the list M times.
  class CursorScope {
  public:
    explicit CursorScope(ListDeltaState& state) : m_state(state) { m_state.m_replaying = true; }
    ~CursorScope() { m_state.m_replaying = m_state.m_cursorValid = false; }
    CursorScope(const CursorScope&) = delete;
    CursorScope& operator=(const CursorScope&) = delete;

  private:
    ListDeltaState& m_state;
  };

  void SetCursor(ListIter it, size_t pos) {
    m_cursor = it;
    m_cursorPos = pos;
    m_cursorValid = m_replaying;
  }

  // The element at pos (end() at size()), reached from the nearest of begin, end and the cursor.
  ListIter IteratorAt(size_t pos) {
    const size_t size = m_srcList.size();
    ListIter it = m_srcList.begin();
    size_t from = 0;
    if (size - pos < pos - from) {
      it = m_srcList.end();
      from = size;
    }
    if (m_cursorValid) {
      const size_t cursorDistance = pos > m_cursorPos ? pos - m_cursorPos : m_cursorPos - pos;
      const size_t bestDistance = pos > from ? pos - from : from - pos;
      if (cursorDistance < bestDistance) {
        it = m_cursor;
        from = m_cursorPos;
      }
    }
    std::advance(it, static_cast<std::ptrdiff_t>(pos) - static_cast<std::ptrdiff_t>(from));
    return it;
  }

  struct Change {
    T node;
    unsigned position;
    bool inserted;
  };

  std::list<T>& m_srcList;          // the edited list, not owned
  bool m_ownsDetachedNodes;
  std::list<Change> m_changes;      // in the order the edit made them
  ListIter m_cursor{};              // at m_cursorPos, while m_cursorValid
  size_t m_cursorPos = 0;
  bool m_cursorValid = false;
  bool m_replaying = false;
};
