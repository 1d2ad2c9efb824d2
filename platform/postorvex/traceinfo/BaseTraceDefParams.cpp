#include "postorvex/traceinfo/BaseTraceDefParams.h"

BaseTraceDefParams::BaseTraceDefParams() : m_nameTiedToExpression(true) {}

BaseTraceDefParams::~BaseTraceDefParams() = default;
