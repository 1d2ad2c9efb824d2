#include "orvex/io/SharedText.h"

namespace io {

CSharedText::Rep* CSharedText::Make(AString&& text) {
  if (text.empty()) return nullptr;
  return new Rep{{1}, std::move(text)};
}

void CSharedText::Destroy(Rep* rep) { delete rep; }

const AString& CSharedText::Empty() {
  static const AString kEmpty;
  return kEmpty;
}

}  // namespace io
