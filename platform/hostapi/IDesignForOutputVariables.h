// The host's design object, as output-variable evaluation reaches the design's data services.
#pragma once

class ISimValueCache;
class IDerivedDataManager;

class IDesignSimDataServices {
public:
  virtual ~IDesignSimDataServices() = default;                  // 0
  virtual ISimValueCache* GetISimValueCache() = 0;              // 1
  virtual IDerivedDataManager* GetIDerivedDataManager() = 0;    // 2
};

class IDesignForOutputVariables {
public:
  virtual ~IDesignForOutputVariables() = default;               // 0
  virtual long GetDesignInstanceID() const = 0;                 // 1
  virtual IDesignSimDataServices* GetSimDataServices() = 0;     // 2
};
