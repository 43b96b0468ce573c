// The structured-exception frame of the host program, for the i686 frame chain at FS:[0].
#include "pluhost/lib/seh_call.h"

namespace {

struct Guard {
  DWORD code;
  pluhost::CaughtException* caught;
  pluhost::SehObserver observer;
  void* context;
};

// The registration record that pluhost_SehCall pushes; the system's part (next, handler)
// comes first, the rest is this frame's own.
struct Frame {
  Frame* next;
  void* handler;
  Guard* guard;
  DWORD saved_ebp;
};

}  // namespace

extern "C" {
int __cdecl pluhost_SehCall(pluhost::CallEntryProc entry, void* block, void* caller, Guard* guard);
EXCEPTION_DISPOSITION __cdecl pluhost_SehHandler(EXCEPTION_RECORD* record, void* frame, CONTEXT*,
                                                 void*);
}

// pluhost_SehCall(entry, block, caller, guard): registers a Frame on the stack, calls the
// stdcall entry, unregisters it and returns the entry's Boolean (0 or 1). The handler comes
// back through pluhost_SehLanding with the stack at the Frame, and the call returns -1. The
// stack pointer is restored from EBP after the call, so an entry that cleans up the wrong
// amount of stack cannot unbalance it.
asm(R"(
    .text
    .globl _pluhost_SehCall
_pluhost_SehCall:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    pushl %ebp
    pushl 20(%ebp)
    pushl $_pluhost_SehHandler
    pushl %fs:0
    movl %esp, %fs:0
    pushl 16(%ebp)
    pushl 12(%ebp)
    call *8(%ebp)
    leal -28(%ebp), %esp
    movzbl %al, %eax
pluhost_SehDone:
    movl (%esp), %ecx
    movl %ecx, %fs:0
    addl $16, %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
    .globl _pluhost_SehLanding
_pluhost_SehLanding:
    movl $-1, %eax
    jmp pluhost_SehDone
)");

extern "C" EXCEPTION_DISPOSITION __cdecl pluhost_SehHandler(EXCEPTION_RECORD* record,
                                                            void* frame, CONTEXT*, void*) {
  if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))
    return ExceptionContinueSearch;
  auto* f = static_cast<Frame*>(frame);
  Guard* guard = f->guard;
  if (record->ExceptionCode != guard->code) return ExceptionContinueSearch;
  pluhost::CaughtException& caught = *guard->caught;
  caught.code = record->ExceptionCode;
  caught.flags = record->ExceptionFlags;
  caught.argument_count = record->NumberParameters;
  for (DWORD i = 0; i < record->NumberParameters && i < EXCEPTION_MAXIMUM_PARAMETERS; ++i)
    caught.arguments[i] = record->ExceptionInformation[i];
  if (guard->observer) guard->observer(guard->context);
  // Runs the unwind handlers of every frame above ours and leaves FS:[0] at our Frame; then
  // execution resumes in pluhost_SehCall as if the entry had returned.
  RtlUnwind(frame, nullptr, record, nullptr);
  asm volatile(
      "movl %0, %%esp\n\t"
      "movl %1, %%ebp\n\t"
      "jmp _pluhost_SehLanding"
      :
      : "a"(f), "c"(f->saved_ebp)
      : "memory");
  __builtin_unreachable();
}

namespace pluhost {

bool CallCatching(CallEntryProc entry, void* block, void* caller, DWORD code, uint8_t& result,
                  CaughtException& caught, SehObserver observer, void* context) {
  Guard guard{code, &caught, observer, context};
  int outcome = pluhost_SehCall(entry, block, caller, &guard);
  if (outcome < 0) return true;
  result = static_cast<uint8_t>(outcome);
  return false;
}

}  // namespace pluhost
