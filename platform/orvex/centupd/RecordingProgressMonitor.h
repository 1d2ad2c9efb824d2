// A progress monitor for tests and demos: records what it is told, abandons when asked to.
#pragma once

#include <vector>

#include "orvex/centupd/IProgressMonitor.h"

class RecordingProgressMonitor : public IProgressMonitor {
public:
  // With n >= 0, the monitor answers abandoned from its (n+1)-th poll on.
  explicit RecordingProgressMonitor(int abandonAfterPolls = -1) : m_abandonAfter(abandonAfterPolls) {}

  void BeginTask(const AString& name, int total) override {
    m_tasks.push_back(name);
    m_total = total;
  }
  void Tick() override { ++m_ticks; }
  void EndTask() override { ++m_endedTasks; }
  void SetMessage(const AString& message) override { m_messages.push_back(message); }
  bool IsAbandoned() override { return m_abandonAfter >= 0 && m_polls++ >= m_abandonAfter; }

  const std::vector<AString>& GetMessages() const { return m_messages; }
  const std::vector<AString>& GetTasks() const { return m_tasks; }
  int GetTicks() const { return m_ticks; }
  int GetPolls() const { return m_polls; }
  int GetEndedTasks() const { return m_endedTasks; }

private:
  int m_abandonAfter;
  int m_polls = 0;
  int m_ticks = 0;
  int m_total = 0;
  int m_endedTasks = 0;
  std::vector<AString> m_tasks;
  std::vector<AString> m_messages;
};
