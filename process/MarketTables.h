// The market and the tables the processing unit owns, handed together to the routines that work
// across several of them (count refresh, code table adjustment, market totals). Each table keeps
// its own lock; these routines take one lock at a time and never hold two.
#pragma once

namespace zephyr {

class Market;
class CodeTable;
class ExtCodeTable;
class IndexTable;
class SnapshotTable;
class ProductStatusTable;
class NameLookup;
class MLogger;

struct MarketTables {
    Market* market;
    CodeTable* codes;
    ExtCodeTable* ext_codes;
    IndexTable* indexes;
    SnapshotTable* snapshots;
    ProductStatusTable* statuses;
    NameLookup* lookup;
    MLogger* logger;  // may be null
};

}  // namespace zephyr
