// Copy rules of the engine records: every owned buffer is copied deep.

#include <gtest/gtest.h>

#include <memory>

#include "core/Records.h"

// The interfaces have no code of their own; including them here keeps them
// compiling on their own under the warning flags.
#include "engine/IMediaSource.h"
#include "engine/ISite.h"

namespace {

const unsigned char kBytes[] = {1, 2, 3, 4, 5, 6};

READVSTREAM makeVideo() {
    READVSTREAM v;
    v.date = 20160301;
    v.time = 235959;
    v.milliseconds = 12;
    v.sequence = 1012;
    v.channel = 4;
    v.setData(kBytes, 6);
    v.width = 1280;
    v.height = 720;
    v.frameType = READVSTREAM::kKeyFrame;
    v.reserved = 77;
    v.flags[0] = 9;
    v.flags[2] = 8;
    v.text1 = "title";
    v.text2 = "second";
    v.stamp = 1234567890123;
    return v;
}

}  // namespace

TEST(RecordCopies, VideoCopyIsDeepAndMarkedAsCopy) {
    auto original = std::make_unique<READVSTREAM>(makeVideo());
    const READVSTREAM copy(*original);
    ASSERT_EQ(copy.size, 6);
    EXPECT_NE(copy.data.get(), original->data.get());
    EXPECT_EQ(copy.flags[1], 1);
    original.reset();  // the copy must not depend on the original's buffer
    EXPECT_EQ(copy.data[5], 6);
    EXPECT_EQ(copy.kind, STREAMOBJECT::KIND_VIDEO);
    EXPECT_EQ(copy.date, 20160301);
    EXPECT_EQ(copy.time, 235959);
    EXPECT_EQ(copy.milliseconds, 12);
    EXPECT_EQ(copy.sequence, 1012);
    EXPECT_EQ(copy.channel, 4);
    EXPECT_EQ(copy.width, 1280);
    EXPECT_EQ(copy.height, 720);
    EXPECT_EQ(copy.frameType, READVSTREAM::kKeyFrame);
    EXPECT_EQ(copy.reserved, 77);
    EXPECT_EQ(copy.flags[0], 9);
    EXPECT_EQ(copy.flags[2], 8);
    EXPECT_EQ(copy.text1, "title");
    EXPECT_EQ(copy.text2, "second");
    EXPECT_EQ(copy.stamp, 1234567890123);

    READVSTREAM assigned;
    assigned.setData(kBytes, 2);
    assigned = copy;
    ASSERT_EQ(assigned.size, 6);
    EXPECT_NE(assigned.data.get(), copy.data.get());
    EXPECT_EQ(assigned.data[0], 1);
    EXPECT_EQ(assigned.text1, "title");
    READVSTREAM& self = assigned;
    assigned = self;
    EXPECT_EQ(assigned.size, 6);
    EXPECT_EQ(assigned.data[5], 6);

    READVSTREAM empty;
    empty.setData(kBytes, 0);
    const READVSTREAM emptyCopy(empty);
    EXPECT_EQ(emptyCopy.size, 0);
    EXPECT_EQ(emptyCopy.data, nullptr);
}

TEST(RecordCopies, AudioCopyIsDeep) {
    auto original = std::make_unique<READASTREAM>();
    original->param1 = 16;
    original->param2 = 8000;
    original->param3 = 1;
    original->setData(kBytes, 4);
    original->channel = 2;
    original->codecKind = 4;
    original->date = 20160301;
    original->time = 10203;
    original->milliseconds = 999;
    const READASTREAM copy(*original);
    EXPECT_NE(copy.data.get(), original->data.get());
    original.reset();
    ASSERT_EQ(copy.size, 4);
    EXPECT_EQ(copy.data[3], 4);
    EXPECT_EQ(copy.param1, 16);
    EXPECT_EQ(copy.param2, 8000);
    EXPECT_EQ(copy.param3, 1);
    EXPECT_EQ(copy.channel, 2);
    EXPECT_EQ(copy.codecKind, 4);
    EXPECT_EQ(copy.date, 20160301);
    EXPECT_EQ(copy.time, 10203);
    EXPECT_EQ(copy.milliseconds, 999);

    READASTREAM assigned;
    assigned = copy;
    EXPECT_NE(assigned.data.get(), copy.data.get());
    EXPECT_EQ(assigned.size, 4);
}

TEST(RecordCopies, SamplesCopyThroughTheirBase) {
    GSENSORDATA g;
    g.x = 1.5f;
    g.extra = 3;
    g.channel = 6;
    const GSENSORDATA gc(g);
    EXPECT_EQ(gc.kind, STREAMOBJECT::KIND_GSENSOR);
    EXPECT_EQ(gc.channel, 6);
    EXPECT_EQ(gc.x, 1.5f);
    EXPECT_EQ(gc.extra, 3);

    GPSDATA p;
    p.latitude = 37.5;
    p.sequence = 44;
    const GPSDATA pc(p);
    EXPECT_EQ(pc.kind, STREAMOBJECT::KIND_GPS);
    EXPECT_EQ(pc.sequence, 44);
    EXPECT_EQ(pc.latitude, 37.5);
}
