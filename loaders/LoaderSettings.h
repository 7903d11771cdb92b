// The settings the exchange file loaders read, copied out of the configuration unit once per
// initialisation so that the loaders' every-second runs take no lock and copy no text.
#pragma once
#include "foundation/MString.h"

namespace zephyr {

class ConfigUnit;

struct LoaderSettings {
    MString reff;            // directory of the reference data file
    MString mktdt;           // full path of the market data file
    MString price_tb;        // directory of the price-spread file
    MString exra;            // directory of the exchange-rate file
    MString trdses;          // full path of the trading-session status file
    MString price_table_path;  // the saved price-table file
    bool use_nominal_price = false;

    // Defaults of the configuration unit ("./data/" everywhere, "./hkpricetb.dat").
    LoaderSettings();
    // The current values of config.
    static LoaderSettings FromConfig(const ConfigUnit& config);
};

}  // namespace zephyr
