// The library's own unit: what it creates when it loads and frees when it unloads.
//
// The plug-in object (the dispatcher with its method tables) is not part of the library yet:
// the library loads without one, so PluginControl hands out an empty interface and a
// guarded call reports that no call handler is registered.
