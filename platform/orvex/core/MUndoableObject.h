// An object whose state a command can snapshot and restore for undo and redo.
#pragma once

#include "orvex/core/OrvexApi.h"

class ORVEX_API Undoable {
public:
  virtual ~Undoable();
};

class ORVEX_API UndoableSnapshot {
public:
  virtual ~UndoableSnapshot();
};

class ORVEX_API MUndoableObject : public Undoable, public UndoableSnapshot {
public:
  ~MUndoableObject() override;                                            // 0
  // A new heap copy owned by the caller: Clone().
  virtual MUndoableObject* MakeSnapshotForUndo() const;                   // 1
  // Assign(snapshot).
  virtual void AssignForUndoFrom(const MUndoableObject& snapshot);        // 2
  virtual bool IsEqualToSnapshot(const MUndoableObject& snapshot) const;  // 3
  virtual MUndoableObject* Clone() const = 0;                             // 4
  virtual void Assign(const MUndoableObject& from) = 0;                   // 5

  // Called by constructors of derived classes; there is no storage to read from here.
  void ReadUndoableFromStorage() {}
};
