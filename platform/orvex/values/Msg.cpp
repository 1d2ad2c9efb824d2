#include "orvex/values/Msg.h"

Msg::Msg(unsigned typeCode, bool passOn) : m_type(typeCode), m_passOn(passOn) {}

Msg::~Msg() = default;

IReceiver::~IReceiver() = default;

SingleVisitReceiver::~SingleVisitReceiver() = default;
