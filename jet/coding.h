// Fixed-width integer encodings used by the file format. Callers check that
// the bytes they read lie inside their buffer before calling these.
#pragma once

#include <cstdint>
#include <cstring>

namespace jet {

inline std::uint16_t get_u16le(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t get_u32le(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline std::uint64_t get_u64le(const std::uint8_t* p) {
    return static_cast<std::uint64_t>(get_u32le(p)) |
           (static_cast<std::uint64_t>(get_u32le(p + 4)) << 32);
}

inline std::uint32_t get_u24be(const std::uint8_t* p) {
    return (static_cast<std::uint32_t>(p[0]) << 16) | (static_cast<std::uint32_t>(p[1]) << 8) |
           p[2];
}

inline std::uint32_t get_u32be(const std::uint8_t* p) {
    return (static_cast<std::uint32_t>(p[0]) << 24) | (get_u24be(p + 1));
}

inline float get_f32le(const std::uint8_t* p) {
    std::uint32_t bits = get_u32le(p);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

inline double get_f64le(const std::uint8_t* p) {
    std::uint64_t bits = get_u64le(p);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

}  // namespace jet
