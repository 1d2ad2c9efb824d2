// Undo record of edits of a list of owned pointers: the nodes inserted and removed, by position.
#pragma once

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
    for (auto it = m_changes.rbegin(); it != m_changes.rend(); ++it) {
      if (it->inserted)
        RemoveNodeAt(it->node, it->position);
      else
        InsertNodeAt(it->node, it->position);
    }
  }

  void RedoIt() override {
    VelmorDeltaState::RedoIt();
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
    auto at = m_srcList.begin();
    std::advance(at, std::min<size_t>(nodePos, m_srcList.size()));
    m_srcList.insert(at, node);
  }

  void RemoveNodeAt(T node, unsigned nodePos) {
    ORVEX_ASSERT(nodePos < m_srcList.size());
    OnRemoveNode(node);
    auto listIter = m_srcList.begin();
    std::advance(listIter, std::min<size_t>(nodePos, m_srcList.size()));
    ORVEX_ASSERT(listIter != m_srcList.end());
    if (listIter == m_srcList.end()) return;
    ORVEX_ASSERT(node == (*listIter));
    // Removing another element would lose it: the record no longer matches the list.
    if (node != *listIter) return;
    m_srcList.erase(listIter);
  }

private:
  struct Change {
    T node;
    unsigned position;
    bool inserted;
  };

  std::list<T>& m_srcList;          // the edited list, not owned
  bool m_ownsDetachedNodes;
  std::list<Change> m_changes;      // in the order the edit made them
};
