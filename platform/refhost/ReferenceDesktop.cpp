#include "refhost/ReferenceDesktop.h"

namespace refhost {

ReferenceDesktop::ReferenceDesktop(bool supportsNewReporter) : m_supports(supportsNewReporter) {}
ReferenceDesktop::~ReferenceDesktop() = default;

}  // namespace refhost
