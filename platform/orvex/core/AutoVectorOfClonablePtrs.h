// A vector of pointers that owns what it points to and deletes it, first element first.
#pragma once

#include <cstddef>
#include <type_traits>
#include <utility>
#include <vector>

template <class T>
class AutoVectorOfClonablePtrs {
public:
  using iterator = typename std::vector<T*>::iterator;
  using const_iterator = typename std::vector<T*>::const_iterator;

  AutoVectorOfClonablePtrs() = default;
  ~AutoVectorOfClonablePtrs() { clear(); }
  AutoVectorOfClonablePtrs(const AutoVectorOfClonablePtrs&) = delete;
  AutoVectorOfClonablePtrs& operator=(const AutoVectorOfClonablePtrs&) = delete;
  AutoVectorOfClonablePtrs(AutoVectorOfClonablePtrs&& other) noexcept : m_items(std::move(other.m_items)) {
    other.m_items.clear();
  }
  AutoVectorOfClonablePtrs& operator=(AutoVectorOfClonablePtrs&& other) noexcept {
    if (this != &other) {
      clear();
      m_items = std::move(other.m_items);
      other.m_items.clear();
    }
    return *this;
  }

  // Takes ownership; null is kept as an empty slot.
  void push_back(T* item) { m_items.push_back(item); }
  size_t size() const { return m_items.size(); }
  bool empty() const { return m_items.empty(); }
  T* operator[](size_t i) const { return m_items[i]; }
  iterator begin() { return m_items.begin(); }
  iterator end() { return m_items.end(); }
  const_iterator begin() const { return m_items.begin(); }
  const_iterator end() const { return m_items.end(); }

  // Deletes every element in index order, then empties the vector.
  void clear() {
    // Checked here, not on the class, so that the vector can be named with T still incomplete.
    static_assert(std::has_virtual_destructor_v<T>, "elements are deleted through T");
    for (T* item : m_items) delete item;
    m_items.clear();
  }

private:
  std::vector<T*> m_items;  // owned
};
