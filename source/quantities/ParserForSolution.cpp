#include "quantities/ParserForSolution.h"

#include "quantities/VersionedQuantityParser.h"
#include "orvex/values/IValueParser.h"
#include "orvex/values/IVariableNameSpaceSetupper.h"
#include "orvex/values/VariableNameSpace.h"

namespace rep {

ParserForSolution::ParserForSolution(ISolutionManagerForReports* solMgr, IOutputVariableMgr* outputVariables,
                                     ISimValueInfoCache* infoCache, const DesignSolutionDefinition& dsd)
    : m_parser(nullptr) {
  IValueParser* parser = CreateVersionedQuantityParser(solMgr, outputVariables, infoCache, dsd);
  m_parser = parser ? dynamic_cast<VersionedQuantityParser*>(parser) : nullptr;
}

ParserForSolution::~ParserForSolution() {
  // Uninstall first: the parser must not be reachable once it is gone.
  m_installed.reset();
  m_nameSpace.reset();
  if (m_parser) delete m_parser->GetInterfaceQueriable();
}

IValueParser* ParserForSolution::GetValueParser() const { return m_parser; }

void ParserForSolution::OpenNameSpace(bool forTextRegeneration) {
  if (m_nameSpace) return;
  m_nameSpace = std::make_unique<VariableNameSpace>(1, 1, 0);
  IVariableNameSpaceSetupper* setupper = m_parser ? m_parser->GetVariableNameSpaceSetupper() : nullptr;
  if (!setupper) return;
  if (forTextRegeneration)
    setupper->SetupForTextRegeneration(*m_nameSpace);
  else
    setupper->Setup(*m_nameSpace);
}

void ParserForSolution::Install() {
  OpenNameSpace();
  if (!m_installed && m_parser) m_installed = std::make_unique<InstalledParserScope>(m_parser);
}

}  // namespace rep
