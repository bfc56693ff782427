// Processor faults in the program's own code (an access violation, an integer division by
// zero) become C++ failures thrown where the fault happened, so they take the road of every
// other failure: unwinding runs the destructors, and the window procedure's catch hands them to
// the failure handler. And every failure can tell the code address where it was raised.
//
// Needs: the program compiled with -fnon-call-exceptions (so that a faulting instruction can
// throw) and linked with -Wl,--wrap=__cxa_throw (the throw sites), as the build sets them.
#pragma once

#include <cstdint>

#include "core/errors.h"

namespace palimp {

// A fault of the processor, with its exception code and the address of the faulting
// instruction.
class EProcessorFault : public Exception {
public:
    EProcessorFault(std::u16string message, std::uint32_t code, std::uint32_t address)
        : Exception(std::move(message)), code_(code), address_(address) {}
    bool HasErrorCode() const noexcept override { return true; }
    unsigned long ErrorCode() const noexcept override { return code_; }
    std::uint32_t FaultAddress() const noexcept { return address_; }

private:
    std::uint32_t code_;
    std::uint32_t address_;
};

// "Access violation at address 0040A1B2. Write of address 00000000"
class EAccessViolation : public EProcessorFault {
public:
    using EProcessorFault::EProcessorFault;
    const char* ClassName() const noexcept override { return "EAccessViolation"; }
};

// An integer division by zero ("Division by zero"), code C0000094.
class EDivByZeroFault : public EProcessorFault {
public:
    EDivByZeroFault(std::uint32_t code, std::uint32_t address)
        : EProcessorFault(u"Division by zero", code, address) {}
    const char* ClassName() const noexcept override { return "EDivByZero"; }
};

// Turns processor faults of this module into EAccessViolation and EDivByZeroFault from now on.
// Faults elsewhere (system libraries) and faults during unwinding are left to the system.
void InstallProcessorFaults();

// The code address where failure was raised: the faulting instruction of a processor fault,
// else the place of the throw; 0 when it is not known. Addresses inside the program are given
// as if the program were loaded at its preferred base 00400000, so that the same place gives
// the same address in every run.
std::uint32_t FailureAddress(const Exception& failure);

}  // namespace palimp
