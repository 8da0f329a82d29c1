// The change log: records in time order, runs spelled out by its cursor, and its capacity.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "hub/change_log.h"

namespace zo::hub {
namespace {

std::vector<OutputChange> spelledOut(const ChangeLog& log) {
    std::vector<OutputChange> changes;
    for (ChangeLog::Cursor cursor(log); !cursor.done(); cursor.next()) {
        changes.push_back(cursor.change());
    }
    return changes;
}

TEST(ChangeLog, SpellsOutRunsBetweenSingleChanges) {
    ChangeLog log(1000);
    log.add(10, 0x01);
    log.add(20, 0x03);  // the period: 20 and 30, repeated twice every 40 ns
    log.add(30, 0x02);
    log.repeat(20, 40, 2);
    log.repeat(0, 40, 5);  // no change since the run: nothing to repeat
    log.add(110, 0x80);
    log.add(120, 0x0);  // nothing changes: no record
    log.add(130, 0x40);
    log.repeat(130, 5, 1);
    const std::vector<OutputChange> expected{{10, 0x01},  {20, 0x03},  {30, 0x02},  {60, 0x03},
                                             {70, 0x02},  {100, 0x03}, {110, 0x02}, {110, 0x80},
                                             {130, 0x40}, {135, 0x40}};
    EXPECT_EQ(spelledOut(log), expected);
    EXPECT_EQ(log.transitions(), 4u + 6 + 1 + 2);
}

TEST(ChangeLog, StopsAtItsCapacityWithoutOverflowing) {
    ChangeLog log(10);
    log.add(0, 0xFF);
    log.add(5, 0x0F);  // 12 transitions: the capacity is reached, later changes are dropped
    log.add(6, 0x01);
    EXPECT_EQ(log.transitions(), 12u);
    EXPECT_EQ(spelledOut(log).size(), 2u);

    ChangeLog repeated(100);
    repeated.add(0, 0xFF);
    repeated.repeat(0, 1, UINT64_MAX);  // more transitions than fit in 64 bits
    EXPECT_EQ(repeated.transitions(), 100u);
    repeated.add(UINT64_MAX, 0x01);
    EXPECT_EQ(repeated.transitions(), 100u);
}

}  // namespace
}  // namespace zo::hub
