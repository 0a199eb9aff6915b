// SPDX-License-Identifier: MIT
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

// Keeps the seconds per iteration of every repetition, so that budgets and ratios are put on medians.
class CMedianReporter : public benchmark::ConsoleReporter {
public:
    CMedianReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& reports) override {
        for (const Run& run : reports)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred && run.iterations > 0)
                m_seconds[run.run_name.function_name].push_back(run.real_accumulated_time /
                                                                double(run.iterations));
        ConsoleReporter::ReportRuns(reports);
    }

    // Median seconds per iteration, or 0 when the benchmark did not run.
    double Median(const std::string& name) const {
        const auto it = m_seconds.find(name);
        if (it == m_seconds.end() || it->second.empty())
            return 0;
        std::vector<double> seconds = it->second;
        std::sort(seconds.begin(), seconds.end());
        return seconds[seconds.size() / 2];
    }

    // Runs the benchmarks named on the command line with their repetitions interleaved in random order, so
    // that a change in the machine's load falls on all contenders alike; a later
    // --benchmark_enable_random_interleaving=false wins. False on unrecognised arguments.
    bool RunInterleaved(int argc, char** argv) {
        std::string interleave = "--benchmark_enable_random_interleaving=true";
        std::vector<char*> arguments(argv, argv + argc + 1); // with the closing null
        arguments.insert(arguments.begin() + 1, interleave.data());
        int count = int(arguments.size()) - 1;
        benchmark::Initialize(&count, arguments.data());
        if (benchmark::ReportUnrecognizedArguments(count, arguments.data()))
            return false;
        benchmark::RunSpecifiedBenchmarks(this);
        benchmark::Shutdown();
        return true;
    }

private:
    std::map<std::string, std::vector<double>> m_seconds;
};
