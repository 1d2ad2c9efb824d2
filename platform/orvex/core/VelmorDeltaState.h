// One recorded change that a command can take back and put again (the undo record of an edit).
#pragma once

#include "orvex/core/OrvexApi.h"

class ORVEX_API VelmorDeltaState {
public:
  explicit VelmorDeltaState(bool inEffect);
  virtual ~VelmorDeltaState();                                      // 0
  // Derived classes call these first, then change their data.
  virtual void UndoIt();                                            // 1
  virtual void RedoIt();                                            // 2
  virtual bool IsEquivalent(const VelmorDeltaState& other) const;  // 3

  bool IsInEffect() const { return m_inEffect; }
  // 1 while the change stands, 0 after it has been undone.
  int GetState() const { return m_inEffect ? 1 : 0; }

private:
  bool m_inEffect;
};
