#include "orvex/values/Msg.h"

#include "orvex/values/Value.h"

Msg::Msg(unsigned typeCode, bool passOn) : m_type(typeCode), m_passOn(passOn) {}

Msg::~Msg() = default;

void Msg::HoldUntilDone(std::unique_ptr<Value> v) { m_held.push_back(std::move(v)); }

IReceiver::~IReceiver() = default;

SingleVisitReceiver::~SingleVisitReceiver() = default;
