// Placeholder exports until the entry stubs are written.
#include <cstdint>
extern "C" int32_t Query() { return 0; }
extern "C" void PluginControl() {}
extern "C" void BeforeFreeLibrary() {}
