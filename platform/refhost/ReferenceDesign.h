// The reference host's design object as output-variable evaluation sees it: an instance ID and the data services.
#pragma once

#include "hostapi/IDesignForOutputVariables.h"

namespace refhost {

class ReferenceDesign : public IDesignForOutputVariables, public IDesignSimDataServices {
public:
  explicit ReferenceDesign(long designInstanceID = 1) : m_designInstanceID(designInstanceID) {}
  ~ReferenceDesign() override;

  long GetDesignInstanceID() const override { return m_designInstanceID; }
  // Null once SetHasSimDataServices(false).
  IDesignSimDataServices* GetSimDataServices() override { return m_hasServices ? this : nullptr; }
  ISimValueCache* GetISimValueCache() override { return m_cache; }
  IDerivedDataManager* GetIDerivedDataManager() override { return m_derivedData; }

  void SetISimValueCache(ISimValueCache* cache) { m_cache = cache; }
  void SetIDerivedDataManager(IDerivedDataManager* manager) { m_derivedData = manager; }
  void SetHasSimDataServices(bool has) { m_hasServices = has; }

private:
  long m_designInstanceID;
  ISimValueCache* m_cache = nullptr;              // not owned
  IDerivedDataManager* m_derivedData = nullptr;   // not owned
  bool m_hasServices = true;
};

}  // namespace refhost
