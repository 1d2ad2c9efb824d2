// Finds, for a series of removals by ID from a list, each element and its position at the time
// of its removal, from one pass over the list instead of a walk of it per ID.
#pragma once

#include <cstddef>
#include <list>
#include <unordered_map>
#include <vector>

namespace rep {

template <class T>
class RemovalsByID {
public:
  using Iter = typename std::list<T>::iterator;

  template <class GetID>
  RemovalsByID(std::list<T>& list, GetID getID) : m_takenBefore(list.size() + 1, 0) {
    m_places.reserve(list.size());
    for (Iter it = list.begin(); it != list.end(); ++it) m_places.push_back({it, getID(*it), kNone});
    m_firstOf.reserve(m_places.size());
    // Chained from the back, so that each ID's chain runs in list order.
    for (size_t i = m_places.size(); i-- > 0;) {
      auto inserted = m_firstOf.emplace(m_places[i].id, i);
      if (inserted.second) continue;
      m_places[i].nextOfID = inserted.first->second;
      inserted.first->second = i;
    }
  }

  // Whether the list held the ID when this was made.
  bool Held(long id) const { return m_firstOf.count(id) != 0; }

  // The first element in list order that carries the ID and was not taken yet, and where it
  // stands once every element taken before it is gone; false when none is left. The caller
  // erases it.
  bool Take(long id, Iter& it, unsigned& position) {
    auto first = m_firstOf.find(id);
    if (first == m_firstOf.end() || first->second == kNone) return false;
    const size_t index = first->second;
    first->second = m_places[index].nextOfID;
    it = m_places[index].it;
    position = static_cast<unsigned>(index - TakenBefore(index));
    MarkTaken(index);
    return true;
  }

private:
  static constexpr size_t kNone = static_cast<size_t>(-1);

  // A Fenwick tree over the list's indexes counts the elements taken so far.
  size_t TakenBefore(size_t index) const {
    size_t taken = 0;
    for (size_t i = index; i > 0; i -= i & (~i + 1)) taken += m_takenBefore[i];
    return taken;
  }
  void MarkTaken(size_t index) {
    for (size_t i = index + 1; i < m_takenBefore.size(); i += i & (~i + 1)) ++m_takenBefore[i];
  }

  struct Place {
    Iter it;
    long id;
    size_t nextOfID;  // the next place of the same ID in list order; kNone at the last
  };
  std::vector<Place> m_places;                  // in list order
  std::unordered_map<long, size_t> m_firstOf;   // per ID, its first place not taken yet
  std::vector<size_t> m_takenBefore;            // the Fenwick tree, 1-based
};

}  // namespace rep
