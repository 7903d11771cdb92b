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
#include "tests/LibraryNames.h"

class DriverFixture : public ::testing::Test {
protected:
    void SetUp() override {
        m_Folder.EnterAsWorkingDirectory();
        zephyr::hostkit::HostClock::SetLocal(2015, 10, 10, 8, 0, 0);  // a Saturday: a start without exchange files is tolerated
        zephyr::hostkit::HostRecorder::Instance().Clear();
    }
    void TearDown() override { m_Driver.reset(); }

    // Loads the driver copied into the folder under `name`.
    zephyr::hostkit::DriverLibrary& Load(const std::string& name = zephyr::tests::DriverFileName()) {
        const std::string path = m_Folder.CopyIn(ZEPHYR_SO_PATH, name);
        m_Driver.reset(new zephyr::hostkit::DriverLibrary(path));
        EXPECT_TRUE(m_Driver->IsLoaded()) << m_Driver->Error();
        return *m_Driver;
    }
    static zephyr::hostkit::HostRecorder& Host() {
        return zephyr::hostkit::HostRecorder::Instance();
    }

    zephyr::hostkit::ScratchFolder m_Folder;
    std::unique_ptr<zephyr::hostkit::DriverLibrary> m_Driver;
};
