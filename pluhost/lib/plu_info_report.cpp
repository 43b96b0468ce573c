// Formatting what IPluInfo and IPluNames answer, one labelled line per slot.
#include "pluhost/lib/plu_info_report.h"

#include <objbase.h>

namespace pluhost {
namespace {

// A bound on the models read, so that a module whose GetModel never answers empty cannot
// keep the host program reading forever.
constexpr int32_t kMaxModels = 1000;

std::wstring Label(std::wstring_view label, size_t width = 16) {
  std::wstring text(label);
  if (text.size() < width) text.append(width - text.size(), L' ');
  return text;
}

class Writer {
 public:
  explicit Writer(ReportLines& out) : out_(out) {}

  template <typename T, typename Format>
  void Slot(std::wstring_view label, const SlotAnswer<T>& answer, Format format, size_t width = 16) {
    if (answer.Ok()) {
      out_.lines.push_back(Label(label, width) + format(answer.value));
    } else {
      out_.lines.push_back(Label(label, width) + SlotFailureText(answer.hr, answer.message));
      ++out_.failures;
    }
  }
  void Line(std::wstring text) { out_.lines.push_back(std::move(text)); }
  void Failure(std::wstring text) {
    out_.lines.push_back(std::move(text));
    ++out_.failures;
  }

 private:
  ReportLines& out_;
};

std::wstring Text(const std::wstring& v) { return v; }
std::wstring Number(int32_t v) { return std::to_wstring(v); }
std::wstring Yes(bool v) { return v ? L"True" : L"False"; }

}  // namespace

std::wstring GuidText(const GUID& id) {
  wchar_t text[40] = {};
  StringFromGUID2(id, text, 40);
  return text;
}

ReportLines DescribePluInfo(const PluInfoClient& info) {
  ReportLines out;
  Writer w(out);
  w.Slot(L"GetFileName:", info.FileName(), Text);
  w.Slot(L"GetFileVersion:", info.FileVersion(), Text);
  w.Slot(L"GetBuild:", info.Build(), [](uint16_t v) { return std::to_wstring(v); });
  w.Slot(L"GetConstantA:", info.ConstantA(), Number);
  w.Slot(L"GetConstantB:", info.ConstantB(), Number);
  for (int32_t index = 0;; ++index) {
    std::wstring label = L"GetModel(" + std::to_wstring(index) + L"):";
    if (index == kMaxModels) {
      w.Failure(Label(label) + L"not read: the module answered " + std::to_wstring(kMaxModels) +
                L" models without an empty interface");
      break;
    }
    auto model = info.Model(index);
    if (!model.Ok()) {
      w.Slot(label, model, [](const auto&) { return std::wstring(); });
      break;
    }
    if (!model.value) {
      w.Line(Label(label) + L"empty interface (" + std::to_wstring(index) +
             (index == 1 ? L" model)" : L" models)"));
      break;
    }
    ModelAttributes m = ReadModel(model.value.Get());
    w.Slot(label, m.id, [](const GUID& id) { return L"model " + GuidText(id); });
    w.Slot(L"  name:", m.name, Text, 20);
    w.Slot(L"  identifier:", m.identifier, Text, 20);
    w.Slot(L"  class short name:", m.class_short_name, Text, 20);
    w.Slot(L"  class name:", m.class_name, Text, 20);
  }
  return out;
}

ReportLines DescribeNames(const PluInfoClient& info, std::wstring_view name) {
  ReportLines out;
  Writer w(out);
  win::ComPtr<IPluNames> names = info.Names();
  if (!names) {
    w.Failure(Label(L"GetNames:") + L"no IPluNames");
    return out;
  }
  NameAnswers a = AskNames(names.Get(), name);
  w.Line(Label(L"IsProperty:") + Yes(a.is_property));
  w.Line(Label(L"IsMethod:") + Yes(a.is_method));
  w.Line(Label(L"IsCommonMethod:") + Yes(a.is_common_method));
  w.Line(Label(L"IsSwitchOn:") + Yes(a.is_switch_on));
  w.Line(Label(L"IsSwitchOff:") + Yes(a.is_switch_off));
  return out;
}

}  // namespace pluhost
