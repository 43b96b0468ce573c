// The body of the guarded call: the exception-safe form of the call entry, which the host
// reaches through an entry stub placed relative to the Query export.
#pragma once

#include <cstdint>

#include "framework/automation/params.h"

// Runs the registered call handler on the block. Whatever fails is recorded in the block
// (Error, Code, Source, Description) and the result is 0; nothing escapes to the host. A null
// block is left alone and the result is 1.
extern "C" uint8_t __stdcall GuardedCallBody(automation::TParams* block, void* caller) noexcept;
