#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "amqp/deferred/deferred.h"
#include "amqp/deferred/deferreddelete.h"
#include "amqp/deferred/deferredpublish.h"
#include "amqp/deferred/deferredqueue.h"

using namespace AMQP;

namespace {

// builds a chain of n results whose finalize callbacks append their index
std::shared_ptr<Deferred> chain(size_t n, std::vector<size_t>& finalized) {
    std::shared_ptr<Deferred> head;
    std::shared_ptr<Deferred> tail;
    for (size_t i = 0; i < n; ++i) {
        auto link = std::make_shared<Deferred>();
        link->onFinalize([&finalized, i] { finalized.push_back(i); });
        if (tail)
            tail->add(link);
        else
            head = link;
        tail = link;
    }
    return head;
}

} // namespace

TEST(Deferred, FailedObjectReportsAtOnceAndAgainOnALaterError) {
    Deferred deferred(true);
    EXPECT_FALSE(deferred);
    std::vector<std::string> errors;
    deferred.onError([&](const char* text) { errors.push_back(text); });
    ASSERT_EQ(errors, std::vector<std::string>{"Frame could not be sent"});
    deferred.reportError("Channel is in error state");
    EXPECT_EQ(errors, (std::vector<std::string>{"Frame could not be sent", "Channel is in error state"}));
}

TEST(Deferred, FinalizeOnAFailedObjectRunsOnceAtInstallation) {
    int runs = 0;
    {
        Deferred deferred(true);
        deferred.onFinalize([&] { ++runs; });
        EXPECT_EQ(runs, 1);
    }
    EXPECT_EQ(runs, 1);
}

TEST(Deferred, ErrorDoesNotFinalizeButReleaseDoes) {
    int runs = 0;
    std::string error;
    auto deferred = std::make_shared<Deferred>();
    EXPECT_TRUE(*deferred);
    deferred->onFinalize([&] { ++runs; }).onError([&](const char* text) { error = text; });
    deferred->reportError("gone");
    EXPECT_FALSE(*deferred);
    EXPECT_EQ(error, "gone");
    EXPECT_EQ(runs, 0);
    deferred.reset();
    EXPECT_EQ(runs, 1);
}

TEST(Deferred, SuccessCallbackRunsForEveryReplyShapeAndReturnsTheNextLink) {
    auto first = std::make_shared<Deferred>();
    auto second = std::make_shared<Deferred>();
    first->add(second);
    int successes = 0;
    first->onSuccess([&] { ++successes; });
    EXPECT_EQ(first->reportSuccess().get(), second.get());
    EXPECT_EQ(first->reportSuccess("queue", 1, 2).get(), second.get());
    EXPECT_EQ(first->reportSuccess(7u).get(), second.get());
    EXPECT_EQ(first->reportSuccess(7u, 9u, true).get(), second.get());
    EXPECT_EQ(first->reportSuccess(std::string("tag")).get(), second.get());
    EXPECT_EQ(successes, 5);
    first->unchain();
    EXPECT_FALSE(first->reportSuccess());
}

TEST(Deferred, ReleasingTheHeadFinalizesTheChainHeadFirst) {
    std::vector<size_t> finalized;
    auto head = chain(4, finalized);
    head.reset();
    EXPECT_EQ(finalized, (std::vector<size_t>{0, 1, 2, 3}));
}

TEST(Deferred, ALinkWithAnotherOwnerKeepsTheRestOfTheChain) {
    std::vector<size_t> finalized;
    auto head = chain(4, finalized);
    std::shared_ptr<Deferred> third = head->next()->next();
    head.reset();
    EXPECT_EQ(finalized, (std::vector<size_t>{0, 1}));
    third.reset();
    EXPECT_EQ(finalized, (std::vector<size_t>{0, 1, 2, 3}));
}

TEST(Deferred, AVeryLongChainIsReleasedWithoutRecursion) {
    // deep enough that one stack frame per link would overflow the stack
    constexpr size_t length = 1000000;
    std::vector<size_t> finalized;
    finalized.reserve(length);
    auto head = chain(length, finalized);
    head.reset();
    ASSERT_EQ(finalized.size(), length);
    for (size_t i = 0; i < length; ++i)
        ASSERT_EQ(finalized[i], i);
}

TEST(Deferred, AThrowingFinalizeDoesNotEscapeTheRelease) {
    std::vector<size_t> finalized;
    auto head = chain(2, finalized);
    head->onFinalize([] { throw std::runtime_error("finalize"); });
    EXPECT_NO_THROW(head.reset());
    EXPECT_EQ(finalized, std::vector<size_t>{1});
}

TEST(DeferredQueue, PlainSuccessRunsOnlyWithoutTheQueueCallback) {
    DeferredQueue plain;
    int plainRuns = 0;
    plain.onSuccess([&] { ++plainRuns; });
    plain.reportSuccess("q", 3, 4);
    EXPECT_EQ(plainRuns, 1);

    DeferredQueue full;
    std::string name;
    uint32_t messages = 0, consumers = 0;
    full.onSuccess([&] { ++plainRuns; });
    full.onSuccess([&](const std::string& n, uint32_t m, uint32_t c) {
        name = n;
        messages = m;
        consumers = c;
    });
    full.reportSuccess("q", 3, 4);
    EXPECT_EQ(plainRuns, 1);
    EXPECT_EQ(name, "q");
    EXPECT_EQ(messages, 3u);
    EXPECT_EQ(consumers, 4u);
}

TEST(DeferredDelete, CountCallbackTakesThePlaceOfPlainSuccess) {
    DeferredDelete deleted;
    int plainRuns = 0;
    uint32_t count = 0;
    deleted.onSuccess([&] { ++plainRuns; });
    deleted.reportSuccess(5u);
    EXPECT_EQ(plainRuns, 1);
    deleted.onSuccess([&](uint32_t messages) { count = messages; });
    deleted.reportSuccess(6u);
    EXPECT_EQ(plainRuns, 1);
    EXPECT_EQ(count, 6u);
}

TEST(DeferredPublish, EachOutcomeRunsItsCallbacksInOrder) {
    std::vector<std::string> calls;
    auto record = [&](DeferredPublish& publish) {
        publish.onAck([&] { calls.push_back("ack"); })
            .onNack([&] { calls.push_back("nack"); })
            .onNackOrError([&] { calls.push_back("nack-or-error"); })
            .onError([&](const char* text) { calls.push_back(std::string("error:") + text); });
    };
    {
        DeferredPublish acked;
        record(acked);
        acked.onFinalize([&] { calls.push_back("finalize"); });
        acked.reportAck();
    }
    EXPECT_EQ(calls, (std::vector<std::string>{"ack", "finalize"}));
    calls.clear();
    {
        DeferredPublish nacked;
        record(nacked);
        nacked.reportNack();
        EXPECT_TRUE(nacked);
    }
    EXPECT_EQ(calls, (std::vector<std::string>{"nack", "nack-or-error"}));
    calls.clear();
    DeferredPublish lost;
    record(lost);
    // the base setters answer the publication itself, so any order chains
    lost.onFinalize([] {}).onNackOrError([&] { calls.push_back("nack-or-error"); });
    lost.reportFailure("broken");
    EXPECT_FALSE(lost);
    EXPECT_EQ(calls, (std::vector<std::string>{"nack-or-error", "error:broken"}));
}
