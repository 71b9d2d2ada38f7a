#pragma once
// Base64 (RFC 4648, with padding), as the terminal graphics protocol
// carries its payloads.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Appends the encoding of `size` bytes to `out`.
void base64Append(const std::uint8_t* data, std::size_t size, std::string& out);
std::string base64Encode(std::string_view bytes);
// The bytes, or nothing when `text` is not padded base64.
std::optional<std::string> base64Decode(std::string_view text);
