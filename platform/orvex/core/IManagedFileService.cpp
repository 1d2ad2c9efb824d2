#include "orvex/core/IManagedFileService.h"

IManagedFileService::~IManagedFileService() = default;
