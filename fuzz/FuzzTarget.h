// What every fuzz target provides and may use. Each target defines LLVMFuzzerTestOneInput; under
// libFuzzer that is driven by mutation, in the normal build by ReplayMain over saved inputs.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace tarvosk::fuzz {

// Aborts with the message when a property every result must have does not hold, so the fuzzer
// (or the replay test) reports the input as a finding.
void require(bool holds, const char* property);

}  // namespace tarvosk::fuzz
