// The point set of a computed trace: which sweep values it plots.
#pragma once

namespace rep {

class IPointsetDefinition {
public:
  virtual ~IPointsetDefinition() = default;                // 0
  virtual IPointsetDefinition* Clone() const = 0;           // 1, owned by the caller
};

}  // namespace rep
