// Recording files above 2 GiB and 4 GiB: packets that lie there are found,
// scanned and read at their own offsets. The file is sparse: the gap before
// the packets costs no disk.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "FormatWriter.h"
#include "recording/FileOffset.h"
#include "recording/PacketScan.h"
#include "recording/SSFile.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;

TEST(LargeFiles, PacketsPastTwoAndFourGiBAreFoundAndRead) {
    const fs::path path =
        fs::temp_directory_path() / ("korvel-large-" + std::to_string(::getpid()) + ".ssf");
    // Three packets of one stream, a key frame first, a few ms apart.
    testfmt::ByteWriter run;
    for (int i = 0; i < 3; ++i) {
        testfmt::PacketSpec spec;
        spec.flags = i == 0 ? VORTA::kFlagKeyFrame : 0;
        spec.timestamp = 1000 + 33 * static_cast<std::uint32_t>(i);
        spec.payload.assign(40, static_cast<std::uint8_t>(0x10 + i));
        run.bytes(testfmt::packet(spec));
    }
    const testfmt::Bytes& bytes = run.data();
    const std::uint32_t firstLength = bytes[0] | (bytes[1] << 8);

    for (const std::uint64_t at : {2 * kGiB + 4096, 4 * kGiB + 8192}) {
        SCOPED_TRACE(at);
        std::FILE* out = std::fopen(path.c_str(), "wb");
        ASSERT_NE(out, nullptr);
        ASSERT_TRUE(fileoffset::seek(out, static_cast<std::int64_t>(at)));
        ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), out), bytes.size());
        std::fclose(out);
        const std::uint64_t limit = at + bytes.size();
        ASSERT_EQ(fs::file_size(path), limit);

        std::FILE* f = std::fopen(path.c_str(), "rb");
        ASSERT_NE(f, nullptr);
        VORTA::HEADERUNIT header;
        const packetscan::Streams streams(header);
        packetscan::Head head;
        EXPECT_TRUE(packetscan::readHead(f, at, &head));
        EXPECT_EQ(head.length, firstLength);
        EXPECT_EQ(packetscan::findPacket(f, at - 512, limit, streams, 0),
                  static_cast<std::int64_t>(at));
        const std::vector<packetscan::KeyFrame> keys =
            packetscan::scanKeyFrames(f, at, limit, streams);
        ASSERT_EQ(keys.size(), 1u);
        EXPECT_EQ(keys[0].offset, at);
        std::fclose(f);

        SSFile file;
        ASSERT_TRUE(file.open(path.string()));
        EXPECT_EQ(file.size(), static_cast<std::int64_t>(limit));
        ASSERT_TRUE(file.seek(static_cast<std::int64_t>(at) + firstLength));
        EXPECT_EQ(file.tell(), static_cast<std::int64_t>(at + firstLength));
        std::uint8_t got[9] = {};
        ASSERT_EQ(file.read(got, sizeof got), sizeof got);
        EXPECT_EQ(0, std::memcmp(got, bytes.data() + firstLength, sizeof got));
        ASSERT_TRUE(file.seek(-static_cast<std::int64_t>(bytes.size()), SSFile::kEnd));
        EXPECT_EQ(file.tell(), static_cast<std::int64_t>(at));
    }
    fs::remove(path);
}

}  // namespace
