// The real-time clock chip on the IOW24's I2C bus: setting all of its time
// and date registers, and reading the time or the date back.
#pragma once

#include "iow/rapport.h"

// Writes the six time and date inputs of the host's array into the chip.
void InitRTC(IOWKIT_HANDLE handle, const double* in);

// Register bytes that one read brings back, from byte 2 of the reply on.
inline constexpr std::uint8_t NB_REGISTRES_LUS = 3;

// Both return the IOW24's reply to the read request as it came: bytes 2, 3
// and 4 hold seconds, minutes, hours - or day, month, year - in packed BCD.
IowReport Lecture_heureRTC(IOWKIT_HANDLE handle);
IowReport Lecture_dateRTC(IOWKIT_HANDLE handle);
