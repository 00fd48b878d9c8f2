// Running the build's programs, whatever the platform: each child with a
// virtual clock of its own unless the test shares one.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/host/processus.h"

// Each platform's own: its folder of temporary files, with a trailing
// separator, and this test program's process number.
std::string temp_folder();
unsigned long own_number();

namespace {

// Process numbers come round again (a machine's count wraps within a run
// of the suite; Wine numbers anew in each session of its server): a test
// program of an earlier run may have had this one's number, and its
// scratch files, a words file that still plants an exercise among them,
// must not stand in this run's way.
std::string own_scratch(const std::string& name) {
    const std::string prefix = "rtc-host-test-" + std::to_string(own_number()) + "-";
    static const bool cleared = [&prefix] {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(temp_folder(), ignored))
            if (entry.path().filename().string().rfind(prefix, 0) == 0)
                std::filesystem::remove_all(entry.path(), ignored);
        return true;
    }();
    (void)cleared;
    return temp_folder() + prefix + name;
}

}  // namespace

std::string scratch_folder(const std::string& name) {
    const std::string path = own_scratch(name);
    std::error_code ignored;
    std::filesystem::create_directory(path, ignored);
    return path + static_cast<char>(std::filesystem::path::preferred_separator);
}

std::string scratch_file(const std::string& name, const std::string& content) {
    const std::string path = own_scratch(name);
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

Environment with_own_state(const Environment& environment) {
    static int count = 0;
    Environment own = environment;
    // No PC's exercise file but the test's own: the machine's is the user's.
    bool pc_words_named = false;
    for (const auto& pair : environment)
        pc_words_named = pc_words_named || pair.first == "IOWVIRT_EXERCICE";
    if (!pc_words_named)
        own.emplace_back("IOWVIRT_EXERCICE", scratch_folder("etats") + "aucun-exercice.txt");
    // No room but the test's own: the machine's is a real lab's share.
    bool room_named = false;
    for (const auto& pair : environment)
        room_named = room_named || pair.first == "IOWVIRT_SALLE";
    if (!room_named) own.emplace_back("IOWVIRT_SALLE", "aucune");
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
