// A vectored exception handler that makes a fault a C++ throw from the faulting instruction; and
// the throw sites of C++ exceptions, recorded by a wrapper of __cxa_throw.
//
// How the throw starts depends on how the build unwinds:
// - x86_64 unwinds with the system's own tables, which also describe the exception dispatcher's
//   frames: the handler throws, and the unwinding passes through the dispatcher into the faulting
//   function.
// - i686 unwinds with the compiler's tables, which know nothing of the system's frames: the
//   handler resumes the thread in a function that throws, as if the faulting instruction had
//   called it.
#include "win/system/processor_faults.h"

#include <windows.h>

#include <cstdio>
#include <exception>
#include <typeinfo>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace palimp {

namespace {

constexpr std::uint32_t kPreferredBase = 0x00400000;

struct PendingFault {
    std::uint32_t code = 0;
    std::uintptr_t address = 0;
    std::uint32_t accessKind = 0;     // access violations: 0 read, 1 write, 8 execute
    std::uint32_t accessAddress = 0;
};
thread_local PendingFault pendingFault;

std::uintptr_t ImageBase() { return reinterpret_cast<std::uintptr_t>(&__ImageBase); }

bool InOurModule(std::uintptr_t address) {
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(ImageBase() + __ImageBase.e_lfanew);
    return address >= ImageBase() && address < ImageBase() + nt->OptionalHeader.SizeOfImage;
}

std::uint32_t Normalized(std::uintptr_t address) {
    if (!InOurModule(address)) return static_cast<std::uint32_t>(address);
    return static_cast<std::uint32_t>(address - ImageBase() + kPreferredBase);
}

std::u16string Hex8(std::uint32_t value) {
    char digits[12] = {};
    std::snprintf(digits, sizeof digits, "%08X", static_cast<unsigned>(value));
    return FromUtf8(digits);
}

}  // namespace

// Entered as if called from the faulting instruction: the return address on the stack is the
// faulting address + 1 (the unwinder looks up the address before a return address).
extern "C" [[noreturn]] __attribute__((used)) void PalimpThrowPendingFault() {
    const PendingFault fault = pendingFault;
    std::uint32_t address = Normalized(fault.address);
    if (fault.code == EXCEPTION_INT_DIVIDE_BY_ZERO) throw EDivByZeroFault(fault.code, address);
    const char16_t* kind = fault.accessKind == 1 ? u"Write" : fault.accessKind == 8 ? u"Execution" : u"Read";
    throw EAccessViolation(u"Access violation at address " + Hex8(address) + u". " + kind + u" of address " +
                               Hex8(fault.accessAddress),
                           fault.code, address);
}

}  // namespace palimp

// The thread resumes here with ECX = faulting address + 1 and ESP as at the fault. The return
// address is pushed here, not written by the handler: the system's exception records lie just
// below the faulting stack pointer while the handler runs.
#if !defined(__x86_64__)
asm(".text\n"
    ".globl _PalimpFaultTrampoline\n"
    "_PalimpFaultTrampoline:\n"
    "    pushl %ecx\n"
    "    jmp _PalimpThrowPendingFault\n");
extern "C" void PalimpFaultTrampoline();
#endif

namespace palimp {

namespace {

LONG CALLBACK OnProcessorFault(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    const DWORD code = record->ExceptionCode;
    if (code != EXCEPTION_ACCESS_VIOLATION && code != EXCEPTION_INT_DIVIDE_BY_ZERO) return EXCEPTION_CONTINUE_SEARCH;
    auto address = reinterpret_cast<std::uintptr_t>(record->ExceptionAddress);
    if (!InOurModule(address)) return EXCEPTION_CONTINUE_SEARCH;
    // A fault while a failure is already unwinding cannot become another one.
    if (std::uncaught_exceptions() > 0) return EXCEPTION_CONTINUE_SEARCH;
    bool access = code == EXCEPTION_ACCESS_VIOLATION;
    pendingFault = {code, address,
                    access ? static_cast<std::uint32_t>(record->ExceptionInformation[0]) : 0,
                    access ? static_cast<std::uint32_t>(record->ExceptionInformation[1]) : 0};
#if defined(__x86_64__)
    PalimpThrowPendingFault();
#else
    CONTEXT* context = info->ContextRecord;
    context->Ecx = context->Eip + 1;
    context->Eip = reinterpret_cast<std::uintptr_t>(&PalimpFaultTrampoline);
    return EXCEPTION_CONTINUE_EXECUTION;
#endif
}

struct ThrowSite {
    const void* object = nullptr;
    std::uint32_t address = 0;
};
constexpr unsigned kThrowSites = 8;
thread_local ThrowSite throwSites[kThrowSites];
thread_local unsigned nextThrowSite = 0;

}  // namespace

void InstallProcessorFaults() {
    static bool installed = false;
    if (installed) return;
    installed = AddVectoredExceptionHandler(1, OnProcessorFault) != nullptr;
}

std::uint32_t FailureAddress(const Exception& failure) {
    if (auto* fault = dynamic_cast<const EProcessorFault*>(&failure)) return fault->FaultAddress();
    // Newest first: a freed exception object's place is soon taken by the next one.
    const void* object = dynamic_cast<const void*>(&failure);
    for (unsigned i = 1; i <= kThrowSites; ++i) {
        const ThrowSite& site = throwSites[(nextThrowSite - i) % kThrowSites];
        if (site.object == object) return site.address;
    }
    return 0;
}

// Every throw of the program passes here (-Wl,--wrap=__cxa_throw): the return address of the
// call lies in the throwing function.
extern "C" [[noreturn]] void __real___cxa_throw(void*, std::type_info*, void (*)(void*));
extern "C" [[noreturn]] void __wrap___cxa_throw(void* object, std::type_info* type, void (*destroy)(void*)) {
    throwSites[nextThrowSite++ % kThrowSites] = {
        object, Normalized(reinterpret_cast<std::uintptr_t>(__builtin_return_address(0)))};
    __real___cxa_throw(object, type, destroy);
}

}  // namespace palimp
