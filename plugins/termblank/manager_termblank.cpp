// The template terminal model, its parameters and the texts of the empty terminal's codes.
#include "manager_termblank.h"

#include "framework/automation/identifiers.h"
#include "framework/core/base_dll_tdc.h"

namespace termblank {

TManagerTermblankList::TManagerTermblankList()
    : TDevicesList([](devices::TDevicesList& list) -> devices::TDeviceItem* {
        return new TManagerTermblank(list);
      }) {
  Models.RegisterBaseModel(automation::kModelTermblank, L"Терминал сбора данных (шаблон)", 1, 0,
                           0, 0, 0, L"", L"Termblank", L"ТСД", L"Терминалы сбора данных");
  PortGroupFlags.LineSettings = false;
  PortGroupFlags.FlowControl = false;
  // The common parameters came with the base list; the terminal ones join them.
  const auto terminal = core::TerminalPropertiesB();
  AddParameterRecords(terminal.data(), static_cast<int>(terminal.size()));
}

void TManagerTermblankList::ErrorText(int32_t code, std::wstring& text) {
  switch (code) {
    case 0: text = L"Операция выполнена успешно"; break;
    case 1: text = L"Порт недоступен"; break;
    case 2: text = L"Нет связи"; break;
    case 3: text = L"Устройство не обнаружено"; break;
    case 4: text = L"Неверный тип параметра"; break;
    case 5: text = L"Недопустимое значение параметра"; break;
    default: text = L"Неопределенная ошибка"; break;
  }
}

std::unique_ptr<devices::TDevicesList> NewTermblankList() {
  return std::make_unique<TManagerTermblankList>();
}

}  // namespace termblank
