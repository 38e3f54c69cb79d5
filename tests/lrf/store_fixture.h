// Fixture of the LRF layer tests: a fresh object store for each test and a
// console that keeps what the code under test prints.
#pragma once

#include <gtest/gtest.h>

#include "lrf/store/object_store.h"
#include "text/console.h"

namespace tavorin::lrf::test {

class StoreTest : public ::testing::Test {
protected:
    StringSink printed;
    Console console{printed};
    ObjectStore store;
};

}  // namespace tavorin::lrf::test
