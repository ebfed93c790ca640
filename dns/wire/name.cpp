#include "dns/wire/name.h"

#include "dns/wire/reader.h"

#include <cctype>
#include <cstring>
#include <strings.h>

namespace DNS {

int encodeName(const char* name, unsigned char* out, size_t space) {
    unsigned char wire[255];
    size_t used = 0;
    const char* p = name;
    if (*p == '.' && p[1] == 0) ++p;
    while (*p) {
        size_t lengthAt = used++;
        size_t length = 0;
        while (*p && *p != '.') {
            unsigned value;
            if (*p == '\\') {
                ++p;
                if (std::isdigit((unsigned char)p[0]) && std::isdigit((unsigned char)p[1]) &&
                    std::isdigit((unsigned char)p[2])) {
                    value = (p[0] - '0') * 100 + (p[1] - '0') * 10 + (p[2] - '0');
                    if (value > 255) return -1;
                    p += 3;
                } else if (*p) {
                    value = (unsigned char)*p++;
                } else {
                    return -1;
                }
            } else {
                value = (unsigned char)*p++;
            }
            if (++length > 63 || used >= sizeof wire - 1) return -1;
            wire[used++] = (unsigned char)value;
        }
        if (length == 0) return -1; // an empty label: "a..b" or ".a"
        wire[lengthAt] = (unsigned char)length;
        if (*p == '.') ++p;
    }
    wire[used++] = 0;
    if (used > space) return -1;
    std::memcpy(out, wire, used);
    return int(used);
}

namespace {

// The next byte of a name in presentation form as its wire form holds it,
// stepping over it: an escape reads as the byte it stands for, an ASCII
// letter in lower case, a label separator as 256 (so "a\.b", one label,
// stays apart from "a.b"); -1 at the end, which a final separator is too.
int nextByte(const char*& at) {
    if (*at == 0) return -1;
    if (*at == '.') return *++at == 0 ? -1 : 256;
    int byte = (unsigned char)*at++;
    if (byte == '\\' && *at) {
        byte = (unsigned char)*at++;
        if (std::isdigit(byte) && std::isdigit((unsigned char)at[0]) && std::isdigit((unsigned char)at[1])) {
            int value = (byte - '0') * 100 + (at[0] - '0') * 10 + (at[1] - '0');
            if (value <= 255) {
                byte = value;
                at += 2;
            }
        }
    }
    return byte >= 'A' && byte <= 'Z' ? byte - 'A' + 'a' : byte;
}

} // namespace

int comparename(const char* a, const char* b) {
    for (;;) {
        int x = nextByte(a), y = nextByte(b);
        if (x != y || x < 0) return x - y;
    }
}

bool samename(const char* a, const char* b) {
    return comparename(a, b) == 0;
}

bool samename(const unsigned char* message, size_t size, size_t position, const unsigned char* wire) {
    size_t pointers = 0;
    for (;;) {
        if (position >= size) return false;
        unsigned length = message[position];
        if ((length & 0xc0) == 0xc0) {
            if (position + 1 >= size) return false;
            size_t target = (length & 0x3f) << 8 | message[position + 1];
            if (target >= position || ++pointers > Reader::maxPointers) return false;
            position = target;
            continue;
        }
        if (length != *wire || (length & 0xc0)) return false;
        if (length == 0) return true;
        if (position + 1 + length > size || strncasecmp(reinterpret_cast<const char*>(message + position + 1),
                                                        reinterpret_cast<const char*>(wire + 1), length) != 0)
            return false;
        position += length + 1;
        wire += length + 1;
    }
}

bool Compressor::same(size_t position, const unsigned char* wire) const {
    // Walks the name in the message (written by us, so well formed, but
    // bounded all the same) beside the wire form.
    size_t hops = 0;
    for (;;) {
        unsigned length = _message[position];
        if ((length & 0xc0) == 0xc0) {
            if (++hops > Reader::maxPointers) return false;
            position = (length & 0x3f) << 8 | _message[position + 1];
            continue;
        }
        if (length != *wire) return false;
        if (length == 0) return true;
        if (strncasecmp(reinterpret_cast<const char*>(_message + position + 1),
                        reinterpret_cast<const char*>(wire + 1), length) != 0)
            return false;
        position += length + 1;
        wire += length + 1;
    }
}

int Compressor::add(const char* name, unsigned char* destination, size_t space) {
    unsigned char wire[255];
    int size = encodeName(name, wire, sizeof wire);
    if (size < 0) return -1;
    // the longest suffix already in the message
    size_t at = 0, cut = size_t(size), target = 0;
    while (wire[at] != 0) {
        for (size_t i = 0; i < _count; ++i) {
            if (same(_known[i], wire + at)) {
                cut = at;
                target = _known[i];
                break;
            }
        }
        if (cut != size_t(size)) break;
        at += wire[at] + 1;
    }
    size_t needed = cut == size_t(size) ? cut : cut + 2;
    if (needed > space) return -1;
    std::memcpy(destination, wire, cut);
    if (cut != size_t(size)) {
        destination[cut] = (unsigned char)(0xc0 | target >> 8);
        destination[cut + 1] = (unsigned char)(target & 0xff);
    }
    // the labels written here become targets for later names
    size_t offset = size_t(destination - _message);
    for (size_t label = 0; label < cut && _count < sizeof _known / sizeof _known[0];
         label += wire[label] + 1) {
        if (offset + label < 0x4000) _known[_count++] = offset + label;
    }
    return int(needed);
}

void Compressor::forget(size_t offset) {
    size_t kept = 0;
    for (size_t i = 0; i < _count; ++i) {
        if (_known[i] < offset) _known[kept++] = _known[i];
    }
    _count = kept;
}

Decompressed::Decompressed(const unsigned char* message, const unsigned char* end,
                           const unsigned char* position) {
    Reader reader(message, size_t(end - message), size_t(position - message));
    _name = reader.name();
    _consumed = reader.position() - size_t(position - message);
}

} // namespace DNS
