#include "app/utf8.h"

#include <cstdint>
#include <cstring>

namespace
{
// UTF-8: the lead byte of a sequence tells its length, every further byte is a
// continuation; each length has a smallest code point, so shorter forms are invalid.
constexpr unsigned char kUtf8Continuation = 0x80, kUtf8TagMask = 0xc0;
constexpr unsigned char kUtf8Lead2 = 0xc0, kUtf8Lead3 = 0xe0, kUtf8Lead4 = 0xf0;
constexpr unsigned char kUtf8LastLead = 0xf4;
constexpr int kUtf8BitsPerByte = 6;
constexpr uint32_t kUtf8Smallest[] = {0, 0, 0x80, 0x800, 0x10000};
constexpr uint32_t kLastCodePoint = 0x10ffff, kFirstSurrogate = 0xd800, kLastSurrogate = 0xdfff;
} // namespace

bool isUtf8(const char* text)
{
    for (const auto* p = reinterpret_cast<const unsigned char*>(text); *p;)
    {
        if (*p < kUtf8Lead2)
        {
            if (*p >= kUtf8Continuation)
                return false; // a continuation byte without its lead
            ++p;
            continue;
        }
        const int length = *p >= kUtf8Lead4 ? 4 : *p >= kUtf8Lead3 ? 3 : 2;
        if (*p > kUtf8LastLead)
            return false;
        uint32_t code = *p & (0x7f >> length); // the lead's own bits
        for (int i = 1; i < length; ++i)
        {
            if ((p[i] & kUtf8TagMask) != kUtf8Continuation) // also the terminator
                return false;
            code = code << kUtf8BitsPerByte | (p[i] & ~kUtf8TagMask);
        }
        if (code < kUtf8Smallest[length] || code > kLastCodePoint ||
            (code >= kFirstSurrogate && code <= kLastSurrogate))
            return false;
        p += length;
    }
    return true;
}

size_t characterPrefix(const char* text, size_t maxBytes)
{
    size_t length = strnlen(text, maxBytes);
    if (length == maxBytes && isUtf8(text))
        while (length > 0 &&
               (static_cast<unsigned char>(text[length]) & kUtf8TagMask) == kUtf8Continuation)
            --length;
    return length;
}
