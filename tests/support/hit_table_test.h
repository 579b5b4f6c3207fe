#pragma once

#include <gtest/gtest.h>

#include "service/described/clear_hit_table.h"
#include "state/hit_table.h"
#include "state/watch_state.h"

namespace testing_support {

// A test of a reader that fills the hit table: each starts from an empty table and no count.
class HitTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearHitTable();
    watchState.hitCount = 0;
  }
  const HitTable& table = watchState.hitTable;
};

}  // namespace testing_support
