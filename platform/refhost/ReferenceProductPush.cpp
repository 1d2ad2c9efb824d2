// The reference product's push of quantity values for a loaded unit, from the solution's model.
#include <climits>
#include <cmath>
#include <cstdint>
#include <memory>
#include <stdexcept>

#include "Gravik/ITraceExtendedLoadInfo.h"
#include "orvex/centupd/IProgressMonitor.h"
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

}  // namespace

bool ReferenceSolutionInstance::PopulateQuantityValues(ISimValueQuantityValueContainer* container,
                                                       IExtendedLoadInfo* info, IProgressMonitor* monitor) {
  ++m_populateCalls;
  auto* traceInfo = dynamic_cast<rep::ITraceExtendedLoadInfo*>(info);
  if (!traceInfo || !container || !m_solution) return false;
  if (m_pushFailure == PushFailure::kAnswerFalse) return false;
  if (m_pushFailure == PushFailure::kThrow) throw std::runtime_error("reference product failure");

  rep::QuantityIDMap quantities;
  traceInfo->GetQuantityMap(quantities);
  rep::SubsweepsAdapter* subsweeps = traceInfo->GetSubsweeps();
  Variable* primaryVariable = subsweeps && subsweeps->size() > 0 ? (*subsweeps)[0].GetVariable(0) : nullptr;
  SweepBase* primarySweep = subsweeps && subsweeps->size() > 0 ? (*subsweeps)[0].GetSweep() : nullptr;
  const bool major = primaryVariable && m_solution->IsMajorVariable(primaryVariable);
  const bool special = primarySweep && primarySweep->IsSpecialSweep();

  DegeneracyAwareSweepsIterator minor(traceInfo->CreateMinorSweepsIteratorExcludingSpecialsAndPrimary());
  // Variables the unit and the step leave open keep their nominal values.
  VariableValues nominal;
  m_solution->GetNominalVariation(nominal);
  VariableValuesContext nominalValues(nominal);
  VariableValuesContext own(m_variation);
  for (minor.Begin(); !minor.End(); minor.Advance()) {
    if (monitor && monitor->IsAbandoned()) return true;
    VariableValuesContext step(minor.GetVariableValues());
    VariableValues minorVariation = minor.GetVariableValues();
    if (primaryVariable) minorVariation.RemoveVariableValue(primaryVariable);

    std::unique_ptr<Column> primary;
    if (major) {
      const Value* value = m_variation.GetVariableValue(primaryVariable);
      primary.reset(Column::CreateColumn(primaryVariable->GetParameterType(), primaryVariable->GetUnits()));
      if (value) primary->AppendValue(*value);
    } else if (special) {
      primary.reset(Column::CreateColumn(primaryVariable->GetParameterType(), primaryVariable->GetUnits()));
      for (unsigned i = 0; i < primarySweep->GetNumValues(); ++i)
        primary->AppendValue(Value(primarySweep->GetValueText(i), primaryVariable->GetUnits()));
    } else if (const Column* tracePrimary = traceInfo->GetPrimarySweepColumn()) {
      primary.reset(tracePrimary->CloneColumn());
    }
    if (!primary) continue;

    QuantityColumns data;
    // A major primary is current through the variation; a minor one varies along its column.
    FillQuantityColumns(data, *m_solution, quantities, *primary, major ? nullptr : primaryVariable,
                        major ? 1 : primary->GetCount());
    if (m_pushFailure == PushFailure::kWrongLength)
      for (auto& column : data.owned) column->AppendInvalidValues(1);

    ++m_pushes;
    if (!special || m_solution->GetSpecialPush() == ReferenceSolution::SpecialPush::kCommonPrimary) {
      container->SetQuantityValues(minorVariation, data.ids, data.columns, *primary, kTag);
    } else if (m_solution->GetSpecialPush() == ReferenceSolution::SpecialPush::kInterpolationOrders) {
      std::vector<std::unique_ptr<CharColumn>> orderColumns;
      std::map<long, const CharColumn*> orders;
      for (long id : data.ids) {
        orderColumns.push_back(std::make_unique<CharColumn>());
        orderColumns.back()->GetValues().assign(primary->GetCount(), 1);
        orders[id] = orderColumns.back().get();
      }
      container->SetQuantityValuesWithInterpolationOrders(minorVariation, data.ids, orders, data.columns, *primary, kTag);
    } else {
      std::map<long, Column*> primaries;
      for (long id : data.ids) primaries[id] = primary.get();
      std::unique_ptr<Column> data4(primary->CloneColumn());
      data4->ClearValues();
      container->SetQuantityValuesWithPerQuantityPrimaries(minorVariation, data.ids, primaries, data.columns, *data4,
                                                           kTag);
    }
  }
  return true;
}

}  // namespace refhost
