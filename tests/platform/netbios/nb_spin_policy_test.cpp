// When a waiting thread polls before it sleeps: only with more than one core,
// and only while its waits keep being short.

#include "platform/netbios/nb_spin_policy.h"

#include <gtest/gtest.h>

namespace pl::nb {
namespace {

using std::chrono::milliseconds;

TEST(NbSpinPolicy, OneCoreNeverPolls)
{
    NbSpinPolicy policy(false);
    EXPECT_FALSE(policy.ShouldSpin());
    policy.Record(NbSpinPolicy::kBudget / 2);
    EXPECT_FALSE(policy.ShouldSpin());
}

TEST(NbSpinPolicy, LongWaitsInARowStopPollingUntilAShortOne)
{
    NbSpinPolicy policy(true);
    EXPECT_TRUE(policy.ShouldSpin());
    // A short wait between long ones starts the count again.
    for (int i = 1; i < NbSpinPolicy::kLongWaitsToStop; ++i)
        policy.Record(milliseconds(5));
    policy.Record(NbSpinPolicy::kShortWait);
    for (int i = 1; i < NbSpinPolicy::kLongWaitsToStop; ++i)
        policy.Record(milliseconds(5));
    EXPECT_TRUE(policy.ShouldSpin());

    policy.Record(NbSpinPolicy::kShortWait + NbSpinPolicy::kBudget);
    EXPECT_FALSE(policy.ShouldSpin());
    policy.Record(milliseconds(900));
    EXPECT_FALSE(policy.ShouldSpin());
    policy.Record(NbSpinPolicy::kBudget * 2);
    EXPECT_TRUE(policy.ShouldSpin());
}

}  // namespace
}  // namespace pl::nb
