// The design's user output variables: named expressions that traces may use.
#pragma once

class IOutputVariableMgr {
public:
  virtual ~IOutputVariableMgr() = default;
};
