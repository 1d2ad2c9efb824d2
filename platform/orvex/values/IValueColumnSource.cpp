#include "orvex/values/IValueColumnSource.h"

IValueColumnSource::~IValueColumnSource() = default;
