// Benchmark driver: runs every registered case and then prints each case as a
// ratio to its group's baseline, measured in the same run. A case is named
// "group/label"; the group's baseline is the case labelled "baseline".
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

struct Result {
    std::string group;
    std::string label;
    double nsPerIteration;
};

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.iterations == 0) continue;
            // With repetitions the median stands for the case; the single
            // repetitions and the other aggregates are left out.
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Aggregate && !median) continue;
            if (run.run_type != Run::RT_Aggregate && run.repetitions > 1) continue;
            const std::string name = run.run_name.str();
            const auto slash = name.find('/');
            if (slash == std::string::npos) continue;
            // CPU time: on a shared machine the time other processes take
            // from this one stays out of the ratio. A group whose name ends
            // in "_wall" compares elapsed time instead (its cases run on
            // several threads, whose CPU time the calling thread's omits).
            const std::string group = name.substr(0, slash);
            const bool wall = group.size() >= 5 && group.compare(group.size() - 5, 5, "_wall") == 0;
            results_.push_back({group, name.substr(slash + 1),
                                wall ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime()});
        }
    }

    void PrintRatios() const {
        std::map<std::string, double> baseline;
        for (const Result& r : results_)
            if (r.label == "baseline") baseline[r.group] = r.nsPerIteration;
        std::printf("\n%-28s %-40s %10s\n", "group", "case", "ratio");
        for (const Result& r : results_) {
            const auto it = baseline.find(r.group);
            if (r.label == "baseline" || it == baseline.end() || it->second <= 0) continue;
            std::printf("%-28s %-40s %10.3f\n", r.group.c_str(), r.label.c_str(),
                        r.nsPerIteration / it->second);
        }
    }

private:
    std::vector<Result> results_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
