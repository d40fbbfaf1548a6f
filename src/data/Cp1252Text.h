#pragma once

#include <cstdint>
#include <string>

// Code page 1252 is what the wizard's texts and file names are in at the
// customer's machine: every byte a character, five of them (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) unassigned.

// The Unicode code point of a cp1252 byte; 0 for the five unassigned bytes.
char32_t Cp1252ToCodePoint(unsigned char byte);

// The cp1252 byte for a code point; false when cp1252 has no such character.
bool CodePointToCp1252(char32_t codePoint, unsigned char& byte);

// Decodes one UTF-8 sequence at text[pos]; false for a malformed, overlong or
// truncated sequence or a surrogate. On success pos moves past it.
bool DecodeUtf8(const std::string& text, std::size_t& pos, char32_t& codePoint);

// A UTF-8 text in cp1252; false (out holds '?' in place of each character
// that has none) when the text is not valid UTF-8 or holds such a character.
bool Utf8ToCp1252(const std::string& utf8, std::string& out);

// cp1252 bytes as UTF-8, for showing on a UTF-8 terminal what the wizard
// shows; unassigned bytes become U+FFFD.
std::string Cp1252ToUtf8(const std::string& bytes);

// Upper-cases one cp1252 character the way a Windows file system compares
// names (ASCII letters and the accented Latin letters).
unsigned char FoldCp1252(unsigned char byte);
std::string FoldCp1252(const std::string& text);
