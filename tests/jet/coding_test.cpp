#include "jet/coding.h"

#include <gtest/gtest.h>

namespace jet {
namespace {

TEST(CodingTest, PutWritesWhatGetReads) {
    std::uint8_t bytes[8] = {};
    put_u16le(bytes, 0x1234);
    EXPECT_EQ(bytes[0], 0x34);
    EXPECT_EQ(bytes[1], 0x12);
    EXPECT_EQ(get_u16le(bytes), 0x1234);
    put_u32le(bytes, 0x89ABCDEFu);
    EXPECT_EQ(bytes[0], 0xEF);
    EXPECT_EQ(bytes[3], 0x89);
    EXPECT_EQ(get_u32le(bytes), 0x89ABCDEFu);
    put_u64le(bytes, 0x0123456789ABCDEFull);
    EXPECT_EQ(bytes[0], 0xEF);
    EXPECT_EQ(bytes[7], 0x01);
    EXPECT_EQ(get_u64le(bytes), 0x0123456789ABCDEFull);
    put_u24be(bytes, 0xFF123456u);
    EXPECT_EQ(bytes[0], 0x12);
    EXPECT_EQ(bytes[2], 0x56);
    EXPECT_EQ(get_u24be(bytes), 0x123456u);
}

TEST(CodingTest, AppendAddsLittleEndianBytes) {
    std::vector<std::uint8_t> out = {0xAA};
    append_u16le(out, 0x0102);
    append_u32le(out, 0x03040506u);
    append_u64le(out, 0x0708090A0B0C0D0Eull);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0xAA, 0x02, 0x01, 0x06, 0x05, 0x04, 0x03, 0x0E, 0x0D,
                                              0x0C, 0x0B, 0x0A, 0x09, 0x08, 0x07}));
}

}  // namespace
}  // namespace jet
