#include "app/exitstatus.h"

#include <gtest/gtest.h>

TEST(ExitStatus, NothingConfirmedIsATemporaryFailure) {
    ExitStatus status;
    EXPECT_EQ(status.value(), 75);
    EXPECT_FALSE(status.settled());
}

TEST(ExitStatus, OnlyAnAcknowledgementDelivers) {
    ExitStatus status;
    status.acknowledged();
    EXPECT_TRUE(status.settled());
    EXPECT_EQ(status.value(), 0);
}

TEST(ExitStatus, ARefusalIsNotUndoneByALaterAcknowledgement) {
    // the broker returns an unroutable mandatory message and then acks it
    ExitStatus returned;
    returned.refused();
    returned.acknowledged();
    EXPECT_FALSE(returned.delivered());
    EXPECT_EQ(returned.value(), 75);

    ExitStatus nacked;
    nacked.refused();
    EXPECT_TRUE(nacked.settled());
    EXPECT_EQ(nacked.value(), 75);
}

TEST(ExitStatus, IncompleteInputWinsOverEverythingElse) {
    ExitStatus status;
    status.truncated();
    EXPECT_EQ(status.value(), 65);
    status.refused();
    EXPECT_EQ(status.value(), 65);
}

TEST(ExitStatus, AMessageThatCanNeverFitIsADataError) {
    ExitStatus status;
    status.rejected();
    EXPECT_TRUE(status.settled());
    EXPECT_FALSE(status.delivered());
    EXPECT_EQ(status.value(), 65);
    // a later ack does not make it delivered
    status.acknowledged();
    EXPECT_EQ(status.value(), 65);
}
