#include "orvex/core/IInterfaceQueriable.h"

IInterfaceQueriable::~IInterfaceQueriable() = default;

void* IInterfaceQueriable::QueryInterface(const std::type_info&) { return nullptr; }

IVelmorUnknown::~IVelmorUnknown() = default;
