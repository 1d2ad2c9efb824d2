#include "orvex/values/Units.h"

#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "RepTest.h"

TEST(Units, NamesResolveInTheirCategory) {
  struct Case { const wchar_t* name; Units::UnitType category; Units::FullUnitType full; };
  const Case cases[] = {
      {L"ns", 15, Units::kNs},   {L"mV", 15, Units::kMV},  {L"GHz", 15, Units::kGHz},
      {L"dB", 15, Units::kDB},   {L"GHz", 1, Units::kGHz}, {L"s", 6, Units::kSecond},
      {L"GHz", 6, 0},            {L"MV", 15, 0},           {L"ghz", 15, 0},
      {L"", 15, 0},              {L"mil", 4, Units::kMil}, {L"deg", 5, Units::kDeg},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(AString(c.name).ToUtf8() + " in category " + std::to_string(c.category));
    const UnitDefinition* d = Units::GetUnitDef(c.name, c.category);
    if (c.full == 0) {
      EXPECT_EQ(nullptr, d);
      continue;
    }
    ASSERT_NE(nullptr, d);
    EXPECT_EQ(c.full, d->GetFullUnitType());
    EXPECT_EQ(AString(c.name), d->GetName());
  }
}

TEST(Units, ConversionsAreExactForDecimalUnits) {
  EXPECT_EQ(1.5e9, Units::ConvertToSI(1.5, Units::kGHz));
  EXPECT_EQ(1.5, Units::ConvertFromSI(1.5e9, Units::kGHz));
  EXPECT_EQ(1.5e-9, Units::ConvertToSI(1.5, Units::kNs));
  EXPECT_EQ(1500.0, Units::Convert(1.5, Units::kUs, Units::kNs));
  EXPECT_EQ(0.0015, Units::Convert(1.5, Units::kNs, Units::kUs));
  EXPECT_EQ(1000.0, Units::Convert(1.0, Units::kInch, Units::kMil));
  EXPECT_DOUBLE_EQ(0.0254, Units::ConvertToSI(1.0, Units::kInch));
  EXPECT_DOUBLE_EQ(3.14159265358979323846, Units::Convert(180.0, Units::kDeg, Units::kRad));
  EXPECT_EQ(7.0, Units::ConvertToSI(7.0, Units::kNoUnit));
}

TEST(Units, DefaultsAndCategories) {
  EXPECT_EQ(Units::kSecond, Units::GetDefaultUnits(6));
  EXPECT_EQ(Units::kHz, Units::GetDefaultUnits(1));
  EXPECT_EQ(Units::kNoUnit, Units::GetDefaultUnits(15));
  EXPECT_EQ(Units::kFrequency, Units::GetUnitType(Units::kGHz));
  EXPECT_EQ(Units::kNoUnitType, Units::GetUnitType(Units::kNoUnit));
  EXPECT_EQ(AString(), Units::GetUnitName(Units::kNoUnit));
  EXPECT_EQ(AString(L"kOhm"), Units::GetUnitName(Units::kKOhm));
}

TEST(Units, UnknownFullUnitTypeCountsAsNoUnit) {
  EXPECT_EQ(2.5, Units::ConvertToSI(2.5, 77));
  EXPECT_SOFT_ASSERT("!\"unknown full unit type\"");
  EXPECT_EQ(Units::kNoUnitType, Units::GetUnitType(999));
  EXPECT_SOFT_ASSERT("!\"unknown full unit type\"");
  EXPECT_FALSE(Units::IsKnown(77));
  EXPECT_EQ(nullptr, Units::GetUnitDef(77));
}

// A run of values converted at once gives each value's own conversion bit for bit.
TEST(Units, ConvertAllMatchesConvertValueByValue) {
  const std::vector<double> values{0.0, -0.0, 1.5, -3.25e-7, 1e300, 4.9e-324, 123456.789, NAN, INFINITY};
  const std::pair<Units::FullUnitType, Units::FullUnitType> pairs[] = {
      {Units::kGHz, Units::kNoUnit}, {Units::kNoUnit, Units::kGHz}, {Units::kUs, Units::kNs},
      {Units::kInch, Units::kMil},   {Units::kDeg, Units::kRad},    {Units::kNs, Units::kNs},
  };
  for (const auto& [from, to] : pairs) {
    SCOPED_TRACE(std::to_string(from) + " to " + std::to_string(to));
    std::vector<double> all = values;
    Units::ConvertAll(all.data(), all.size(), from, to);
    for (size_t i = 0; i < values.size(); ++i) {
      const double one = Units::Convert(values[i], from, to);
      EXPECT_EQ(0, std::memcmp(&one, &all[i], sizeof(double))) << values[i];
    }
  }
  std::vector<double> unknown{2.5};
  Units::ConvertAll(unknown.data(), unknown.size(), 77, Units::kNoUnit);
  EXPECT_SOFT_ASSERT("!\"unknown full unit type\"");
  EXPECT_EQ(2.5, unknown[0]);
}
