// The reference product's push of quantity values for a loaded unit, from the solution's model.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <memory>
#include <stdexcept>

#include "Gravik/ITraceExtendedLoadInfo.h"
#include "orvex/centupd/IProgressMonitor.h"
#include "orvex/core/Ids.h"
#include "orvex/values/ConstantValues.h"
#include "orvex/values/VariableValuesContext.h"
#include "postorvex/ISimValueQuantityValueContainer.h"
#include "postorvex/columns/Column.h"
#include "postorvex/columns/LinkVariableToColumnContext.h"
#include "postorvex/sweeps/SubsweepsAdapter.h"
#include "postorvex/sweeps/SweepBase.h"
#include "postorvex/sweeps/SweepsIterator.h"
#include "refhost/ReferenceSolution.h"

namespace refhost {

namespace {

const wchar_t kTag[] = L"reference model";

// One column per quantity, holding its model value at each row of the primary column (the
// primary variable linked to it; without one, a single row at the current values).
struct QuantityColumns {
  std::vector<long> ids;
  std::vector<std::unique_ptr<Column>> owned;
  std::vector<const Column*> columns;
};

// A digital quantity's model number, rounded; the kind's invalid marker when it does not fit.
int64_t DigitalNumber(double number, int64_t min, int64_t max, int64_t invalid) {
  if (!std::isfinite(number)) return invalid;
  const double rounded = std::round(number);
  return rounded < static_cast<double>(min) || rounded > static_cast<double>(max) ? invalid
                                                                                  : static_cast<int64_t>(rounded);
}

// The model's number as a value of the quantity's own kind, so that a digital column takes it.
Value ModelValue(const ReferenceQuantity& model, const AComplex<double>& v) {
  const ValueState& state = model.state;
  const double number = v.real();
  Value out(state.GetFullUnitType());
  switch (static_cast<int>(state.GetParameterType())) {
    case val::kComplexParam: return Value(v, state.GetFullUnitType());
    case val::kIntParam:
      out.SetValueBase(new IntValue(static_cast<int>(
          DigitalNumber(number, INT32_MIN + 1LL, INT32_MAX, IntValue::kInvalidValue))));
      return out;
    case val::kEnumParam:
      out.SetValueBase(new EnumValue(static_cast<int>(DigitalNumber(number, INT32_MIN + 1LL, INT32_MAX,
                                                                    EnumValue::kInvalidValue)),
                                     model.enumTypeName));
      return out;
    case val::kCharParam: {
      const unsigned char invalid = static_cast<unsigned char>(CharValue::kInvalidValue);
      out.SetValueBase(new CharValue(static_cast<char>(DigitalNumber(number, 0, 255, invalid))));
      return out;
    }
    default: return Value(number, state.GetFullUnitType());
  }
}

void FillQuantityColumns(QuantityColumns& out, const ReferenceSolution& solution, const rep::QuantityIDMap& quantities,
                         Column& primary, Variable* primaryVariable, size_t rows) {
  std::unique_ptr<LinkVariableToColumnContext> link;
  if (primaryVariable) link = std::make_unique<LinkVariableToColumnContext>(primary, primaryVariable);
  for (const auto& q : quantities) {
    const ReferenceQuantity* model = solution.FindQuantity(q.first);
    if (!model) continue;
    const ValueState& state = model->state;
    std::unique_ptr<Column> column(Column::CreateColumn(state.GetParameterType(), state.GetFullUnitType()));
    if (!column) continue;
    for (size_t row = 0; row < rows; ++row) {
      primary.SetValue(static_cast<int>(row));
      AComplex<double> v;
      if (!solution.EvaluateQuantity(q.first, v)) {
        column->AppendInvalidValues(1);
        continue;
      }
      column->AppendValue(ModelValue(*model, v));
    }
    out.ids.push_back(q.second);
    out.columns.push_back(column.get());
    out.owned.push_back(std::move(column));
  }
  primary.SetValue(-1);
}

long IDOf(const rep::QuantityIDMap& quantities, const AString& name) {
  auto it = quantities.find(name);
  return it == quantities.end() ? id::invalidID : it->second;
}

void Replay(const ScriptedPush& call, ISimValueQuantityValueContainer& container,
            const rep::QuantityIDMap& quantities) {
  std::vector<long> ids;
  std::vector<const Column*> columns;
  for (size_t i = 0; i < call.quantities.size(); ++i) {
    ids.push_back(IDOf(quantities, call.quantities[i]));
    columns.push_back(i < call.columns.size() ? call.columns[i].get() : nullptr);
  }
  std::unique_ptr<Column> none;
  Column* primary = call.primary.get();
  if (!primary) {
    none = std::make_unique<DoubleColumn>();
    primary = none.get();
  }
  switch (call.operation) {
    case ScriptedPush::kSetQuantityValues:
      container.SetQuantityValues(call.minor, ids, columns, *primary, call.tag);
      break;
    case ScriptedPush::kWithInterpolationOrders: {
      std::map<long, const CharColumn*> orders;
      for (const auto& entry : call.orders) orders[IDOf(quantities, entry.first)] = entry.second.get();
      container.SetQuantityValuesWithInterpolationOrders(call.minor, ids, orders, columns, *primary, call.tag);
      break;
    }
    case ScriptedPush::kWithPerQuantityPrimaries: {
      std::map<long, Column*> primaries;
      for (const auto& entry : call.perQuantityPrimaries) primaries[IDOf(quantities, entry.first)] = entry.second.get();
      container.SetQuantityValuesWithPerQuantityPrimaries(call.minor, ids, primaries, columns, *primary, call.tag);
      break;
    }
  }
}

}  // namespace

void ReferenceSolutionInstance::PushStep(ISimValueQuantityValueContainer& container, const rep::QuantityIDMap& quantities,
                                         rep::ITraceExtendedLoadInfo& traceInfo, const VariableValues& minorVariation,
                                         Variable* primaryVariable, SweepBase* primarySweep, bool major, bool special) {
  std::unique_ptr<Column> primary;
  if (major) {
    const Value* value = m_variation.GetVariableValue(primaryVariable);
    primary.reset(Column::CreateColumn(primaryVariable->GetParameterType(), primaryVariable->GetUnits()));
    if (value) primary->AppendValue(*value);
  } else if (special) {
    primary.reset(Column::CreateColumn(primaryVariable->GetParameterType(), primaryVariable->GetUnits()));
    for (unsigned i = 0; i < primarySweep->GetNumValues(); ++i)
      primary->AppendValue(Value(primarySweep->GetValueText(i), primaryVariable->GetUnits()));
  } else if (const Column* tracePrimary = traceInfo.GetPrimarySweepColumn()) {
    primary.reset(tracePrimary->CloneColumn());
  }
  if (!primary) return;

  QuantityColumns data;
  // A major primary is current through the variation; a minor one varies along its column.
  FillQuantityColumns(data, *m_solution, quantities, *primary, major ? nullptr : primaryVariable,
                      major ? 1 : primary->GetCount());
  if (m_pushFailure == PushFailure::kWrongLength)
    for (auto& column : data.owned) column->AppendInvalidValues(1);

  ++m_pushes;
  if (!special || m_solution->GetSpecialPush() == ReferenceSolution::SpecialPush::kCommonPrimary) {
    container.SetQuantityValues(minorVariation, data.ids, data.columns, *primary, kTag);
  } else if (m_solution->GetSpecialPush() == ReferenceSolution::SpecialPush::kInterpolationOrders) {
    std::vector<std::unique_ptr<CharColumn>> orderColumns;
    std::map<long, const CharColumn*> orders;
    for (long id : data.ids) {
      orderColumns.push_back(std::make_unique<CharColumn>());
      std::vector<char>& values = orderColumns.back()->GetValues();
      values.assign(primary->GetCount(), 1);
      const std::vector<char>& pushed = m_solution->GetPushedInterpolationOrders();
      std::copy_n(pushed.begin(), std::min(pushed.size(), values.size()), values.begin());
      orders[id] = orderColumns.back().get();
    }
    container.SetQuantityValuesWithInterpolationOrders(minorVariation, data.ids, orders, data.columns, *primary, kTag);
  } else {
    std::map<long, Column*> primaries;
    for (long id : data.ids) primaries[id] = primary.get();
    std::unique_ptr<Column> data4(primary->CloneColumn());
    data4->ClearValues();
    container.SetQuantityValuesWithPerQuantityPrimaries(minorVariation, data.ids, primaries, data.columns, *data4,
                                                         kTag);
  }
}

bool ReferenceSolutionInstance::PopulateQuantityValues(ISimValueQuantityValueContainer* container,
                                                       IExtendedLoadInfo* info, IProgressMonitor* monitor) {
  ++m_populateCalls;
  auto* traceInfo = dynamic_cast<rep::ITraceExtendedLoadInfo*>(info);
  if (!traceInfo || !container || !m_solution) return false;
  if (m_pushFailure == PushFailure::kAnswerFalse) return false;
  if (m_pushFailure == PushFailure::kThrow) throw std::runtime_error("reference product failure");

  rep::QuantityIDMap quantities;
  traceInfo->GetQuantityMap(quantities);
  // Variables the unit and the step leave open keep their nominal values.
  VariableValues nominal;
  m_solution->GetNominalVariation(nominal);
  VariableValuesContext nominalValues(nominal);
  VariableValuesContext own(m_variation);
  if (!m_script.empty()) {
    for (const ScriptedPush& call : m_script) {
      if (monitor && monitor->IsAbandoned()) return true;
      ++m_pushes;
      Replay(call, *container, quantities);
    }
    return true;
  }
  rep::SubsweepsAdapter* subsweeps = traceInfo->GetSubsweeps();
  Variable* primaryVariable = subsweeps && subsweeps->size() > 0 ? (*subsweeps)[0].GetVariable(0) : nullptr;
  SweepBase* primarySweep = subsweeps && subsweeps->size() > 0 ? (*subsweeps)[0].GetSweep() : nullptr;
  const bool major = primaryVariable && m_solution->IsMajorVariable(primaryVariable);
  const bool special = primarySweep && primarySweep->IsSpecialSweep();

  DegeneracyAwareSweepsIterator minor(traceInfo->CreateMinorSweepsIteratorExcludingSpecialsAndPrimary());
  // The trace's non-primary special sweeps: the product's own values, each combination pushed on
  // its own with its values current and in the minor variation.
  std::vector<std::pair<Variable*, SweepBase*>> specials;
  for (size_t i = 1; subsweeps && i < subsweeps->size(); ++i) {
    SweepBase* sweep = (*subsweeps)[i].GetSweep();
    Variable* variable = (*subsweeps)[i].GetVariable(0);
    if (sweep && variable && sweep->IsSpecialSweep() && sweep->GetNumValues() > 0)
      specials.emplace_back(variable, sweep);
  }
  size_t combinations = 1;
  for (const auto& special : specials) combinations *= special.second->GetNumValues();

  for (minor.Begin(); !minor.End(); minor.Advance()) {
    VariableValuesContext step(minor.GetVariableValues());
    for (size_t combination = 0; combination < combinations; ++combination) {
      if (monitor && monitor->IsAbandoned()) return true;
      VariableValues minorVariation = minor.GetVariableValues();
      if (primaryVariable) minorVariation.RemoveVariableValue(primaryVariable);
      VariableValues specialValues;
      for (size_t rest = combination, k = 0; k < specials.size(); ++k) {
        const unsigned n = specials[k].second->GetNumValues();
        Variable* variable = specials[k].first;
        specialValues.SetVariableValue(variable, Value(specials[k].second->GetValueText(rest % n), variable->GetUnits()));
        rest /= n;
      }
      for (const auto& entry : specialValues.GetVariableValueMap())
        minorVariation.SetVariableValue(entry.first, entry.second);
      VariableValuesContext specialCurrent(specialValues);
      PushStep(*container, quantities, *traceInfo, minorVariation, primaryVariable, primarySweep, major, special);
    }
  }
  return true;
}

}  // namespace refhost
