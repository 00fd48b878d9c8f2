// What the ways of starting a Windows child share.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/host/processus.h"

namespace child {

// A program that hangs is ended after this, never waited for.
constexpr DWORD kMostMs = 120000;

// Variables are UTF-8 here, as the program under test reads them through
// the wide API: a no-break space stays one character.
std::wstring wide(const std::string& text);

// One argument as the child's command-line parser reads it back.
std::string quoted(const std::string& argument);

// The child inherits the environment as it is when it starts; this
// program's own is put back afterwards.
using Variables = std::vector<std::pair<std::wstring, std::optional<std::wstring>>>;
Variables set_variables(const Environment& environment);
void put_back(const Variables& before);

}  // namespace child
