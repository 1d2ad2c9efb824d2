// A command that keeps its undo records in order and can be undone and redone.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/IVelmorCommand.h"
#include "orvex/core/MUndoableObject.h"
#include "orvex/core/VelmorCommandInfo.h"
#include "orvex/core/VelmorDeltaState.h"

class ORVEX_API VelmorCommand : public IVelmorCommand {
public:
  // Doing -> EndDo -> Done -> Undo (Undoing) -> Undone -> Redo (Redoing) -> Done ...
  enum State { kDoing, kDone, kUndoing, kUndone, kRedoing };

  // One undo record: a delta state, or a registered object with its snapshots.
  struct Record {
    std::unique_ptr<VelmorDeltaState> delta;
    MUndoableObject* live = nullptr;  // not owned: the object that was registered
    std::unique_ptr<MUndoableObject> undoSnapshot;
    std::unique_ptr<MUndoableObject> redoSnapshot;  // made by the first undo
  };

  explicit VelmorCommand(const AString& name = AString());
  // Deletes delta states (last added first), snapshots and infos; never a registered object.
  ~VelmorCommand() override;
  VelmorCommand(const VelmorCommand&) = delete;
  VelmorCommand& operator=(const VelmorCommand&) = delete;

  bool IsDoing() const override { return m_state == kDoing; }
  bool IsUndoing() const override { return m_state == kUndoing; }
  bool IsRedoing() const override { return m_state == kRedoing; }
  void RecordUndoable(MUndoableObject& obj) override;
  void AddDeltaState(VelmorDeltaState* state) override;
  void AddInfo(int key, VelmorCommandInfo* info) override;
  VelmorCommandInfo* GetInfo(int key) const override;

  void EndDo();
  // Records from last to first; only when Done.
  void Undo();
  // Records from first to last; only when Undone.
  void Redo();

  State GetState() const { return m_state; }
  // Lets a test run engine code "as if" undoing or redoing.
  void SetState(State state) { m_state = state; }
  const AString& GetName() const { return m_name; }

  size_t GetNumDeltaStates() const;
  size_t GetNumUndoables() const;
  const std::vector<Record>& GetRecords() const { return m_records; }
  size_t GetNumInfos() const { return m_infos.size(); }

private:
  AString m_name;
  State m_state = kDoing;
  std::vector<Record> m_records;  // in the order they were added
  std::map<int, std::unique_ptr<VelmorCommandInfo>> m_infos;
};
