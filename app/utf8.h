// Text encoding: names are UTF-8 when their bytes are valid UTF-8, Latin-1 otherwise.
#pragma once

#include <cstddef>

// Whether the bytes are valid UTF-8: no stray, missing, overlong or surrogate
// sequences, nothing past U+10FFFF.
bool isUtf8(const char* text);

// The length of the longest start of text of at most maxBytes bytes that ends on a
// character's boundary: in UTF-8 before a character that would not fit whole, in
// Latin-1 after any byte.
size_t characterPrefix(const char* text, size_t maxBytes);
