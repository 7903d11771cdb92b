#include "host/app/Summary.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "host/GbkText.h"
#include "host/MarketDigest.h"
#include "host/app/Terminal.h"
#include "host/app/Verdict.h"
#include "portable/Process.h"

namespace zephyr::hostapp {

namespace {

using hostkit::LoadU16;
using hostkit::LoadU32;
using hostkit::Table;

std::string Field(const char* bytes, size_t size) {
    std::string text(bytes, strnlen(bytes, size));
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

std::string Price(uint32_t thousandths) {
    char text[32];
    snprintf(text, sizeof text, "%u.%03u", thousandths / 1000, thousandths % 1000);
    return text;
}

std::string Json(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

const char* Bool(bool value) { return value ? "true" : "false"; }

std::string Category(const std::string& record) {
    return hostkit::GbkToUtf8(Field(record.data(), 8));
}

uint64_t MinRss(const SessionResult& r) {
    uint64_t low = UINT64_MAX;
    for (const auto& sample : r.rss_kb) low = std::min(low, sample.second);
    return r.rss_kb.empty() ? 0 : low;
}

uint64_t MaxRss(const SessionResult& r) {
    uint64_t high = 0;
    for (const auto& sample : r.rss_kb) high = std::max(high, sample.second);
    return high;
}

// What became of the level-2 module, and whether its feed delivered.
std::string Level2Line(const SessionOptions& options, const SessionResult& r) {
    const Level2Report& level2 = r.level2;
    const std::string path = level2.path.empty() ? std::string() : hostkit::GbkToUtf8(level2.path) + " ";
    if (!level2.Loaded()) {
        return path + Level2StateText(level2.state) + (level2.why.empty() ? "" : ": " + level2.why) +
               (level2.state == Level2Report::kUnknown ? "" : "; the driver served without level-2 data");
    }
    if (r.counters.snapshot_records > 0) return path + "started; snapshot updates reached this host";
    return path + "started, but NO snapshot update reached this host" +
           (options.demo ? " (the demo's feed never delivered)" : " (does the module have its nimbus.ini?)");
}

}  // namespace

std::vector<Mover> BiggestMovers(const hostkit::MarketImage& image, size_t count) {
    std::unordered_map<std::string, std::string> names;
    const hostkit::RecordBlock& codes = image.Of(Table::kCodes);
    for (size_t i = 0; i < codes.Count(); ++i) {
        const char* record = codes.At(i);
        names.emplace(std::string(record + 3, 6), hostkit::GbkToUtf8(Field(record + 25, 16)));
    }
    std::vector<Mover> all;
    const hostkit::RecordBlock& snapshots = image.Of(Table::kSnapshots);
    for (size_t i = 0; i < snapshots.Count(); ++i) {
        const char* record = snapshots.At(i);
        Mover mover;
        mover.previous_close = LoadU32(record + 18);
        mover.last = LoadU32(record + 22);
        if (mover.previous_close == 0 || mover.last == 0) continue;
        mover.code = Field(record, 6);
        auto name = names.find(std::string(record, 6));
        mover.name = name != names.end() ? name->second : std::string();
        mover.change_percent = (static_cast<double>(mover.last) - mover.previous_close) * 100.0 / mover.previous_close;
        all.push_back(mover);
    }
    std::sort(all.begin(), all.end(), [](const Mover& a, const Mover& b) {
        return a.change_percent != b.change_percent ? a.change_percent > b.change_percent : a.code < b.code;
    });
    std::vector<Mover> chosen;
    for (size_t i = 0; i < all.size() && i < count && all[i].change_percent > 0; ++i) chosen.push_back(all[i]);
    for (size_t i = 0; i < all.size() && i < count; ++i) {
        const Mover& mover = all[all.size() - 1 - i];
        if (mover.change_percent >= 0) break;
        chosen.push_back(mover);
    }
    return chosen;
}

void PrintSummary(FILE* out, const SessionOptions& options, const SessionResult& r) {
    const hostkit::MarketImage& image = r.image;
    fprintf(out, "\n== Summary ==\n");
    fprintf(out, "driver          %s\n", options.driver_path.c_str());
    fprintf(out, "                %s, BeginDriverWork %d, ran %.1f s\n", r.description.c_str(), r.begin_result, r.seconds);
    if (!r.load_error.empty()) fprintf(out, "problem         %s\n", r.load_error.c_str());
    if (r.begin_result == 1) {
        fprintf(out, "working window  %s%s: %s\n", r.schedule.WindowText().c_str(),
                r.schedule.use_holiday ? " (holiday test short-circuited)" : "",
                r.ever_live ? "inside it, on a working day, during the run" : (r.not_live + " for the whole run").c_str());
        fprintf(out, "level-2 module  %s\n", Level2Line(options, r).c_str());
    }
    if (!r.served) {
        fprintf(out, "served          NO: %s\n",
                r.begin_result != 1 ? "the driver did not start"
                : r.not_live.empty() || r.ever_live ? "the driver never served its market to this host"
                                                    : ("the driver does not serve " + r.not_live).c_str());
    } else if (!r.ever_live) {
        fprintf(out, "served          the day's market as it stood: no market header is pushed %s\n", r.not_live.c_str());
    }
    if (!image.Empty()) {
        const uint32_t time = image.MarketTime();
        fprintf(out, "market          date %u, time %02u:%02u:%02u, %u instruments (", image.MarketDate(),
                time / 10000, time / 100 % 100, time % 100, image.ItemCount());
        for (size_t i = 0; i < image.categories.size(); ++i) {
            fprintf(out, "%s%s %u", i > 0 ? ", " : "", Category(image.categories[i]).c_str(),
                    LoadU16(image.categories[i].data() + 11));
        }
        fprintf(out, ")\n");
    }
    fprintf(out, "received        %llu pushes (%llu bytes): %llu snapshot updates (%llu codes), %llu market headers, "
                 "%llu status, %llu quota, %llu index frames\n",
            static_cast<unsigned long long>(r.pushes_received), static_cast<unsigned long long>(r.push_bytes),
            static_cast<unsigned long long>(r.counters.snapshot_records),
            static_cast<unsigned long long>(r.counters.codes_updated),
            static_cast<unsigned long long>(r.counters.frames[0]),
            static_cast<unsigned long long>(r.counters.frames[5]),
            static_cast<unsigned long long>(r.counters.frames[3]),
            static_cast<unsigned long long>(r.counters.frames[4]));
    if (r.counters.bad_pushes > 0) {
        fprintf(out, "                %llu pushes NOT understood\n", static_cast<unsigned long long>(r.counters.bad_pushes));
    }
    fprintf(out, "pulls           %llu full pulls (%llu refused), %llu market resets, %llu live checks (%llu failed)\n",
            static_cast<unsigned long long>(r.pulls), static_cast<unsigned long long>(r.pull_failures),
            static_cast<unsigned long long>(r.counters.resets), static_cast<unsigned long long>(r.live_checks),
            static_cast<unsigned long long>(r.live_check_failures));
    fprintf(out, "log lines       %llu info, %llu warnings, %llu errors\n",
            static_cast<unsigned long long>(r.logs[1]), static_cast<unsigned long long>(r.logs[2]),
            static_cast<unsigned long long>(r.logs[3]));
    if (!r.rss_kb.empty()) {
        fprintf(out, "memory (%s)  %llu kB before the driver, %llu kB at first, %llu kB at the end, %llu..%llu kB\n",
                portable::ResidentName(), static_cast<unsigned long long>(r.rss_kb_before_driver),
                static_cast<unsigned long long>(r.rss_kb.front().second),
                static_cast<unsigned long long>(r.rss_kb.back().second),
                static_cast<unsigned long long>(MinRss(r)), static_cast<unsigned long long>(MaxRss(r)));
    }
    const std::vector<Mover> movers = BiggestMovers(image, 5);
    if (!movers.empty()) {
        fprintf(out, "biggest movers of the replica:\n");
        for (const Mover& m : movers) {
            // Names are padded by their width on screen: a Chinese character takes two columns.
            const size_t width = DisplayWidth(m.name);
            const std::string name = m.name + std::string(width < 18 ? 18 - width : 0, ' ');
            fprintf(out, "  %-6s %s %10s -> %10s  %+7.2f%%\n", m.code.c_str(), name.c_str(),
                    Price(m.previous_close).c_str(), Price(m.last).c_str(), m.change_percent);
        }
    }
    const FinalCheck& c = r.final_check;
    if (!c.done) {
        fprintf(out, "replica check   NOT DONE: %s\n", c.note.empty() ? "the driver did not start" : c.note.c_str());
    } else {
        fprintf(out, "replica check   %s the final pull (%s)\n",
                c.replica_equals_pull ? "EQUALS" : "DIFFERS FROM", c.note.c_str());
        if (!c.replica_equals_pull) {
            fprintf(out, "                %zu difference(s), first ones:\n", c.differences);
            for (const hostkit::Difference& d : c.samples) fprintf(out, "                  %s: %s\n", d.where.c_str(), d.detail.c_str());
        }
        fprintf(out, "market digest   %s: replica %s, final pull %s\n", c.digest_hex.c_str(),
                hostkit::DigestCheckText(c.replica_digest), hostkit::DigestCheckText(c.pull_digest));
    }
    if (r.recorded) {
        fprintf(out, "pushes recorded in %s (zephyr-host show-record %s)\n", options.record_path.c_str(),
                options.record_path.c_str());
    }
    std::vector<std::string> why;
    const Verdict verdict = r.Judge(options, &why);
    fprintf(out, "result          %s, exit status %d\n", VerdictText(verdict), static_cast<int>(verdict));
    for (const std::string& line : why) fprintf(out, "                %s\n", line.c_str());
    fflush(out);
}

void PrintJsonSummary(FILE* out, const SessionOptions& options, const SessionResult& r) {
    const hostkit::MarketImage& image = r.image;
    const FinalCheck& c = r.final_check;
    fprintf(out, "{\n  \"driver\": %s,\n  \"description\": %s,\n  \"begin_result\": %d,\n",
            Json(options.driver_path).c_str(), Json(r.description).c_str(), r.begin_result);
    std::vector<std::string> why;
    const Verdict verdict = r.Judge(options, &why);
    fprintf(out, "  \"problem\": %s,\n  \"served\": %s,\n  \"seconds\": %.1f,\n  \"stopped_by\": %s,\n",
            Json(r.load_error).c_str(), Bool(r.served), r.seconds, Json(r.stopped_by).c_str());
    fprintf(out, "  \"working_window\": {\"hours\": %s, \"holiday_test_short_circuited\": %s, \"live\": %s, "
                 "\"not_live\": %s},\n",
            Json(r.schedule.WindowText()).c_str(), Bool(r.schedule.use_holiday), Bool(r.ever_live),
            Json(r.ever_live ? std::string() : r.not_live).c_str());
    fprintf(out, "  \"level2\": {\"module\": %s, \"state\": %s, \"loaded\": %s, \"problem\": %s, \"delivered\": %s},\n",
            Json(hostkit::GbkToUtf8(r.level2.path)).c_str(), Json(Level2StateText(r.level2.state)).c_str(),
            Bool(r.level2.Loaded()), Json(r.level2.state == Level2Report::kNoneNamed ? "" : r.level2.why).c_str(),
            Bool(r.counters.snapshot_records > 0));
    fprintf(out, "  \"market\": {\"date\": %u, \"time\": %u, \"instruments\": %u, \"categories\": [",
            image.MarketDate(), image.MarketTime(), image.ItemCount());
    for (size_t i = 0; i < image.categories.size(); ++i) {
        fprintf(out, "%s{\"name\": %s, \"count\": %u}", i > 0 ? ", " : "", Json(Category(image.categories[i])).c_str(),
                LoadU16(image.categories[i].data() + 11));
    }
    fprintf(out, "]},\n");
    fprintf(out, "  \"replica_records\": {");
    bool first = true;
    for (Table table : hostkit::kAllTables) {
        fprintf(out, "%s%s: %zu", first ? "" : ", ", Json(hostkit::TableName(table)).c_str(), image.Of(table).Count());
        first = false;
    }
    fprintf(out, "},\n");
    const auto u = [](uint64_t v) { return static_cast<unsigned long long>(v); };
    fprintf(out, "  \"pushes\": %llu,\n  \"push_bytes\": %llu,\n  \"snapshot_updates\": %llu,\n  \"codes_updated\": %llu,\n",
            u(r.pushes_received), u(r.push_bytes), u(r.counters.snapshot_records), u(r.counters.codes_updated));
    fprintf(out, "  \"frames\": {\"market_header\": %llu, \"snapshots\": %llu, \"quota_status\": %llu, "
                 "\"indexes\": %llu, \"product_status\": %llu},\n",
            u(r.counters.frames[0]), u(r.counters.frames[1]), u(r.counters.frames[3]), u(r.counters.frames[4]),
            u(r.counters.frames[5]));
    fprintf(out, "  \"bad_pushes\": %llu,\n  \"added_records\": %llu,\n  \"resets\": %llu,\n  \"pulls\": %llu,\n"
                 "  \"pull_failures\": %llu,\n  \"live_checks\": %llu,\n  \"live_check_failures\": %llu,\n"
                 "  \"commands\": %llu,\n",
            u(r.counters.bad_pushes), u(r.counters.added_records), u(r.counters.resets), u(r.pulls),
            u(r.pull_failures), u(r.live_checks), u(r.live_check_failures), u(r.commands));
    fprintf(out, "  \"log\": {\"info\": %llu, \"warning\": %llu, \"error\": %llu},\n", u(r.logs[1]), u(r.logs[2]),
            u(r.logs[3]));
    fprintf(out, "  \"final_check\": {\"done\": %s, \"exact\": %s, \"replica_equals_pull\": %s, \"differences\": %zu, "
                 "\"note\": %s,\n    \"samples\": [",
            Bool(c.done), Bool(c.exact), Bool(c.done && c.replica_equals_pull), c.differences, Json(c.note).c_str());
    for (size_t i = 0; i < c.samples.size(); ++i) {
        fprintf(out, "%s%s", i > 0 ? ", " : "", Json(c.samples[i].where + ": " + c.samples[i].detail).c_str());
    }
    fprintf(out, "],\n    \"digest\": %s, \"digest_ok\": %s, \"pull_digest_ok\": %s, \"digest_check\": %s},\n",
            Json(c.digest_hex).c_str(), Bool(c.done && hostkit::DigestOk(c.replica_digest)),
            Bool(c.done && hostkit::DigestOk(c.pull_digest)), Json(hostkit::DigestCheckText(c.replica_digest)).c_str());
    fprintf(out, "  \"prices\": \"thousandths of the currency unit (1234 is 1.234)\",\n  \"movers\": [");
    const std::vector<Mover> movers = BiggestMovers(image, 5);
    for (size_t i = 0; i < movers.size(); ++i) {
        const Mover& m = movers[i];
        fprintf(out, "%s\n    {\"code\": %s, \"name\": %s, \"previous_close\": %u, \"last\": %u, \"change_percent\": %.2f}",
                i > 0 ? "," : "", Json(m.code).c_str(), Json(m.name).c_str(), m.previous_close, m.last, m.change_percent);
    }
    fprintf(out, "],\n  \"rss_kb\": [");
    for (size_t i = 0; i < r.rss_kb.size(); ++i) {
        fprintf(out, "%s[%u, %llu]", i > 0 ? ", " : "", r.rss_kb[i].first, u(r.rss_kb[i].second));
    }
    fprintf(out, "],\n  \"rss_kb_before_driver\": %llu", u(r.rss_kb_before_driver));
    fprintf(out, ",\n  \"record\": %s,\n  \"record_problem\": %s", Json(r.recorded ? options.record_path : "").c_str(),
            Json(r.record_problem).c_str());
    fprintf(out, ",\n  \"exit_status\": %d,\n  \"verdict\": %s,\n  \"why\": [", static_cast<int>(verdict),
            Json(VerdictText(verdict)).c_str());
    for (size_t i = 0; i < why.size(); ++i) fprintf(out, "%s%s", i > 0 ? ", " : "", Json(why[i]).c_str());
    fprintf(out, "],\n  \"ok\": %s\n}\n", Bool(verdict == Verdict::kOk));
    fflush(out);
}

}  // namespace zephyr::hostapp
