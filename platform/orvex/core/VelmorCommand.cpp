#include "orvex/core/VelmorCommand.h"

#include "orvex/core/Assert.h"

VelmorCommand::VelmorCommand(const AString& name) : m_name(name) {}

VelmorCommand::~VelmorCommand() {
  // Delta states may refer to data that later ones changed: take them down in reverse.
  for (auto it = m_records.rbegin(); it != m_records.rend(); ++it) {
    it->delta.reset();
    it->redoSnapshot.reset();
    it->undoSnapshot.reset();
  }
}

void VelmorCommand::RecordUndoable(MUndoableObject& obj) {
  Record r;
  r.live = &obj;
  r.undoSnapshot.reset(obj.MakeSnapshotForUndo());
  m_records.push_back(std::move(r));
}

void VelmorCommand::AddDeltaState(VelmorDeltaState* state) {
  if (!state) return;
  Record r;
  r.delta.reset(state);
  m_records.push_back(std::move(r));
}

void VelmorCommand::AddInfo(int key, VelmorCommandInfo* info) {
  std::unique_ptr<VelmorCommandInfo>& slot = m_infos[key];
  if (slot.get() == info) return;  // adding the held info again must not delete it
  slot.reset(info);
  if (!slot) m_infos.erase(key);
}

VelmorCommandInfo* VelmorCommand::GetInfo(int key) const {
  auto it = m_infos.find(key);
  return it == m_infos.end() ? nullptr : it->second.get();
}

void VelmorCommand::EndDo() {
  ORVEX_ASSERT(m_state==kDoing);
  if (m_state == kDoing) m_state = kDone;
}

void VelmorCommand::Undo() {
  if (m_state != kDone) {
    ORVEX_ASSERT(!"command not in a state to undo/redo");
    return;
  }
  m_state = kUndoing;
  for (auto it = m_records.rbegin(); it != m_records.rend(); ++it) {
    if (it->delta) {
      it->delta->UndoIt();
      continue;
    }
    it->redoSnapshot.reset(it->live->Clone());
    if (it->undoSnapshot) it->live->AssignForUndoFrom(*it->undoSnapshot);
  }
  m_state = kUndone;
}

void VelmorCommand::Redo() {
  if (m_state != kUndone) {
    ORVEX_ASSERT(!"command not in a state to undo/redo");
    return;
  }
  m_state = kRedoing;
  for (Record& r : m_records) {
    if (r.delta) {
      r.delta->RedoIt();
      continue;
    }
    if (r.redoSnapshot) r.live->AssignForUndoFrom(*r.redoSnapshot);
  }
  m_state = kDone;
}

size_t VelmorCommand::GetNumDeltaStates() const {
  size_t n = 0;
  for (const Record& r : m_records) n += r.delta ? 1 : 0;
  return n;
}

size_t VelmorCommand::GetNumUndoables() const { return m_records.size() - GetNumDeltaStates(); }
