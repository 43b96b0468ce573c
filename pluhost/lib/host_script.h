// Script files of the host program: one call per line, run in one loaded session.
//
//   # comment                       blank lines and lines starting with # are skipped
//   call <name> [arg...]            kind 1
//   get <name>                      kind 2
//   set <name> <arg>                kind 3
//   kind <n> <name> [arg...]        any value 2
//   eventsupport                    hands the host's event support over ("__@@EventSupport")
//   command <text>                  a block whose Name is <text> ("__FRee", "__@@SwitchOff", ...)
//   seteventsupport                 hands the host's event support over through IPluInfo
//   info                            what IPluInfo answers, as the describe form prints it
//   names <name>                    the five IPluNames answers for the name
//   task {GUID} <call|get|set|kind> ...   the call's caller is a task addressing that device
//   entry <...>                     through the call entry instead of the guarded call
// Arguments as host_arguments.h reads them; a token in double quotes may hold spaces, and ""
// inside it is one quote: s:"два слова".
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pluhost {

class Session;

struct ScriptStep {
  enum class Op { kCall, kEventSupport, kCommand, kSetEventSupport, kInfo, kNames };
  int line = 0;
  Op op = Op::kCall;
  std::wstring name;
  int32_t kind = 1;
  std::vector<std::wstring> args;
  std::optional<GUID> device;
  bool via_entry = false;
};

// Splits a line into tokens; false with `error` on an unclosed quote.
bool Tokenize(std::wstring_view line, std::vector<std::wstring>& tokens, std::wstring& error);
// Parses a whole script. Every error is reported as "line N: text"; false when there is any.
bool ParseScript(std::wstring_view text, std::vector<ScriptStep>& steps, std::vector<std::wstring>& errors);

// Runs the steps in order in one session, printing each call and its outcome through `print`.
// Relative paths of arguments are read from `base_dir`. Returns the number of failed steps.
int RunScript(Session& session, const std::vector<ScriptStep>& steps, const std::wstring& base_dir,
              const std::function<void(std::wstring_view)>& print);

}  // namespace pluhost
