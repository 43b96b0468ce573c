// The common tables. Positions are identifiers: the order is the host's and never changes.
#include "framework/core/common_set.h"

namespace core {

namespace {

using namespace common;

constexpr config::MethodEntry kMethodsA[] = {
    {L"ChoiceDevice,ВыбратьУстройство", 1, &ChoiceDevice},
};

constexpr config::MethodEntry kMethodsC[] = {
    {L"ResultDescription,ОписаниеОшибки", 1, &ResultDescription},
    {L"НастроитьУстройства,SettingDevices", 1, &SettingDevices},
    {L"УдалитьУстройство,DeleteDevice", 1, &DeleteDevice},
    {L"ДобавитьУстройствоРасш,AddDeviceEx", 1, &AddDeviceEx},
    {L"ДобавитьУстройство,AddDevice", 1, &AddDevice},
    {L"ИзменитьУстройствоРасш,SettingsDeviceEx", 2, &SettingsDeviceEx},
    {L"СохранитьНастройки,SaveSettings", 0, &SaveSettings},
    {L"ИнформацияОПлагине,GetPlgInfo", 13, &GetPlgInfo},
    {L"ПолучитьНастройкиXML,GetSettingsXML", 2, &GetSettingsXml},
    {L"Включить,SwitchOn", 1, &SwitchOn},
    {L"Выключить,SwitchOff", 1, &SwitchOff},
    {L"ПолучитьСвойства,GetProps", 1, &GetProps},
    {L"УстановитьСвойства,SetProps", 1, &SetProps},
    {L"СоздатьПараметры,CreateComSafeArray", 2, &CreateComSafeArray},
    {L"Гудок,Beep", 2, &Beep},
    {L"ЗагрузитьНастройки,LoadSettings", 0, &LoadSettings},
    {L"ОтобразитьСтраницуСвойств,ShowPropertyPage", 1, &ShowPropertyPage},
};

constexpr config::PropertyEntry kPropertiesA[] = {
    {L"ДоступностьСтраницыСвойств", L"PropertyPageEnabled", L"", L"", false, L"", L"",
     &PropertyPageEnabled},
    {L"НомерУстройства", L"DeviceNumber", L"", L"", false, L"", L"", &DeviceNumber},
    {L"ИмяУстройства", L"DeviceName", L"", L"", false, L"", L"", &DeviceName},
    {L"КоличествоУстройств", L"DevicesQuantity", L"", L"", true, L"", L"", &DevicesQuantity},
    // Becomes read-only for the object once the host hands over its event support.
    {L"УстройствоВключено", L"DeviceIsOn", L"", L"", false, L"", L"", &DeviceIsOn},
    {L"Результат", L"Result", L"", L"", true, L"", L"", &Result},
    {L"Релиз", L"Release", L"", L"", true, L"", L"", &ReleaseNumber},
};

static_assert(std::size(kMethodsA) == 1 && std::size(kMethodsC) == 17 &&
              std::size(kPropertiesA) == 7);
static_assert(config::AllWithinLimits(kMethodsA) && config::AllWithinLimits(kMethodsC) &&
              config::AllWithinLimits(kPropertiesA));

}  // namespace

std::span<const config::MethodEntry> CommonMethodsA() { return kMethodsA; }
std::span<const config::MethodEntry> CommonMethodsC() { return kMethodsC; }
std::span<const config::PropertyEntry> CommonPropertiesA() { return kPropertiesA; }

}  // namespace core
