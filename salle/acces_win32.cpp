// The room's files on Windows: every path in UTF-16, so that a folder with
// accents on the share is the one reached.
#include <windows.h>

#include "platform/utf16.h"
#include "salle/salle.h"

namespace salle {

std::string pc_folder() {
    std::string all_accounts;
    if (!variable("ProgramData", all_accounts) || all_accounts.empty()) return "";
    return all_accounts + "\\rtc_iow24\\";
}

std::string computer_name() {
    std::string name;
    return variable("COMPUTERNAME", name) ? name : "";
}

std::string account_name() {
    std::string name;
    return variable("USERNAME", name) ? name : "";
}

std::string program_name() {
    const std::string program = texte::fichier_du_module(nullptr);
    return program.substr(program.find_last_of("\\/") + 1);
}

bool drop_file(const std::string& folder, const std::string& name, const std::string& text) {
    CreateDirectoryW(texte::utf16(folder).c_str(), nullptr);
    return texte::write_whole_file(in_folder(folder, name), text, ".tmp-");
}

void keep_code_loaded() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(&keep_code_loaded), &self);
}

}  // namespace salle
