// Names traces as they join a report, or as they are renamed in it, as naming them one after
// another against the report's list would, in time that grows with the traces, not their square.
#pragma once

#include <list>
#include <string>
#include <unordered_map>

#include "orvex/core/AString.h"

namespace rep {

class BaseTraceDefinition;

class BatchNamer {
public:
  // Holds the names of the traces, equal names once each.
  explicit BatchNamer(const std::list<BaseTraceDefinition*>& traces);
  // The same without the traces of that ID: a trace's default name is made against the others.
  BatchNamer(const std::list<BaseTraceDefinition*>& traces, long leftOutID);

  // `wanted` when no name held equals it (ignoring case), else `wanted` followed by the smallest
  // k >= 1 that none equals. Nothing is taken.
  AString UniqueName(const AString& wanted);
  // The expression of the trace's last component (empty without components) when no name held
  // equals it, else UniqueName of that expression followed by "_".
  AString DefaultName(const BaseTraceDefinition& trace);

  // A trace not yet held takes its default name when tied to its expression, else a unique one.
  void NameJoining(BaseTraceDefinition& trace);
  // A trace whose name is held already takes its default name when tied to its expression, else
  // a unique one when another trace holds its name too.
  void NameHeld(BaseTraceDefinition& trace);

  void Take(const AString& name);
  void Release(const AString& name);

private:
  int Count(const std::wstring& folded) const;

  std::unordered_map<std::wstring, int> m_held;  // folded name -> how many traces hold it
  // Folded wanted name -> a k such that it followed by each of 1 .. k-1 is held: a batch of one
  // name then costs a probe per trace, not one per trace named before it.
  std::unordered_map<std::wstring, unsigned long> m_next;
};

}  // namespace rep
