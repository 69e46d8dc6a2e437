#pragma once
// Small free functions of the network library: text copying and splitting,
// paths, hex text, powers of two, the clock, random bytes and the
// operating-system version code.
//
// Results follow the library's rule: 1 for success and 0 for failure, or a
// count or value where said. Null pointers are refused, never followed.

#include <cstddef>
#include <cstdint>
#include <string>

// Path parts for ZepSplitPath's mask.
inline constexpr int kZepPathDrive = 1;
inline constexpr int kZepPathFolder = 2;
inline constexpr int kZepPathTitle = 4;
inline constexpr int kZepPathExtension = 8;

// Copies source into destination: the whole string with its zero when length
// is -1, else exactly strncpy's length bytes (zero padding, no terminator when
// the source is as long or longer). Nothing for null pointers or a negative
// length other than -1.
void ZepSafeStrCopy(char* destination, const char* source, int length);

// The parts of the path chosen by the mask (kZepPath*), in order drive,
// folder, title, extension. Both '\' and '/' separate folders; the folder
// keeps its trailing separator. Empty for a null path.
std::string ZepSplitPath(const char* path, int mask);

// The running program's folder with a trailing '/'.
std::string ZepGetExeDir();

// 1 when the path exists and is a folder (wantDirectory nonzero) or a file
// (wantDirectory 0); a name that differs only in case is found. No wildcards.
int ZepFileExists(const char* path, int wantDirectory);

// Appends each byte as two lowercase hex digits; nothing for a count below 1
// or null bytes.
void ZepBinToHex(const void* bytes, int count, std::string& text);

// floor(log2 n) for n >= 2, else 0.
int ZepGetFloorLog2(uint32_t n);
// 2 to the n; 1 for n < 1; 0 when the power does not fit (n > 31).
uint32_t ZepGetPowerOfTwo(int n);

// The current time as seconds since 1970-01-01 UTC, in 32 bits.
uint32_t ZepGetCurrentTime();

// Fills n bytes from the system's random source. 1 on success (also for
// n = 0), 0 when the source fails or out is null.
int ZepGenRandomBytes(void* out, size_t n);

// When text is empty, writes 30 random lowercase hex digits and a zero (31
// bytes) into it and returns 1; otherwise (or for null text, or when the
// random source fails) leaves it and returns 0.
int ZepFillRandomHexIfEmpty(char* text);

// Splits text in place at each '|' (which becomes a zero byte) into at most
// max fields, storing a pointer to each in fields. When max fields are taken
// and a '|' still follows, *rest points behind it, else *rest is null. Returns
// the number of fields: 0 for null text (or max < 1), 1 for an empty text; a
// trailing '|' gives an empty last field. rest may be null.
int ZepSplitBar(char* text, char** fields, int max, char** rest);

// Stores the operating-system version code (worked out once per process) and
// returns 1; 0 for a null out.
int ZepGetOsVersionCode(uint32_t* out);
