#pragma once
// What a routine's SARIF fingerprint is made of: the lower case of its
// names as Unicode gives it (every letter that has a lower-case form, not
// only those of the Windows code pages), and the SHA-256 digest of that text.
// Fingerprints are stored in users' baselines: both must give the same
// bytes in every version.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qv::cli {

// UTF-8 text in lower case, character by character (U+0130, the dotted
// capital I, becomes "i" and a combining dot above). A byte that is not
// part of valid UTF-8 becomes U+FFFD.
std::string UnicodeLower(std::string_view utf8);

// The SHA-256 digest of the bytes.
std::array<std::uint8_t, 32> Sha256(std::string_view bytes);

// The digest as lower-case hexadecimal (of its first bytes only, when
// fewer are asked for).
std::string HexDigits(const std::array<std::uint8_t, 32>& digest, size_t bytes = 32);

}  // namespace qv::cli
