// Parsing and running the host program's scripts.
#include "pluhost/lib/host_script.h"

#include "pluhost/lib/host_arguments.h"
#include "pluhost/lib/host_print.h"
#include "pluhost/lib/host_session.h"
#include "pluhost/lib/host_task.h"
#include "pluhost/lib/plu_info_report.h"

namespace pluhost {
namespace {

// The rest of a step that takes one name (`named`) or nothing after its verb.
bool TakeName(const std::wstring& verb, const std::vector<std::wstring>& tokens, size_t i, bool named,
              ScriptStep& step, std::wstring& error) {
  if (tokens.size() - i != (named ? 1u : 0u)) {
    error = verb + (named ? L" takes one name" : L" takes nothing");
    return false;
  }
  if (named) step.name = tokens[i];
  return true;
}

bool ParseLine(const std::vector<std::wstring>& tokens, ScriptStep& step, std::wstring& error) {
  size_t i = 0;
  auto more = [&] { return i < tokens.size(); };
  while (more() && (tokens[i] == L"task" || tokens[i] == L"entry")) {
    if (tokens[i] == L"entry") {
      step.via_entry = true;
      ++i;
      continue;
    }
    if (i + 1 >= tokens.size()) {
      error = L"task needs a device identifier";
      return false;
    }
    GUID device{};
    if (!ParseGuid(tokens[i + 1], device)) {
      error = L"not a device identifier: " + tokens[i + 1];
      return false;
    }
    step.device = device;
    i += 2;
  }
  if (!more()) {
    error = L"a call is missing";
    return false;
  }
  const std::wstring& verb = tokens[i++];
  if (verb == L"eventsupport" || verb == L"command") {
    if (step.device) {
      error = verb + L" takes no task";
      return false;
    }
    step.op = verb == L"eventsupport" ? ScriptStep::Op::kEventSupport : ScriptStep::Op::kCommand;
    return TakeName(verb, tokens, i, verb == L"command", step, error);
  }
  // Steps on the information interface: no block is sent, so neither a task nor the call
  // entry has a meaning for them.
  if (verb == L"seteventsupport" || verb == L"info" || verb == L"names") {
    if (step.device || step.via_entry) {
      error = verb + L" takes neither task nor entry";
      return false;
    }
    step.op = verb == L"names" ? ScriptStep::Op::kNames
              : verb == L"info" ? ScriptStep::Op::kInfo
                                : ScriptStep::Op::kSetEventSupport;
    return TakeName(verb, tokens, i, verb == L"names", step, error);
  }
  if (verb == L"call") step.kind = 1;
  else if (verb == L"get") step.kind = 2;
  else if (verb == L"set") step.kind = 3;
  else if (verb == L"kind") {
    if (!more()) {
      error = L"kind needs a number";
      return false;
    }
    wchar_t* end = nullptr;
    step.kind = static_cast<int32_t>(std::wcstol(tokens[i].c_str(), &end, 10));
    if (tokens[i].empty() || *end) {
      error = L"not a kind: " + tokens[i];
      return false;
    }
    ++i;
  } else {
    error = L"unknown word: " + verb;
    return false;
  }
  if (!more()) {
    error = verb + L" needs a name";
    return false;
  }
  step.name = tokens[i++];
  step.args.assign(tokens.begin() + i, tokens.end());
  if (verb == L"get" && !step.args.empty()) {
    error = L"get takes no arguments";
    return false;
  }
  if (verb == L"set" && step.args.size() != 1) {
    error = L"set takes one value";
    return false;
  }
  return true;
}

// A message of several lines (the argument-count error has four) with its later lines
// indented under the first, so that it stays apart from the next call's output.
std::wstring IndentedMessage(const std::wstring& text) {
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
    out += text[i];
    if (text[i] == L'\n' || text[i] == L'\r') {
      out.back() = L'\n';
      out += L"    ";
    }
  }
  return out;
}

void PrintOutcome(const CallOutcome& out, bool named, const std::function<void(std::wstring_view)>& print) {
  if (out.failed) {
    print(L"  failed: code " + std::to_wstring(out.code) + L": " + IndentedMessage(out.description));
  } else {
    print(std::wstring(L"  returned ") + (out.returned ? L"True" : L"False"));
  }
  auto lines = [&](const std::wstring& label, const HostVariant& v) {
    auto text = FormatValue(v.Get());
    print(L"  " + label + text[0]);
    for (size_t k = 1; k < text.size(); ++k) print(L"  " + text[k]);
  };
  if (named) {
    lines(L"result: ", out.result);
    for (size_t k = 0; k < out.args.size(); ++k) lines(L"argument " + std::to_wstring(k + 1) + L": ", out.args[k]);
  } else {
    for (size_t k = 0; k < out.values.size(); ++k) lines(L"value " + std::to_wstring(k) + L": ", out.values[k]);
  }
  if (out.keep_alive_calls) print(L"  keep-alive calls: " + std::to_wstring(out.keep_alive_calls));
}

// A step on IPluInfo; false when it failed.
bool RunInfoStep(Session& session, const ScriptStep& step, const std::wstring& where,
                 const std::function<void(std::wstring_view)>& print) {
  if (step.op == ScriptStep::Op::kNames) print(where + L"names " + step.name);
  else print(where + (step.op == ScriptStep::Op::kInfo ? L"info" : L"seteventsupport"));
  std::wstring failure;
  PluInfoClient info = session.Info(failure);
  if (!info.Get()) {
    print(L"  failed: GetPluInfo: " + failure);
    return false;
  }
  if (step.op == ScriptStep::Op::kSetEventSupport) {
    auto answer = info.SetEventSupport(session.EventSupport());
    print(L"  " + (answer.Ok() ? std::wstring(L"returned S_OK") : SlotFailureText(answer.hr, answer.message)));
    return answer.Ok();
  }
  ReportLines report = step.op == ScriptStep::Op::kInfo ? DescribePluInfo(info) : DescribeNames(info, step.name);
  for (const auto& line : report.lines) print(L"  " + line);
  return report.failures == 0;
}

}  // namespace

