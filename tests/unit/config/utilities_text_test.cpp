// Replace-all, one-line escaping, hexadecimal texts, name pairs and GUID texts.
#include <gtest/gtest.h>

#include <string>

#include "framework/config/utilities.h"
#include "framework/win/text.h"

namespace {

struct ReplaceCase {
  const wchar_t* source;
  const wchar_t* search;
  const wchar_t* replacement;
  bool case_sensitive;
  const wchar_t* expected;
};

// Each case runs on UTF-16 texts and on their 8-bit (code page 1251) form.
const ReplaceCase kReplaceCases[] = {
    {L"abca", L"a", L"X", true, L"XbcX"},  // one letter at the start and at the end
    {L"abab", L"aba", L"X", true, L"Xb"},  // overlapping occurrence replaced once
    {L"aaab", L"aab", L"X", true, L"aX"},  // repeated letters in the search text
    {L"abcabd", L"abd", L"X", true, L"abcX"},
    {L"Value VALUE value", L"value", L"x", false, L"x x x"},
    {L"Value VALUE value", L"value", L"x", true, L"Value VALUE x"},
    // The window's last character is looked up folded: "A" must shift like "a".
    {L"zAB", L"ab", L"X", false, L"zX"},
    // Cyrillic letters compare exactly even without case sensitivity.
    {L"ЗНАЧЕНИЕ", L"Значение", L"X", false, L"ЗНАЧЕНИЕ"},
    {L"Значение и ЗНАЧЕНИЕ", L"Значение", L"X", false, L"X и ЗНАЧЕНИЕ"},
    {L"ЗначениеVALUE", L"Значениеvalue", L"X", false, L"X"},
    {L"a\r\nb\r\n\r\n", L"\r\n", L"\\n", false, L"a\\nb\\n\\n"},
    {L"ab", L"abc", L"X", true, L"ab"},  // search longer than source
    {L"abc", L"", L"X", true, L"abc"},   // empty search leaves the source alone
    {L"", L"a", L"X", true, L""},
    {L"aXa", L"X", L"", true, L"aa"},
};

TEST(ReplaceAll, CasesInBothWidths) {
  for (const ReplaceCase& c : kReplaceCases) {
    SCOPED_TRACE(win::WideToUtf8(std::wstring(c.source) + L" / " + c.search));
    EXPECT_EQ(config::ReplaceAll(c.source, c.search, c.replacement, c.case_sensitive),
              c.expected);
    EXPECT_EQ(config::ReplaceAll(win::WideToAnsi(c.source), win::WideToAnsi(c.search),
                                 win::WideToAnsi(c.replacement), c.case_sensitive),
              win::WideToAnsi(c.expected));
  }
}

TEST(ReplaceAll, LongReplacementGrowsTheResult) {
  std::wstring source, expected;
  const std::wstring replacement(50, L'Я');
  for (int i = 0; i < 200; ++i) {
    source += L"a;";
    expected += L"a" + replacement;
  }
  EXPECT_EQ(config::ReplaceAll(source, L";", replacement, true), expected);
  EXPECT_EQ(config::ReplaceAll(win::WideToAnsi(source), ";", win::WideToAnsi(replacement), true),
            win::WideToAnsi(expected));
}

// UTF-16 units share skip-table entries by their low byte; none of that may turn into a match
// or a missed match.
TEST(ReplaceAll, WideUnitsSharingALowByte) {
  // U+0161 and U+0141 have the low bytes of "a" and "A": no case folding applies to them.
  EXPECT_EQ(config::ReplaceAll(L"\u0161\u0141", L"\u0141", L"X", false), L"\u0161X");
  EXPECT_EQ(config::ReplaceAll(L"\u0161", L"a", L"X", false), L"\u0161");
  // "с" (U+0441) shares its entry with "A": the window "qAс" must shift by the 1 of "с",
  // not the 2 of "A", or the match behind it is jumped over.
  EXPECT_EQ(config::ReplaceAll(L"qAсz", L"Aсz", L"X", true), L"qX");
  EXPECT_EQ(config::ReplaceAll(L"qсAz", L"сAz", L"X", true), L"qX");
}

struct EscapeCase {
  const wchar_t* text;
  bool for_storage;
  const wchar_t* expected;
};

const EscapeCase kEscapeCases[] = {
    {L"Строка 1\r\nСтрока 2\r\n", true, L"Строка 1\\nСтрока 2\\n"},
    {L"a\nb", true, L"a\nb"},  // only the pair is a line break
    {L"Строка 1\\nСтрока 2", false, L"Строка 1\r\nСтрока 2"},
    {L"C:\\new\\nfolder", false, L"C:\\new\\nfolder"},      // drive path
    {L"\\\\server\\nas", false, L"\\\\server\\nas"},        // network path
    {L"x C:\\new", false, L"x C:\r\new"},                   // a path later in the text is text
    {L"a\\Nb", false, L"a\r\nb"},                           // compared without case
};

TEST(EscapeText, BothDirections) {
  for (const EscapeCase& c : kEscapeCases) {
    SCOPED_TRACE(win::WideToUtf8(c.text));
    EXPECT_EQ(config::EscapeText(c.text, c.for_storage), c.expected);
  }
}

TEST(Hex, EncodeAndDecode) {
  const std::string bytes("\x00\xFF" "Az\xE7", 5);
  EXPECT_EQ(config::HexEncode(bytes), "00FF417AE7");
  EXPECT_EQ(config::HexDecode("00ff417AE7"), bytes);

  struct {
    const char* hex;
    std::string expected;
  } const cases[] = {
      {"ABC", "\xAB"},   // the trailing odd digit is ignored
      {"4", ""},
      {"0G", ""},        // a letter beyond F
      {"4142zz", ""},    // one bad pair empties the whole result
      {"41 2", ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.hex);
    EXPECT_EQ(config::HexDecode(c.hex), c.expected);
  }
}

TEST(SplitNamePair, LeftAndRight) {
  struct {
    const wchar_t* text;
    const wchar_t* left;
    const wchar_t* right;
  } const cases[] = {
      {L"Включить,SwitchOn", L"Включить", L"SwitchOn"},
      {L"Гудок", L"Гудок", L""},
      {L",Beep", L"", L"Beep"},
      {L"a,b,c", L"a", L"b,c"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(win::WideToUtf8(c.text));
    EXPECT_EQ(config::SplitNamePair(c.text, false), c.left);
    EXPECT_EQ(config::SplitNamePair(c.text, true), c.right);
  }
}

TEST(NormalizeGuidText, TrimsUpperCasesAndSetsBraces) {
  struct {
    const wchar_t* text;
    bool strip_braces;
    const wchar_t* expected;
  } const cases[] = {
      {L" {b49766dd-5c96-4181-a4ae-23513f1a77c3}\t", true,
       L"B49766DD-5C96-4181-A4AE-23513F1A77C3"},
      {L"b49766dd-5c96-4181-a4ae-23513f1a77c3\r\n", false,
       L"{B49766DD-5C96-4181-A4AE-23513F1A77C3}"},
      {L"{b49766dd-5c96-4181-a4ae-23513f1a77c3}", false,
       L"{B49766DD-5C96-4181-A4AE-23513F1A77C3}"},
      {L"b49766dd-5c96-4181-a4ae-23513f1a77c3", true, L"B49766DD-5C96-4181-A4AE-23513F1A77C3"},
      {L" abc ", false, L"ABC"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(win::WideToUtf8(c.text));
    EXPECT_EQ(config::NormalizeGuidText(c.text, c.strip_braces), c.expected);
  }
}

}  // namespace
