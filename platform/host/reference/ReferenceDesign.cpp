#include "reference/ReferenceDesign.h"

namespace refhost {

ReferenceDesign::~ReferenceDesign() = default;

}  // namespace refhost
