#include "orvex/core/IVelmorCommand.h"

IVelmorCommand::~IVelmorCommand() = default;
