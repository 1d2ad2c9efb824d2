#include "orvex/io/SharedText.h"

namespace io {

namespace {

// A tree written from the engine's objects takes its names from a few hundred texts in the code.
// Made anew for each item, a name costs two allocations; a save of a large project then holds
// hundreds of MB of them, and its first save in a process pays a page fault per 4 KiB of them.
// Each thread keeps the names it made last, one per slot; a slot is taken over by the next name
// that falls in it, so the table holds a bounded few hundred KB at most.
constexpr size_t kNameSlots = 1024;
constexpr size_t kMaxNameLength = 40;

struct NameTable {
  CSharedText::Rep* slots[kNameSlots] = {};
  NameTable() = default;
  NameTable(const NameTable&) = delete;
  NameTable& operator=(const NameTable&) = delete;
  ~NameTable() {
    for (CSharedText::Rep* rep : slots) CSharedText::Release(rep);
  }
};

thread_local NameTable t_names;

size_t SlotOf(const AString& text) {
  size_t h = 14695981039346656037ull;
  for (wchar_t c : text) h = (h ^ static_cast<size_t>(c)) * 1099511628211ull;
  return (h ^ (h >> 29)) & (kNameSlots - 1);
}

}  // namespace

CSharedText::Rep* CSharedText::Make(AString&& text) {
  if (text.empty()) return nullptr;
  return new Rep{{1}, std::move(text)};
}

CSharedText::Rep* CSharedText::MakeName(const AString& text) {
  if (text.empty()) return nullptr;
  if (text.size() > kMaxNameLength) return Make(AString(text));
  Rep*& slot = t_names.slots[SlotOf(text)];
  if (slot && slot->text == text) return Retain(slot);
  Rep* const rep = Make(AString(text));
  Release(slot);
  slot = Retain(rep);
  return rep;
}

void CSharedText::Destroy(Rep* rep) { delete rep; }

const AString& CSharedText::Empty() {
  static const AString kEmpty;
  return kEmpty;
}

}  // namespace io
