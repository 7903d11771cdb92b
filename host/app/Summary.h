// The end of a session, for a person (text) or a program (JSON).
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "host/app/HostSession.h"

namespace zephyr::hostapp {

struct Mover {
    std::string code;
    std::string name;  // UTF-8
    uint32_t last = 0;
    uint32_t previous_close = 0;
    double change_percent = 0;
};

// The shares of the replica that moved most against their previous close: the `count` biggest
// rises, then the `count` biggest falls.
std::vector<Mover> BiggestMovers(const hostkit::MarketImage& image, size_t count);

void PrintSummary(FILE* out, const SessionOptions& options, const SessionResult& result);
void PrintJsonSummary(FILE* out, const SessionOptions& options, const SessionResult& result);

}  // namespace zephyr::hostapp
