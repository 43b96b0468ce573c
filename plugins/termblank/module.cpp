// The termblank module's own unit: its plug-in object, created when the library loads and freed
// when it unloads.
#include "dll_termblank.h"
#include "framework/core/call_entry.h"
#include "framework/core/plugin_unit.h"

namespace {

// The library's one plug-in object. The control object reads it through this variable's
// address, so it sees the object only while the variable holds it.
core::TDllObjectBase* plugin_object = nullptr;

core::TDllObjectBase* CreatePluginObject(core::TDllObjectBase* const* variable) {
  return new termblank::TDllTermblank(variable);
}

core::TPluginUnit plugin_unit(&plugin_object, &CreatePluginObject);

}  // namespace
