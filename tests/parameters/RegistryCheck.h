#pragma once

#include "parameters/ParameterRegistry.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace quorlin::testing {

// Each test must leave the process-wide registry as it found it: a parameter still linked
// afterwards is a reference nobody gave back.
class RegistryCheck : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_EQ(parameterRegistry().count(), registeredAtStart) << "a parameter was leaked";
    }

private:
    std::int32_t registeredAtStart = parameterRegistry().count();
};

} // namespace quorlin::testing
