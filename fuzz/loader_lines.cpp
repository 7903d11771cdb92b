// Lines of the exchange's text files as a hostile file may hold them. The first input byte picks
// the reader: market data (build or refresh), reference data, session status, exchange rate or
// price spread; the rest is one line handed to that reader's line parser.
// Checks: no read outside the line (sanitizers), no crash, tables that stay bounded.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz/FuzzLoaderHost.h"
#include "loaders/HKMExraLoader.h"
#include "loaders/HKMktdtLoader.h"
#include "loaders/HKRefDbf.h"
#include "loaders/HKTrdsesLoader.h"
#include "loaders/HKZxjcLoader.h"
#include "market/Records.h"

namespace {

using namespace zephyr;

using fuzz::FuzzHost;

struct Readers {
    FuzzHost host;
    HKMktdtLoader build{host};
    HKMktdtLoader refresh{host};
    HKRefDbf reference{host, build};
    HKTrdsesLoader status{host, build};
    HKMExraLoader rates{host};
    HKZxjcLoader spreads{host};

    Readers() {
        build(HKMktdtLoader::kBuild);      // no file: leaves the loader in build mode
        refresh(HKMktdtLoader::kRefresh);  // not working: leaves it in refresh mode
    }
};

Readers& Get() {
    static Readers* readers = new Readers;
    return *readers;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 8192) return 0;
    Readers& r = Get();
    // An exact copy, so any read past the line is outside the allocation.
    std::vector<char> line(data + 1, data + size);
    const char* text = line.empty() ? nullptr : line.data();
    const int32_t length = static_cast<int32_t>(line.size());
    switch (data[0] % 6) {
        case 0: r.build.parse(text, length); break;
        case 1: r.refresh.parse(text, length); break;
        case 2: r.reference.parse(text, length); break;
        case 3: r.status.parse(text, length); break;
        case 4: r.rates.parse(text, length); break;
        default: r.spreads.parse(text, length, r.host.prices); break;
    }
    if (r.host.codes.Count() > 2000) {
        r.host.codes.Clear();
        r.host.snapshots.Clear();
        r.host.statuses.Clear();
    }
    return 0;
}
