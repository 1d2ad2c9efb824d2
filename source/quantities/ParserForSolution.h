// A quantity parser made for one design solution, with the name space and install that parsing needs; all undone on destruction.
#pragma once

#include <memory>

class DesignSolutionDefinition;
class InstalledParserScope;
class IOutputVariableMgr;
class ISimValueInfoCache;
class ISolutionManagerForReports;
class IValueParser;
class VariableNameSpace;

namespace rep {

class VersionedQuantityParser;

class ParserForSolution {
public:
  // No parser when the solution manager holds no such solution.
  ParserForSolution(ISolutionManagerForReports* solMgr, IOutputVariableMgr* outputVariables,
                    ISimValueInfoCache* infoCache, const DesignSolutionDefinition& dsd);
  ~ParserForSolution();
  ParserForSolution(const ParserForSolution&) = delete;
  ParserForSolution& operator=(const ParserForSolution&) = delete;

  explicit operator bool() const { return m_parser != nullptr; }
  VersionedQuantityParser& operator*() const { return *m_parser; }
  VersionedQuantityParser* operator->() const { return m_parser; }
  VersionedQuantityParser* Get() const { return m_parser; }
  IValueParser* GetValueParser() const;

  // Opens a name space (1, 1, 0) that the parser's setupper fills, for as long as this object lives.
  void OpenNameSpace(bool forTextRegeneration = false);
  // Opens the name space unless open, then installs the parser as the value parser, both for as
  // long as this object lives.
  void Install();

private:
  VersionedQuantityParser* m_parser;                 // owned, deleted through its IInterfaceQueriable face
  std::unique_ptr<VariableNameSpace> m_nameSpace;
  std::unique_ptr<InstalledParserScope> m_installed;
};

}  // namespace rep
