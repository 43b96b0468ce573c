// pluhost: loads an equipment plug-in as the equipment host does and calls it, for people who
// integrate the plug-ins and for the tests.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "pluhost/lib/console.h"
#include "pluhost/lib/host_block.h"
#include "pluhost/lib/plugin_library.h"

namespace {

using namespace pluhost;

const wchar_t kUsage[] =
    L"usage: pluhost <module.plu>                         describe the module\n"
    L"       pluhost <module.plu> call <name> [kind] [arg...]\n"
    L"                                                   run one named call through the\n"
    L"                                                   guarded call; kind 1 call, 2 read,\n"
    L"                                                   3 assign; arguments i:<integer>,\n"
    L"                                                   d:<number>, s:<text> or plain text";

// Linux paths name files on Wine's Z: drive.
std::wstring WindowsPath(std::wstring path) {
  if (!path.empty() && path[0] == L'/') {
    for (auto& c : path)
      if (c == L'/') c = L'\\';
    path = L"Z:" + path;
  }
  return path;
}

std::wstring Hex(uintptr_t value) {
  wchar_t buffer[16];
  swprintf(buffer, 16, L"0x%08lX", static_cast<unsigned long>(value));
  return buffer;
}

void Describe(const PluginLibrary& lib) {
  PrintLine(L"module:         " + lib.Path());
  int32_t value = lib.QueryValue();
  PrintLine(L"Query:          " + std::to_wstring(value) +
            (static_cast<uint32_t>(value) == kQueryMagic ? L"" : L" (not the plug-in value!)"));
  PrintLine(L"GuardedCall:    " + std::to_wstring(lib.QueryAddress() - lib.GuardedCallAddress()) +
            L" bytes before Query, at " + Hex(lib.GuardedCallAddress()));
  IPluginControl* control = lib.Control();
  if (!control) {
    PrintLine(L"PluginControl:  empty control interface (the module created no plug-in object)");
    return;
  }
  PrintLine(L"PluginControl:  control interface present");
  CallEntryProc entry = nullptr;
  HRESULT hr = control->GetCallEntry(&entry);
  PrintLine(L"GetCallEntry:   " + (SUCCEEDED(hr) ? Hex(reinterpret_cast<uintptr_t>(entry)) : Hex(hr)));
  IUnknown* info = nullptr;
  hr = control->GetPluInfo(&info);
  if (SUCCEEDED(hr) && info) {
    PrintLine(L"GetPluInfo:     information interface present");
    info->Release();
  } else {
    PrintLine(L"GetPluInfo:     failed " + Hex(hr));
  }
}

VARIANT ParseArgument(const std::wstring& arg) {
  VARIANT v;
  VariantInit(&v);
  std::wstring text = arg;
  if (arg.rfind(L"i:", 0) == 0) {
    v.vt = VT_I4;
    v.lVal = std::wcstol(arg.c_str() + 2, nullptr, 10);
    return v;
  }
  if (arg.rfind(L"d:", 0) == 0) {
    std::wstring number = arg.substr(2);
    for (auto& c : number)
      if (c == L',') c = L'.';
    v.vt = VT_R8;
    v.dblVal = std::wcstod(number.c_str(), nullptr);
    return v;
  }
  if (arg.rfind(L"s:", 0) == 0) text = arg.substr(2);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return v;
}

int Call(const PluginLibrary& lib, const std::vector<std::wstring>& args) {
  if (args.empty()) {
    PrintError(kUsage);
    return 2;
  }
  size_t next = 1;
  CallKind kind = CallKind::kMethod;
  if (args.size() > 1 && (args[1] == L"1" || args[1] == L"2" || args[1] == L"3")) {
    kind = static_cast<CallKind>(std::stoi(args[1]));
    next = 2;
  }
  HostBlock* block = NewCallBlock(args[0], kind);
  for (; next < args.size(); ++next) {
    VARIANT v = ParseArgument(args[next]);
    AddValue(block, v);
    VariantClear(&v);
  }
  bool ok = lib.RunGuarded(block);
  PrintLine(L"call:           " + args[0] + L" (kind " + std::to_wstring(static_cast<int>(kind)) + L")");
  PrintLine(L"returned:       " + std::wstring(ok ? L"True" : L"False"));
  PrintLine(L"error:          " + std::to_wstring(block->Error));
  PrintLine(L"code:           " + std::to_wstring(block->Code));
  PrintLine(L"description:    " + ValueText(block->Description));
  if (const VARIANT* result = ValueAt(block, 0))
    PrintLine(L"result:         " + ValueText(*result) + L" (" + TypeName(result->vt) + L")");
  for (int i = 3; i < ValueCount(block); ++i)
    PrintLine(L"argument " + std::to_wstring(i - 2) + L":     " + ValueText(*ValueAt(block, i)));
  int status = ok && !block->Error ? 0 : 1;
  DestroyBlock(block);
  return status;
}

int Run(const std::vector<std::wstring>& args) {
  if (args.empty() || args[0] == L"-h" || args[0] == L"--help") {
    PrintError(kUsage);
    return args.empty() ? 2 : 0;
  }
  std::wstring error;
  auto lib = PluginLibrary::Load(WindowsPath(args[0]), error);
  if (!lib) {
    PrintError(L"pluhost: " + error);
    return 1;
  }
  if (args.size() == 1) {
    Describe(*lib);
    return 0;
  }
  if (args[1] == L"call") return Call(*lib, std::vector<std::wstring>(args.begin() + 2, args.end()));
  PrintError(kUsage);
  return 2;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  LocalFree(argv);
  // The host initialises COM on every thread from which it calls a plug-in.
  OleInitialize(nullptr);
  int status = Run(args);
  OleUninitialize();
  return status;
}
