// One loaded plug-in driven call after call, with the host's event support and task objects,
// so that state carries from one call to the next.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "pluhost/lib/host_block.h"
#include "pluhost/lib/host_variant.h"
#include "pluhost/lib/plu_info_client.h"
#include "pluhost/lib/plugin_library.h"

namespace pluhost {

struct CallRequest {
  std::wstring name;
  // Value 2 of the block: 1 call, 2 read, 3 assign (other numbers pass through unchanged).
  int32_t kind = static_cast<int32_t>(CallKind::kMethod);
  std::vector<HostVariant> args;
  // When set, a "TInternalTask" addressing this device is the caller.
  std::optional<GUID> device;
  // Through the call entry (failures arrive as structured exceptions) instead of the guarded call.
  bool via_entry = false;
};

struct CallOutcome {
  bool returned = false;
  bool error = false;
  int32_t code = 0;
  std::wstring description;
  HostVariant result;
  // The arguments as the block holds them after the call: the plug-in writes changed
  // arguments back into the host's own storage.
  std::vector<HostVariant> args;
  // The values of a special command's block (for "__@@EventSupport": IPluNames).
  std::vector<HostVariant> values;
  // Calls of the task's keep-alive operation during the call.
  long keep_alive_calls = 0;
  // Failed: an error in the block or from the call entry, or (for a named call) a False return.
  bool failed = false;
};

class Session {
 public:
  explicit Session(const PluginLibrary& lib);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  CallOutcome Call(const CallRequest& request);
  // Several named calls in one chain of blocks (linked through Next), run as one call; one
  // outcome per block.
  std::vector<CallOutcome> CallChain(const std::vector<CallRequest>& requests);
  // A special command in the block's Name ("__FRee", "__Load", "__@@SwitchOff", ...).
  CallOutcome Command(std::wstring_view name, bool via_entry = false);
  // Hands the host's event support over through a "__@@EventSupport" block.
  CallOutcome SendEventSupport(bool via_entry = false);

  IUnknown* EventSupport() const { return event_support_; }
  // The module's IPluInfo through its control interface; empty with `failure` set when the
  // module gives none.
  PluInfoClient Info(std::wstring& failure) const { return PluInfoClient::Obtain(lib_.Control(), failure); }

 private:
  CallOutcome Run(HostBlock* block, const CallRequest* request, bool via_entry, const std::optional<GUID>& device,
                  std::vector<HostBlock*> blocks, std::vector<CallOutcome>* chain);

  const PluginLibrary& lib_;
  IUnknown* event_support_ = nullptr;
};

}  // namespace pluhost
