// The command that an edit runs under: it collects undo records and command infos.
#pragma once

#include "orvex/core/OrvexApi.h"

class MUndoableObject;
class VelmorDeltaState;
class VelmorCommandInfo;

class ORVEX_API IVelmorCommand {
public:
  virtual ~IVelmorCommand();                                       // 0
  // Being done for the first time.
  virtual bool IsDoing() const = 0;                                // 1
  virtual bool IsUndoing() const = 0;                              // 2
  virtual bool IsRedoing() const = 0;                              // 3
  // Snapshots `obj` now; keeps a reference to `obj`, which it neither owns nor deletes.
  virtual void RecordUndoable(MUndoableObject& obj) = 0;           // 4
  // Takes ownership.
  virtual void AddDeltaState(VelmorDeltaState* state) = 0;         // 5
  // Takes ownership; an info already under `key` is deleted and replaced.
  virtual void AddInfo(int key, VelmorCommandInfo* info) = 0;      // 6
  // Null when there is none; the command keeps ownership.
  virtual VelmorCommandInfo* GetInfo(int key) const = 0;           // 7
};
