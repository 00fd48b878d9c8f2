// How the virtual clock chip keeps its registers between launches, as on
// its battery: taken back from its state file at every open with no handle
// open, the file kept open meanwhile, a record rewritten in place after
// each transaction that wrote registers, and the file flushed at the last
// close. A program that wrote nothing leaves the file as it found it.
#include <cstdio>
#include <set>
#include <string>

#include "virtual/boite.h"
#include "virtual/device.h"

namespace iowvirt {

namespace {

constexpr const char* kStateVariable = "IOWVIRT_STATE";
// A record caught in the middle of another program's write fails its
// checksum; the file is read this many times before it is judged.
constexpr int kReadTries = 3;
// Time and date registers 0x00-0x06 that hold no valid time or date:
// digits above 9, fields out of range.
constexpr std::uint8_t kNoValidTime[] = {0x5A, 0x7F, 0x3F, 0x00, 0x3F, 0x1F, 0xAA};
constexpr const char* kMemoryOnly =
    "l'horloge ne garde son heure que tant que ce programme tourne.";

}  // namespace

void tell(const std::string& text) {
    std::fputs(("IOW24 virtuel : " + text + "\n").c_str(), stderr);
    std::fflush(stderr);
}

void tell_once(const std::string& text) {
    static std::set<std::string> told;
    if (told.insert(text).second) tell(text);
}

void alert_once(const std::string& text) {
    static std::set<std::string> shown;
    tell(text);
    if (shown.insert(text).second) boite::montrer("IOW24 virtuel : " + text);
}

void Device::choose_state_path() {
    std::string chosen;
    const bool named = fichiers::variable(kStateVariable, chosen);
    state_path = fresh ? "" : named ? chosen : fichiers::default_state_path();
    if (fresh || !state_path.empty()) return;
    tell_once(named ? std::string(kStateVariable) +
                          " est vide : aucun fichier où garder l'heure ; " + kMemoryOnly
                    : "aucun dossier où garder l'heure (" + fichiers::default_state_needs() +
                          ") ; " + kMemoryOnly);
}

void Device::load_state() {
    close_state();
    SavedState kept;
    if (!state_path.empty() && read_state(kept)) {
        chip.restore(kept.chip, (kept.flags & (kStoodStill | kInvalidStanding)) == 0);
        sequence = kept.sequence;
        exercises = kept.flags;
    }
    bytes_saved = chip.bytes_written();
    keep_exercises();
}

bool Device::read_state(SavedState& kept) {
    state_path = fichiers::through_links(state_path);
    fichiers::remove_own_temporaries(state_path);
    std::vector<std::uint8_t> bytes;
    std::string why;
    switch (state_file.open(state_path, kStateFileSize, bytes, why)) {
        case fichiers::StateFile::Found::nothing:
            return false;
        case fichiers::StateFile::Found::not_regular:
            tell_once(state_path + " n'est pas un fichier ordinaire : il est laissé tel quel ; " +
                      kMemoryOnly);
            state_path.clear();
            return false;
        case fichiers::StateFile::Found::unreadable:
            tell_once("impossible de lire " + state_path + " (" + why + ") ; " + kMemoryOnly);
            state_path.clear();
            return false;
        case fichiers::StateFile::Found::regular:
            break;
    }
    for (int tries = 1;; ++tries) {
        why.clear();
        if (const auto state = decode_state(bytes, why)) {
            kept = *state;
            return true;
        }
        if (tries == kReadTries || !state_file.read_again(kStateFileSize, bytes)) break;
    }
    // Never trusted, never overwritten: put aside, and a new chip.
    state_file.close();
    const auto aside = fichiers::put_aside(
        state_path, state_path + ".illisible-" + std::to_string(fichiers::now_seconds()));
    chip.power_on();
    alert_once(
        "le fichier de l'horloge " + state_path + " est illisible (" + why + ") ; " +
        (aside ? "il est gardé sous " + *aside : std::string("il n'a pas pu être mis de côté")) +
        ", et l'horloge repart neuve.");
    if (!aside) state_path.clear();
    return false;
}

// `frozen` stops the oscillator for as long as the word stands, across
// launches; once it is gone the clock goes on from where it stood.
// `invalid` lays values no clock can hold, once while the word stands; they
// stay, not counting, until the clock is written.
void Device::keep_exercises() {
    std::uint32_t wanted = exercises;
    wanted = frozen ? wanted | kStoodStill : wanted & ~kStoodStill;
    if (invalid && (exercises & kInvalidLaid) == 0) {
        for (std::uint8_t reg = 0; reg < sizeof kNoValidTime; ++reg)
            chip.poke(reg, kNoValidTime[reg]);
        wanted |= kInvalidLaid | kInvalidStanding;
    }
    if (!invalid) wanted &= ~kInvalidLaid;
    chip.set_stopped((wanted & (kStoodStill | kInvalidStanding)) != 0);
    if (wanted == exercises) return;
    exercises = wanted;
    save_state();
}

void Device::registers_written() {
    if ((exercises & kInvalidStanding) != 0) {
        exercises &= ~kInvalidStanding;
        chip.set_stopped((exercises & kStoodStill) != 0);
    }
    save_state();
}

void Device::save_state() {
    bytes_saved = chip.bytes_written();
    if (state_path.empty()) return;
    const SavedState state{chip.state(), exercises, ++sequence};
    std::string why;
    const bool saved = state_file.is_open()
                           ? state_file.rewrite(record_offset(sequence), encode_record(state), why)
                           : state_file.create(state_path, encode_state(state), why);
    if (saved) return;
    tell_once("impossible d'écrire " + state_path + " (" + why + ") ; " + kMemoryOnly);
    state_file.close();
    state_path.clear();
}

void Device::close_state() { state_file.close(); }

}  // namespace iowvirt
