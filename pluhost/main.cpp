// pluhost: loads an equipment plug-in as the equipment host does and calls it, for people who
// integrate the plug-ins and for the tests.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "pluhost/lib/console.h"
#include "pluhost/lib/host_arguments.h"
#include "pluhost/lib/host_csv.h"
#include "pluhost/lib/host_script.h"
#include "pluhost/lib/host_session.h"
#include "pluhost/lib/host_block.h"
#include "pluhost/lib/plu_info_client.h"
#include "pluhost/lib/plu_info_report.h"
#include "pluhost/lib/plugin_library.h"

namespace {

using namespace pluhost;

const wchar_t kUsage[] =
    L"usage: pluhost <module.plu>                         describe the module\n"
    L"       pluhost <module.plu> call <name> [kind] [arg...]\n"
    L"                                                   run one named call through the\n"
    L"                                                   guarded call; kind 1 call, 2 read,\n"
    L"                                                   3 assign; arguments i:<integer>,\n"
    L"                                                   d:<number>, s:<text>, file:<path>,\n"
    L"                                                   csv:<path> or plain text\n"
    L"       pluhost <module.plu> script <file>          run a file of calls in one session";

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
  PrintLine(L"GetCallEntry:   " +
            (SUCCEEDED(hr) ? Hex(reinterpret_cast<uintptr_t>(entry)) : SlotFailureText(hr)));
  std::wstring failure;
  PluInfoClient info = PluInfoClient::Obtain(control, failure);
  if (!info.Get()) {
    PrintLine(L"GetPluInfo:     " + failure);
    return;
  }
  PrintLine(L"GetPluInfo:     information interface present");
  for (const auto& line : DescribePluInfo(info).lines) PrintLine(line);
}

void PrintTo(std::wstring_view text) { PrintLine(text); }

int Call(const PluginLibrary& lib, const std::vector<std::wstring>& args) {
  if (args.empty()) {
    PrintError(kUsage);
    return 2;
  }
  // The single call runs as a one-line script.
  ScriptStep step;
  step.line = 1;
  step.name = args[0];
  size_t next = 1;
  if (args.size() > 1 && (args[1] == L"1" || args[1] == L"2" || args[1] == L"3")) {
    step.kind = std::stoi(args[1]);
    next = 2;
  }
  step.args.assign(args.begin() + next, args.end());
  Session session(lib);
  return RunScript(session, {step}, {}, PrintTo) == 0 ? 0 : 1;
}

int Script(const PluginLibrary& lib, const std::wstring& path) {
  std::wstring full = WindowsPath(path);
  std::string bytes;
  if (!ReadFileBytes(full, bytes)) {
    PrintError(L"pluhost: cannot read " + full);
    return 2;
  }
  std::vector<ScriptStep> steps;
  std::vector<std::wstring> errors;
  if (!ParseScript(FromUtf8(bytes), steps, errors)) {
    for (const auto& e : errors) PrintError(full + L": " + e);
    return 2;
  }
  Session session(lib);
  int failed = RunScript(session, steps, FolderOf(full), PrintTo);
  if (failed) PrintLine(std::to_wstring(failed) + L" of " + std::to_wstring(steps.size()) + L" calls failed");
  return failed ? 1 : 0;
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
  if (args[1] == L"script" && args.size() == 3) return Script(*lib, args[2]);
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
