#pragma once
// What a fuzz target offers the project's driver (fuzz_driver.cpp), in the
// libFuzzer convention, and the one thing the driver offers back.
//
// Rules:
//  - LLVMFuzzerTestOneInput takes any bytes, answers 0 and must not keep
//    state between calls that changes what a later input does (shared
//    set-up made once in LLVMFuzzerInitialize is fine).
//  - A broken rule the sanitizers cannot see (a hang aside) is reported by
//    FuzzFail, which aborts with the reason: the driver saves the input.
//  - FuzzNoteOutcome tells the driver which way an input went (an error
//    reason, a result code, a state reached). The driver keeps every
//    mutated input that shows an outcome it had not seen for further
//    mutation: the guidance a driver without coverage can have.

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

void FuzzNoteOutcome(uint64_t outcome);

// A short text as an outcome (FNV-1a of its bytes, mixed with a salt that
// keeps outcomes of different kinds apart).
inline uint64_t FuzzOutcomeOf(std::string_view text, uint64_t salt = 0) {
    uint64_t hash = 0xcbf29ce484222325ULL ^ salt;
    for (const char c : text) {
        hash = (hash ^ static_cast<uint8_t>(c)) * 0x100000001b3ULL;
    }
    return hash;
}
inline void FuzzNote(std::string_view text, uint64_t value = 0) {
    FuzzNoteOutcome(FuzzOutcomeOf(text, value * 0x9E3779B97F4A7C15ULL));
}

// Prints "fuzz rule broken: <what>" and aborts.
[[noreturn]] void FuzzFail(const char* what);
