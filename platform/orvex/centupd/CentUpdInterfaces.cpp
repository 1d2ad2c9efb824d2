// Homes of the centralized-update interfaces' vtables.
#include "orvex/centupd/ICentralizedUpdateObject.h"
#include "orvex/centupd/IDerivedDataDefinition.h"
#include "orvex/centupd/IDerivedDataManager.h"
#include "orvex/centupd/IExtendedLoadInfo.h"
#include "orvex/centupd/IProgressMonitor.h"
#include "orvex/centupd/ISolutionPointSetUpdateObject.h"

ICentralizedUpdateObject::~ICentralizedUpdateObject() = default;

ISolutionPointSetUpdateObject::~ISolutionPointSetUpdateObject() = default;

IExtendedLoadInfo::~IExtendedLoadInfo() = default;

IProgressMonitor::~IProgressMonitor() = default;

IDerivedDataManager::~IDerivedDataManager() = default;

IDerivedDataDefinition::~IDerivedDataDefinition() = default;
