// Copy rules of the engine records: every owned buffer is copied deep, a
// copied picture is marked as a copy, and the fields travel with it.

#include <gtest/gtest.h>

#include <memory>

#include "core/Records.h"

// The interfaces have no code of their own; including them here keeps them
// compiling on their own under the warning flags.
#include "engine/IMediaSource.h"
#include "engine/ISite.h"

namespace {

const unsigned char kBytes[] = {1, 2, 3, 4, 5, 6};

TEST(RecordCopies, PictureAndSoundCopiesOwnTheirBuffers) {
    auto original = std::make_unique<READVSTREAM>();
    original->setData(kBytes, 6);
    original->time = 235959;
    original->text1 = "title";
    original->stamp = 1234567890123;
    const READVSTREAM copy(*original);
    EXPECT_NE(copy.data.get(), original->data.get());
    EXPECT_EQ(copy.flags[1], 1) << "marked as a copy";
    original.reset();  // the copy must not depend on the original's buffer
    ASSERT_EQ(copy.size, 6);
    EXPECT_EQ(copy.data[5], 6);
    EXPECT_EQ(copy.kind, STREAMOBJECT::KIND_VIDEO);
    EXPECT_EQ(copy.time, 235959);
    EXPECT_EQ(copy.text1, "title");
    EXPECT_EQ(copy.stamp, 1234567890123);

    READVSTREAM assigned;
    assigned.setData(kBytes, 2);
    assigned = copy;
    ASSERT_EQ(assigned.size, 6);
    EXPECT_NE(assigned.data.get(), copy.data.get());
    READVSTREAM& self = assigned;
    assigned = self;
    ASSERT_EQ(assigned.size, 6);
    EXPECT_EQ(assigned.data[5], 6);

    READVSTREAM empty;
    empty.setData(kBytes, 0);
    EXPECT_EQ(READVSTREAM(empty).data, nullptr);

    auto sound = std::make_unique<READASTREAM>();
    sound->setData(kBytes, 4);
    sound->param2 = 8000;
    const READASTREAM soundCopy(*sound);
    EXPECT_NE(soundCopy.data.get(), sound->data.get());
    sound.reset();
    ASSERT_EQ(soundCopy.size, 4);
    EXPECT_EQ(soundCopy.data[3], 4);
    EXPECT_EQ(soundCopy.param2, 8000);
    READASTREAM soundAssigned;
    soundAssigned = soundCopy;
    EXPECT_NE(soundAssigned.data.get(), soundCopy.data.get());
    EXPECT_EQ(soundAssigned.size, 4);
}

}  // namespace
