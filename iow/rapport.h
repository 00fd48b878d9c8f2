// The IOW24's I2C special mode: 8-byte reports on pipe 1. Byte 0 is the
// report ID, bytes 1-7 the payload; every request starts from eight zeros.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "iow/iowkit.h"

using IowReport = std::array<std::uint8_t, 8>;

// Special-mode pipe and report size (the size counts the report ID byte).
inline constexpr std::uint32_t PIPE_MODE_SPECIAL = 1;
inline constexpr std::uint32_t TAILLE_RAPPORT = 8;

// Report IDs.
inline constexpr std::uint8_t ID_MODE_I2C = 0x01;      // switch the I2C function on or off
inline constexpr std::uint8_t ID_ECRITURE_I2C = 0x02;  // write up to 6 bytes on the bus
inline constexpr std::uint8_t ID_LECTURE_I2C = 0x03;   // read up to 6 bytes from the bus

// Byte 1 of a mode-switch request.
inline constexpr std::uint8_t I2C_ACTIF = 0x01;
inline constexpr std::uint8_t I2C_INACTIF = 0x00;

// Byte 1 of a write request: start and stop conditions, data count in bits 2-0.
inline constexpr std::uint8_t DRAPEAU_START = 0x80;
inline constexpr std::uint8_t DRAPEAU_STOP = 0x40;
inline constexpr std::uint8_t MAX_DONNEES = 6;

// Byte 1 of a request is its command (mode, flags or count); byte 1 of every
// reply is its status, bit 7 set when the transfer failed.
inline constexpr std::size_t OCTET_COMMANDE = 1;
inline constexpr std::size_t OCTET_STATUT = 1;
inline constexpr std::uint8_t STATUT_ECHEC = 0x80;
// Bytes 2-7 carry the data of a write request or of a read reply, in bus order.
inline constexpr std::size_t OCTET_DONNEES = 2;

// Switch the IOW24's I2C function on or off; true when the device took the
// whole 8-byte report. No reply comes back for these.
bool InitI2C(IOWKIT_HANDLE handle);
bool CloseI2C(IOWKIT_HANDLE handle);

// Write request: the flags get the data count; 1 to 6 data bytes, the first
// one being the device address byte when the write begins with a start.
IowReport ecriture_i2c(std::uint8_t drapeaux, std::initializer_list<std::uint8_t> donnees);
// Read request of `nombre` bytes from the device answering at `adresse`.
IowReport lecture_i2c(std::uint8_t nombre, std::uint8_t adresse);

// Writes the request, then reads its reply into the same buffer. A read that
// does not bring back a whole report is a failed transfer: the buffer may
// still hold the request, so the status bit is set.
void echange(IOWKIT_HANDLE handle, IowReport& rapport);

bool en_echec(const IowReport& reponse);
