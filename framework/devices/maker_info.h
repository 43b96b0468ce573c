// The contact data of the team that ships the plug-ins, written into every description
// record that a device or a device list carries.
#pragma once

namespace devices {

inline constexpr wchar_t kMakerName[] = L"Северная мастерская терминалов";
inline constexpr wchar_t kMakerEmail[] = L"support@terminal-workshop.example";
inline constexpr wchar_t kMakerWeb[] = L"https://terminal-workshop.example";
inline constexpr wchar_t kMakerPhone[] = L"+7 000 000-00-00";
inline constexpr wchar_t kMakerAddress[] = L"Россия, г. Примерск, ул. Складская, д. 1";

}  // namespace devices
