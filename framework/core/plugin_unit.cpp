// Load-time creation and unload-time release of the module's plug-in object.
#include "framework/core/plugin_unit.h"

namespace core {

TPluginUnit::TPluginUnit(TDllObjectBase** variable, PluginObjectFactory create) noexcept
    : variable_(variable) {
  if (!variable_ || *variable_ || !create) return;
  // This runs while the system loads the library: nothing may escape into the loader.
  try {
    *variable_ = create(variable_);
  } catch (...) {
    *variable_ = nullptr;
  }
}

TPluginUnit::~TPluginUnit() {
  if (!variable_) return;
  TDllObjectBase* object = *variable_;
  // Emptied first: while the object is being destroyed, GetDllObject must find nothing
  // rather than a half-destroyed object.
  *variable_ = nullptr;
  delete object;
}

}  // namespace core
