// A room as a Windows lab PC meets it: salle.txt at its place in the
// prefix's own C:\ProgramData, a room folder whose name has accents, and
// the teacher's table held open in Excel, which shares it for reading only.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/host/hote.h"
#include "tests/host/processus.h"

namespace {

std::filesystem::path utf8_path(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

void write_utf8_named(const std::string& path, const std::string& bytes) {
    std::ofstream(utf8_path(path), std::ios::binary) << bytes;
}

std::string read_utf8_named(const std::string& path) {
    std::ifstream file(utf8_path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

TEST(RoomOnWindows, ATableHeldInExcelOnAnAccentedShareIsReadAndReported) {
    const char* all_accounts = std::getenv("ProgramData");
    const std::string pc_folder =
        std::string(all_accounts != nullptr ? all_accounts : "C:\\ProgramData") + "\\rtc_iow24";
    const std::string room = scratch_folder("salle-windows") + "B12 été\\";
    std::filesystem::create_directories(pc_folder);
    std::filesystem::remove_all(utf8_path(room + "postes"));
    std::filesystem::create_directories(utf8_path(room));
    const char* computer = std::getenv("COMPUTERNAME");
    ASSERT_NE(computer, nullptr);
    write_utf8_named(room + "exercices.csv",
                     "\xEF\xBB\xBFposte;exercice\r\n" + std::string(computer) + ";frozen\r\n");
    // Excel keeps a workbook open for writing, and lets others only read it.
    HANDLE held =
        CreateFileW(utf8_path(room + "exercices.csv").c_str(), GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    write_utf8_named(pc_folder + "\\salle.txt", "\xEF\xBB\xBF" + room + "\r\n");
    const Environment pc{{"IOWVIRT_SALLE", kUnset}, {"IOWVIRT_POSTE", kUnset}};
    const Finished check = run_program(kHost, {"--check", "--console-alerts"}, pc);
    EXPECT_EQ(check.status, 4) << check.out << check.err;
    EXPECT_NE(check.out.find("DEFAUT   L'horloge avance"), std::string::npos) << check.out;
    const Finished shown = run_program(kHost, {"--salle", "--sans-navigateur"}, pc);
    CloseHandle(held);
    std::filesystem::remove(pc_folder + "\\salle.txt");
    EXPECT_EQ(shown.status, 0) << shown.out << shown.err;
    EXPECT_NE(
        read_utf8_named(room + "salle.csv").find("\"" + std::string(computer) + "\";conforme"),
        std::string::npos)
        << read_utf8_named(room + "salle.csv");
}

}  // namespace
