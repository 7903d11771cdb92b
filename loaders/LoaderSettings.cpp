#include "loaders/LoaderSettings.h"

#include "config/ConfigUnit.h"

namespace zephyr {

LoaderSettings::LoaderSettings()
    : reff("./data/"),
      mktdt("./data/"),
      price_tb("./data/"),
      exra("./data/"),
      trdses("./data/"),
      price_table_path("./hkpricetb.dat") {}

LoaderSettings LoaderSettings::FromConfig(const ConfigUnit& config) {
    LoaderSettings s;
    s.reff = config.Reff();
    s.mktdt = config.Mktdt();
    s.price_tb = config.PriceTb();
    s.exra = config.Exra();
    s.trdses = config.Trdses();
    s.price_table_path = config.HKPriceTablePath();
    s.use_nominal_price = config.UseNominalPrice();
    return s;
}

}  // namespace zephyr
