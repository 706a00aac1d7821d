#pragma once
// A made-up but plausible drill history for the benchmarks and the Progress window's screenshot:
// most days one session (some days two, some none), characters joining over the months, the
// newest characters and a few stubborn ones still confused. Deterministic.
#include "teaching/session_record.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace kelvo::bench {

inline std::vector<TSessionRecord> SampleHistory(int sessions, std::chrono::sys_days firstDay) {
    std::uint32_t state = 20261211;
    const auto random = [&state] {  // [0, 1)
        state = state * 134775813u + 1u;
        return state / 4294967296.0;
    };
    std::vector<TSessionRecord> history;
    history.reserve(static_cast<std::size_t>(sessions));
    std::chrono::sys_days day = firstDay;
    double progress = 2;  // characters in use, growing
    while (static_cast<int>(history.size()) < sessions) {
        const double roll = random();
        const int today = roll < 0.12 ? 0 : roll < 0.22 ? 2 : 1;
        for (int n = 0; n < today && static_cast<int>(history.size()) < sessions; ++n) {
            const std::chrono::year_month_day ymd(day);
            TSessionRecord r;
            r.Time = {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
                      static_cast<int>(static_cast<unsigned>(ymd.day())), 18 + 2 * n, static_cast<int>(random() * 60),
                      static_cast<int>(random() * 60)};
            progress = std::min(40.0, progress + 0.07 + random() * 0.06);
            r.CharsInUse = static_cast<int>(progress);
            r.Minutes = 8 + random() * 20;
            r.Turns = static_cast<int>(r.Minutes * 6);
            r.Missed = static_cast<int>(r.Turns * (0.05 + random() * 0.1));
            r.Right = r.Turns - r.Missed;
            r.Wrong = static_cast<int>(r.Turns * random() * 0.15);
            double sum = 0;
            for (int c = 0; c < DrillAlphabetSize; ++c) {
                double w = 1.0;
                if (c < r.CharsInUse) {
                    const int age = r.CharsInUse - 1 - c;  // 0 for the newest character
                    const bool stubborn = c % 11 == 7;     // a few characters stay hard for long
                    const double level = age == 0 ? 4 : age < 3 ? 2 + random() * 2 : stubborn ? 1 + random() * 3 : random() * 1.4;
                    w = 0.2 * (1 + static_cast<int>(level));
                }
                r.Weights[c] = w;
                if (c < r.CharsInUse) sum += w;
            }
            r.MeanWeight = sum / r.CharsInUse;
            r.Rating = static_cast<int>(((0.2 - r.MeanWeight) * 125 + 100) * r.CharsInUse / 40 + 0.5);
            r.CodeSpeed = r.CharsInUse < 20 ? 5 : 8;
            r.CharSpeed = 14 + r.CharsInUse / 8;
            r.Frequency = 800;
            history.push_back(r);
        }
        day += std::chrono::days(1);
    }
    return history;
}

// The history as the file holds it: header and one line per session, CR LF each.
inline std::string SampleHistoryText(const std::vector<TSessionRecord>& history) {
    std::string text = HistoryHeaderLine() + "\r\n";
    for (const TSessionRecord& r : history) text += FormatSessionRecord(r) + "\r\n";
    return text;
}

}  // namespace kelvo::bench
