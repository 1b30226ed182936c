#pragma once

// The console table of a benchmark run, with every run's time kept for the ratios a program
// prints after the table. A run repeated several times is kept by its median.

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

class TTimesReporter : public benchmark::ConsoleReporter {
public:
    struct TTime {
        double Real = 0; // seconds per iteration
        double Cpu = 0;  // seconds of CPU time per iteration
        bool Median = false;
    };

    void ReportRuns(const std::vector<Run>& Runs) override {
        ConsoleReporter::ReportRuns(Runs);
        for (const Run& R : Runs) {
            if (R.error_occurred || R.iterations <= 0) continue;
            const bool Median = R.run_type == Run::RT_Aggregate && R.aggregate_name == "median";
            if (R.run_type == Run::RT_Aggregate && !Median) continue;
            // An aggregate's accumulated times are per repetition, and its iteration count is one
            // repetition's, so the quotient is a time per iteration for both kinds of run.
            const double Iterations = static_cast<double>(R.iterations);
            const TTime Time{R.real_accumulated_time / Iterations, R.cpu_accumulated_time / Iterations, Median};
            Keep(FByName, R.run_name.str(), Time);
            Keep(FByFunction, R.run_name.function_name, Time);
        }
    }

    // A run by its full name ("BM_Paint/100", "BM_Load/iterations:3") or, failing that, by the
    // name it was registered under ("Load/ours"); nullptr when it did not run.
    const TTime* Find(const std::string& Name) const {
        if (auto It = FByName.find(Name); It != FByName.end()) return &It->second;
        if (auto It = FByFunction.find(Name); It != FByFunction.end()) return &It->second;
        return nullptr;
    }

private:
    static void Keep(std::map<std::string, TTime>& Times, const std::string& Name, const TTime& Time) {
        TTime& Slot = Times[Name];
        if (Time.Median || !Slot.Median) Slot = Time;
    }

    std::map<std::string, TTime> FByName, FByFunction;
};
