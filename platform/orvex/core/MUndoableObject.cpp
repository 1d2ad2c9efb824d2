#include "orvex/core/MUndoableObject.h"

Undoable::~Undoable() = default;

UndoableSnapshot::~UndoableSnapshot() = default;

MUndoableObject::~MUndoableObject() = default;

MUndoableObject* MUndoableObject::MakeSnapshotForUndo() const { return Clone(); }

void MUndoableObject::AssignForUndoFrom(const MUndoableObject& snapshot) { Assign(snapshot); }

bool MUndoableObject::IsEqualToSnapshot(const MUndoableObject&) const { return false; }
