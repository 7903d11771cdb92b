// Each scenario loads its own copy of Zephyr.so from a fresh folder (which is also the working
// directory, so the driver's relative default paths resolve there), with the host clock set.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/DriverLibrary.h"
#include "host/HostClock.h"
#include "host/HostRecorder.h"
#include "host/ScratchFolder.h"

class DriverFixture : public ::testing::Test {
protected:
    void SetUp() override {
        folder_.EnterAsWorkingDirectory();
        zephyr::hostkit::HostClock::SetLocal(2015, 10, 10, 8, 0, 0);  // a Saturday: a start without exchange files is tolerated
        zephyr::hostkit::HostRecorder::Instance().Clear();
    }
    void TearDown() override { driver_.reset(); }

    // Loads the driver copied into the folder under `name`.
    zephyr::hostkit::DriverLibrary& Load(const std::string& name = "Zephyr.so") {
        const std::string path = folder_.CopyIn(ZEPHYR_SO_PATH, name);
        driver_.reset(new zephyr::hostkit::DriverLibrary(path));
        EXPECT_TRUE(driver_->IsLoaded()) << driver_->Error();
        return *driver_;
    }
    static zephyr::hostkit::HostRecorder& Host() {
        return zephyr::hostkit::HostRecorder::Instance();
    }

    zephyr::hostkit::ScratchFolder folder_;
    std::unique_ptr<zephyr::hostkit::DriverLibrary> driver_;
};
