// The block's pin table: counts, the index of every pin in the host's arrays
// and the names the host shows.
#pragma once

#include <cstdint>

inline constexpr std::uint8_t nbentrees = 8;
inline constexpr std::uint8_t nbsorties = 6;

// Inputs: the host's array of 8 doubles.
inline constexpr std::uint8_t E_RD = 0;  // read the clock at every step while high
inline constexpr std::uint8_t E_sec = 1;
inline constexpr std::uint8_t E_min = 2;
inline constexpr std::uint8_t E_heu = 3;
inline constexpr std::uint8_t E_dat = 4;  // day of the month
inline constexpr std::uint8_t E_moi = 5;
inline constexpr std::uint8_t E_ann = 6;   // full year, 2011 not 11
inline constexpr std::uint8_t E_init = 7;  // set the clock at every step while high

// Outputs: the host's array of 6 doubles.
inline constexpr std::uint8_t S_sec = 0;
inline constexpr std::uint8_t S_min = 1;
inline constexpr std::uint8_t S_heu = 2;
inline constexpr std::uint8_t S_dat = 3;
inline constexpr std::uint8_t S_moi = 4;
inline constexpr std::uint8_t S_ann = 5;  // year within the century, as the chip keeps it

// Pin names, indexed like the arrays.
inline constexpr const char* noms_entrees[nbentrees] = {"RD",  "sec", "min", "heu",
                                                        "dat", "moi", "ann", "init"};
inline constexpr const char* noms_sorties[nbsorties] = {"SEC", "MIN", "HEU", "DAT", "MOI", "ANN"};

// An input above this is a high logic level.
inline constexpr double SEUIL_LOGIQUE = 2.5;
