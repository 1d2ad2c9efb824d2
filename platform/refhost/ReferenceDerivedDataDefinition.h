// The reference solution's load definition and context object.
#pragma once

#include "hostapi/ISolutionContextObject.h"
#include "orvex/centupd/IDerivedDataDefinition.h"
#include "postorvex/solution/ReportTypeSolutionDefinition.h"

namespace refhost {

class ReferenceDerivedDataDefinition : public IDerivedDataDefinition {
public:
  ReferenceDerivedDataDefinition(long solutionID, const ReportTypeSolutionDefinition& def);
  ~ReferenceDerivedDataDefinition() override;
  bool Matches(const ReportTypeSolutionDefinition& target) const override { return m_def == target; }
  IDerivedDataDefinition* Clone() const override { return new ReferenceDerivedDataDefinition(*this); }
  bool IsSame(const IDerivedDataDefinition& other) const override;

  long GetSolutionID() const { return m_solutionID; }
  const ReportTypeSolutionDefinition& GetDefinition() const { return m_def; }
  static int GetNumAlive() { return s_alive; }

private:
  ReferenceDerivedDataDefinition(const ReferenceDerivedDataDefinition& other);
  long m_solutionID;
  ReportTypeSolutionDefinition m_def;
  static int s_alive;  // for leak checks
};

class ReferenceContextObject : public ISolutionContextObject {
public:
  explicit ReferenceContextObject(int payload) : m_payload(payload) { ++s_alive; }
  ReferenceContextObject(const ReferenceContextObject& other) : ISolutionContextObject(), m_payload(other.m_payload) {
    ++s_alive;
  }
  ~ReferenceContextObject() override { --s_alive; }
  ISolutionContextObject* Clone() const override { return new ReferenceContextObject(*this); }
  int GetPayload() const { return m_payload; }
  static int GetNumAlive() { return s_alive; }

private:
  int m_payload;
  static int s_alive;  // for leak checks
};

}  // namespace refhost
