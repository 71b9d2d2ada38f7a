#include "platform/base64.h"

#include <array>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Two output characters for every 12 bits: half the lookups of one per 6
// bits, and a whole frame is a quarter of a megabyte of them.
struct PairTable {
    std::array<char, 4096 * 2> chars{};
    PairTable() {
        for (int i = 0; i < 4096; ++i) {
            chars[2 * i] = kAlphabet[i >> 6];
            chars[2 * i + 1] = kAlphabet[i & 63];
        }
    }
};

int valueOf(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

}  // namespace

void base64Append(const std::uint8_t* data, std::size_t size, std::string& out) {
    static const PairTable table;
    const std::size_t start = out.size();
    out.resize(start + (size + 2) / 3 * 4);
    char* at = out.data() + start;
    std::size_t i = 0;
    for (; i + 3 <= size; i += 3) {
        const std::uint32_t bits = std::uint32_t{data[i]} << 16 | std::uint32_t{data[i + 1]} << 8 | data[i + 2];
        const char* high = &table.chars[2 * (bits >> 12)];
        const char* low = &table.chars[2 * (bits & 4095)];
        at[0] = high[0];
        at[1] = high[1];
        at[2] = low[0];
        at[3] = low[1];
        at += 4;
    }
    if (i < size) {
        const std::uint32_t bits = std::uint32_t{data[i]} << 16 | (i + 1 < size ? std::uint32_t{data[i + 1]} << 8 : 0);
        at[0] = kAlphabet[bits >> 18];
        at[1] = kAlphabet[(bits >> 12) & 63];
        at[2] = i + 1 < size ? kAlphabet[(bits >> 6) & 63] : '=';
        at[3] = '=';
    }
}

std::string base64Encode(std::string_view bytes) {
    std::string out;
    base64Append(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), out);
    return out;
}

std::optional<std::string> base64Decode(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;
    std::string out;
    out.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        const int padding = last ? (text[i + 3] == '=') + (text[i + 2] == '=') : 0;
        std::uint32_t bits = 0;
        for (int k = 0; k < 4; ++k) {
            const int value = k >= 4 - padding ? 0 : valueOf(text[i + k]);
            if (value < 0) return std::nullopt;
            bits = bits << 6 | static_cast<std::uint32_t>(value);
        }
        out += static_cast<char>(bits >> 16);
        if (padding < 2) out += static_cast<char>(bits >> 8 & 0xFF);
        if (padding < 1) out += static_cast<char>(bits & 0xFF);
    }
    return out;
}
