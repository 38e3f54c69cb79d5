// Fixture of the LRF layer tests: a fresh object store for each test and a
// console that keeps what the code under test prints.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "lrf/store/builders.h"
#include "lrf/store/object_store.h"
#include "text/console.h"

namespace tavorin::lrf::test {

class StoreTest : public ::testing::Test {
protected:
    StringSink printed;
    Console console{printed};
    ObjectStore store;
};

// A page of the main page style, and the labels of a body text block.
inline PageRecord Page(std::string objid, std::string pageStyle = "ps_main") {
    PageRecord page;
    page.objid = std::move(objid);
    page.pageStyle = std::move(pageStyle);
    return page;
}
inline TextBlockLabels BodyText(std::string objid) { return {"ts_bdy", "bs_bdy", std::move(objid)}; }

}  // namespace tavorin::lrf::test
