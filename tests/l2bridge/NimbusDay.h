// A small market data file for the stand-in level-2 module, and its settings.
#pragma once
#include <cstdlib>
#include <string>

#include "host/ScratchFolder.h"
#include "portable/Environment.h"

namespace l2test {

// Share line of the exchange's market data file; the name is 32 bytes of UTF-16LE and may hold
// the separator.
inline std::string ShareLine(const std::string& code, const char* last) {
    std::string name("N\0|\0a\0m\0e\0", 10);
    name.resize(32, '\0');
    return "MD401|" + code + "|" + name + "|ENGLISH NAME    |   1000000|   123456.780|  10.000|  10.100|" +
           "  10.500|   9.900|" + last + "|  10.050|     2000|  10.150|     3000\n";
}

inline std::string MarketDataFile() {
    return "HEADER|MTP1.00 |0000000100|000003|MKTDT04 |SAMPLE  |20141208-10:15:30.000|0|T\n" +
           ShareLine("00001", "  10.100") + ShareLine("00005", "  55.000") +
           ShareLine("00700", " 350.000") + "TRAILER\n";
}

// Clears every NIMBUS_* setting of the environment, the ini file's name included.
inline void ClearNimbusEnvironment() {
    for (const char* key : {"NIMBUS_INI", "NIMBUS_MKTDT", "NIMBUS_RATE", "NIMBUS_BATCH",
                            "NIMBUS_COMPRESS", "NIMBUS_SEED", "NIMBUS_STARTTIME", "NIMBUS_LIMIT",
                            "NIMBUS_RECORD", "NIMBUS_REPLAY"}) {
        zephyr::portable::ClearEnvironment(key);
    }
}

// Clears the NIMBUS_* settings and points the module at an ini file in the folder holding
// `lines` (section [Feed]) and at the folder's market data file.
inline void ConfigureNimbus(const zephyr::hostkit::ScratchFolder& folder, const std::string& lines) {
    ClearNimbusEnvironment();
    folder.WriteFile("mktdt04.txt", MarketDataFile());
    folder.WriteFile("nimbus.ini", "[Feed]\nMktdt=" + folder.Join("mktdt04.txt") + "\n" + lines);
    zephyr::portable::SetEnvironment("NIMBUS_INI", folder.Join("nimbus.ini"));
}

}  // namespace l2test
