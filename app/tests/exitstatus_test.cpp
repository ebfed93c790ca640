#include "app/exitstatus.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(ExitStatus, FollowsWhatBecameOfTheMessage) {
    // events in order: a acknowledged, r refused, j rejected, t truncated
    struct Case {
        const char* events;
        bool settled;
        bool delivered;
        int value;
    };
    for (const Case& c : std::vector<Case>{
             // nothing confirmed: try again later
             {"", false, false, 75},
             // only an acknowledgement delivers
             {"a", true, true, 0},
             // a nack, or a return of an unroutable mandatory message that
             // the broker then acks: a later ack does not undo the refusal
             {"r", true, false, 75},
             {"ra", true, false, 75},
             // incomplete input wins over everything else
             {"t", false, false, 65},
             {"tr", true, false, 65},
             // a message that can never fit, whatever the broker says later
             {"j", true, false, 65},
             {"ja", true, false, 65},
         }) {
        ExitStatus status;
        for (char event : std::string(c.events)) {
            if (event == 'a') status.acknowledged();
            if (event == 'r') status.refused();
            if (event == 'j') status.rejected();
            if (event == 't') status.truncated();
        }
        EXPECT_EQ(status.settled(), c.settled) << c.events;
        EXPECT_EQ(status.delivered(), c.delivered) << c.events;
        EXPECT_EQ(status.value(), c.value) << c.events;
    }
}
