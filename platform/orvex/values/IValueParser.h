// What resolves names the expression language does not know, and gives quantities their values.
#pragma once

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/values/AComplex.h"
#include "orvex/values/GeometryParams.h"
#include "orvex/values/ValueState.h"

class IInterfaceQueriable;
class ValueBase;
class VariableNameSpace;

// The destructor is protected and non-virtual: a parser is never deleted through this face.
class ORVEX_API IValueParser {
public:
  virtual ValueBase* GetDatasetValue(ValueBase* y, ValueBase* xOrNull) { (void)y; (void)xOrNull; return nullptr; }  // 0
  virtual ValueBase* GetValueForName(const AString& name) { (void)name; return nullptr; }                        // 1
  virtual double GetValue(const ValueBase* asking) { (void)asking; return 0.0; }                                   // 2
  virtual AComplex<double> GetComplexValue(const ValueBase*) { return AComplex<double>(0.0, 0.0); }              // 3
  virtual const ArcParam* GetArcParam(const ValueBase*) { return nullptr; }                                       // 4
  virtual const CircleParam* GetCircleParam(const ValueBase*) { return nullptr; }                                 // 5
  virtual const RegionParam* GetRegionParam(const ValueBase*) { return nullptr; }                                 // 6
  virtual char GetCharValue(const ValueBase*) { return 0; }                                                       // 7
  virtual int GetIntValue(const ValueBase*) { return 0; }                                                         // 8
  virtual int GetEnumValue(const ValueBase*) { return 0; }                                                        // 9
  // The default raises "0".
  virtual ValueState GetValueState(const AString& name);                                                          // 10
  virtual ValueBase* GetDummyDatasetForValidation(const ValueState& y, const ValueState& x) { (void)y; (void)x; return nullptr; }  // 11
  virtual void* Reserved12() { return nullptr; }                                                                   // 12
  virtual IInterfaceQueriable* GetInterfaceQueriable() { return nullptr; }                                        // 13
  virtual ValueBase* GetValueForName(const AString& name, const VariableNameSpace* ns) { (void)ns; return GetValueForName(name); }  // 14
  virtual ValueBase* GetValueForName(const AString& name, int flags, void* context) { (void)flags; (void)context; return GetValueForName(name); }  // 15

protected:
  IValueParser() = default;
  IValueParser(const IValueParser&) = default;
  IValueParser& operator=(const IValueParser&) = default;
  ~IValueParser() = default;
};

// Installs a parser as the process's value parser for its lifetime and puts back the previous one.
class ORVEX_API InstalledParserScope {
public:
  explicit InstalledParserScope(IValueParser* parser);
  // Raises "out==m_mine" when a nested install was not undone.
  ~InstalledParserScope();
  InstalledParserScope(const InstalledParserScope&) = delete;
  InstalledParserScope& operator=(const InstalledParserScope&) = delete;

private:
  IValueParser* m_prev;  // put back when the scope ends
  IValueParser* m_mine;
};
