#pragma once
// Small text helpers of the engine. Texts are GBK bytes: a byte of 0x80 or
// more starts a double-byte character whose second byte is never changed.

#include <string>
#include <string_view>
#include <vector>

// A-Z become a-z in place; the trail byte of a double-byte character is left
// alone. Stops at the terminating zero even after a lone lead byte.
void ToLowerAscii(char* text);
void ToLowerAscii(std::string& text);

// The text strictly between the first and the last double quote; the text
// itself when it holds fewer than two double quotes.
std::string StripQuotes(std::string_view text);

// Replaces pieces with the text cut at every comma and returns their count.
// Pieces are not trimmed and may be empty; the rest after the last comma is
// a piece only when it is not empty, so "" gives 0, "a," gives 1, ",a" 2.
int SplitByComma(std::string_view text, std::vector<std::string>& pieces);
