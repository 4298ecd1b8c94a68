// Character classes and width conversion of GBK text, and the sentence
// normalisation the lattice is built from: blanks dropped, ASCII letters
// upper-cased, every character made a two-byte full-width one.
#pragma once

#include <cstddef>

namespace zel {

// The normalisation work area and the sentence fields hold this many bytes.
constexpr size_t kSentenceSize = 51200;

// false (out empty) when nothing is left after dropping blanks.
bool NormalizeOneSentence(const char* in, char* out, int size);
// Half width to full width: blank -> A1A1, '$' -> A1E7, other printable
// ASCII b -> A3 (b + 0x80); control bytes, 0x7F and 0x80 dropped; two-byte
// characters copied; a lone lead byte at the end dropped. Stops at size - 2
// output bytes.
bool Banjiao2Quanjiao(const char* in, char* out, int size);
// Full width to half width: A3A1..A3FE, A1A1 and A1E7 converted, other
// two-byte characters and single bytes copied; false when the text held a
// byte pair that is not a two-byte character or ended in a lone lead byte.
bool Quanjiao2Banjiao(const char* in, char* out, int size);
// Bytes below 0x80 become A3 (b + 0x80), others are copied one by one, up to
// size / 2 output bytes; returns the byte length of in.
int half2Full(const char* in, char* out, int size);

// "Num", "Eng", "Punc", "HZ" or "Char" for the two-byte character at ch.
const char* GetCharType(const char* ch);
bool IsBiaoDian(const char* ch);
bool IsBiaodian_QJ(const unsigned char* ch);
bool IsDian_QJ(const unsigned char* ch);
bool IsNotHZ(const unsigned char* ch);
bool IsNumber_QJ(const unsigned char* ch);

// Reverses the order of the two-byte units in place; an odd last byte is
// dropped.
void ReverseSent(char* text);

}  // namespace zel
