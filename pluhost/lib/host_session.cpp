// Running named calls and special commands on a loaded plug-in.
#include "pluhost/lib/host_session.h"

#include "pluhost/lib/host_event_support.h"
#include "pluhost/lib/host_task.h"

namespace pluhost {
namespace {

HostBlock* BlockFor(const CallRequest& request) {
  HostBlock* block = NewCallBlock(request.name, static_cast<CallKind>(request.kind));
  // Own storage: the values stand by value, and the plug-in's writes land in them directly.
  for (const auto& arg : request.args) AddValue(block, arg.Get());
  return block;
}

void ReadBack(const HostBlock* block, bool named, CallOutcome& out) {
  out.error = block->Error != 0;
  out.code = block->Code;
  if (block->Description.vt == VT_BSTR && block->Description.bstrVal)
    out.description.assign(block->Description.bstrVal, SysStringLen(block->Description.bstrVal));
  int count = ValueCount(block);
  for (int i = 0; i < count; ++i) {
    HostVariant v(*ValueAt(block, i));
    if (!named) out.values.push_back(v);
    else if (i == 0) out.result = v;
    else if (i >= 3) out.args.push_back(v);
  }
}

}  // namespace

Session::Session(const PluginLibrary& lib) : lib_(lib), event_support_(NewHostEventSupport()) {}

Session::~Session() {
  if (event_support_) event_support_->Release();
}

CallOutcome Session::Run(HostBlock* block, const CallRequest* request, bool via_entry,
                         const std::optional<GUID>& device, std::vector<HostBlock*> blocks,
                         std::vector<CallOutcome>* chain) {
  CallOutcome out;
  HostTask* task = device ? NewHostTask(*device) : nullptr;
  bool raised = false;
  int32_t raised_code = 0;
  std::wstring raised_text;
  if (via_entry) {
    CallEntryProc entry = nullptr;
    if (!lib_.Control() || FAILED(lib_.Control()->GetCallEntry(&entry)) || !entry) {
      out.error = out.failed = true;
      out.description = L"the module gives no call entry";
      DestroyTask(task);
      DestroyBlock(block);
      return out;
    }
    CallEntryOutcome entry_out = PluginLibrary::RunCallEntry(entry, block, task);
    out.returned = entry_out.result != 0;
    raised = entry_out.raised;
    raised_code = entry_out.code;
    raised_text = entry_out.message;
  } else {
    out.returned = lib_.RunGuarded(block, task);
  }
  if (task) out.keep_alive_calls = task->KeepAliveCalls;
  bool named = request != nullptr;
  ReadBack(block, named, out);
  if (raised) {
    out.error = true;
    out.code = raised_code;
    out.description = raised_text;
  }
  out.failed = out.error || (named && !out.returned);
  if (chain) {
    for (HostBlock* b : blocks) {
      CallOutcome each;
      ReadBack(b, true, each);
      each.returned = out.returned;
      each.failed = each.error;
      chain->push_back(std::move(each));
    }
  }
  DestroyTask(task);
  DestroyBlock(block);
  return out;
}

CallOutcome Session::Call(const CallRequest& request) {
  return Run(BlockFor(request), &request, request.via_entry, request.device, {}, nullptr);
}

std::vector<CallOutcome> Session::CallChain(const std::vector<CallRequest>& requests) {
  std::vector<CallOutcome> outcomes;
  if (requests.empty()) return outcomes;
  std::vector<HostBlock*> blocks;
  for (const auto& r : requests) {
    blocks.push_back(BlockFor(r));
    if (blocks.size() > 1) blocks[blocks.size() - 2]->Next = blocks.back();
  }
  // The head's destruction takes the rest of the chain with it.
  CallOutcome head = Run(blocks[0], &requests[0], requests[0].via_entry, requests[0].device, blocks, &outcomes);
  if (head.error && !outcomes.empty()) {
    outcomes[0].error = outcomes[0].failed = true;
    outcomes[0].code = head.code;
    outcomes[0].description = head.description;
  }
  return outcomes;
}

CallOutcome Session::Command(std::wstring_view name, bool via_entry) {
  return Run(NewHostBlock(name), nullptr, via_entry, std::nullopt, {}, nullptr);
}

CallOutcome Session::SendEventSupport(bool via_entry) {
  HostBlock* block = NewHostBlock(L"__@@EventSupport");
  // The block holds its own reference; its destruction releases it.
  event_support_->AddRef();
  block->EventSupport = event_support_;
  return Run(block, nullptr, via_entry, std::nullopt, {}, nullptr);
}

}  // namespace pluhost
