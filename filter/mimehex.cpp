#include "filter/mimehex.h"

namespace Orvanta::Filter {

namespace {

constexpr std::array<unsigned char, 256> buildHexTable() {
    std::array<unsigned char, 256> table{};
    for (auto& value : table)
        value = 0x40;
    for (int c = '0'; c <= '9'; ++c)
        table[c] = static_cast<unsigned char>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c)
        table[c] = static_cast<unsigned char>(c - 'A' + 10);
    for (int c = 'a'; c <= 'f'; ++c)
        table[c] = static_cast<unsigned char>(c - 'a' + 10);
    return table;
}

} // namespace

const char hexChars[17] = "0123456789ABCDEF";

const std::array<unsigned char, 256> hexTable = buildHexTable();

MimeHex::MimeHex(char byte) {
    auto value = static_cast<unsigned char>(byte);
    _chars[0] = '=';
    _chars[1] = hexChars[value >> 4];
    _chars[2] = hexChars[value & 0x0f];
}

char MimeHex::byte() const {
    unsigned high = hexTable[static_cast<unsigned char>(_chars[1])];
    unsigned low = hexTable[static_cast<unsigned char>(_chars[2])];
    return static_cast<char>(((high * 16) & 0xff) | low);
}

} // namespace Orvanta::Filter
