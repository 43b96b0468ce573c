// Table records: the two halves of a method name and matching by either name.
#include <gtest/gtest.h>

#include "framework/config/table_records.h"

namespace {

constexpr LCID kRussian = 1049;

TEST(TableRecords, MethodNameMatchesEitherHalf) {
  const struct {
    const wchar_t* entry;
    const wchar_t* name;
    bool matches;
  } cases[] = {
      {L"Включить,SwitchOn", L"switchon", true},
      {L"Включить,SwitchOn", L"ВКЛЮЧИТЬ", true},
      {L"Включить,SwitchOn", L"Включить,SwitchOn", false},
      {L"ResultDescription,ОписаниеОшибки", L"описаниеошибки", true},
      {L"ЗаписатьДанные,", L"ЗаписатьДанные", true},
      {L"ЗаписатьДанные,", L"", false},
      {L"Целиком", L"целиком", true},
      {L"Целиком", L"Цел", false},
      {L"A,B,C", L"B,C", true},  // only the first comma divides
      {L"A,B,C", L"B", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "entry " << c.entry << ", name " << c.name);
    const config::MethodEntry entry{c.entry, 1, nullptr};
    EXPECT_EQ(entry.Matches(c.name, kRussian), c.matches);
  }
  constexpr config::MethodEntry kTail{L"ЗаписатьДанные,", 1, nullptr};
  static_assert(kTail.FirstName() == L"ЗаписатьДанные" && kTail.SecondName().empty());
}

TEST(TableRecords, PropertyWithoutEnglishNameIsFoundByRussianOnly) {
  const config::PropertyEntry entry{L"РежимКонтроляЦен", L"", L"", L"Integer",
                                    false,               L"0", L"", nullptr};
  EXPECT_TRUE(entry.Matches(L"режимконтроляцен"));
  EXPECT_FALSE(entry.Matches(L""));
  const config::PropertyEntry both{L"Результат", L"Result", L"", L"", true, L"", L"", nullptr};
  EXPECT_TRUE(both.Matches(L"RESULT"));
  EXPECT_FALSE(both.Matches(L"Results"));
}

// The limits are the host's: a text one character longer does not fit.
constexpr config::PropertyEntry kLongType{L"Имя", L"", L"", L"Integer123", false, L"", L"", nullptr};
constexpr config::PropertyEntry kTooLongType{L"Имя", L"", L"", L"Integer1234", false, L"", L"",
                                             nullptr};
constexpr config::PropertyEntry kTable[] = {kLongType, kLongType};
static_assert(config::WithinLimits(kLongType) && !config::WithinLimits(kTooLongType));
static_assert(config::AllWithinLimits(kTable));

}  // namespace
