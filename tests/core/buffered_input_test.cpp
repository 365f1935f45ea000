// The buffered input over an inflated stream: each read, after any skip and
// any short move back, gives the bytes that the stream inflates at that
// offset, and the stream ends at its limit.
#include "core/buffered_input.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "itdb_builder.h"
#include "temp_dir.h"

namespace {

using itdb::Bytes;
using itdb::operator+;

constexpr int64_t kStreamStart = 10;

// Bytes that zlib neither stores nor squeezes to nothing.
Bytes Pattern(size_t size) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<uint8_t>(i * 7 + i / 251 + (i % 13 == 0 ? i / 3 : 0));
    }
    return bytes;
}

// A file of kStreamStart other bytes, then the zlib stream of `plain`.
class InflatedInputTest : public ::testing::Test {
protected:
    void Write(const Bytes& plain) {
        uLongf size = compressBound(static_cast<uLong>(plain.size()));
        Bytes stream(size);
        ASSERT_EQ(
            compress2(stream.data(), &size, plain.data(), static_cast<uLong>(plain.size()), 1),
            Z_OK);
        stream.resize(size);
        ASSERT_TRUE(itdb::WriteFile(path_, Bytes(kStreamStart, 'h') + stream));
    }
    // The bytes at the input's offset `at`, read after moving there.
    Bytes ReadAt(BufferedInput& input, int64_t at, size_t count) {
        EXPECT_TRUE(input.SeekTo(at));
        Bytes bytes(count);
        bytes.resize(input.Read(bytes.data(), count));
        return bytes;
    }

    TempDir dir_;
    const std::string path_ = dir_.File("stream");
};

TEST_F(InflatedInputTest, ReadsEveryOffsetAfterSkipsAndMovesBack) {
    const Bytes plain = Pattern(400000);
    Write(plain);
    BufferedInput input;
    ASSERT_TRUE(input.Open(path_));
    ASSERT_TRUE(input.InflateFrom(kStreamStart));

    struct Step {
        int64_t move;  // from where the last read ended
        size_t count;
    };
    const Step steps[] = {
        {0, 4},     {65000, 4000}, {-BufferedInput::kHistory, 212}, {150000, 4}, {-212, 100000},
        {-4096, 8}, {1000, 65536}, {-BufferedInput::kHistory, 1},
    };
    int64_t at = kStreamStart;
    for (const Step& step : steps) {
        at += step.move;
        SCOPED_TRACE(at);
        const auto from = plain.begin() + (at - kStreamStart);
        EXPECT_EQ(ReadAt(input, at, step.count), Bytes(from, from + step.count));
        at += static_cast<int64_t>(step.count);
    }
    EXPECT_EQ(ReadAt(input, kStreamStart + 399990, 20), Bytes(plain.end() - 10, plain.end()));
    EXPECT_EQ(ReadAt(input, kStreamStart + 500000, 4), Bytes{});
    EXPECT_EQ(ReadAt(input, kStreamStart - 1, 4), Bytes{});  // before the stream
}

TEST_F(InflatedInputTest, StreamEndsAtItsLimit) {
    const Bytes plain = Pattern(100000);
    Write(plain);
    for (const int64_t limit : {int64_t{0}, int64_t{1}, int64_t{70000}}) {
        SCOPED_TRACE(limit);
        BufferedInput input;
        ASSERT_TRUE(input.Open(path_));
        ASSERT_TRUE(input.InflateFrom(kStreamStart, limit));
        EXPECT_EQ(ReadAt(input, kStreamStart, 100000), Bytes(plain.begin(), plain.begin() + limit));
    }
}

TEST_F(InflatedInputTest, ReadsInPlaceOnlyWhatTheBufferHolds) {
    const Bytes plain = Pattern(200000);
    Write(plain);
    BufferedInput input;
    ASSERT_TRUE(input.Open(path_));
    ASSERT_TRUE(input.InflateFrom(kStreamStart));
    EXPECT_EQ(input.ReadInPlace(4), nullptr);  // nothing buffered yet
    EXPECT_EQ(input.Tell(), kStreamStart);
    EXPECT_EQ(ReadAt(input, kStreamStart, 4), Bytes(plain.begin(), plain.begin() + 4));
    const uint8_t* inPlace = input.ReadInPlace(120);
    ASSERT_NE(inPlace, nullptr);
    EXPECT_EQ(Bytes(inPlace, inPlace + 120), Bytes(plain.begin() + 4, plain.begin() + 124));
    EXPECT_EQ(input.Tell(), kStreamStart + 124);
    EXPECT_EQ(input.ReadInPlace(150000), nullptr);  // more than the buffer holds
    EXPECT_EQ(input.Tell(), kStreamStart + 124);
}

}  // namespace
