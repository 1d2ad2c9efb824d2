#include "postorvex/outputvars/OutputVariableDefParams.h"

OutputVariableDefParams::OutputVariableDefParams(long id, const AString& name, const AString& expression)
    : m_id(id), m_name(name), m_expression(expression) {}
