// Fixed-width integer encodings used by the file format, in both directions.
//
//   u16le, u32le, u64le  little-endian: the low byte first (the fields of pages,
//                        column values, the journal's records)
//   u24be, u32be         big-endian: the high byte first (the page of a row
//                        pointer and the child page in index entries)
//   f32le, f64le         IEEE bits, stored as u32le and u64le
//
// get_* read at p, put_* write at p, append_* add to the end of a byte vector.
// Callers check that the bytes they read or write lie inside their buffer.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

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

inline void put_u16le(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

inline void put_u32le(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

inline void put_u64le(std::uint8_t* p, std::uint64_t v) {
    put_u32le(p, static_cast<std::uint32_t>(v));
    put_u32le(p + 4, static_cast<std::uint32_t>(v >> 32));
}

// The low 24 bits of v.
inline void put_u24be(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 16);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v);
}

inline void append_u16le(std::vector<std::uint8_t>& out, std::uint16_t v) {
    std::uint8_t bytes[2];
    put_u16le(bytes, v);
    out.insert(out.end(), bytes, bytes + sizeof bytes);
}

inline void append_u32le(std::vector<std::uint8_t>& out, std::uint32_t v) {
    std::uint8_t bytes[4];
    put_u32le(bytes, v);
    out.insert(out.end(), bytes, bytes + sizeof bytes);
}

inline void append_u64le(std::vector<std::uint8_t>& out, std::uint64_t v) {
    std::uint8_t bytes[8];
    put_u64le(bytes, v);
    out.insert(out.end(), bytes, bytes + sizeof bytes);
}

}  // namespace jet
