#pragma once
// Runs the registered benchmarks, keeps each run's figures, and prints one summary line per goal:
// the figure, the baseline measured in the same run, their ratio, the goal and PASS or MISS.
// Goal lines, and only they, begin with "goal: ", so that scripts/bench can gather them:
//   goal: TITLE: figure F UNIT, baseline B UNIT, ratio R, goal >= L: PASS
//   goal: TITLE: not measured (filtered out or failed), goal <= L: MISS

#include <map>
#include <string>

struct RunFigures {
    double secondsPerIteration = 0;
    std::map<std::string, double> counters;  // final values (rates already divided by time)
};

class BenchSummary {
  public:
    // Runs every registered benchmark with the console reporter. Answers false when the command
    // line held unknown options.
    bool runBenchmarks(int argc, char** argv);

    // The figures of the benchmark registered under name; null when it did not run (filtered
    // out, or failed).
    const RunFigures* find(const std::string& name) const;

    // One goal where a higher ratio is better (figure / baseline >= limit) or a lower one is
    // (figure / baseline <= limit). Missing runs print "not measured". Answers whether the goal
    // was met.
    bool goalAtLeast(const std::string& title, double figure, double baseline,
                     const std::string& unit, double limit);
    bool goalAtMost(const std::string& title, double figure, double baseline,
                    const std::string& unit, double limit);
    // A figure and its baseline without a goal.
    void compare(const std::string& title, double figure, double baseline, const std::string& unit);
    void notMeasured(const std::string& title);
    // A goal whose runs are missing: printed as a MISS, so that a report never loses a row.
    void goalNotMeasured(const std::string& title, bool atLeast, double limit);
    // Prints a line of context without a goal.
    void note(const std::string& text);

    // Prints the summary block; answers 0 (a missed goal is a finding, not a program failure).
    int finish();

  private:
    bool goal(const std::string& title, double figure, double baseline, const std::string& unit,
              double limit, bool atLeast);

    std::map<std::string, RunFigures> FRuns;
    std::string FLines;
};
