// A function item of the block tree: a name and ordered arguments (values, named values, functions).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/io/BlockArena.h"
#include "orvex/io/BlockValue.h"
#include "orvex/io/SharedText.h"

namespace io {

class CBlock;
namespace detail {
class BlockTextReader;
}  // namespace detail

class ORVEX_API CBlock_func {
public:
  enum ArgKind { kUnnamedValue, kNamedValue, kFunc };

  explicit CBlock_func(const AString& name = AString());
  explicit CBlock_func(CSharedText name) : m_name(std::move(name)) {}
  CBlock_func(const CBlock_func& o);
  CBlock_func(CBlock_func&& o) noexcept;
  CBlock_func& operator=(const CBlock_func& o);
  CBlock_func& operator=(CBlock_func&& o) noexcept;
  ~CBlock_func();

  const AString& GetName() const { return m_name.Get(); }
  void SetName(const AString& name) { m_name = CSharedText(name); }

  CBlock_func& operator<<(const CBlock_value& v);
  CBlock_func& operator<<(CBlock_value&& v);
  CBlock_func& operator<<(const CBlock_named_value& nv);
  CBlock_func& operator<<(const CBlock_func& f);
  CBlock_func& operator<<(CBlock_func&& f);
  CBlock_func& operator<<(long v) { return *this << CBlock_value(v); }
  CBlock_func& operator<<(int v) { return *this << CBlock_value(v); }
  CBlock_func& operator<<(unsigned int v) { return *this << CBlock_value(v); }
  CBlock_func& operator<<(double v) { return *this << CBlock_value(v); }
  CBlock_func& operator<<(bool v) { return *this << CBlock_value(v); }
  CBlock_func& operator<<(const AString& v) { return *this << CBlock_value(v); }
  CBlock_func& operator<<(const wchar_t* v) { return *this << CBlock_value(v); }
  void reserve(size_t n);
  // Appends [b, e) as unnamed values, moved.
  void AppendValues(CBlock_value* b, CBlock_value* e);
  void AppendReals(const double* b, const double* e);
  void Clear();

  size_t GetNumArgs() const { return m_kinds.size(); }
  // kUnnamedValue when out of range (with a soft assertion).
  ArgKind GetArgKind(size_t i) const;
  // Null when argument i is not of that kind or does not exist.
  const CBlock_value* GetUnnamedValue(size_t argIndex) const;
  // The unnamed values from argument i on, up to the first argument of another kind: `count` of
  // them, side by side. Null, with count 0, when argument i is not an unnamed value.
  const CBlock_value* GetUnnamedRun(size_t argIndex, size_t& count) const;
  const CBlock_named_value* GetNamedValue(size_t argIndex) const;
  const CBlock_func* GetFunc(size_t argIndex) const;

  // False when the argument is missing, not an unnamed value, or does not convert.
  template <class T>
  bool QueryArg(size_t argIndex, T& out) const {
    const CBlock_value* v = GetUnnamedValue(argIndex);
    return v && v->Query(out);
  }
  // The next unnamed value at or after `cursor`, which must be a string; the cursor moves past it.
  bool QueryUnamedValues(AString& out, size_t& cursor) const;
  // The first nested function item with this name (case-sensitive); null when none.
  const CBlock_func* FindFunc(const AString& name) const;
  const CBlock_named_value* FindNamedValue(const AString& key) const;
  // The named arguments in argument order.
  std::vector<const CBlock_named_value*> GetNamedValues() const;

  bool operator==(const CBlock_func& o) const;
  bool operator!=(const CBlock_func& o) const { return !(*this == o); }

private:
  friend class CBlock;
  friend class detail::BlockTextReader;
  // A function read from text: its arguments take their room from the read's arena.
  CBlock_func(CSharedText name, BlockArena* arena)
      : m_name(std::move(name)), m_kinds(ArenaAllocator<uint8_t>(arena)), m_values(ArenaAllocator<CBlock_value>(arena)) {}

  CSharedText m_name;
  std::vector<uint8_t, ArenaAllocator<uint8_t>> m_kinds;  // ArgKind of each argument
  // One slot per argument: the value itself, or for a named or function argument the index into
  // m_named or m_funcs (as an int value). Plain values stay inline: columns put millions here.
  std::vector<CBlock_value, ArenaAllocator<CBlock_value>> m_values;
  std::vector<std::unique_ptr<CBlock_named_value>> m_named;
  std::vector<std::unique_ptr<CBlock_func>> m_funcs;
};

}  // namespace io
