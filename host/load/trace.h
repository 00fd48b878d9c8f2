// The IOW24's special-mode reports in words, for a user looking for the
// place where the bus stops answering.
#pragma once

#include <cstdint>
#include <string>

namespace host {

// "02 C2 D0 00 00 00 00 00"
std::string hex(const std::uint8_t* report);
// The first `count` bytes of a report, the same way: "03 03".
std::string hex(const std::uint8_t* from, int count);

// A report the block wrote, and the byte count the device library returned.
std::string describe_write(const std::uint8_t* report, std::uint32_t written);
// A report the block read back, and the byte count returned.
std::string describe_read(const std::uint8_t* report, std::uint32_t read);

}  // namespace host