bool Tokenize(std::wstring_view line, std::vector<std::wstring>& tokens, std::wstring& error) {
  tokens.clear();
  std::wstring token;
  bool in_token = false, quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    wchar_t c = line[i];
    if (quoted) {
      if (c == L'"' && i + 1 < line.size() && line[i + 1] == L'"') {
        token += L'"';
        ++i;
      } else if (c == L'"') {
        quoted = false;
      } else {
        token += c;
      }
    } else if (c == L'"') {
      quoted = in_token = true;
    } else if (c == L' ' || c == L'\t' || c == L'\r') {
      if (in_token) tokens.push_back(std::move(token));
      token.clear();
      in_token = false;
    } else {
      token += c;
      in_token = true;
    }
  }
  if (quoted) {
    error = L"unclosed quote";
    return false;
  }
  if (in_token) tokens.push_back(std::move(token));
  return true;
}

bool ParseScript(std::wstring_view text, std::vector<ScriptStep>& steps, std::vector<std::wstring>& errors) {
  steps.clear();
  errors.clear();
  if (!text.empty() && text[0] == L'\xFEFF') text.remove_prefix(1);
  int number = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring_view::npos) end = text.size();
    std::wstring_view line = text.substr(start, end - start);
    start = end + 1;
    ++number;
    std::vector<std::wstring> tokens;
    std::wstring error;
    if (!Tokenize(line, tokens, error)) {
      errors.push_back(L"line " + std::to_wstring(number) + L": " + error);
      continue;
    }
    if (tokens.empty() || tokens[0][0] == L'#') continue;
    ScriptStep step;
    step.line = number;
    if (ParseLine(tokens, step, error)) steps.push_back(std::move(step));
    else errors.push_back(L"line " + std::to_wstring(number) + L": " + error);
  }
  return errors.empty();
}

int RunScript(Session& session, const std::vector<ScriptStep>& steps, const std::wstring& base_dir,
              const std::function<void(std::wstring_view)>& print) {
  int failed = 0;
  for (const auto& step : steps) {
    std::wstring where = L"line " + std::to_wstring(step.line) + L": ";
    if (step.op == ScriptStep::Op::kEventSupport) {
      print(where + L"eventsupport");
      CallOutcome out = session.SendEventSupport(step.via_entry);
      PrintOutcome(out, false, print);
      failed += out.failed;
      continue;
    }
    if (step.op == ScriptStep::Op::kSetEventSupport || step.op == ScriptStep::Op::kInfo ||
        step.op == ScriptStep::Op::kNames) {
      failed += RunInfoStep(session, step, where, print) ? 0 : 1;
      continue;
    }
    if (step.op == ScriptStep::Op::kCommand) {
      print(where + L"command " + step.name);
      CallOutcome out = session.Command(step.name, step.via_entry);
      PrintOutcome(out, false, print);
      failed += out.failed;
      continue;
    }
    CallRequest request;
    request.name = step.name;
    request.kind = step.kind;
    request.device = step.device;
    request.via_entry = step.via_entry;
    bool ok = true;
    for (const auto& token : step.args) {
      HostVariant value;
      std::wstring error;
      if (!ParseArgument(token, base_dir, value, error)) {
        print(where + L"argument error: " + error);
        ok = false;
        break;
      }
      request.args.push_back(std::move(value));
    }
    if (!ok) {
      ++failed;
      continue;
    }
    print(where + step.name + L" (kind " + std::to_wstring(step.kind) + L")");
    CallOutcome out = session.Call(request);
    PrintOutcome(out, true, print);
    failed += out.failed;
  }
  return failed;
}

}  // namespace pluhost
