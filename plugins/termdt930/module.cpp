// The termdt930 module's own unit: its plug-in object, created when the library loads and freed
// when it unloads.
#include "framework/core/plugin_unit.h"

namespace {

// The library's one plug-in object. The control object reads it through this variable's
// address, so it sees the object only while the variable holds it.
core::TDllObjectBase* plugin_object = nullptr;

// The load-time creation hook. The plug-in object (the dispatcher with its method tables) is
// not part of the library yet, so nothing is created: PluginControl hands out an empty
// interface and a guarded call reports that no call handler is registered.
core::TDllObjectBase* CreatePluginObject(core::TDllObjectBase* const* variable) { return nullptr; }

core::TPluginUnit plugin_unit(&plugin_object, &CreatePluginObject);

}  // namespace
