#pragma once
// The engine's one message record and the numbers that travel in it: module
// ids, engine result codes, the core's own messages and the failure notices.
//
// Rules:
//  - Target 0 is the core itself; every other target is a module id.
//  - p is pointer-sized: it carries pointers to records and objects, and now
//    and then a plain number (see IntToMessageParam).
//  - A module's HandleMessage answers kEngineOk when it handled a message.

#include <cstdint>
#include <list>

struct ModuleMessage {
    int target = 0;
    int id = 0;
    void* p = nullptr;
    int n = 0;
};

// The core's list of posted messages, oldest first.
using PostedMessageList = std::list<ModuleMessage>;

// Packs a plain number into the pointer-sized argument, and reads it back.
inline void* IntToMessageParam(intptr_t value) {
    return reinterpret_cast<void*>(value);
}
inline intptr_t MessageParamToInt(const void* p) {
    return reinterpret_cast<intptr_t>(p);
}

// Module ids.
inline constexpr int kCoreTarget = 0;
inline constexpr int kResourceModuleId = 1001;
inline constexpr int kObjectModuleId = 1002;
inline constexpr int kPaintModuleId = 1003;
inline constexpr int kMusicModuleId = 1004;
inline constexpr int kInputModuleId = 1005;
inline constexpr int kFailureNoticeModuleId = 1010;

// Engine result codes.
inline constexpr int kEngineOk = 10000;
inline constexpr int kEngineInitFailed = -99997;
inline constexpr int kEngineNoSuchModule = -99998;
inline constexpr int kEngineDuplicateModule = -99999;

// Core messages (target 0). p points to an int module id, except for
// kCoreLoadModule, whose p is the module object itself.
inline constexpr int kCoreEnableModule = 1008;
inline constexpr int kCoreDisableModule = 1009;
inline constexpr int kCoreLoadModule = 1010;
inline constexpr int kCoreUnloadModule = 1011;

// Failure notices, sent to kFailureNoticeModuleId.
inline constexpr int kNoticeModuleFault = 1002;       // p: int* module id, or a static text
inline constexpr int kNoticeDuplicateModule = 1003;   // p: int* module id
inline constexpr int kNoticeInitFailed = 1004;        // p: int* module id
inline constexpr int kNoticeQueueOverflow = 1005;     // p: the module id as a number
inline constexpr int kNoticeUnsupportedDepth = 1006;  // p: none
