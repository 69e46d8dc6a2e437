#pragma once
// The two fixed vocabularies of the regional chat: the 77 emoticon codes
// ("#" and two double-byte characters, 5 GBK bytes each) that the players'
// chat bubbles show as pictures named "kof" + the two characters, and the
// nine spoken phrases of the voice box. Both are made before main, never
// change, and are reached by index; an index outside the table answers null.
// The emoticon codes are also handed to the side panel's emoticon table at
// start-up.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

inline constexpr size_t kEmoticonCodeCount = 77;
inline constexpr size_t kVoicePhraseCount = 9;

extern const std::array<const char*, kEmoticonCodeCount> g_EmoticonCodes;
extern const std::array<const char*, kVoicePhraseCount> g_VoicePhrases;

// Code index 0-76; null otherwise.
const char* GetEmoticonCode(int index);
// Phrase index 0-8 (the voice box's number less 1); null otherwise.
const char* GetVoicePhrase(int index);
// The index of the code the text starts with, or -1.
int FindEmoticonCodeAt(std::string_view text);
// The picture of a code: "kof" + the code without its "#"; empty for a text
// that is no code.
std::string EmoticonPictureName(std::string_view code);
