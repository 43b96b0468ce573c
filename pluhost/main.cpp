// pluhost: loads an equipment plug-in as the equipment host does and calls it, for people who
// integrate the plug-ins and for the tests.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "framework/win/com_ptr.h"
#include "pluhost/lib/call_arguments.h"
#include "pluhost/lib/console.h"
#include "pluhost/lib/host_block.h"
#include "pluhost/lib/plugin_library.h"

namespace {

using namespace pluhost;
using Arguments = std::vector<std::wstring>;

// A command after the module path: `pluhost <module.plu> <name> <arguments...>`. New
// commands join the table; the usage text is built from it.
struct Command {
  const wchar_t* name;
  const wchar_t* synopsis;
  const wchar_t* help;
  int (*run)(const PluginLibrary& lib, const Arguments& args);
};

int Call(const PluginLibrary& lib, const Arguments& args);

const Command kCommands[] = {
    {L"call", L"<name> [kind] [arg...]",
     L"run one named call through the guarded call; kind 1 call (the default), 2 read,\n"
     L"3 assign; arguments i:<integer>, d:<number>, s:<text> or plain text",
     &Call},
};

void PrintUsage() {
  std::wstring text =
      L"usage: pluhost <module.plu>\n"
      L"         describe the module: Query, the guarded call, the control interface\n";
  for (const Command& c : kCommands) {
    text += L"       pluhost <module.plu> " + std::wstring(c.name) + L" " + c.synopsis + L"\n";
    std::wstring help = c.help;
    for (size_t start = 0; start < help.size();) {
      size_t end = help.find(L'\n', start);
      if (end == std::wstring::npos) end = help.size();
      text += L"         " + help.substr(start, end - start) + L"\n";
      start = end + 1;
    }
  }
  text.pop_back();
  PrintError(text);
}

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

// A failed interface slot: its HRESULT and the message it left in the thread's error info.
std::wstring Failure(HRESULT hr) {
  std::wstring text = L"failed " + Hex(static_cast<uint32_t>(hr));
  std::wstring message = TakeErrorDescription();
  if (!message.empty()) text += L": " + message;
  return text;
}

std::wstring Shown(const VARIANT& value) {
  if (value.vt == VT_EMPTY) return L"Empty";
  return ValueText(value) + L" (" + TypeName(value.vt) + L")";
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
  PrintLine(L"GetCallEntry:   " +
            (SUCCEEDED(hr) ? Hex(reinterpret_cast<uintptr_t>(entry)) : Failure(hr)));
  win::ComPtr<IUnknown> info;
  hr = control->GetPluInfo(info.Put());
  PrintLine(L"GetPluInfo:     " + std::wstring(SUCCEEDED(hr) && info
                                                    ? L"information interface present"
                                                    : Failure(hr)));
}

int Call(const PluginLibrary& lib, const Arguments& args) {
  if (args.empty()) {
    PrintUsage();
    return 2;
  }
  size_t next = 1;
  CallKind kind = CallKind::kMethod;
  if (args.size() > 1 && (args[1] == L"1" || args[1] == L"2" || args[1] == L"3")) {
    kind = static_cast<CallKind>(std::stoi(args[1]));
    next = 2;
  }
  HostBlock* block = NewCallBlock(args[0], kind);
  if (!block) {
    PrintError(L"pluhost: out of memory");
    return 1;
  }
  for (; next < args.size(); ++next) {
    VARIANT v;
    std::wstring error;
    if (!ParseCallArgument(args[next], v, error)) {
      PrintError(L"pluhost: " + error);
      DestroyBlock(block);
      return 2;
    }
    bool added = AddValue(block, v);
    VariantClear(&v);
    if (!added) {
      PrintError(L"pluhost: a block holds " + std::to_wstring(kBlockCapacity) +
                 L" values, the result, name and kind among them");
      DestroyBlock(block);
      return 2;
    }
  }
  bool ok = lib.RunGuarded(block);
  PrintLine(L"call:           " + args[0] + L" (kind " + std::to_wstring(static_cast<int>(kind)) + L")");
  PrintLine(L"returned:       " + std::wstring(ok ? L"True" : L"False"));
  PrintLine(L"error:          " + std::to_wstring(block->Error));
  PrintLine(L"code:           " + std::to_wstring(block->Code));
  PrintLine(L"source:         " + ValueText(block->Source));
  PrintLine(L"description:    " + ValueText(block->Description));
  if (const VARIANT* result = ValueAt(block, 0)) PrintLine(L"result:         " + Shown(*result));
  for (int i = 3; i < ValueCount(block); ++i)
    PrintLine(L"argument " + std::to_wstring(i - 2) + L":     " + Shown(*ValueAt(block, i)));
  int status = ok && !block->Error ? 0 : 1;
  DestroyBlock(block);
  return status;
}

int Run(const Arguments& args) {
  if (args.empty() || args[0] == L"-h" || args[0] == L"--help") {
    PrintUsage();
    return args.empty() ? 2 : 0;
  }
  const Command* command = nullptr;
  if (args.size() > 1) {
    for (const Command& c : kCommands)
      if (args[1] == c.name) command = &c;
    if (!command) {
      PrintError(L"pluhost: unknown command " + args[1]);
      PrintUsage();
      return 2;
    }
  }
  std::wstring error;
  auto lib = PluginLibrary::Load(WindowsPath(args[0]), error);
  if (!lib) {
    PrintError(L"pluhost: " + error);
    return 1;
  }
  if (!command) {
    Describe(*lib);
    return 0;
  }
  return command->run(*lib, Arguments(args.begin() + 2, args.end()));
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  Arguments args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  LocalFree(argv);
  // The host initialises COM on every thread from which it calls a plug-in.
  OleInitialize(nullptr);
  int status = Run(args);
  OleUninitialize();
  return status;
}
