// The solution-value cache of a project and its quantity information.
#pragma once

class ISimValueInfoCache {
public:
  virtual ~ISimValueInfoCache() = default;
};

class ISimValueDataCache {
public:
  virtual ~ISimValueDataCache() = default;
};

class ISimValueCache {
public:
  virtual ~ISimValueCache() = default;
  virtual ISimValueInfoCache* GetISimValueInfoCacheForEdit() = 0;  // 1
  virtual ISimValueDataCache* GetISimValueDataCacheForEdit() = 0;  // 2
};
