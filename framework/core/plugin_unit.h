// The plug-in module's own unit: the one plug-in object, created when the library loads and
// freed when it unloads.
#pragma once

#include "framework/core/plugin_control.h"

namespace core {

// Builds the plug-in object. `variable` is the module-wide variable that will hold it: the
// object passes that address on to its TPluginControl, which reads the object from there.
using PluginObjectFactory = TDllObjectBase* (*)(TDllObjectBase* const* variable);

// Each plug-in keeps one of these as a module-wide object next to its variable, so that the
// library's load constructs it and the library's unload destroys it.
class TPluginUnit {
 public:
  // Creates the object unless the variable already holds one. A failure is swallowed: the
  // variable stays empty and PluginControl hands out an empty interface, which is the only
  // sign the host receives.
  TPluginUnit(TDllObjectBase** variable, PluginObjectFactory create) noexcept;
  // Frees the object and empties the variable. The object's destructor takes down its control
  // object, which empties GlobalPluginControl.
  ~TPluginUnit();
  TPluginUnit(const TPluginUnit&) = delete;
  TPluginUnit& operator=(const TPluginUnit&) = delete;

 private:
  TDllObjectBase** variable_;
};

}  // namespace core
