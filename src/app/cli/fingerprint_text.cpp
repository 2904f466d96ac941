#include "app/cli/fingerprint_text.h"

#include <algorithm>
#include <cstring>

#include "platform/unicode_text.h"

namespace qv::cli {

namespace {

// Runs of characters whose lower case lies delta away: first, first + step,
// ..., last.
struct LowerRun {
    char32_t first;
    char32_t last;
    std::int32_t delta;
    std::int32_t step;
};

// The one-to-one lower-case mappings of Unicode, sorted.
constexpr LowerRun kLowerRuns[] = {
    {0xC0, 0xD6, 32, 1},
    {0xD8, 0xDE, 32, 1},
    {0x100, 0x12E, 1, 2},
    {0x132, 0x136, 1, 2},
    {0x139, 0x147, 1, 2},
    {0x14A, 0x176, 1, 2},
    {0x178, 0x178, -121, 1},
    {0x179, 0x17D, 1, 2},
    {0x181, 0x181, 210, 1},
    {0x182, 0x184, 1, 2},
    {0x186, 0x186, 206, 1},
    {0x187, 0x187, 1, 1},
    {0x189, 0x18A, 205, 1},
    {0x18B, 0x18B, 1, 1},
    {0x18E, 0x18E, 79, 1},
    {0x18F, 0x18F, 202, 1},
    {0x190, 0x190, 203, 1},
    {0x191, 0x191, 1, 1},
    {0x193, 0x193, 205, 1},
    {0x194, 0x194, 207, 1},
    {0x196, 0x196, 211, 1},
    {0x197, 0x197, 209, 1},
    {0x198, 0x198, 1, 1},
    {0x19C, 0x19C, 211, 1},
    {0x19D, 0x19D, 213, 1},
    {0x19F, 0x19F, 214, 1},
    {0x1A0, 0x1A4, 1, 2},
    {0x1A6, 0x1A6, 218, 1},
    {0x1A7, 0x1A7, 1, 1},
    {0x1A9, 0x1A9, 218, 1},
    {0x1AC, 0x1AC, 1, 1},
    {0x1AE, 0x1AE, 218, 1},
    {0x1AF, 0x1AF, 1, 1},
    {0x1B1, 0x1B2, 217, 1},
    {0x1B3, 0x1B5, 1, 2},
    {0x1B7, 0x1B7, 219, 1},
    {0x1B8, 0x1B8, 1, 1},
    {0x1BC, 0x1BC, 1, 1},
    {0x1C4, 0x1C4, 2, 1},
    {0x1C5, 0x1C5, 1, 1},
    {0x1C7, 0x1C7, 2, 1},
    {0x1C8, 0x1C8, 1, 1},
    {0x1CA, 0x1CA, 2, 1},
    {0x1CB, 0x1DB, 1, 2},
    {0x1DE, 0x1EE, 1, 2},
    {0x1F1, 0x1F1, 2, 1},
    {0x1F2, 0x1F4, 1, 2},
    {0x1F6, 0x1F6, -97, 1},
    {0x1F7, 0x1F7, -56, 1},
    {0x1F8, 0x21E, 1, 2},
    {0x220, 0x220, -130, 1},
    {0x222, 0x232, 1, 2},
    {0x23A, 0x23A, 10795, 1},
    {0x23B, 0x23B, 1, 1},
    {0x23D, 0x23D, -163, 1},
    {0x23E, 0x23E, 10792, 1},
    {0x241, 0x241, 1, 1},
    {0x243, 0x243, -195, 1},
    {0x244, 0x244, 69, 1},
    {0x245, 0x245, 71, 1},
    {0x246, 0x24E, 1, 2},
    {0x370, 0x372, 1, 2},
    {0x376, 0x376, 1, 1},
    {0x37F, 0x37F, 116, 1},
    {0x386, 0x386, 38, 1},
    {0x388, 0x38A, 37, 1},
    {0x38C, 0x38C, 64, 1},
    {0x38E, 0x38F, 63, 1},
    {0x391, 0x3A1, 32, 1},
    {0x3A3, 0x3AB, 32, 1},
    {0x3CF, 0x3CF, 8, 1},
    {0x3D8, 0x3EE, 1, 2},
    {0x3F4, 0x3F4, -60, 1},
    {0x3F7, 0x3F7, 1, 1},
    {0x3F9, 0x3F9, -7, 1},
    {0x3FA, 0x3FA, 1, 1},
    {0x3FD, 0x3FF, -130, 1},
    {0x400, 0x40F, 80, 1},
    {0x410, 0x42F, 32, 1},
    {0x460, 0x480, 1, 2},
    {0x48A, 0x4BE, 1, 2},
    {0x4C0, 0x4C0, 15, 1},
    {0x4C1, 0x4CD, 1, 2},
    {0x4D0, 0x52E, 1, 2},
    {0x531, 0x556, 48, 1},
    {0x10A0, 0x10C5, 7264, 1},
    {0x10C7, 0x10C7, 7264, 1},
    {0x10CD, 0x10CD, 7264, 1},
    {0x13A0, 0x13EF, 38864, 1},
    {0x13F0, 0x13F5, 8, 1},
    {0x1C90, 0x1CBA, -3008, 1},
    {0x1CBD, 0x1CBF, -3008, 1},
    {0x1E00, 0x1E94, 1, 2},
    {0x1E9E, 0x1E9E, -7615, 1},
    {0x1EA0, 0x1EFE, 1, 2},
    {0x1F08, 0x1F0F, -8, 1},
    {0x1F18, 0x1F1D, -8, 1},
    {0x1F28, 0x1F2F, -8, 1},
    {0x1F38, 0x1F3F, -8, 1},
    {0x1F48, 0x1F4D, -8, 1},
    {0x1F59, 0x1F5F, -8, 2},
    {0x1F68, 0x1F6F, -8, 1},
    {0x1F88, 0x1F8F, -8, 1},
    {0x1F98, 0x1F9F, -8, 1},
    {0x1FA8, 0x1FAF, -8, 1},
    {0x1FB8, 0x1FB9, -8, 1},
    {0x1FBA, 0x1FBB, -74, 1},
    {0x1FBC, 0x1FBC, -9, 1},
    {0x1FC8, 0x1FCB, -86, 1},
    {0x1FCC, 0x1FCC, -9, 1},
    {0x1FD8, 0x1FD9, -8, 1},
    {0x1FDA, 0x1FDB, -100, 1},
    {0x1FE8, 0x1FE9, -8, 1},
    {0x1FEA, 0x1FEB, -112, 1},
    {0x1FEC, 0x1FEC, -7, 1},
    {0x1FF8, 0x1FF9, -128, 1},
    {0x1FFA, 0x1FFB, -126, 1},
    {0x1FFC, 0x1FFC, -9, 1},
    {0x2126, 0x2126, -7517, 1},
    {0x212A, 0x212A, -8383, 1},
    {0x212B, 0x212B, -8262, 1},
    {0x2132, 0x2132, 28, 1},
    {0x2160, 0x216F, 16, 1},
    {0x2183, 0x2183, 1, 1},
    {0x24B6, 0x24CF, 26, 1},
    {0x2C00, 0x2C2F, 48, 1},
    {0x2C60, 0x2C60, 1, 1},
    {0x2C62, 0x2C62, -10743, 1},
    {0x2C63, 0x2C63, -3814, 1},
    {0x2C64, 0x2C64, -10727, 1},
    {0x2C67, 0x2C6B, 1, 2},
    {0x2C6D, 0x2C6D, -10780, 1},
    {0x2C6E, 0x2C6E, -10749, 1},
    {0x2C6F, 0x2C6F, -10783, 1},
    {0x2C70, 0x2C70, -10782, 1},
    {0x2C72, 0x2C72, 1, 1},
    {0x2C75, 0x2C75, 1, 1},
    {0x2C7E, 0x2C7F, -10815, 1},
    {0x2C80, 0x2CE2, 1, 2},
    {0x2CEB, 0x2CED, 1, 2},
    {0x2CF2, 0x2CF2, 1, 1},
    {0xA640, 0xA66C, 1, 2},
    {0xA680, 0xA69A, 1, 2},
    {0xA722, 0xA72E, 1, 2},
    {0xA732, 0xA76E, 1, 2},
    {0xA779, 0xA77B, 1, 2},
    {0xA77D, 0xA77D, -35332, 1},
    {0xA77E, 0xA786, 1, 2},
    {0xA78B, 0xA78B, 1, 1},
    {0xA78D, 0xA78D, -42280, 1},
    {0xA790, 0xA792, 1, 2},
    {0xA796, 0xA7A8, 1, 2},
    {0xA7AA, 0xA7AA, -42308, 1},
    {0xA7AB, 0xA7AB, -42319, 1},
    {0xA7AC, 0xA7AC, -42315, 1},
    {0xA7AD, 0xA7AD, -42305, 1},
    {0xA7AE, 0xA7AE, -42308, 1},
    {0xA7B0, 0xA7B0, -42258, 1},
    {0xA7B1, 0xA7B1, -42282, 1},
    {0xA7B2, 0xA7B2, -42261, 1},
    {0xA7B3, 0xA7B3, 928, 1},
    {0xA7B4, 0xA7C2, 1, 2},
    {0xA7C4, 0xA7C4, -48, 1},
    {0xA7C5, 0xA7C5, -42307, 1},
    {0xA7C6, 0xA7C6, -35384, 1},
    {0xA7C7, 0xA7C9, 1, 2},
    {0xA7D0, 0xA7D0, 1, 1},
    {0xA7D6, 0xA7D8, 1, 2},
    {0xA7F5, 0xA7F5, 1, 1},
    {0xFF21, 0xFF3A, 32, 1},
    {0x10400, 0x10427, 40, 1},
    {0x104B0, 0x104D3, 40, 1},
    {0x10570, 0x1057A, 39, 1},
    {0x1057C, 0x1058A, 39, 1},
    {0x1058C, 0x10592, 39, 1},
    {0x10594, 0x10595, 39, 1},
    {0x10C80, 0x10CB2, 64, 1},
    {0x118A0, 0x118BF, 32, 1},
    {0x16E40, 0x16E5F, 32, 1},
    {0x1E900, 0x1E921, 34, 1},};

char32_t LowerOf(char32_t c) {
    if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 0x20 : c;
    const auto* run = std::upper_bound(std::begin(kLowerRuns), std::end(kLowerRuns), c,
                                       [](char32_t value, const LowerRun& r) { return value < r.first; });
    if (run == std::begin(kLowerRuns)) return c;
    --run;
    if (c > run->last || (c - run->first) % static_cast<char32_t>(run->step) != 0) return c;
    return static_cast<char32_t>(static_cast<std::int32_t>(c) + run->delta);
}

constexpr std::uint32_t kRoundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::uint32_t RotateRight(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

// One round, with the eight working words named where they stand in it:
// instead of moving each word one place on, the next round names them
// from one place on (so eight rounds in a row bring each name back).
inline void Round(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t& d,
                  std::uint32_t e, std::uint32_t f, std::uint32_t g, std::uint32_t& h,
                  std::uint32_t constantAndWord) {
    const std::uint32_t s1 = RotateRight(e, 6) ^ RotateRight(e, 11) ^ RotateRight(e, 25);
    const std::uint32_t choice = g ^ (e & (f ^ g));
    const std::uint32_t t1 = h + s1 + choice + constantAndWord;
    const std::uint32_t s0 = RotateRight(a, 2) ^ RotateRight(a, 13) ^ RotateRight(a, 22);
    const std::uint32_t majority = (a & b) | (c & (a | b));
    d += t1;
    h = t1 + s0 + majority;
}

void Compress(std::uint32_t state[8], const std::uint8_t block[64]) {
    std::uint32_t w[64];
    for (int i = 0; i < 16; ++i) {
        w[i] = (std::uint32_t{block[4 * i]} << 24) | (std::uint32_t{block[4 * i + 1]} << 16) |
               (std::uint32_t{block[4 * i + 2]} << 8) | std::uint32_t{block[4 * i + 3]};
    }
    for (int i = 16; i < 64; ++i) {
        const std::uint32_t s0 =
            RotateRight(w[i - 15], 7) ^ RotateRight(w[i - 15], 18) ^ (w[i - 15] >> 3);
        const std::uint32_t s1 =
            RotateRight(w[i - 2], 17) ^ RotateRight(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4],
                  f = state[5], g = state[6], h = state[7];
    for (int i = 0; i < 64; i += 8) {
        Round(a, b, c, d, e, f, g, h, kRoundConstants[i] + w[i]);
        Round(h, a, b, c, d, e, f, g, kRoundConstants[i + 1] + w[i + 1]);
        Round(g, h, a, b, c, d, e, f, kRoundConstants[i + 2] + w[i + 2]);
        Round(f, g, h, a, b, c, d, e, kRoundConstants[i + 3] + w[i + 3]);
        Round(e, f, g, h, a, b, c, d, kRoundConstants[i + 4] + w[i + 4]);
        Round(d, e, f, g, h, a, b, c, kRoundConstants[i + 5] + w[i + 5]);
        Round(c, d, e, f, g, h, a, b, kRoundConstants[i + 6] + w[i + 6]);
        Round(b, c, d, e, f, g, h, a, kRoundConstants[i + 7] + w[i + 7]);
    }
    state[0] += a, state[1] += b, state[2] += c, state[3] += d;
    state[4] += e, state[5] += f, state[6] += g, state[7] += h;
}

}  // namespace

std::string UnicodeLower(std::string_view utf8) {
    std::string out;
    if (text::IsAscii(utf8)) {  // nearly every name: one byte each, no table
        out.assign(utf8);
        for (char& c : out) {
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 0x20);
        }
        return out;
    }
    out.reserve(utf8.size());
    for (const char32_t c : text::Utf8Characters(utf8)) {
        if (c == 0x130) {
            out += "i\xCC\x87";
            continue;
        }
        text::AppendUtf8(out, LowerOf(c));
    }
    return out;
}

std::array<std::uint8_t, 32> Sha256(std::string_view bytes) {
    std::uint32_t state[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                              0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    std::uint8_t block[64];
    size_t done = 0;
    for (; done + 64 <= bytes.size(); done += 64) {
        std::memcpy(block, bytes.data() + done, 64);
        Compress(state, block);
    }
    // The rest, a one bit, zeros, and the length in bits.
    const size_t rest = bytes.size() - done;
    std::memset(block, 0, sizeof block);
    std::memcpy(block, bytes.data() + done, rest);
    block[rest] = 0x80;
    if (rest >= 56) {
        Compress(state, block);
        std::memset(block, 0, sizeof block);
    }
    const std::uint64_t bits = static_cast<std::uint64_t>(bytes.size()) * 8;
    for (int i = 0; i < 8; ++i) block[63 - i] = static_cast<std::uint8_t>(bits >> (8 * i));
    Compress(state, block);
    std::array<std::uint8_t, 32> digest{};
    for (int i = 0; i < 8; ++i) {
        for (int k = 0; k < 4; ++k) {
            digest[static_cast<size_t>(4 * i + k)] = static_cast<std::uint8_t>(state[i] >> (24 - 8 * k));
        }
    }
    return digest;
}

std::string HexDigits(const std::array<std::uint8_t, 32>& digest, size_t bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    bytes = std::min(bytes, digest.size());
    std::string out(2 * bytes, '0');
    for (size_t i = 0; i < bytes; ++i) {
        out[2 * i] = kHex[digest[i] >> 4];
        out[2 * i + 1] = kHex[digest[i] & 15];
    }
    return out;
}

}  // namespace qv::cli
