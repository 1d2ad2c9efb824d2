#include "refhost/ReferenceDesign.h"

namespace refhost {

ReferenceDesign::~ReferenceDesign() = default;

}  // namespace refhost
