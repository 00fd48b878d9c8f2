// Running the build's programs, whatever the platform: each child with a
// virtual clock of its own unless the test shares one.
#include <cstdio>
#include <string>

#include "tests/host/processus.h"

Environment with_own_state(const Environment& environment) {
    static int count = 0;
    Environment own = environment;
    // No PC's exercise file but the test's own: the machine's is the user's.
    bool pc_words_named = false;
    for (const auto& pair : environment)
        pc_words_named = pc_words_named || pair.first == "IOWVIRT_EXERCICE";
    if (!pc_words_named)
        own.emplace_back("IOWVIRT_EXERCICE", scratch_folder("etats") + "aucun-exercice.txt");
    for (const auto& pair : environment)
        if (pair.first == "IOWVIRT_STATE") return own;
    const std::string state = scratch_folder("etats") + "etat-" + std::to_string(count++);
    // New: a test process of an earlier run with the same number may have
    // left one there.
    std::remove(state.c_str());
    own.emplace_back("IOWVIRT_STATE", state);
    return own;
}

// Each platform's own: a child started, and waited for.
struct Started;
Started* start_program(const std::string& program, const std::vector<std::string>& arguments,
                       const Environment& environment);
Finished finish_program(Started* started);

Finished run_program(const std::string& program, const std::vector<std::string>& arguments,
                     const Environment& environment) {
    return finish_program(start_program(program, arguments, with_own_state(environment)));
}

std::vector<Finished> run_together(const std::string& program,
                                   const std::vector<std::vector<std::string>>& runs,
                                   const Environment& environment) {
    std::vector<Run> each;
    for (const auto& arguments : runs)
        each.emplace_back(arguments, environment);
    return run_together(program, each);
}

std::vector<Finished> run_together(const std::string& program, const std::vector<Run>& runs) {
    std::vector<Started*> started;
    for (const auto& [arguments, environment] : runs)
        started.push_back(start_program(program, arguments, with_own_state(environment)));
    std::vector<Finished> finished;
    for (Started* s : started)
        finished.push_back(finish_program(s));
    return finished;
}
