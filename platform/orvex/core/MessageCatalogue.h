// The texts of the numbered user messages; "%1", "%2", ... stand for the message's arguments.
#pragma once

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"

class VelmorMessage;

namespace orvex {

// Empty for a number the catalogue does not know.
ORVEX_API AString MessageText(int messageID);
// The catalogue text with its arguments filled in; an unknown number shows the number and its
// arguments, so nothing posted is ever lost from a log.
ORVEX_API AString MessageDisplayText(const VelmorMessage& message);

}  // namespace orvex
