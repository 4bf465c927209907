#pragma once

#include <gtest/gtest.h>

#include <string>

namespace quib::testing {

// Names each case of a table-driven test after the `name` field of its row,
// so a failure reads as the scenario it broke.
struct CaseName {
    template <typename Row>
    std::string operator()(const ::testing::TestParamInfo<Row>& row) const {
        return row.param.name;
    }
};

}  // namespace quib::testing
